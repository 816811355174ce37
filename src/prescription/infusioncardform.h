#pragma once

#include <QString>
#include <QStringList>

#include "print/printercanvas.h"
#include "print/printjob.h"
#include "settings/margins.h"

class PrescriptionSheet;

// The nurse's infusion/injection card: date, name, sex, age and diagnosis above a ruled table of
// 20 rows (drug, drip rate, time given, nurse's signature) with the card lines written into the
// rows. A fixed layout in millimetres, drawn for 5 mm margins.
class InfusionCardForm
{
public:
    static constexpr double DesignedMarginMillimetres = 5;
    static constexpr int TableRows = 20;

    // Copies the date, name, sex, age and diagnosis fields and the card text of the sheet.
    InfusionCardForm(const PrescriptionSheet &sheet, const Margins &margins);

    // The card lines as the card box displays them; by default the card text cut at its line
    // breaks. The window may hand over the lines its box shows (wrapped lines count as lines).
    QStringList cardLines() const { return m_lines; }
    void setCardLines(const QStringList &lines);
    // The rows the lines fill (empty lines use none); rows past TableRows lie below the table.
    int rowsUsed() const;

    // Draws the card; the document is left open.
    void draw(PrinterCanvas &canvas) const;
    // Draws a copy of this card each time it runs.
    PrintLayout layout() const;
    PrintJob printJob(const QString &printerName) const;

private:
    QString m_date;
    QString m_name;
    QString m_sex;
    QString m_age;
    QString m_diagnosis;
    Margins m_margins;
    QStringList m_lines;
};
