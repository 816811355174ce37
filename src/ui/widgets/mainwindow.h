#pragma once

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class ClinicServices;
class FileChooser;
class HelpViewer;
class QMdiArea;
class QMdiSubWindow;
class SettingsWindow;

// The frame of the program: a multiple-document window whose menus open the working windows.
// Closing it backs the databases up and ends the program.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // `files` answers the windows' file dialogs; the system's dialogs when none is given.
    explicit MainWindow(ClinicServices &services, FileChooser *files = nullptr, QWidget *parent = nullptr);
    ~MainWindow() override;

    QMdiArea *mdiArea() const { return m_area; }
    // The child window with this object name ("Form2", "Form3" …), or null.
    QWidget *childWindow(const QString &objectName) const;
    SettingsWindow *settingsWindow() const;
    HelpViewer *helpViewer() const;

signals:
    // After the exit backup; the application ends on it, with a non-zero code when the backup failed.
    void finished(int exitCode);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    QAction *addItem(QMenu *menu, const QString &caption, const QKeySequence &shortcut, std::function<void()> action);
    // Discards an open instance of the window, then shows a fresh one.
    QWidget *openChild(const QString &objectName, const std::function<QWidget *()> &create);
    QWidget *openPlaceholder(const QString &objectName, const QString &caption, const QSize &size);
    void openTemplates(const QString &category);
    void showPrescriptionWindow();
    void centrePrescriptionWindow();
    void openCatalogue();
    void openSettings();
    void openAbout();
    void openHelp(const QUrl &url);

    ClinicServices &m_services;
    std::unique_ptr<FileChooser> m_ownFiles;
    FileChooser *m_files;
    QMdiArea *m_area;
    QPointer<QMdiSubWindow> m_prescription;
    QPointer<SettingsWindow> m_settingsWindow;
    QPointer<HelpViewer> m_helpViewer;
    bool m_closing = false;
};
