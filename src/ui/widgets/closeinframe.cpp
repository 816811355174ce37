#include "ui/widgets/closeinframe.h"

#include <QMdiSubWindow>

void closeInFrame(QWidget *window)
{
    if (auto *frame = qobject_cast<QMdiSubWindow *>(window->parentWidget()))
        frame->close();
    else
        window->close();
}
