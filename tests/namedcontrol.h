#pragma once

#include <QString>
#include <QWidget>

// The window's control of that object name, as users' scripts find it; a missing name ends the
// suite at once, since every later step would only fail on a null pointer.
template<typename T>
T *namedControl(const QWidget *window, const QString &name)
{
    T *found = window->findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}
