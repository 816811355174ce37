#include "print/units.h"

#include <QtGlobal>

int twips(int value)
{
    return qRound(value / 15.0);
}

QSize twipsSize(int width, int height)
{
    return QSize(twips(width), twips(height));
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

double millimetresToTwips(double millimetres)
{
    return millimetres * TwipsPerMillimetre;
}

double twipsToDevicePixels(double value, double dotsPerInch)
{
    return value * dotsPerInch / 1440.0;
}

double devicePixelsToTwips(double pixels, double dotsPerInch)
{
    return pixels * 1440.0 / dotsPerInch;
}
