#include "prescription/safety/safetywarning.h"

SafetyWarning::Severity SafetyWarning::severityOf(Kind kind)
{
    switch (kind) {
    case Kind::Allergy:
    case Kind::EighteenIncompatibilities:
    case Kind::NineteenFears:
    case Kind::RawToxicHerb:
    case Kind::ToxicOverdose:
    case Kind::PregnancyForbidden:
        return Severity::Red;
    case Kind::CrossAllergy:
    case Kind::PregnancyCaution:
    case Kind::TooManyDrugs:
    case Kind::NoDiagnosis:
    case Kind::Unchecked:
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
    case Kind::RawToxicHerb:
        return QStringLiteral("毒性药生品内服");
    case Kind::ToxicOverdose:
        return QStringLiteral("毒性药超量");
    case Kind::PregnancyForbidden:
        return QStringLiteral("孕妇禁用");
    case Kind::CrossAllergy:
        return QStringLiteral("交叉过敏");
    case Kind::PregnancyCaution:
        return QStringLiteral("孕妇慎用");
    case Kind::TooManyDrugs:
        return QStringLiteral("药品超过限数");
    case Kind::NoDiagnosis:
        return QStringLiteral("未写诊断");
    case Kind::Unchecked:
        return QStringLiteral("未能检查");
    }
    return QString();
}
