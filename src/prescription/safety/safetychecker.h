#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include "prescription/safety/safetyinput.h"
#include "prescription/safety/safetyrules.h"
#include "prescription/safety/safetywarning.h"

// Checks a prescription against the rule sets and lists what a careful colleague would point out:
// incompatible herbs, raw toxic herbs taken internally, toxic herbs above the pharmacopoeia's dose
// (a herb written twice counts once with both amounts), drugs the patient is allergic to or may be
// through a related class, herbs a pregnant patient must avoid, too many drugs, a missing
// diagnosis, and what could not be checked. It only warns; the prescription is never changed.
// The rules are indexed once here, so a check costs microseconds.
class SafetyChecker
{
public:
    explicit SafetyChecker(const SafetyRules &rules);

    // Warnings ordered by kind (the red ones first), then by the items involved.
    QList<SafetyWarning> check(const SafetyInput &input) const;

private:
    struct Opponent
    {
        int group;
        int rule;  // index into m_incompatibilities, the first listed wins
        bool ownSideFirst;  // the group holding this entry is the rule's first side
    };

    int groupFor(const QString &side, QHash<QString, int> &literalGroups);
    QList<int> groupsOf(const QStringList &forms) const;

    // herbForms: per item, herbNameForms() of a herb's name, nothing for other items.
    void checkAllergies(const SafetyInput &input, const QList<QStringList> &herbForms,
                        QList<SafetyWarning> &warnings) const;
    void checkIncompatibilities(const SafetyInput &input, const QList<QStringList> &herbForms,
                                QList<SafetyWarning> &warnings) const;
    void checkDoses(const SafetyInput &input, QList<SafetyWarning> &warnings) const;
    void checkPregnancy(const SafetyInput &input, const QList<QStringList> &herbForms,
                        QList<SafetyWarning> &warnings) const;
    void checkDrugCount(const SafetyInput &input, QList<SafetyWarning> &warnings) const;
    void checkDiagnosis(const SafetyInput &input, QList<SafetyWarning> &warnings) const;

    QStringList m_groupNames;
    QHash<QString, QList<int>> m_groupsByHerb;
    QList<QList<Opponent>> m_opponents;  // per group
    QList<SafetyRules::Incompatibility> m_incompatibilities;
    QHash<QString, int> m_doseByHerb;
    QList<SafetyRules::DoseLimit> m_doseLimits;
    QHash<QString, int> m_rawByHerb;
    QList<SafetyRules::RawToxicHerb> m_rawToxicHerbs;
    QList<SafetyRules::AllergyClass> m_allergyClasses;
    QList<SafetyRules::CrossAllergy> m_crossAllergies;
    QHash<QString, int> m_pregnancyByHerb;
    QList<SafetyRules::PregnancyRule> m_pregnancyRules;
    SafetyRules::DrugCountLimit m_westernDrugLimit;
    SafetyRules::DiagnosisRule m_diagnosisRule;
};
