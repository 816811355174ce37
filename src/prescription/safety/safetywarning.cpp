#include "prescription/safety/safetywarning.h"

SafetyWarning::Severity SafetyWarning::severityOf(Kind kind)
{
    switch (kind) {
    case Kind::Allergy:
    case Kind::EighteenIncompatibilities:
    case Kind::NineteenFears:
    case Kind::ToxicOverdose:
        return Severity::Red;
    case Kind::TooManyDrugs:
    case Kind::NoDiagnosis:
        return Severity::Amber;
    }
    return Severity::Red;
}

QString SafetyWarning::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Allergy:
        return QStringLiteral("过敏");
    case Kind::EighteenIncompatibilities:
        return QStringLiteral("十八反");
    case Kind::NineteenFears:
        return QStringLiteral("十九畏");
    case Kind::ToxicOverdose:
        return QStringLiteral("毒性药超量");
    case Kind::TooManyDrugs:
        return QStringLiteral("药品超过限数");
    case Kind::NoDiagnosis:
        return QStringLiteral("未写诊断");
    }
    return QString();
}
