#pragma once

#include <memory>

#include <QString>

#include "app/startupvalues.h"

class ArchiveRepository;
class BackupService;
class CatalogueLookup;
class CatalogueRepository;
class ClinicSettings;
class Database;
class DeletedRowsRepository;
class OutpatientLogRepository;
class UsageStatisticsCalculator;
class WorkloadRepository;
class PatientRepository;
class PickListRepository;
class StatisticsRepository;
class TemplateRepository;
class WordListRepository;
struct PrescriptionServices;

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
    // The exit backup, the list of backups and their restore.
    BackupService &backups() { return *m_backups; }
    // Where the two databases are (files, or schemas on the server).
    const DatabaseLocation &mainLocation() const;
    const DatabaseLocation &statsLocation() const;

    ClinicSettings &settings() { return *m_settings; }
    OutpatientLogRepository &outpatientLog() { return *m_outpatientLog; }
    WorkloadRepository &workload() { return *m_workload; }
    UsageStatisticsCalculator &usageStatistics() { return *m_usageStatistics; }
    TemplateRepository &templates() { return *m_templates; }
    // The common diagnoses (诊断) and common addresses (地址).
    WordListRepository &diagnoses() { return *m_diagnoses; }
    WordListRepository &addresses() { return *m_addresses; }
    PickListRepository &pickList() { return *m_pickList; }
    CatalogueLookup &catalogueLookup() { return *m_catalogueLookup; }
    // The catalogue as the drug maintenance window edits it.
    CatalogueRepository &catalogue() { return *m_catalogue; }
    PatientRepository &patients() { return *m_patients; }
    ArchiveRepository &archive() { return *m_archive; }
    // The settled lines, in the statistics file.
    StatisticsRepository &statistics() { return *m_statistics; }
    // Deleted prescriptions and catalogue entries, for undoing a deletion.
    DeletedRowsRepository &deletedRows() { return *m_deletedRows; }

    // Reads the patient and catalogue lists on worker threads, once the user has logged in.
    void preloadLists();

    // What the prescription window works with.
    PrescriptionServices prescriptionServices();

private:
    StartupValues m_values;
    QString m_backupRoot;
    std::unique_ptr<BackupService> m_backups;
    std::unique_ptr<Database> m_main;
    std::unique_ptr<Database> m_stats;
    std::unique_ptr<ClinicSettings> m_settings;
    std::unique_ptr<OutpatientLogRepository> m_outpatientLog;
    std::unique_ptr<WorkloadRepository> m_workload;
    std::unique_ptr<UsageStatisticsCalculator> m_usageStatistics;
    std::unique_ptr<TemplateRepository> m_templates;
    std::unique_ptr<WordListRepository> m_diagnoses;
    std::unique_ptr<WordListRepository> m_addresses;
    std::unique_ptr<PickListRepository> m_pickList;
    std::unique_ptr<CatalogueLookup> m_catalogueLookup;
    std::unique_ptr<CatalogueRepository> m_catalogue;
    std::unique_ptr<PatientRepository> m_patients;
    std::unique_ptr<ArchiveRepository> m_archive;
    std::unique_ptr<StatisticsRepository> m_statistics;
    std::unique_ptr<DeletedRowsRepository> m_deletedRows;
};
