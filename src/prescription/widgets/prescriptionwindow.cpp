#include "prescription/widgets/prescriptionwindow.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include "data/templatekinds.h"
#include "prescription/infusioncardform.h"
#include "prescription/patiententry.h"
#include "prescription/pickinsertion.h"
#include "prescription/prescriptionform.h"
#include "prescription/prescriptiondocument.h"
#include "prescription/prescriptionhistory.h"
#include "prescription/prescriptionsafety.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/printdecision.h"
#include "prescription/widgets/drugpickerpanel.h"
#include "prescription/widgets/historypanel.h"
#include "prescription/widgets/paperview.h"
#include "prescription/widgets/prescriptiontoolbar.h"
#include "prescription/widgets/pricedsheetview.h"
#include "prescription/widgets/recentdeletionsdialog.h"
#include "prescription/widgets/safetystrip.h"
#include "print/units.h"
#include "print/widgets/printservice.h"
#include "settings/clinicsettings.h"
#include "text/linebreaks.h"
#include "text/textboxlines.h"
#include "ui/widgets/formscale.h"
#include "ui/widgets/questionbox.h"
#include "ui/widgets/refusalmessage.h"

namespace {

const QString Title = QStringLiteral("提示");

struct UsageButton
{
    const char16_t *caption;
    int left;
    int width;
};
const UsageButton UsageButtons[] = {{u"静脉滴注", 60, 720},  {u"静脉推注", 960, 720}, {u"肌肉注射", 1860, 720},
                                    {u"入小壶", 3300, 540},  {u"雾化吸入", 4020, 720}, {u"皮试", 2760, 360}};

} // namespace

PrescriptionWindow::PrescriptionWindow(PrescriptionDocument &document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
    , m_sheet(document.sheet())
    , m_prompts(PrintPrompts::dialogs(this))
    , m_print(PrintService::systemPrinters(), m_prompts)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Quillon电子处方 - 处方录入"));
    // The designed client area, and a strip of safety warnings under it.
    setFixedSize(twipsSize(15015, 9495 + 420));

    const PrescriptionServices &services = m_document.services();
    const auto today = [this] { return m_document.services().now().date(); };
    m_pickList = std::make_unique<DrugPickList>(services.pickList, services.templates);
    m_entry = std::make_unique<PatientEntry>(m_sheet, services.patients, services.diagnoses, services.addresses, today);
    m_safety = std::make_unique<PrescriptionSafety>(SafetyRules::load(services.safetyRulesFolder), services.pickList);

    m_toolbar = new PrescriptionToolbar(this);
    m_toolbar->move(twips(60), 0);
    connect(m_toolbar, &PrescriptionToolbar::triggered, this, &PrescriptionWindow::runToolbarAction);
    // "打印" prints at once; its menu shows the page first.
    auto *printMenu = new QMenu(this);
    printMenu->addAction(QStringLiteral("打印预览"), this, [this] { printPrescription(true); });
    m_toolbar->button(PrescriptionToolbar::Print)->setMenu(printMenu);
    m_toolbar->button(PrescriptionToolbar::Print)->setPopupMode(QToolButton::MenuButtonPopup);

    m_picker = new DrugPickerPanel(*m_pickList, this);
    m_picker->move(0, 0);
    m_picker->lower();
    connect(m_picker, &DrugPickerPanel::categoryPressed, this, &PrescriptionWindow::pressCategory);
    connect(m_picker, &DrugPickerPanel::picked, this, &PrescriptionWindow::pick);

    m_historyPanel = new HistoryPanel(m_document.history(), today, this, this);
    m_historyPanel->move(0, twips(6420));
    connect(m_historyPanel, &HistoryPanel::reopenRequested, this, &PrescriptionWindow::reopen);
    connect(m_historyPanel, &HistoryPanel::deleteRequested, this, &PrescriptionWindow::deleteOnScreen);
    connect(m_historyPanel, &HistoryPanel::recentDeletionsRequested, this, [this] {
        RecentDeletionsDialog dialog(m_document.services().deletedRows, m_document.services().now, this);
        dialog.exec();
        // The history shows a prescription put back at once; the catalogue's lists reload by themselves.
        if (dialog.restoredPrescription())
            m_historyPanel->query();
    });
    connect(m_historyPanel, &HistoryPanel::patientHistoryRequested, this,
            [this] { m_historyPanel->patientHistory(m_sheet.field(PrescriptionSheet::Name)); });

    m_paper = new PaperView(m_sheet, *m_entry, this);
    m_paper->move(twips(3720), twips(840));
    connect(m_picker, &DrugPickerPanel::searchFocused, m_paper, &PaperView::hidePickLists);
    connect(m_paper, &PaperView::headerCompleted, this, [this] { m_picker->searchBox()->setFocus(); });
    connect(m_paper, &PaperView::bodyDoubleClicked, this, [this] {
        if (const int caret = m_sheet.layOutHerbs(); caret >= 0)
            m_paper->setBodyCaret(caret);
    });

    buildRightSide();

    m_safetyStrip = new SafetyStrip(this);
    m_safetyStrip->setGeometry(twipsRect(60, 9495, 14895, 400));
    connect(&m_sheet, &PrescriptionSheet::bodyChanged, this, &PrescriptionWindow::scheduleSafetyCheck);
    connect(&m_sheet, &PrescriptionSheet::kindChanged, this, &PrescriptionWindow::scheduleSafetyCheck);
    connect(&m_sheet, &PrescriptionSheet::idChanged, this, &PrescriptionWindow::scheduleSafetyCheck);
    connect(&m_sheet, &PrescriptionSheet::fieldChanged, this, [this](int field) {
        if (field == PrescriptionSheet::Allergy || field == PrescriptionSheet::Diagnosis)
            scheduleSafetyCheck();
    });

    // After a save or a settlement, wherever it was asked for: the history and the safety strip
    // follow what is stored.
    connect(&m_document, &PrescriptionDocument::saveAttempted, this, [this] {
        refreshHistory();
        checkSafety();
    });

    // Window load: the first prescription of the session, the history of the last month, the
    // first category listed.
    m_document.start();
    m_paper->setOrganisation(services.settings.value(Setting::OrganisationName));
    connect(&services.settings, &ClinicSettings::organisationNameSaved, m_paper, &PaperView::setOrganisation);
    m_historyPanel->query();
    m_picker->showCategory(0);
    // The caret waits in 姓名 when the window first shows.
    m_paper->field(PrescriptionSheet::Name)->setFocus();
}

