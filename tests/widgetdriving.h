#pragma once

#include "namedcontrol.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputMethodEvent>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QTest>

// Driving a window's controls with the mouse and the keyboard, as a user does.

inline QStringList listTexts(const QListWidget *list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}

// Scrolls the row into view first, as the user would before clicking it.
inline void clickListRow(QListWidget *list, int row)
{
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

inline void clickButton(const QWidget *window, const QString &name)
{
    QTest::mouseClick(namedControl<QAbstractButton>(window, name), Qt::LeftButton);
}

// Chinese arrives through the input method, character by character as a user commits it; a line
// break is the Return key.
inline void commitText(QWidget *box, const QString &text)
{
    for (const QChar c : text) {
        if (c == u'\n') {
            QTest::keyClick(box, Qt::Key_Return);
            continue;
        }
        QInputMethodEvent input;
        input.setCommitString(QString(c));
        QApplication::sendEvent(box, &input);
    }
}
