#include "print/formorigin.h"

#include "print/printercanvas.h"
#include "print/units.h"

void FormOrigin::apply(PrinterCanvas &canvas, double leftMargin, double topMargin, double designedMillimetres)
{
    const double designed = millimetresToTwips(designedMillimetres);
    canvas.setScaleLeft(designed - millimetresToTwips(leftMargin));
    canvas.setScaleTop(designed - millimetresToTwips(topMargin));
}
