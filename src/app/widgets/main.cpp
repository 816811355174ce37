#include "app/clinicsettings.h"
#include "app/drivelayout.h"
#include "app/installationprefix.h"
#include "app/widgets/loginwindow.h"
#include "app/startuproutine.h"
#include "data/database.h"
#include "print/cjkfonts.h"
#include "ui/widgets/mainwindow.h"
#include "version.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QScreen>

#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
    CjkFonts::installSubstitutions();
    // The program ends only through the main window's exit or the login window's cancel.
    QApplication::setQuitOnLastWindowClosed(false);

    const DriveLayout drives = DriveLayout::forThisComputer();
    const StartupResult startup = StartupRoutine::run(drives, QPrinterInfo::defaultPrinterName(), installationPrefix());
    if (!startup.canRun()) {
        QMessageBox::critical(nullptr, QStringLiteral("提示"), startup.fatalError);
        return 1;
    }
    for (const QString &notice : startup.notices)
        QMessageBox::information(nullptr, QStringLiteral("提示"), notice);

    Database mainDb(startup.values.mainDataPath);
    Database statsDb(startup.values.statsDataPath);
    ClinicSettings settings(mainDb);

    LoginWindow login(startup.values.password);
    std::unique_ptr<MainWindow> mainWindow;
    QObject::connect(&login, &LoginWindow::cancelled, &app, &QApplication::quit, Qt::QueuedConnection);
    QObject::connect(&login, &LoginWindow::loggedIn, &app, [&] {
        MainWindowContext context;
        context.values = startup.values;
        context.mainDb = &mainDb;
        context.statsDb = &statsDb;
        context.settings = &settings;
        context.backupRoot = drives.backupRoot();
        mainWindow = std::make_unique<MainWindow>(context);
        QObject::connect(mainWindow.get(), &MainWindow::finished, &app, &QApplication::quit, Qt::QueuedConnection);
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
