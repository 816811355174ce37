#include "settings/clinicsettings.h"

#include "data/settingsrepository.h"
#include "settings/passwordcheck.h"

ClinicSettings::ClinicSettings(Database &main, QObject *parent)
    : QObject(parent)
    , m_main(main)
{
}

void ClinicSettings::ensureLoaded()
{
    if (m_loaded)
        return;
    const std::optional<QHash<QString, QString>> stored = SettingsRepository(m_main).load();
    m_values = stored.value_or(QHash<QString, QString>());
    m_readable = stored.has_value();
    m_loaded = true;
}

QString ClinicSettings::value(Setting key)
{
    ensureLoaded();
    return m_values.value(settingDefinition(key).column);
}

std::optional<QString> ClinicSettings::storedValue(Setting key)
{
    ensureLoaded();
    if (!m_readable)
        return std::nullopt;
    return m_values.value(settingDefinition(key).column);
}

Margins ClinicSettings::margins(Setting left, Setting top)
{
    return Margins::fromTexts(value(left), value(top));
}

FontSpec ClinicSettings::prescriptionFont()
{
    return FontSpec::fromTexts(value(Setting::PrescriptionFont), value(Setting::PrescriptionFontSize));
}

void ClinicSettings::setValue(Setting key, const QString &value)
{
    ensureLoaded();
    m_values.insert(settingDefinition(key).column, value);
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
    for (const SettingDefinition &definition : settingDefinitions()) {
        if (definition.group != SettingDefinition::Group::NotInWindow)
            columns.insert(definition.column, m_values.value(definition.column));
    }
    const WriteResult result = SettingsRepository(m_main).save(columns, settingCaption);
    if (!result.ok)
        return result;
    const QString organisation = columns.value(settingDefinition(Setting::OrganisationName).column);
    discardEdits();
    emit organisationNameSaved(organisation);
    return result;
}

WriteResult ClinicSettings::saveLogMargins(const QString &left, const QString &top)
{
    const WriteResult result = SettingsRepository(m_main).save(
        {{settingDefinition(Setting::LogLeftMargin).column, left}, {settingDefinition(Setting::LogTopMargin).column, top}},
        settingCaption);
    if (result.ok && m_loaded) {
        m_values.insert(settingDefinition(Setting::LogLeftMargin).column, left);
        m_values.insert(settingDefinition(Setting::LogTopMargin).column, top);
    }
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
            *error = QStringLiteral("无法读取原密码：设置表无法读取或已损坏。");
        return PasswordChange::WriteFailed;
    }
    if (!passwordMatches(oldPassword, *stored))
        return PasswordChange::WrongOldPassword;
    const WriteResult written = repository.setPassword(newPassword.trimmed());
    if (!written.ok) {
        if (error)
            *error = written.message;
        return PasswordChange::WriteFailed;
    }
    return PasswordChange::Changed;
}