PrescriptionSheet &PrescriptionWindow::sheet()
{
    return m_sheet;
}

bool PrescriptionWindow::hasUnsavedChanges() const
{
    return m_document.isModified();
}

bool PrescriptionWindow::mayLeaveCurrent()
{
    if (!m_document.holdsTyping() || !m_document.isModified())
        return true;
    QMessageBox question(QMessageBox::Question, Title, QStringLiteral("当前处方还没有保存。要先保存吗？"), QMessageBox::NoButton, this);
    QPushButton *save = question.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
    question.addButton(QStringLiteral("不保存"), QMessageBox::DestructiveRole);
    QPushButton *cancel = question.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    question.setDefaultButton(save);
    question.exec();
    if (question.clickedButton() == static_cast<QAbstractButton *>(cancel))
        return false;
    if (question.clickedButton() == static_cast<QAbstractButton *>(save))
        return saveWithLayout();
    return true;
}

PrescriptionWindow::~PrescriptionWindow() = default;

void PrescriptionWindow::buildRightSide()
{
    m_priced = new PricedSheetView(m_sheet, this);
    m_priced->move(twips(10080), twips(840));

    const struct
    {
        const char16_t *caption;
        int left;
        int width;
    } sheetButtons[] = {{u"划价结算", 10080, 1140}, {u"撤消结算", 11280, 1140}, {u"按斗位排序", 12480, 1080}, {u"自动划价帮助", 13620, 1335}};
    QList<QPushButton *> buttons;
    for (const auto &entry : sheetButtons) {
        auto *button = new QPushButton(QString::fromUtf16(entry.caption), this);
        button->setObjectName(QString::fromUtf16(entry.caption));
        button->setGeometry(twipsRect(entry.left, 5010, entry.width, 330));
        buttons.append(button);
    }
    connect(buttons[0], &QPushButton::clicked, this, &PrescriptionWindow::settle);
    connect(buttons[1], &QPushButton::clicked, this, &PrescriptionWindow::cancelSettlement);
    connect(buttons[2], &QPushButton::clicked, this, [this] { m_sheet.sortByDrawer(); });
    connect(buttons[3], &QPushButton::clicked, this, [this] { emit helpRequested(QStringLiteral("price")); });

    auto *card = new QGroupBox(QStringLiteral("输液注射卡"), this);
    card->setObjectName(QStringLiteral("InfusionCard"));
    card->setGeometry(twipsRect(10080, 5460, 4875, 3135));
    m_card = new QPlainTextEdit(card);
    m_card->setObjectName(QStringLiteral("text9"));
    m_card->setGeometry(twipsRect(90, 300, 4695, 2310));
    connect(m_card, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = LineBreaks::stored(m_card->toPlainText());
        if (text != m_sheet.cardText())
            m_sheet.setCardText(text);
    });
    connect(&m_sheet, &PrescriptionSheet::cardTextChanged, this, [this] {
        const QString shown = LineBreaks::shown(m_sheet.cardText());
        if (m_card->toPlainText() != shown)
            m_card->setPlainText(shown);
    });
    auto *printCardButton = new QPushButton(QStringLiteral("打印输液卡"), card);
    printCardButton->setObjectName(QStringLiteral("打印输液卡"));
    printCardButton->setGeometry(twipsRect(3480, 2670, 1305, 375));
    connect(printCardButton, &QPushButton::clicked, this, [this] { printCard(); });
    auto *previewCard = new QPushButton(QStringLiteral("预览"), card);
    previewCard->setObjectName(QStringLiteral("预览输液卡"));
    previewCard->setGeometry(twipsRect(2700, 2670, 720, 375));
    connect(previewCard, &QPushButton::clicked, this, [this] { printCard(true); });

    auto *usageCaption = new QLabel(QStringLiteral("插入用法"), this);
    usageCaption->adjustSize();
    usageCaption->move(twips(10080), twips(8850));
    auto *usages = new QWidget(this);
    usages->setObjectName(QStringLiteral("UsageButtons"));
    usages->setGeometry(twipsRect(10080, 9090, 4875, 375));
    for (const UsageButton &entry : UsageButtons) {
        const QString caption = QString::fromUtf16(entry.caption);
        auto *button = new QPushButton(caption, usages);
        button->setObjectName(caption);
        button->setGeometry(twipsRect(entry.left, 30, entry.width, 300));
        FormScale::fitCaption(button);
        connect(button, &QPushButton::clicked, this, [this, caption] {
            // A usage line goes at the end of the body, whatever the caret and the kind.
            m_sheet.setBody(m_sheet.body() + QStringLiteral("    用法：") + caption + QStringLiteral("  每日1次\r\n\r\n"));
        });
    }
}

