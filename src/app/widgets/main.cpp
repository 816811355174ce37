#include <memory>

#include <QApplication>
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

    ClinicServices services(startup->values, drives.backupRoot());
    LoginWindow login(startup->values.password);
    std::unique_ptr<MainWindow> mainWindow;
    QObject::connect(&login, &LoginWindow::cancelled, &app, &QApplication::quit, Qt::QueuedConnection);
    QObject::connect(&login, &LoginWindow::loggedIn, &app, [&] {
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
