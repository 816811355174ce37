#pragma once

#include <QString>

class PrinterCanvas;

// Where a form's origin lies for the margin pair of the settings. Each form is drawn for one
// margin (the prescription for 10 mm, the card and the record for 5 mm); other margins move the
// whole form right and down, or left and up, by the difference.
class FormOrigin
{
public:
    // A margin setting in millimetres: the number its text begins with ("12", " 7.5", "12mm" reads
    // 12), as the settings have always been read. A text that does not begin with a number counts
    // as 0, which puts the form as close to the printable area's corner as the settings allow.
    static double millimetres(const QString &margin);

    // ScaleLeft := designed × 56.7 − left × 56.7 and ScaleTop likewise, in twips.
    static void apply(PrinterCanvas &canvas, const QString &leftMargin, const QString &topMargin,
                      double designedMillimetres);
};
