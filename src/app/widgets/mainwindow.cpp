#include "app/widgets/mainwindow.h"

#include <QCloseEvent>
#include <QDate>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>

#include "app/clinicservices.h"
#include "app/exitbackup.h"
#include "app/widgets/aboutwindow.h"
#include "app/backupservice.h"
#include "app/widgets/backupprogresswindow.h"
#include "app/widgets/backuprestorewindow.h"
#include "app/widgets/olddataimportwindow.h"
#include "app/widgets/servermigrationwindow.h"
#include "app/widgets/serverreturnoffer.h"
#include "app/widgets/settingswindow.h"
#include "app/widgets/windowplacement.h"
#include "data/serverdump.h"
#include "data/templatekinds.h"
#include "maintenance/widgets/cataloguewindow.h"
#include "maintenance/widgets/templatewindow.h"
#include "maintenance/widgets/wordlistwindow.h"
#include "prescription/prescriptiondocument.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/widgets/prescriptionwindow.h"
#include "print/units.h"
#include "print/widgets/printprompts.h"
#include "print/widgets/printservice.h"
#include "records/widgets/medicalrecordwindow.h"
#include "reports/widgets/outpatientlogwindow.h"
#include "reports/widgets/usagestatisticswindow.h"
#include "reports/widgets/workloadwindow.h"
#include "settings/clinicsettings.h"
#include "settings/settingdefinitions.h"
#include "ui/helppages.h"
#include "ui/widgets/filechooser.h"
#include "ui/widgets/formscale.h"
#include "ui/widgets/helpviewer.h"
#include "version.h"

namespace {

// The prescription window grows with a large screen, up to where its captions would look coarse;
// the other windows only shrink to fit.
constexpr double LargestPrescriptionFactor = 1.6;
constexpr double LargestFactor = 1.0;

// "综合设置(S)" is shown as it is written, its letter working with Alt: "综合设置(&S)".
QString withAccelerator(QString caption)
{
    static const QRegularExpression letter(QStringLiteral("\\(([A-Z])\\)$"));
    return caption.replace(letter, QStringLiteral("(&\\1)"));
}

} // namespace

