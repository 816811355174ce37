#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

// Answers every message box that opens while it lives (as the user pressing OK) and keeps its text.
class MessageBoxCatcher : public QObject
{
    Q_OBJECT

public:
    MessageBoxCatcher();

    QStringList texts() const { return m_texts; }

private:
    void answer();

    QTimer m_timer;
    QStringList m_texts;
};
