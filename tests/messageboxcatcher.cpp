#include "messageboxcatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

MessageBoxCatcher::MessageBoxCatcher(QMessageBox::StandardButton answer)
    : m_answer(answer)
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
            if (QAbstractButton *button = box->button(m_answer))
                button->click();
            else
                box->accept();
        }
    }
}
