#pragma once

#include "data/writeresult.h"

#include <QHash>
#include <QObject>
#include <QString>

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

    // A setting by its caption ("单位名称", "医    师" …) or by its column of 设置 ("日志上边距" …).
    QString value(const QString &name);
    // An edit of the open settings window; takes effect for readers at once, stored only by save().
    void setValue(const QString &name, const QString &value);
    // Drops unsaved edits (the window was cancelled or closed).
    void discardEdits();
    // Stores every setting of the window; on success the next read loads the stored row afresh.
    WriteResult save();

    // Checks the old password exactly as stored and stores the new one trimmed.
    PasswordChange changePassword(const QString &oldPassword, const QString &newPassword, QString *error = nullptr);

signals:
    // The organisation name just saved; the prescription sheet puts it in its title line.
    void organisationNameSaved(const QString &name);

private:
    void ensureLoaded();

    Database &m_main;
    bool m_loaded = false;
    QHash<QString, QString> m_values;
};