MainWindow::MainWindow(ClinicServices &services, FileChooser *files, QWidget *parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_ownFiles(files ? nullptr : std::make_unique<DialogFileChooser>())
    , m_files(files ? files : m_ownFiles.get())
    , m_area(new QMdiArea(this))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("QuillonV") + QStringLiteral(QUILLON_VERSION));
    limitMinimumSize();
    m_area->setObjectName(QStringLiteral("mdiArea"));
    // A child window larger than the area, even at its smallest, is reached by scrolling.
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setBackground(QColor(144, 163, 178));
    setCentralWidget(m_area);
    buildMenus();
    // Which data this computer works on stays in sight all day.
    auto *dataInUse = new QLabel(this);
    dataInUse->setObjectName(QStringLiteral("DataInUse"));
    statusBar()->addPermanentWidget(dataInUse);
    new ServerReturnOffer(m_services.values(), dataInUse, this);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    QMenuBar *bar = menuBar();
    addItem(nullptr, QStringLiteral("综合设置(S)"), {}, [this] { openSettings(); });
    addItem(nullptr, QStringLiteral("药物维护(Y)"), {}, [this] { openCatalogue(); });

    QMenu *templates = bar->addMenu(withAccelerator(QStringLiteral("模板维护(M)")));
    addItem(templates, QStringLiteral("人个组套\\中药方剂"), QKeySequence(QStringLiteral("Ctrl+C")),
            [this] { openTemplates(TemplateKinds::personalSet()); });
    addItem(templates, QStringLiteral("病历模板维护"), QKeySequence(QStringLiteral("Ctrl+H")),
            [this] { openTemplates(TemplateKinds::recordPhrase()); });
    addItem(templates, QStringLiteral("添加常用地址"), QKeySequence(QStringLiteral("Ctrl+F")), [this] {
        openChild(QStringLiteral("Form6"), [this] {
            return new WordListWindow(m_services.addresses(), WordListWindow::List::Addresses);
        }, Placement::Centred);
    });
    addItem(templates, QStringLiteral("添加常用诊断"), QKeySequence(QStringLiteral("Ctrl+G")), [this] {
        openChild(QStringLiteral("Form5"), [this] {
            return new WordListWindow(m_services.diagnoses(), WordListWindow::List::Diagnoses);
        }, Placement::Centred);
    });

    addItem(nullptr, QStringLiteral("处方录入(C)"), {}, [this] { showPrescriptionWindow(); });
    addItem(nullptr, QStringLiteral("门诊病历(B)"), {}, [this] { openMedicalRecord(); });
    addItem(nullptr, QStringLiteral("业务统计(T)"), {}, [this] { openWorkload(); });
    addItem(nullptr, QStringLiteral("门诊日志(Z)"), {}, [this] { openOutpatientLog(); });
    addItem(nullptr, QStringLiteral("用药统计(J)"), {}, [this] {
        openChild(QStringLiteral("Form13"), [this] {
            return new UsageStatisticsWindow(m_services.usageStatistics(), *m_files, QDate::currentDate());
        });
    });

    QMenu *help = bar->addMenu(withAccelerator(QStringLiteral("操作帮助(H)")));
    addItem(help, QStringLiteral("操作帮助"), QKeySequence(QStringLiteral("Ctrl+M")),
            [this] { openHelp(HelpPages::operatingHelp()); });
    addItem(help, QStringLiteral("访问作者主页"), QKeySequence(QStringLiteral("Ctrl+U")),
            [this] { openHelp(HelpPages::homePage()); });
    addItem(help, QStringLiteral("版本信息"), QKeySequence(QStringLiteral("Ctrl+R")), [this] { openAbout(); });
}

QAction *MainWindow::addItem(QMenu *menu, const QString &caption, const QKeySequence &shortcut, std::function<void()> action)
{
    // A top-level item without a submenu acts when clicked, like the items of a submenu.
    QAction *item = menu ? menu->addAction(withAccelerator(caption)) : menuBar()->addAction(withAccelerator(caption));
    item->setObjectName(caption);
    if (!shortcut.isEmpty())
        item->setShortcut(shortcut);
    connect(item, &QAction::triggered, this, std::move(action));
    return item;
}

SettingsWindow *MainWindow::settingsWindow() const
{
    return m_settingsWindow;
}

HelpViewer *MainWindow::helpViewer() const
{
    return m_helpViewer;
}

QList<QMdiSubWindow *> MainWindow::framesOf(const QString &objectName) const
{
    QList<QMdiSubWindow *> frames;
    for (QMdiSubWindow *sub : m_area->subWindowList()) {
        if (sub->widget() && sub->widget()->objectName() == objectName)
            frames.append(sub);
    }
    return frames;
}

QWidget *MainWindow::childWindow(const QString &objectName) const
{
    const QList<QMdiSubWindow *> frames = framesOf(objectName);
    return frames.isEmpty() ? nullptr : frames.first()->widget();
}

QWidget *MainWindow::openChild(const QString &objectName, const std::function<QWidget *()> &create, Placement placement)
{
    for (QMdiSubWindow *sub : framesOf(objectName)) {
        // A window holding unsaved edits may refuse to close; then it stays as it is.
        if (!sub->close()) {
            m_area->setActiveSubWindow(sub);
            return nullptr;
        }
        delete sub;
    }
    QWidget *widget = create();
    // Forms placed in twips are drawn larger or smaller as a whole; forms with layouts keep their size.
    if (!widget->layout())
        new FormScale(widget);
    QMdiSubWindow *sub = m_area->addSubWindow(widget);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    fitChild(sub);
    const QSize area = m_area->viewport()->size();
    sub->move(placement == Placement::Centred ? QPoint((area.width() - sub->width()) / 2, (area.height() - sub->height()) / 2)
                                              : childWindowPosition(area, sub->size()));
    sub->show();
    m_area->setActiveSubWindow(sub);
    return widget;
}

