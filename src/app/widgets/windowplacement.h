#pragma once

#include <QPoint>
#include <QSize>

// Places a child window over its parent area: centred, shifted 150 twips left and 450 up.
QPoint childWindowPosition(const QSize &area, const QSize &own);
