#pragma once

#include <QString>

#include "prescription/drugcategories.h"
#include "prescription/drugpicklist.h"

// What a pick from the result list writes into the prescription body, by category and kind:
// a Western drug line (with its usage line and an empty line after it), a usage line, a charge
// item collected after the herbs of a Chinese body, a herb padded into the herb layout at the
// caret, or a template's content.
class PickInsertion
{
public:
    struct Result
    {
        QString body;
        int caret = 0;
        bool changed = false;
    };

    // `selectionStart`..`caret` is the selection in the body (equal when nothing is selected);
    // positions count the characters of `body` (CR LF line breaks).
    static Result apply(int category, PrescriptionKind kind, const QString &body, int selectionStart, int caret,
                        const DrugPickList::Item &item);
};
