#pragma once

#include <optional>

#include <QHash>
#include <QObject>
#include <QString>

#include "data/writeresult.h"
#include "settings/fontspec.h"
#include "settings/margins.h"
#include "settings/settingdefinitions.h"

class Database;

// The settings in force. Loads the stored row on the first read; while the settings window is
// open its edits are the settings in force, saved or not. Saving or discarding the edits makes
// the next read load the stored row again.
class ClinicSettings : public QObject
{
    Q_OBJECT

public:
    enum class PasswordChange { Changed, EmptyNewPassword, WrongOldPassword, WriteFailed };

    explicit ClinicSettings(Database &main, QObject *parent = nullptr);

    QString value(Setting key);
    // The stored value, or nothing when the settings row cannot be read (a window then keeps its
    // own default instead of taking an empty text for a stored one).
    std::optional<QString> storedValue(Setting key);
    // The settings read as the printouts use them.
    Margins prescriptionMargins() { return margins(Setting::PrescriptionLeftMargin, Setting::PrescriptionTopMargin); }
    Margins recordMargins() { return margins(Setting::RecordLeftMargin, Setting::RecordTopMargin); }
    Margins cardMargins() { return margins(Setting::CardLeftMargin, Setting::CardTopMargin); }
    FontSpec prescriptionFont();
    // An edit of the open settings window; takes effect for readers at once, stored only by save().
    void setValue(Setting key, const QString &value);
    // Drops unsaved edits (the window was cancelled or closed).
    void discardEdits();
    // Stores every setting of the settings window (never the password or the log margins); on
    // success the next read loads the stored row afresh.
    WriteResult save();
    // Stores the outpatient log's margins, which that window keeps on its own.
    WriteResult saveLogMargins(const QString &left, const QString &top);

    // Checks the old password as the login does and stores the new one trimmed.
    PasswordChange changePassword(const QString &oldPassword, const QString &newPassword, QString *error = nullptr);

signals:
    // The organisation name just saved; the prescription sheet puts it in its title line.
    void organisationNameSaved(const QString &name);

private:
    void ensureLoaded();
    Margins margins(Setting left, Setting top);

    Database &m_main;
    bool m_loaded = false;
    bool m_readable = false;
    QHash<QString, QString> m_values;
};
