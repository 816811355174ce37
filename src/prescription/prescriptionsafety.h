#pragma once

#include <QList>

#include "prescription/safety/safetychecker.h"
#include "prescription/safety/safetyinput.h"
#include "prescription/safety/safetyrules.h"

class PickListRepository;
class PrescriptionSheet;

// The safety warnings of the prescription on screen. A Western body is read with the item rules
// pricing uses, the catalogue telling a charge item from a drug; a Chinese body is read herb by
// herb as written, whatever the unit of its doses. Nothing on the sheet changes.
class PrescriptionSafety
{
public:
    PrescriptionSafety(const SafetyRules &rules, PickListRepository &catalogue);

    SafetyInput inputOf(const PrescriptionSheet &sheet, bool forSaving);
    QList<SafetyWarning> check(const PrescriptionSheet &sheet, bool forSaving);
    static bool hasRed(const QList<SafetyWarning> &warnings);

private:
    void readHerbs(const QString &body, SafetyInput &input);

    SafetyChecker m_checker;
    PickListRepository &m_catalogue;
};
