#include "messageboxcatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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
            // The given button where the box has it; otherwise as the user pressing OK (or Yes):
            // the box's default button, so exec() returns it.
            QAbstractButton *ok = box->button(m_answer);
            if (!ok)
                ok = box->defaultButton();
            for (QAbstractButton *button : box->buttons()) {
                const QMessageBox::ButtonRole role = box->buttonRole(button);
                if (!ok && (role == QMessageBox::AcceptRole || role == QMessageBox::YesRole))
                    ok = button;
            }
            if (ok)
                ok->click();
            else
                box->accept();
        }
    }
}
