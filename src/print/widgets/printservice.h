#pragma once

#include <functional>

#include <QString>

#include "print/printerselection.h"
#include "print/printjob.h"
#include "print/widgets/printprompts.h"

class QPrintPreviewDialog;
class QPrinter;
class QWidget;

// Prints a form at once on the printer chosen for it, offers a PDF file where no printer is
// installed, and shows the print preview; all of them draw the same layout.
class PrintService
{
public:
    enum class Outcome { Printed, SavedAsPdf, Cancelled, Failed };

    struct Result
    {
        Outcome outcome = Outcome::Cancelled;
        // The failure shown to the user; empty otherwise.
        QString message;
        // The file written when the printout went to a PDF.
        QString pdfPath;
    };

    PrintService(const PrinterSelection &printers, const PrintPrompts &prompts);

    // The printers installed on this computer and its default printer.
    static PrinterSelection systemPrinters();

    // Prints without a dialog. Without any printer the user is told so and may save a PDF instead.
    Result print(const PrintJob &job) const;
    // Opens the print preview of the job on its printer and waits until it is closed. When
    // beforePrinting is given, the preview's print button prints only if it returns true.
    void preview(const PrintJob &job, QWidget *parent, const std::function<bool()> &beforePrinting = {}) const;

    // Where the file dialog starts when a printout is saved as PDF.
    static QString suggestedPdfPath(const QString &title);

private:
    // Sets up the printer for the job; empty when it can be printed on, else the failure.
    QString preparePrinter(QPrinter &printer, const QString &name, const PrintJob &job) const;
    Result saveAsPdf(const PrintJob &job) const;
    Result fail(const QString &message) const;
    // Makes the preview's print button ask first; false when the preview must not open.
    bool guardPrintButton(QPrintPreviewDialog &dialog, const PrintJob &job, const std::function<bool()> &beforePrinting) const;

    PrinterSelection m_printers;
    PrintPrompts m_prompts;
};
