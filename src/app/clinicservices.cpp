#include "app/clinicservices.h"

#include "app/clinicsettings.h"
#include "data/database.h"
#include "data/outpatientlogrepository.h"
#include "data/workloadrepository.h"
#include "reports/usagestatisticscalculator.h"
#include "data/tables.h"
#include "data/templaterepository.h"
#include "data/wordlistrepository.h"

ClinicServices::ClinicServices(const StartupValues &values, const QString &backupRoot)
    : m_values(values)
    , m_backupRoot(backupRoot)
    , m_main(std::make_unique<Database>(values.mainDataPath))
    , m_stats(std::make_unique<Database>(values.statsDataPath))
    , m_settings(std::make_unique<ClinicSettings>(*m_main))
    , m_outpatientLog(std::make_unique<OutpatientLogRepository>(*m_main))
    , m_workload(std::make_unique<WorkloadRepository>(*m_main))
    // The statistics run on a thread of their own, with their own connection to the file.
    , m_usageStatistics(std::make_unique<UsageStatisticsCalculator>(values.statsDataPath, Database::DefaultBusyTimeoutMs))
    , m_templates(std::make_unique<TemplateRepository>(*m_main))
    , m_diagnoses(std::make_unique<WordListRepository>(*m_main, Tables::diagnoses()))
    , m_addresses(std::make_unique<WordListRepository>(*m_main, Tables::addresses()))
{
}

ClinicServices::~ClinicServices() = default;
