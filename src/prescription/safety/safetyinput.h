#pragma once

#include <QList>
#include <QString>

#include "prescription/drugcategories.h"
#include "prescription/safety/safetyitem.h"

// What the safety check reads from the prescription on screen.
struct SafetyInput
{
    using PrescriptionKind = ::PrescriptionKind;

    PrescriptionKind kind = PrescriptionKind::Western;
    QList<SafetyItem> items;
    QString allergyHistory;  // header field 13 "过敏史"
    QString diagnosis;       // header field 6 "诊断"
    bool forSaving = false;
    // A Chinese body with text in which no herb and dose could be read.
    bool bodyUnread = false;
    // The usage says 外用 and nothing is taken (服): raw herbs are then what the pharmacopoeia allows.
    bool externalUse = false;
};
