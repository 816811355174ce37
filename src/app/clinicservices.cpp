#include "app/clinicservices.h"

#include "app/clinicsettings.h"
#include "data/archiverepository.h"
#include "data/cataloguelookup.h"
#include "data/cataloguerepository.h"
#include "data/database.h"
#include "data/patientrepository.h"
#include "data/picklistrepository.h"
#include "data/statisticsrepository.h"
#include "data/tables.h"
#include "data/templaterepository.h"
#include "data/wordlistrepository.h"
#include "prescription/prescriptionservices.h"

ClinicServices::ClinicServices(const StartupValues &values, const QString &backupRoot)
    : m_values(values)
    , m_backupRoot(backupRoot)
    , m_main(std::make_unique<Database>(values.mainDataPath))
    , m_stats(std::make_unique<Database>(values.statsDataPath))
    , m_settings(std::make_unique<ClinicSettings>(*m_main))
    , m_templates(std::make_unique<TemplateRepository>(*m_main))
    , m_diagnoses(std::make_unique<WordListRepository>(*m_main, Tables::diagnoses()))
    , m_addresses(std::make_unique<WordListRepository>(*m_main, Tables::addresses()))
    , m_pickList(std::make_unique<PickListRepository>(*m_main))
    , m_catalogueLookup(std::make_unique<CatalogueLookup>(*m_main))
    , m_catalogue(std::make_unique<CatalogueRepository>(*m_main))
    , m_patients(std::make_unique<PatientRepository>(*m_main))
    , m_archive(std::make_unique<ArchiveRepository>(*m_main))
    , m_statistics(std::make_unique<StatisticsRepository>(*m_stats))
{
}

PrescriptionServices ClinicServices::prescriptionServices()
{
    return PrescriptionServices{*m_settings, *m_pickList, *m_templates, *m_patients, *m_diagnoses, *m_addresses,
                                *m_archive,  *m_statistics, *m_catalogueLookup, m_values.installationPrefix};
}

ClinicServices::~ClinicServices() = default;
