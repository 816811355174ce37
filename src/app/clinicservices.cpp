#include "app/clinicservices.h"

#include "app/backupservice.h"
#include "data/archiverepository.h"
#include "data/cataloguelookup.h"
#include "data/cataloguerepository.h"
#include "data/database.h"
#include "data/deletedrowsrepository.h"
#include "data/outpatientlogrepository.h"
#include "data/patientrepository.h"
#include "data/picklistrepository.h"
#include "data/statisticsrepository.h"
#include "data/tables.h"
#include "data/templaterepository.h"
#include "data/wordlistrepository.h"
#include "data/workloadrepository.h"
#include "maintenance/catalogueoptions.h"
#include "prescription/prescriptionservices.h"
#include "reports/usagestatisticscalculator.h"
#include "settings/clinicsettings.h"

ClinicServices::ClinicServices(const StartupValues &values, const QString &backupRoot)
    : m_values(values)
    , m_backupRoot(backupRoot)
    , m_backups(std::make_unique<BackupService>(values, backupRoot))
    , m_main(std::make_unique<Database>(values.mainLocation))
    , m_stats(std::make_unique<Database>(values.statsLocation))
    , m_settings(std::make_unique<ClinicSettings>(*m_main))
    , m_outpatientLog(std::make_unique<OutpatientLogRepository>(*m_main))
    , m_workload(std::make_unique<WorkloadRepository>(*m_main))
    // The statistics run on a thread of their own, with their own connection to the file.
    , m_usageStatistics(std::make_unique<UsageStatisticsCalculator>(m_stats->location(), Database::DefaultBusyTimeoutMs))
    , m_templates(std::make_unique<TemplateRepository>(*m_main))
    , m_diagnoses(std::make_unique<WordListRepository>(*m_main, Tables::diagnoses()))
    , m_addresses(std::make_unique<WordListRepository>(*m_main, Tables::addresses()))
    , m_pickList(std::make_unique<PickListRepository>(*m_main))
    , m_catalogueLookup(std::make_unique<CatalogueLookup>(*m_main))
    , m_catalogue(std::make_unique<CatalogueRepository>(*m_main))
    , m_patients(std::make_unique<PatientRepository>(*m_main))
    , m_archive(std::make_unique<ArchiveRepository>(*m_main))
    // Through the main file's connection: a settlement changes both files in one transaction.
    , m_statistics(std::make_unique<StatisticsRepository>(*m_main, m_stats->location()))
    , m_deletedRows(std::make_unique<DeletedRowsRepository>(*m_main, m_stats->location()))
{
}

PrescriptionServices ClinicServices::prescriptionServices()
{
    // A clinic adds its own safety rules in a folder beside its data.
    const QString rules = m_values.dataFolder.isEmpty() ? QString() : m_values.dataFolder + QStringLiteral("/安全规则");
    return PrescriptionServices{*m_settings, *m_pickList, *m_templates, *m_patients, *m_diagnoses, *m_addresses,
                                *m_archive,  *m_statistics, *m_catalogueLookup, *m_deletedRows, m_values.installationPrefix, rules};
}

ClinicServices::~ClinicServices() = default;

const DatabaseLocation &ClinicServices::mainLocation() const
{
    return m_main->location();
}

const DatabaseLocation &ClinicServices::statsLocation() const
{
    return m_stats->location();
}

void ClinicServices::preloadLists()
{
    m_patients->preload();
    m_pickList->preload();
    // The drug maintenance window opens on the Western drugs.
    m_catalogue->preload(CatalogueOptions::caption(CatalogueOptions::Western));
}
