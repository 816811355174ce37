#pragma once

#include <functional>

#include <QDateTime>
#include <QString>

class ArchiveRepository;
class CatalogueLookup;
class DeletedRowsRepository;
class ClinicSettings;
class PatientRepository;
class PickListRepository;
class StatisticsRepository;
class TemplateRepository;
class WordListRepository;

// What the prescription window works with: the settings, the repositories of both files, the
// installation prefix of its ids and the clock.
struct PrescriptionServices
{
    ClinicSettings &settings;
    PickListRepository &pickList;
    TemplateRepository &templates;
    PatientRepository &patients;
    WordListRepository &diagnoses;
    WordListRepository &addresses;
    ArchiveRepository &archive;
    StatisticsRepository &statistics;
    CatalogueLookup &catalogue;
    // Deleted prescriptions and catalogue entries, kept so that a deletion can be undone.
    DeletedRowsRepository &deletedRows;
    QString installationPrefix;
    // A folder whose rule files extend the shipped safety rules; none when empty.
    QString safetyRulesFolder;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
};