QWidget *MainWindow::openOutpatientLog()
{
    return openChild(QStringLiteral("Form7"), [this] {
        return new OutpatientLogWindow(m_services.outpatientLog(), m_services.settings(),
                                       PrintService(PrintService::systemPrinters(), PrintPrompts::dialogs(this)), *m_files,
                                       [this] { return currentPhysician(); }, QDate::currentDate());
    });
}

QWidget *MainWindow::openWorkload()
{
    return openChild(QStringLiteral("Form12"), [this] { return new WorkloadWindow(m_services.workload(), QDate::currentDate()); });
}

QString MainWindow::currentPhysician() const
{
    if (m_document)
        return m_document->sheet().field(PrescriptionSheet::Physician);
    // What the prescription window's physician field shows on opening.
    return m_services.settings().value(Setting::Physician);
}

TemplateWindow *MainWindow::openTemplates(const QString &kind, const QString &presetContent)
{
    auto *window = static_cast<TemplateWindow *>(
        openChild(QStringLiteral("Form4"), [this] { return new TemplateWindow(m_services.templates()); }));
    if (window)
        window->openOn(kind, presetContent);
    return window;
}

PrescriptionWindow *MainWindow::prescriptionWindow() const
{
    return m_prescription ? qobject_cast<PrescriptionWindow *>(m_prescription->widget()) : nullptr;
}

MedicalRecordWindow *MainWindow::openMedicalRecord()
{
    return static_cast<MedicalRecordWindow *>(openChild(QStringLiteral("Form14"), [this] {
        auto *record = new MedicalRecordWindow(m_document, m_services.templates(), m_services.settings());
        connect(record, &MedicalRecordWindow::editTemplatesRequested, this,
                [this] { openTemplates(TemplateKinds::recordPhrase()); });
        return record;
    }));
}

void MainWindow::triggerMenu(const QString &caption)
{
    if (QAction *item = findChild<QAction *>(caption))
        item->trigger();
}

void MainWindow::connectPrescriptionWindow(PrescriptionWindow *window)
{
    // The toolbar opens the same windows the menu does.
    connect(window, &PrescriptionWindow::logRequested, this, [this] { triggerMenu(QStringLiteral("门诊日志(Z)")); });
    connect(window, &PrescriptionWindow::statisticsRequested, this, [this] { triggerMenu(QStringLiteral("业务统计(T)")); });
    connect(window, &PrescriptionWindow::medicalRecordRequested, this, [this] { triggerMenu(QStringLiteral("门诊病历(B)")); });
    connect(window, &PrescriptionWindow::saveAsTemplateRequested, this,
            [this](const QString &kind, const QString &content) { openTemplates(kind, content); });
    connect(window, &PrescriptionWindow::helpRequested, this, [this](const QString &section) {
        QUrl url = HelpPages::operatingHelp();
        if (!section.isEmpty())
            url.setFragment(section);
        openHelp(url);
    });
    connect(window, &PrescriptionWindow::statusMessage, this, [this](const QString &text) { statusBar()->showMessage(text); });
    // The medical record belongs to the prescription on screen; another one replaces it.
    connect(&window->document(), &PrescriptionDocument::replacing, this, [this] {
        for (QMdiSubWindow *sub : framesOf(QStringLiteral("Form14")))
            sub->close();
    });
}

void MainWindow::showPrescriptionWindow()
{
    if (!m_prescription) {
        m_document = new PrescriptionDocument(m_services.prescriptionServices(), this);
        auto *window = new PrescriptionWindow(*m_document);
        connectPrescriptionWindow(window);
        m_prescription = m_area->addSubWindow(window);
        // It stays loaded for the whole run: closing only hides it, so a half-entered sheet is kept.
        m_prescription->setAttribute(Qt::WA_DeleteOnClose, false);
        new FormScale(window);
        fitChild(m_prescription);
        centrePrescriptionWindow();
    }
    m_prescription->show();
    m_prescription->raise();
    m_area->setActiveSubWindow(m_prescription);
}

