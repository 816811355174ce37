#include "messageboxcatcher.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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
            // As the user pressing OK (or Yes): the box's default button, so exec() returns it.
            QAbstractButton *ok = box->defaultButton();
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
