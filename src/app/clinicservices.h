#pragma once

#include "app/startupvalues.h"

#include <QString>

#include <memory>

class CatalogueRepository;
class ClinicSettings;
class Database;

// The services and repositories the windows work with, made once after start-up from the two
// database files. Windows receive the ones they need, never a database.
class ClinicServices
{
public:
    ClinicServices(const StartupValues &values, const QString &backupRoot);
    ~ClinicServices();
    ClinicServices(const ClinicServices &) = delete;
    ClinicServices &operator=(const ClinicServices &) = delete;

    const StartupValues &values() const { return m_values; }
    // Where the exit backup puts its weekday folders.
    const QString &backupRoot() const { return m_backupRoot; }

    ClinicSettings &settings() { return *m_settings; }
    CatalogueRepository &catalogue() { return *m_catalogue; }

private:
    StartupValues m_values;
    QString m_backupRoot;
    std::unique_ptr<Database> m_main;
    std::unique_ptr<Database> m_stats;
    std::unique_ptr<ClinicSettings> m_settings;
    std::unique_ptr<CatalogueRepository> m_catalogue;
};
