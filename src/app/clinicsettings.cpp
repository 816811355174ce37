#include "app/clinicsettings.h"

#include "app/settingdefinitions.h"
#include "data/settingsrepository.h"

ClinicSettings::ClinicSettings(Database &main, QObject *parent)
    : QObject(parent)
    , m_main(main)
{
}

void ClinicSettings::ensureLoaded()
{
    if (m_loaded)
        return;
    m_values = SettingsRepository(m_main).load().value_or(QHash<QString, QString>());
    m_loaded = true;
}

QString ClinicSettings::value(const QString &name)
{
    ensureLoaded();
    const QString column = settingColumn(name);
    return m_values.value(column.isEmpty() ? name : column);
}

void ClinicSettings::setValue(const QString &name, const QString &value)
{
    ensureLoaded();
    const QString column = settingColumn(name);
    m_values.insert(column.isEmpty() ? name : column, value);
}

void ClinicSettings::discardEdits()
{
    m_loaded = false;
    m_values.clear();
}

WriteResult ClinicSettings::save()
{
    ensureLoaded();
    QHash<QString, QString> columns;
    for (const SettingDefinition &definition : settingDefinitions())
        columns.insert(definition.column, m_values.value(definition.column));
    const WriteResult result = SettingsRepository(m_main).save(columns);
    if (!result.ok)
        return result;
    const QString organisation = columns.value(QStringLiteral("单位名称"));
    discardEdits();
    emit organisationNameSaved(organisation);
    return result;
}

ClinicSettings::PasswordChange ClinicSettings::changePassword(const QString &oldPassword, const QString &newPassword,
                                                              QString *error)
{
    if (newPassword.trimmed().isEmpty())
        return PasswordChange::EmptyNewPassword;
    SettingsRepository repository(m_main);
    const auto stored = repository.password();
    if (!stored) {
        if (error)
            *error = QStringLiteral("无法读取设置：数据库打不开。");
        return PasswordChange::WriteFailed;
    }
    if (*stored != oldPassword.trimmed())
        return PasswordChange::WrongOldPassword;
    const WriteResult written = repository.setPassword(newPassword.trimmed());
    if (!written.ok) {
        if (error)
            *error = written.message;
        return PasswordChange::WriteFailed;
    }
    return PasswordChange::Changed;
}