void MainWindow::centrePrescriptionWindow()
{
    if (m_prescription)
        m_prescription->move(childWindowPosition(m_area->viewport()->size(), m_prescription->size()));
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (m_closing)
        return;
    if (!m_prescription)
        showPrescriptionWindow();
    centrePrescriptionWindow();
    // The client area takes its new size only after this event; fit and centre again once it has.
    QMetaObject::invokeMethod(this, &MainWindow::fitChildren, Qt::QueuedConnection);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    limitMinimumSize();
    if (!m_watchingScreen && windowHandle()) {
        m_watchingScreen = true;
        // Another screen, another room (and perhaps another scale): the windows follow.
        connect(windowHandle(), &QWindow::screenChanged, this, [this] {
            limitMinimumSize();
            fitChildren();
        });
    }
}

void MainWindow::limitMinimumSize()
{
    const QSize designed = twipsSize(15630, 10950);
    const QScreen *on = screen();
    if (!on) {
        setMinimumSize(designed);
        return;
    }
    // Before the window manager has framed the window, room for a title bar is kept all the same.
    const QSize frame = (isVisible() ? frameGeometry().size() - size() : QSize()).expandedTo(QSize(8, 40));
    setMinimumSize(designed.boundedTo(on->availableSize() - frame));
}

void MainWindow::fitChild(QMdiSubWindow *sub)
{
    QWidget *form = sub->widget();
    if (!form || sub->isMinimized() || sub->isMaximized())
        return;
    sub->adjustSize();
    const QSize area = m_area->viewport()->size();
    if (FormScale *scale = form->findChild<FormScale *>(QString(), Qt::FindDirectChildrenOnly)) {
        const QSize frame = sub->size() - form->size();
        const double largest = sub == m_prescription ? LargestPrescriptionFactor : LargestFactor;
        const double factor = FormScale::fittingFactor(scale->designedSize(), area - frame, largest);
        if (!qFuzzyCompare(factor, scale->factor())) {
            scale->setFactor(factor);
            sub->adjustSize();
        }
    }
    // A window that fits stays wholly in sight; one that does not starts at the area's corner.
    const int left = qBound(0, sub->x(), qMax(0, area.width() - sub->width()));
    const int top = qBound(0, sub->y(), qMax(0, area.height() - sub->height()));
    sub->move(left, top);
}

void MainWindow::fitChildren()
{
    if (m_closing)
        return;
    for (QMdiSubWindow *sub : m_area->subWindowList())
        fitChild(sub);
    centrePrescriptionWindow();
}

void MainWindow::openSettings()
{
    delete m_settingsWindow;
    m_settingsWindow = new SettingsWindow(m_services.settings(), m_services.values().startupPrinterName, this,
                                          &m_services.backups().secondPlace());
    connect(m_settingsWindow, &SettingsWindow::backupsRequested, this, &MainWindow::openBackups);
    connect(m_settingsWindow, &SettingsWindow::migrationRequested, this, &MainWindow::openServerMigration);
    connect(m_settingsWindow, &SettingsWindow::oldDataImportRequested, this, &MainWindow::openOldDataImport);
    m_settingsWindow->show();
}

ServerMigrationWindow *MainWindow::openServerMigration()
{
    if (m_services.mainLocation().isServer()) {
        QMessageBox::information(this, QStringLiteral("提示"), QStringLiteral("数据已经在数据库服务器上，不需要迁移。"));
        return nullptr;
    }
    delete m_migrationWindow;
    const QString mainFile = m_services.values().mainDataPath;
    const QString statsFile = m_services.values().statsDataPath;
    m_migrationWindow = new ServerMigrationWindow(
        [mainFile, statsFile](const ServerAddress &address, const DatabaseMigration::Progress &progress) {
            return DatabaseMigration::run(mainFile, statsFile, address, progress);
        },
        this);
    m_migrationWindow->show();
    return m_migrationWindow;
}

