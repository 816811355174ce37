#pragma once

#include <QList>
#include <QString>

// One warning of the safety check: what a careful colleague would point out. It never blocks.
struct SafetyWarning
{
    // In the order warnings are listed: the red kinds first.
    enum class Kind {
        Allergy,
        EighteenIncompatibilities,
        NineteenFears,
        RawToxicHerb,
        ToxicOverdose,
        PregnancyForbidden,
        CrossAllergy,
        PregnancyCaution,
        TooManyDrugs,
        NoDiagnosis,
        Unchecked,
    };
    enum class Severity { Red, Amber };

    static Severity severityOf(Kind kind);
    // The Chinese name of a kind, for the warning strip: "十八反", "毒性药超量", …
    static QString kindName(Kind kind);

    Kind kind = Kind::Allergy;
    Severity severity = Severity::Red;
    QList<int> items;  // indices into SafetyInput::items
    QString text;      // one line, names as the user sees them; the strip puts the kind's name before it
    QString rule;      // the rule that fired, for a tooltip
    QString source;    // where the rule comes from

    bool operator==(const SafetyWarning &) const = default;
};
