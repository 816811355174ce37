#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include "print/printercanvas.h"

// One printout to make: the layout that draws it and where it goes.
struct PrintJob
{
    // Names the document in the printer queue and the PDF, and suggests the PDF's file name.
    QString title;
    PrintLayout layout;
    // The printer chosen in the settings for this form; empty or not installed means the default.
    QString printerName;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    // Paper of a PDF; a printer keeps the paper it is set up with.
    QPageSize pdfPageSize = QPageSize(QPageSize::A4);
};
