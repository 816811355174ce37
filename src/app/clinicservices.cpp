#include "app/clinicservices.h"

#include "app/clinicsettings.h"
#include "data/cataloguerepository.h"
#include "data/database.h"

ClinicServices::ClinicServices(const StartupValues &values, const QString &backupRoot)
    : m_values(values)
    , m_backupRoot(backupRoot)
    , m_main(std::make_unique<Database>(values.mainDataPath))
    , m_stats(std::make_unique<Database>(values.statsDataPath))
    , m_settings(std::make_unique<ClinicSettings>(*m_main))
    , m_catalogue(std::make_unique<CatalogueRepository>(*m_main))
{
}

ClinicServices::~ClinicServices() = default;
