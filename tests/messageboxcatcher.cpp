#include "messageboxcatcher.h"

#include <QApplication>
#include <QMessageBox>

MessageBoxCatcher::MessageBoxCatcher()
{
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxCatcher::answer);
    m_timer.start(10);
}

void MessageBoxCatcher::answer()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (box && box->isVisible()) {
            m_texts.append(box->text());
            box->accept();
        }
    }
}
