#include "app/widgets/windowplacement.h"

#include "print/units.h"

QPoint childWindowPosition(const QSize &area, const QSize &own)
{
    const int left = (area.width() - own.width()) / 2 - twips(150);
    const int top = (area.height() - own.height()) / 2 - twips(450);
    return QPoint(qMax(0, left), qMax(0, top));
}
