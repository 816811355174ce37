#pragma once

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

// Answers every message box that opens while it lives (as the user pressing OK, or the given
// button where the box has it) and keeps its text.
class MessageBoxCatcher : public QObject
{
    Q_OBJECT

public:
    explicit MessageBoxCatcher(QMessageBox::StandardButton answer = QMessageBox::NoButton);

    QStringList texts() const { return m_texts; }

private:
    void answer();

    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
    QStringList m_texts;
};
