#pragma once

class PrinterCanvas;

// Where a form's origin lies for the margin pair of the settings. Each form is drawn for one
// margin (the prescription for 10 mm, the card and the record for 5 mm); other margins move the
// whole form right and down, or left and up, by the difference.
class FormOrigin
{
public:
    // ScaleLeft := designed × 56.7 − left × 56.7 and ScaleTop likewise, in twips; margins in
    // millimetres.
    static void apply(PrinterCanvas &canvas, double leftMargin, double topMargin, double designedMillimetres);
};
