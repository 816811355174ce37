#pragma once

#include <QString>

#include "base/writeresult.h"
#include "print/printjob.h"

// Saves a printout as a PDF file: the whole sheet is the printable area, at the resolution of a
// common laser printer so line widths look as on paper.
class PdfExport
{
public:
    static constexpr int Resolution = 600;

    // Draws the job's layout into the file. The file is written under a temporary name and takes
    // the target's place only when complete, so a failure never leaves a broken or half file and
    // never destroys an older file of that name.
    static WriteResult write(const QString &path, const PrintJob &job);
};
