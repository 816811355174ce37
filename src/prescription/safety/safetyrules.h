#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "prescription/safety/massquantity.h"
#include "prescription/safety/safetywarning.h"

// The rule sets of the safety check, read from the tab-separated files shipped in the program and
// from same-named files a clinic keeps in a folder of its own, whose rows are appended. The first
// comment line of each file names its source; every rule carries the source of its file.
class SafetyRules
{
public:
    struct HerbGroup
    {
        QString name;
        QStringList members;  // canonical herb names
    };
    struct Incompatibility
    {
        SafetyWarning::Kind kind = SafetyWarning::Kind::EighteenIncompatibilities;
        QString first;   // a group name or a herb name
        QString second;
        QString source;
    };
    struct DoseLimit
    {
        QString form;           // the herb as the pharmacopoeia names it: "制川乌"
        QStringList names;      // canonical names it is written as
        QString lowest;         // grams, as the file writes them
        QString highest;
        MassQuantity highestMass;
        QString note;
        QString source;
    };
    // A raw herb that is red whatever its dose when taken internally.
    struct RawToxicHerb
    {
        QString form;        // "生附子"
        QStringList names;   // canonical names it is written as
        QString note;        // how the pharmacopoeia has it used
        QString source;
    };
    struct AllergyClass
    {
        QString name;               // "青霉素类"
        QStringList historyWords;   // words of an allergy history that mean the whole class
        QStringList drugPatterns;   // what the names of its drugs contain: "西林"
        QString source;
    };
    // An allergy to one class that reaches the drugs of another.
    struct CrossAllergy
    {
        QString from;    // class names of allergyClasses()
        QString to;
        bool forbidden = false;  // 禁用: red; 慎用: amber
        QString basis;
        QString source;
    };
    struct PregnancyRule
    {
        bool forbidden = false;  // 孕妇禁用: red; 孕妇慎用: amber
        QString form;            // the herb as the pharmacopoeia names it
        QStringList names;       // canonical names, the form's first
        QString source;
    };
    struct DrugCountLimit
    {
        int maximum = 0;  // 0: no limit
        QString basis;
        QString source;
    };
    struct DiagnosisRule
    {
        bool required = false;
        QString basis;
        QString source;
    };

    static const QStringList &fileNames();

    // The files shipped in the program.
    static SafetyRules shipped();
    // The shipped files, then the same-named files in clinicFolder that exist.
    static SafetyRules load(const QString &clinicFolder);

    // Appends the rows of one rule file; origin names the file in problem reports and stands in
    // for a missing source line.
    void addFile(const QString &fileName, const QString &text, const QString &origin);

    const QList<HerbGroup> &herbGroups() const { return m_herbGroups; }
    const QList<Incompatibility> &incompatibilities() const { return m_incompatibilities; }
    const QList<DoseLimit> &doseLimits() const { return m_doseLimits; }
    const QList<RawToxicHerb> &rawToxicHerbs() const { return m_rawToxicHerbs; }
    const QList<AllergyClass> &allergyClasses() const { return m_allergyClasses; }
    const QList<CrossAllergy> &crossAllergies() const { return m_crossAllergies; }
    const QList<PregnancyRule> &pregnancyRules() const { return m_pregnancyRules; }
    const DrugCountLimit &westernDrugLimit() const { return m_westernDrugLimit; }
    const DiagnosisRule &diagnosisRule() const { return m_diagnosisRule; }

    // Lines that could not be read, "file line n: why"; the other lines still count.
    const QStringList &problems() const { return m_problems; }

private:
    // Each returns why the row could not be read, or nothing.
    QString addRow(const QString &fileName, const QStringList &cells, const QString &source);
    QString addHerbGroup(const QStringList &cells);
    QString addIncompatibility(const QStringList &cells, const QString &source);
    QString addDoseLimit(const QStringList &cells, const QString &source);
    QString addRawToxicHerb(const QStringList &cells, const QString &source);
    QString addAllergyClass(const QStringList &cells, const QString &source);
    QString addCrossAllergy(const QStringList &cells, const QString &source);
    QString addPregnancyRule(const QStringList &cells, const QString &source);
    QString addInspection(const QStringList &cells, const QString &source);
    void addFromFile(const QString &fileName, const QString &path, bool required);

    QList<HerbGroup> m_herbGroups;
    QList<Incompatibility> m_incompatibilities;
    QList<DoseLimit> m_doseLimits;
    QList<RawToxicHerb> m_rawToxicHerbs;
    QList<AllergyClass> m_allergyClasses;
    QList<CrossAllergy> m_crossAllergies;
    QList<PregnancyRule> m_pregnancyRules;
    DrugCountLimit m_westernDrugLimit;
    DiagnosisRule m_diagnosisRule;
    QStringList m_problems;
};
