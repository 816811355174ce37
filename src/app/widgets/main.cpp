#include <memory>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>

#include "app/clinicservices.h"
#include "app/drivelayout.h"
#include "app/installationprefix.h"
#include "app/startuproutine.h"
#include "app/widgets/loginwindow.h"
#include "app/widgets/mainwindow.h"
#include "data/databaserepair.h"
#include "print/cjkfonts.h"
#include "version.h"

namespace {

// Start-up, asked again while another computer holds a database file and the user wants to wait.
std::optional<StartupResult> startUp(const DriveLayout &drives)
{
    for (;;) {
        StartupResult startup = StartupRoutine::run(drives, QPrinterInfo::defaultPrinterName(), installationPrefix());
        if (startup.canRun())
            return startup;
        if (!startup.retryable) {
            QMessageBox::critical(nullptr, QStringLiteral("提示"), startup.fatalError);
            return std::nullopt;
        }
        QMessageBox box(QMessageBox::Warning, QStringLiteral("提示"), startup.fatalError);
        QPushButton *retry = box.addButton(QStringLiteral("重试"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("退出"), QMessageBox::RejectRole);
        box.exec();
        if (box.clickedButton() != static_cast<QAbstractButton *>(retry))
            return std::nullopt;
    }
}

// Damage the last exit backup found: the user decides whether the indexes are rebuilt now.
void offerRepair(const QString &path)
{
    const QMessageBox::StandardButton answer = QMessageBox::question(nullptr, QStringLiteral("提示"), StartupRoutine::damageRecordedText(path),
                                                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    QString kept;
    const WriteResult repaired = DatabaseRepair::reindex(path, QDateTime::currentDateTime(), &kept);
    if (repaired.ok)
        QMessageBox::information(nullptr, QStringLiteral("提示"),
                                 QStringLiteral("索引已重建，数据库检查完好。\n损坏文件的副本保留在“%1”。").arg(QDir::toNativeSeparators(kept)));
    else
        QMessageBox::warning(nullptr, QStringLiteral("提示"), repaired.fullText());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
    CjkFonts::installSubstitutions();
    // The program ends only through the main window's exit or the login window's cancel.
    QApplication::setQuitOnLastWindowClosed(false);

    const DriveLayout drives = DriveLayout::forThisComputer();
    const std::optional<StartupResult> startup = startUp(drives);
    if (!startup)
        return 1;
    for (const QString &notice : startup->notices)
        QMessageBox::information(nullptr, QStringLiteral("提示"), notice);
    for (const QString &warning : startup->warnings)
        QMessageBox::warning(nullptr, QStringLiteral("提示"), warning);
    for (const QString &damaged : startup->damagedFiles)
        offerRepair(damaged);

    ClinicServices services(startup->values, drives.backupRoot());
    LoginWindow login(startup->values.password);
    std::unique_ptr<MainWindow> mainWindow;
    QObject::connect(&login, &LoginWindow::cancelled, &app, &QApplication::quit, Qt::QueuedConnection);
    QObject::connect(&login, &LoginWindow::loggedIn, &app, [&] {
        services.preloadLists();
        mainWindow = std::make_unique<MainWindow>(services);
        QObject::connect(mainWindow.get(), &MainWindow::finished, &app, &QApplication::exit, Qt::QueuedConnection);
        // Fill the screen even where no window manager honours the maximised state.
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            mainWindow->setGeometry(screen->availableGeometry());
        mainWindow->showMaximized();
    });
    login.show();
    const int code = app.exec();
    mainWindow.reset();
    return code;
}
