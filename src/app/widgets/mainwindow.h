#pragma once

#include <functional>
#include <memory>

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include "app/backupcatalogue.h"
#include "ui/widgets/filechooser.h"

class BackupRestoreWindow;
class ClinicServices;
class HelpViewer;
class MedicalRecordWindow;
class PrescriptionDocument;
class PrescriptionWindow;
class QMdiArea;
class QMdiSubWindow;
class OldDataImportWindow;
class ServerMigrationWindow;
class SettingsWindow;
class TemplateWindow;

// The frame of the program: a multiple-document window whose menus open the working windows.
// Closing it backs the databases up and ends the program.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The code `finished` carries when the program is to start again on restored data.
    static constexpr int RestartExitCode = 75;

    // `files` answers the windows' file dialogs; the system's dialogs when none is given.
    explicit MainWindow(ClinicServices &services, FileChooser *files = nullptr, QWidget *parent = nullptr);
    ~MainWindow() override;

    QMdiArea *mdiArea() const { return m_area; }
    // The child window with this object name ("Form2", "Form3" …), or null.
    QWidget *childWindow(const QString &objectName) const;
    SettingsWindow *settingsWindow() const;
    HelpViewer *helpViewer() const;
    // The prescription window, made by the first resize and kept for the whole run.
    PrescriptionWindow *prescriptionWindow() const;
    // Opens template maintenance afresh on a kind ("个人组套", "中药方剂", "病历模板"), with a new
    // template holding `presetContent` when given (a prescription body saved as a set or formula).
    // Null when the open instance keeps unsaved edits the user did not discard.
    TemplateWindow *openTemplates(const QString &kind, const QString &presetContent = QString());
    // Opens the medical record of the prescription on the prescription window afresh; an open
    // record window closes first and leaves its sections with the prescription.
    MedicalRecordWindow *openMedicalRecord();
    // Opens the move of the data files onto a PostgreSQL server (from the settings window); null,
    // after saying so, when the data is on a server already.
    ServerMigrationWindow *openServerMigration();
    // Opens the import of the old program's files (from the settings window).
    OldDataImportWindow *openOldDataImport();
    // Opens the list of backups afresh (from the settings window).
    BackupRestoreWindow *openBackups();
    // Closes every window without the exit backup (the live pair is kept by the restore), then
    // hands the chosen backup on and finishes with RestartExitCode. Nothing happens while a
    // window keeps edits the user did not give up.
    void closeForRestore(const BackupEntry &entry);

signals:
    // After the exit backup; the application ends on it, with a non-zero code when the backup failed.
    void finished(int exitCode);
    // Just before finished(RestartExitCode): the backup to put in place once everything is closed.
    void restoreRequested(const BackupEntry &entry);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    QAction *addItem(QMenu *menu, const QString &caption, const QKeySequence &shortcut, std::function<void()> action);
    // Where a child window goes: most sit above the centre (childWindowPosition), the word lists in it.
    enum class Placement { Raised, Centred };
    // The frames holding a child window of this object name.
    QList<QMdiSubWindow *> framesOf(const QString &objectName) const;
    // Discards an open instance of the window, then shows a fresh one.
    QWidget *openChild(const QString &objectName, const std::function<QWidget *()> &create,
                       Placement placement = Placement::Raised);
    // Opened from the menu and, later, from the prescription window's toolbar.
    QWidget *openOutpatientLog();
    QWidget *openWorkload();
    // The physician a printed log book names.
    QString currentPhysician() const;
    void showPrescriptionWindow();
    void connectPrescriptionWindow(PrescriptionWindow *window);
    void triggerMenu(const QString &caption);
    void centrePrescriptionWindow();
    void openCatalogue();
    void openSettings();
    void openAbout();
    void openHelp(const QUrl &url);
    // Asks the working windows to close; false when one keeps the program open.
    bool closeWorkingWindows();

    ClinicServices &m_services;
    std::unique_ptr<FileChooser> m_ownFiles;
    FileChooser *m_files;
    QMdiArea *m_area;
    QPointer<QMdiSubWindow> m_prescription;
    // The prescription on screen, made with its window (a child of this window made after the
    // window area, so it outlives the windows working on it).
    QPointer<PrescriptionDocument> m_document;
    QPointer<SettingsWindow> m_settingsWindow;
    QPointer<ServerMigrationWindow> m_migrationWindow;
    QPointer<OldDataImportWindow> m_oldDataImportWindow;
    QPointer<HelpViewer> m_helpViewer;
    QPointer<BackupRestoreWindow> m_backupWindow;
    bool m_closing = false;
};
