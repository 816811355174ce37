#include "print/formorigin.h"

#include "print/printercanvas.h"
#include "print/units.h"
#include "text/amount.h"

double FormOrigin::millimetres(const QString &margin)
{
    return double(Amount::leadingNumber(margin).millionths()) / double(Amount::Scale);
}

void FormOrigin::apply(PrinterCanvas &canvas, const QString &leftMargin, const QString &topMargin,
                       double designedMillimetres)
{
    const double designed = millimetresToTwips(designedMillimetres);
    canvas.setScaleLeft(designed - millimetresToTwips(millimetres(leftMargin)));
    canvas.setScaleTop(designed - millimetresToTwips(millimetres(topMargin)));
}
