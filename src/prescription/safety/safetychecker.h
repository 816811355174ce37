#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include "prescription/safety/safetyinput.h"
#include "prescription/safety/safetyrules.h"
#include "prescription/safety/safetywarning.h"

// Checks a prescription against the rule sets and lists what a careful colleague would point out:
// incompatible herbs, toxic herbs above the pharmacopoeia's dose, drugs the patient is allergic
// to, too many drugs, a missing diagnosis. It only warns; the prescription is never changed.
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
    };

    int groupFor(const QString &side, QHash<QString, int> &literalGroups);
    QList<int> groupsOf(const QStringList &forms) const;

    // herbForms: per item, herbNameForms() of a herb's name, nothing for other items.
    void checkAllergies(const SafetyInput &input, const QList<QStringList> &herbForms,
                        QList<SafetyWarning> &warnings) const;
    void checkIncompatibilities(const SafetyInput &input, const QList<QStringList> &herbForms,
                                QList<SafetyWarning> &warnings) const;
    void checkDoses(const SafetyInput &input, QList<SafetyWarning> &warnings) const;
    void checkDrugCount(const SafetyInput &input, QList<SafetyWarning> &warnings) const;
    void checkDiagnosis(const SafetyInput &input, QList<SafetyWarning> &warnings) const;

    QStringList m_groupNames;
    QHash<QString, QList<int>> m_groupsByHerb;
    QList<QList<Opponent>> m_opponents;  // per group
    QList<SafetyRules::Incompatibility> m_incompatibilities;
    QHash<QString, int> m_doseByHerb;
    QList<SafetyRules::DoseLimit> m_doseLimits;
    QList<SafetyRules::AllergyClass> m_allergyClasses;
    SafetyRules::DrugCountLimit m_westernDrugLimit;
    SafetyRules::DiagnosisRule m_diagnosisRule;
};