OldDataImportWindow *MainWindow::openOldDataImport()
{
    delete m_oldDataImportWindow;
    const DatabaseLocation main = m_services.mainLocation();
    const DatabaseLocation stats = m_services.statsLocation();
    const QString reportFolder = m_services.values().dataFolder;
    m_oldDataImportWindow = new OldDataImportWindow(
        [main, stats, reportFolder](const QString &oldMain, const QString &oldStats, const OldFileConversion::Options &options,
                                    const OldFileConversion::Progress &progress) {
            return OldFileConversion::importInto(oldMain, oldStats, main, stats, reportFolder, options, progress);
        },
        *m_files, this);
    m_oldDataImportWindow->show();
    return m_oldDataImportWindow;
}

void MainWindow::openAbout()
{
    openChild(QStringLiteral("Form10"), [this] {
        auto *about = new AboutWindow;
        connect(about, &AboutWindow::linkRequested, this, &MainWindow::openHelp);
        return about;
    });
}

void MainWindow::openCatalogue()
{
    openChild(QStringLiteral("Form3"), [this] {
        auto *catalogue = new CatalogueWindow(m_services.catalogue(), *m_files);
        connect(catalogue, &CatalogueWindow::linkRequested, this, &MainWindow::openHelp);
        return catalogue;
    });
}

void MainWindow::openHelp(const QUrl &url)
{
    if (!m_helpViewer)
        m_helpViewer = new HelpViewer(this);
    m_helpViewer->open(url);
}

BackupRestoreWindow *MainWindow::openBackups()
{
    delete m_backupWindow;
    m_backupWindow = new BackupRestoreWindow(m_services.backups(), this);
    connect(m_backupWindow, &BackupRestoreWindow::restoreConfirmed, this, &MainWindow::closeForRestore);
    m_backupWindow->show();
    return m_backupWindow;
}

bool MainWindow::closeWorkingWindows()
{
    // Nothing typed is lost on the way out: an unsaved prescription is offered for saving, and a
    // window that keeps unsaved edits the user did not give up keeps the program open.
    if (PrescriptionWindow *prescription = prescriptionWindow(); prescription && !prescription->mayLeaveCurrent())
        return false;
    // The working windows store what they keep (the log's margins) before the files are copied.
    for (QMdiSubWindow *sub : m_area->subWindowList()) {
        if (sub != m_prescription && !sub->close())
            return false;
    }
    return true;
}

void MainWindow::closeForRestore(const BackupEntry &entry)
{
    if (m_closing || !closeWorkingWindows())
        return;
    m_closing = true;
    if (m_settingsWindow)
        m_settingsWindow->close();
    if (m_prescription)
        m_prescription->hide();
    hide();
    emit restoreRequested(entry);
    emit finished(RestartExitCode);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    if (!closeWorkingWindows()) {
        event->ignore();
        return;
    }
    m_closing = true;
    if (m_settingsWindow)
        m_settingsWindow->close();
    if (m_backupWindow)
        m_backupWindow->close();
    if (m_prescription)
        m_prescription->hide();
    hide();
    BackupService::Outcome outcome;
    {
        BackupProgressWindow progress;
        progress.show();
        outcome = m_services.backups().backUp(QDate::currentDate(), ServerDump::findPgDump(),
                                              [&progress](int done, int total) { progress.report(done, total); });
    }
    const QStringList failures = outcome.failures;
    // The second place failing is told, but the backup on this computer is there.
    const QStringList shown = failures + outcome.warnings;
    if (!shown.isEmpty())
        QMessageBox::warning(nullptr, QStringLiteral("提示"), shown.join(QStringLiteral("\n\n")));
    event->accept();
    // Scripts and logs see a failed backup in the exit code.
    emit finished(failures.isEmpty() ? 0 : 1);
}
