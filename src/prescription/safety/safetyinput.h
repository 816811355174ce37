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
};
