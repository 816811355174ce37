#pragma once

#include <QHash>
#include <QWidget>

#include "settings/settingdefinitions.h"

class ClinicSettings;
class QComboBox;
class QLineEdit;
class QSpinBox;
class SecondBackupPlace;

// The window "综合设置": edits the settings row. While it is open its fields are the settings
// in force; save stores them, cancel or closing drops the edits.
class SettingsWindow : public QWidget
{
    Q_OBJECT

public:
    // With `backupPlace`, the window also edits this computer's second place for the exit backup.
    SettingsWindow(ClinicSettings &settings, const QString &startupPrinterName, QWidget *parent = nullptr,
                   SecondBackupPlace *backupPlace = nullptr);

    // The field bound to a column of 设置 (a QLineEdit or QComboBox), for the window's users and tests.
    QWidget *field(const QString &column) const { return m_fields.value(column); }

signals:
    // The user asked to move the data from the files onto a PostgreSQL server.
    void migrationRequested();
    // The user asked to import the old program's files.
    void oldDataImportRequested();
    // The user asked for the list of backups.
    void backupsRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *addLine(const SettingDefinition &definition);
    QWidget *addCombo(const SettingDefinition &definition, const QStringList &items, const QString &emptyFallback);
    void load();
    void save();
    void changePassword();

    ClinicSettings &m_settings;
    QString m_startupPrinterName;
    QHash<QString, QWidget *> m_fields;
    QHash<QString, Setting> m_keys;
    QLineEdit *m_oldPassword = nullptr;
    QLineEdit *m_newPassword = nullptr;
    SecondBackupPlace *m_backupPlace = nullptr;
    QLineEdit *m_backupFolder = nullptr;
    QSpinBox *m_backupDays = nullptr;
    bool m_loading = false;
    bool m_saved = false;
};
