#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Window sizes and positions are given in twips (1/1440 inch); at 96 dpi 15 twips make a pixel.
int twips(int value);
QSize twipsSize(int width, int height);
// A control's left, top, width and height given in twips.
QRect twipsRect(int left, int top, int width, int height);

// The program's own conversion for paper measures: 1 mm is 56.7 twips exactly (not 1440 / 25.4),
// so margins and the log book's millimetre layout land where the forms always put them.
inline constexpr double TwipsPerMillimetre = 56.7;
double millimetresToTwips(double millimetres);

// Twips to the pixels of a device with the given resolution, and back.
double twipsToDevicePixels(double value, double dotsPerInch);
double devicePixelsToTwips(double pixels, double dotsPerInch);
