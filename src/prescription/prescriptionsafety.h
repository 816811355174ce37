#pragma once

#include <QList>

#include "prescription/safety/safetychecker.h"
#include "prescription/safety/safetyinput.h"
#include "prescription/safety/safetyrules.h"

class PickListRepository;
class PrescriptionSheet;

// The safety warnings of the prescription on screen. The body is read with the same item rules
// pricing uses; the catalogue tells a charge item from a drug. Nothing on the sheet changes.
class PrescriptionSafety
{
public:
    PrescriptionSafety(const SafetyRules &rules, PickListRepository &catalogue);

    SafetyInput inputOf(const PrescriptionSheet &sheet, bool forSaving);
    QList<SafetyWarning> check(const PrescriptionSheet &sheet, bool forSaving);
    static bool hasRed(const QList<SafetyWarning> &warnings);

private:
    SafetyChecker m_checker;
    PickListRepository &m_catalogue;
};