void PrescriptionWindow::scheduleSafetyCheck()
{
    // Many changes of one action (a pick, a reopened prescription) give one check.
    if (m_safetyPending)
        return;
    m_safetyPending = true;
    QTimer::singleShot(0, this, &PrescriptionWindow::checkSafety);
}

void PrescriptionWindow::checkSafety()
{
    m_safetyPending = false;
    m_safetyStrip->show(m_safety->check(m_sheet, m_document.isStored()));
}

void PrescriptionWindow::mousePressEvent(QMouseEvent *event)
{
    m_historyPanel->hideMenu();
    QWidget::mousePressEvent(event);
}

void PrescriptionWindow::pressCategory(int category)
{
    if (m_document.selectCategory(category))
        m_priced->scrollToTop();
    m_picker->showCategory(category);
    m_picker->searchBox()->setFocus();
}

void PrescriptionWindow::pick(const DrugPickList::Item &item)
{
    const PickInsertion::Result result = PickInsertion::apply(m_picker->currentCategory(), m_sheet.kind(), m_sheet.body(),
                                                              m_paper->bodySelectionStart(), m_paper->bodyCaret(), item);
    if (result.changed) {
        m_sheet.setBody(result.body);
        m_paper->setBodyCaret(result.caret);
    }
    m_picker->resetSearch();
    m_paper->hidePickLists();
}

bool PrescriptionWindow::reportSave(const PrescriptionSaver::Result &result)
{
    if (result.saved()) {
        // The prescription is stored whole; only the patient register kept less.
        if (!result.notes.isEmpty())
            emit statusMessage(result.notes.join(QStringLiteral("；")));
        return true;
    }
    showRefusal(this, result.message(), result.isNotice());
    return false;
}

void PrescriptionWindow::showMessages(const Settlement::Result &result)
{
    reportSave(result.save);
    // The save's own message leads the list; the rest are warnings.
    const QStringList messages = result.messages();
    for (const QString &message : messages.mid(result.save.saved() ? 0 : 1))
        QMessageBox::warning(this, Title, message);
}

bool PrescriptionWindow::saveWithLayout()
{
    return reportSave(m_document.save());
}

void PrescriptionWindow::refreshHistory()
{
    m_historyPanel->query();
}

