#include <cstdio>
#include <memory>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QIcon>
#include <QLocale>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QSysInfo>

#include "app/backupservice.h"
#include "app/clinicservices.h"
#include "app/commandline.h"
#include "app/createfolderpath.h"
#include "app/drivelayout.h"
#include "app/installationprefix.h"
#include "app/logfile.h"
#include "app/messagelog.h"
#include "app/qttranslations.h"
#include "app/singleinstance.h"
#include "app/startuproutine.h"
#include "app/widgets/loginwindow.h"
#include "app/widgets/mainwindow.h"
#include "app/widgets/olddataoffer.h"
#include "data/databaserepair.h"
#include "prescription/settlementrepair.h"
#include "print/cjkfonts.h"
#include "ui/widgets/questionbox.h"
#include "version.h"

namespace {

void tellRestore(const WriteResult &restored, const QString &kept, const QString &what)
{
    if (restored.ok) {
        qInfo().noquote() << QStringLiteral("已恢复%1，原来的数据保存在“%2”").arg(what, QDir::toNativeSeparators(kept));
        QMessageBox::information(nullptr, QStringLiteral("提示"),
                                 QStringLiteral("已恢复%1。\n原来的数据原样保存在“%2”。\n程序现在重新启动。").arg(what, QDir::toNativeSeparators(kept)));
    } else {
        qWarning().noquote() << QStringLiteral("恢复失败：") + restored.fullText();
        QMessageBox::warning(nullptr, QStringLiteral("提示"), restored.fullText());
    }
}

// A damaged live file: the newest good backup is offered once; true when it was put in place.
bool offerRestore(const StartupResult &startup)
{
    qWarning().noquote() << QStringLiteral("数据库文件损坏，提供恢复：") + startup.damagedFile;
    if (!QuestionBox::askWith(nullptr, StartupRoutine::restoreOfferText(startup), QStringLiteral("恢复"), QStringLiteral("不恢复"),
                              QMessageBox::Warning))
        return false;
    const BackupEntry &backup = *startup.restoreOffer;
    QString kept;
    const WriteResult restored = DatabaseRestore::restore({backup.mainFile(), backup.statsFile()}, startup.restorePair,
                                                          QDateTime::currentDateTime(), &kept);
    tellRestore(restored, kept, QStringLiteral(" %1 的备份").arg(backup.time.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    return restored.ok;
}

// Start-up, asked again while another computer holds a database file and the user wants to wait.
std::optional<StartupResult> startUp(const DriveLayout &drives)
{
    bool restoreOffered = false;
    for (;;) {
        StartupResult startup = StartupRoutine::run(drives, QPrinterInfo::defaultPrinterName(), installationPrefix());
        if (startup.restoreOffer && !restoreOffered) {
            restoreOffered = true;
            if (offerRestore(startup))
                continue;
        }
        if (startup.canRun())
            return startup;
        if (startup.oldDataFound) {
            // Converted files are checked like any others by the next round.
            if (!OldDataOffer::run(startup.values.dataFolder, startup.oldDataExplanation))
                return std::nullopt;
            continue;
        }
        qCritical().noquote() << QStringLiteral("启动失败：") + startup.fatalError;
        if (!startup.retryable) {
            QMessageBox::critical(nullptr, QStringLiteral("提示"), startup.fatalError);
            return std::nullopt;
        }
        if (!QuestionBox::askWith(nullptr, startup.fatalError, QStringLiteral("重试"), QStringLiteral("退出"), QMessageBox::Warning))
            return std::nullopt;
    }
}

// Leftovers of earlier versions (a settlement or deletion cut off between the two files), told once.
void offerSettlementRepair(ClinicServices &services, QWidget *parent)
{
    SettlementRepair repair(services.archive(), services.statistics(), services.catalogueLookup());
    if (repair.checkedBefore())
        return;
    const std::optional<SettlementRepair::Findings> findings = repair.find();
    if (!findings || findings->isEmpty())
        return;
    const QString question = SettlementRepair::question(*findings);
    WriteResult mended;
    if (findings->withoutLines.isEmpty()) {
        QMessageBox::information(parent, QStringLiteral("提示"), question);
        mended = repair.removeOrphans(*findings);
    } else if (QuestionBox::askYesNo(parent, question, true)) {
        mended = repair.mend(*findings);
    } else {
        mended = repair.removeOrphans(*findings);
    }
    if (!mended.ok)
        QMessageBox::warning(parent, QStringLiteral("提示"), QStringLiteral("用药统计没有修复，下次启动时会再检查：\n") + mended.fullText());
}

// Damage the last exit backup found: the user decides whether the indexes are rebuilt now.
void offerRepair(const QString &path)
{
    if (!QuestionBox::askYesNo(nullptr, StartupRoutine::damageRecordedText(path), false))
        return;
    QString kept;
    const WriteResult repaired = DatabaseRepair::reindex(path, QDateTime::currentDateTime(), &kept);
    if (repaired.ok)
        QMessageBox::information(nullptr, QStringLiteral("提示"),
                                 QStringLiteral("索引已重建，数据库检查完好。\n损坏文件的副本保留在“%1”。").arg(QDir::toNativeSeparators(kept)));
    else
        QMessageBox::warning(nullptr, QStringLiteral("提示"), repaired.fullText());
}

int printed(const CommandLine &commandLine)
{
    std::FILE *stream = commandLine.action == CommandLine::Action::Refuse ? stderr : stdout;
    std::fputs(commandLine.text.toLocal8Bit().constData(), stream);
    if (!commandLine.text.endsWith(QLatin1Char('\n')))
        std::fputc('\n', stream);
    return commandLine.exitCode();
}

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/quillon-%1.png").arg(size), QSize(size, size));
    return icon;
}

// A later start on the same data folder: the window in use comes to the front.
void bringToFront(QWidget *window)
{
    if (QWidget *modal = QApplication::activeModalWidget())
        window = modal;
    // A main window already closing (its exit backup running) is not shown again.
    if (!window->isVisible())
        return;
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->raise();
    window->activateWindow();
    QApplication::alert(window);
}

} // namespace

int main(int argc, char *argv[])
{
    // Read before Qt starts: --help and --version need neither a screen nor a data folder.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine commandLine = CommandLine::parse(arguments);
    if (commandLine.action != CommandLine::Action::Run)
        return printed(commandLine);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
    QApplication::setWindowIcon(programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillon.Quillon"));
    CjkFonts::installSubstitutions();
    QApplication::setFont(CjkFonts::interfaceFont(QApplication::font()));
    // Qt's dialogs write dates and sizes as a Chinese reader expects, whatever the system's language.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QtTranslations::install(app, QtTranslations::folders(QCoreApplication::applicationDirPath()));
    // The program ends only through the main window's exit or the login window's cancel.
    QApplication::setQuitOnLastWindowClosed(false);

    DriveLayout drives = DriveLayout::forThisComputer();
    drives.dataFolder = commandLine.dataFolder;
    const QString dataFolder = StartupRoutine::chooseDataFolder(drives);
    // A folder that cannot be made is reported by the start-up below.
    createFolderPath(dataFolder);
    SingleInstance instance(dataFolder);
    switch (instance.claim()) {
    case SingleInstance::Claim::Claimed:
    case SingleInstance::Claim::Unavailable:
        break;
    case SingleInstance::Claim::RunningElsewhereAsked:
        return 0;
    case SingleInstance::Claim::RunningElsewhereSilent:
        QMessageBox::information(nullptr, QStringLiteral("提示"),
                                 QStringLiteral("电子处方已经打开，正在使用数据文件夹“%1”。\n请使用已打开的窗口。")
                                     .arg(QDir::toNativeSeparators(dataFolder)));
        return 0;
    }
    LogFile logFile(dataFolder, QSysInfo::machineHostName());
    const MessageLog messageLog(logFile);
    qInfo().noquote() << QStringLiteral("启动：版本 %1，数据文件夹“%2”").arg(QStringLiteral(QUILLON_VERSION), QDir::toNativeSeparators(dataFolder));

    // A restore closes every window, replaces the files with nothing open on them, and starts the
    // run again from the start-up checks and the login.
    for (;;) {
        const std::optional<StartupResult> startup = startUp(drives);
        if (!startup)
            return 1;
        for (const QString &notice : startup->notices) {
            qWarning().noquote() << notice;
            QMessageBox::information(nullptr, QStringLiteral("提示"), notice);
        }
        for (const QString &warning : startup->warnings) {
            qWarning().noquote() << warning;
            QMessageBox::warning(nullptr, QStringLiteral("提示"), warning);
        }
        for (const QString &damaged : startup->damagedFiles)
            offerRepair(damaged);

        std::optional<BackupEntry> pendingRestore;
        int code = 0;
        {
            ClinicServices services(startup->values, drives.backupRoot());
            LoginWindow login(startup->values.password);
            std::unique_ptr<MainWindow> mainWindow;
            QObject::connect(&login, &LoginWindow::cancelled, &app, &QApplication::quit, Qt::QueuedConnection);
            QObject::connect(&login, &LoginWindow::loggedIn, &app, [&] {
                services.preloadLists();
                mainWindow = std::make_unique<MainWindow>(services);
                QObject::connect(mainWindow.get(), &MainWindow::restoreRequested, &app, [&](const BackupEntry &entry) { pendingRestore = entry; });
                QObject::connect(mainWindow.get(), &MainWindow::finished, &app, &QApplication::exit, Qt::QueuedConnection);
                // Fill the screen even where no window manager honours the maximised state.
                if (const QScreen *screen = QGuiApplication::primaryScreen())
                    mainWindow->setGeometry(screen->availableGeometry());
                mainWindow->showMaximized();
                offerSettlementRepair(services, mainWindow.get());
            });
            QObject::connect(&instance, &SingleInstance::activationRequested, &login, [&] {
                qInfo().noquote() << QStringLiteral("再次启动：已切换到本窗口");
                bringToFront(mainWindow ? static_cast<QWidget *>(mainWindow.get()) : &login);
            });
            login.show();
            qInfo().noquote() << QStringLiteral("登录窗口已打开");
            code = app.exec();
            mainWindow.reset();
        }
        if (code != MainWindow::RestartExitCode || !pendingRestore) {
            qInfo().noquote() << QStringLiteral("程序结束（代码 %1）").arg(code);
            return code;
        }
        // Every connection of the run is closed now: the files can be replaced.
        const BackupService backups(startup->values, drives.backupRoot());
        QString kept;
        const WriteResult restored = backups.restore(*pendingRestore, QDateTime::currentDateTime(), &kept);
        tellRestore(restored, kept, QStringLiteral(" %1 的备份").arg(pendingRestore->time.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
        qInfo().noquote() << QStringLiteral("程序重新启动");
    }
}
