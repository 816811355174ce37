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

// Places a child window over its parent area: centred, shifted 150 twips left and 450 up.
QPoint childWindowPosition(const QSize &area, const QSize &own);
