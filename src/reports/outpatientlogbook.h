#pragma once

#include <QList>
#include <QString>

#include "data/outpatientlogrepository.h"
#include "print/printjob.h"
#include "settings/margins.h"

class PrinterCanvas;

// The printed outpatient log book ("门 诊 日 志 登 记 本") for the health authority: landscape pages
// in millimetres, each with the title over a double rule, a ruled table of 14 visits under its
// headings, and a footer with the physician and the page number.
class OutpatientLogBook
{
public:
    static constexpr int VisitsPerPage = 14;

    struct Options
    {
        // The margin boxes as read. A point (x, y) of the layout lands x + left from the printable
        // area's left edge and y + top − 10 from its top edge.
        Margins margins;
        QString physician;
    };

    // The job the print service prints, previews or saves as PDF.
    static PrintJob job(const QList<OutpatientLogRepository::Visit> &visits, const Options &options);
    // Draws the pages; nothing at all without visits. The canvas is back in twips at its own
    // origin afterwards.
    static void draw(PrinterCanvas &canvas, const QList<OutpatientLogRepository::Visit> &visits, const Options &options);

private:
    static void drawPageDecoration(PrinterCanvas &canvas, int page, const QString &physician);
};