void PrescriptionWindow::runToolbarAction(int action)
{
    m_paper->hidePickLists();
    switch (action) {
    case PrescriptionToolbar::Save:
        saveWithLayout();
        return;
    case PrescriptionToolbar::New:
        startAnother(&PrescriptionDocument::newPrescription, m_paper->field(PrescriptionSheet::Name));
        return;
    case PrescriptionToolbar::Renew:
        startAnother(&PrescriptionDocument::renew, m_picker->searchBox());
        return;
    case PrescriptionToolbar::Copy:
        m_document.copy();
        m_picker->searchBox()->setFocus();
        return;
    case PrescriptionToolbar::Print:
        printPrescription();
        return;
    case PrescriptionToolbar::Log:
        emit logRequested();
        return;
    case PrescriptionToolbar::Statistics:
        emit statisticsRequested();
        return;
    case PrescriptionToolbar::MedicalRecord:
        emit medicalRecordRequested();
        return;
    case PrescriptionToolbar::SaveAsTemplate:
        emit saveAsTemplateRequested(m_sheet.kind() == PrescriptionKind::Chinese ? TemplateKinds::herbalFormula() : TemplateKinds::personalSet(),
                                     m_sheet.body());
        return;
    case PrescriptionToolbar::Help:
        emit helpRequested(QString());
        return;
    default:
        return;
    }
}

void PrescriptionWindow::startAnother(void (PrescriptionDocument::*start)(), QWidget *focus)
{
    if (!mayLeaveCurrent())
        return;
    (m_document.*start)();
    m_priced->scrollToTop();
    focus->setFocus();
}

void PrescriptionWindow::setPrinting(const PrinterSelection &printers, const PrintPrompts &prompts)
{
    m_prompts = prompts;
    m_print = PrintService(printers, prompts);
}

PrescriptionForm PrescriptionWindow::prescriptionForm()
{
    PrescriptionForm form = m_document.form();
    form.setSecondSignature(PrintDecision::of(m_safety->check(m_sheet, false)).needsSecondSignature());
    return form;
}

void PrescriptionWindow::printPrescription(bool preview)
{
    const QString printer = m_document.services().settings.value(Setting::PrescriptionPrinter);
    if (preview) {
        m_print.preview(prescriptionForm().printJob(printer), this, [this] { return confirmPrinting(); });
        return;
    }
    if (!confirmPrinting())
        return;
    // Made after the question: printing anyway saved the prescription, laying its herbs out.
    const PrescriptionForm form = prescriptionForm();
    if (form.bodyTooLong()
        && !m_prompts.confirm(QStringLiteral("处方内容超出了处方笺的书写范围，超出的部分会印在页脚上。\n仍要打印吗？")))
        return;
    m_print.print(form.printJob(printer));
}

void PrescriptionWindow::printCard(bool preview)
{
    ClinicSettings &settings = m_document.services().settings;
    InfusionCardForm form(m_sheet, settings.cardMargins());
    form.setCardLines(TextBoxLines(m_card->document()).lines());
    // The card has no printer of its own in the settings; it goes where the prescription goes.
    const PrintJob job = form.printJob(settings.value(Setting::PrescriptionPrinter));
    if (preview)
        m_print.preview(job, this, [this] { return confirmPrinting(); });
    else if (confirmPrinting())
        m_print.print(job);
}

bool PrescriptionWindow::confirmPrinting()
{
    const PrintDecision decision = PrintDecision::of(m_safety->check(m_sheet, false));
    if (!decision.mustAsk())
        return true;
    if (!m_prompts.confirmRisk || !m_prompts.confirmRisk(decision.question()))
        return false;
    // Printing anyway is kept with the prescription, so it must be stored.
    if (!saveWithLayout())
        return false;
    const WriteResult kept = m_document.keepPrintOverride(decision.overrideEntry(m_document.services().now()));
    if (!kept.ok) {
        QMessageBox::warning(this, Title, kept.fullText());
        return false;
    }
    return true;
}

void PrescriptionWindow::settle()
{
    m_priced->scrollToTop();
    showMessages(m_document.settle());
}

void PrescriptionWindow::cancelSettlement()
{
    showMessages(m_document.cancelSettlement());
}

void PrescriptionWindow::reopen(qint64 rowId)
{
    if (!mayLeaveCurrent())
        return;
    if (m_document.reopen(rowId))
        m_priced->scrollToTop();
    else
        QMessageBox::information(this, Title, QStringLiteral("这张处方已不在档案中（可能已被其他电脑删除），请重新查询。"));
    m_paper->hidePickLists();
}

void PrescriptionWindow::deleteOnScreen()
{
    const QString question = PrescriptionHistory::deleteQuestion(m_sheet.field(PrescriptionSheet::Name), m_sheet.field(PrescriptionSheet::Date));
    if (!QuestionBox::askOkCancel(this, question))
        return;
    const QString id = m_sheet.id();
    const WriteResult removed = m_document.remove();
    if (!removed.ok) {
        QMessageBox::warning(this, Title, removed.fullText());
        return;
    }
    m_historyPanel->removeEntry(id);
    m_priced->scrollToTop();
    m_paper->field(PrescriptionSheet::Name)->setFocus();
}
