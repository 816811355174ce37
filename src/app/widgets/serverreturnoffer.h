#pragma once

#include <QObject>
#include <QPointer>

#include "app/startupvalues.h"

class QLabel;
class QWidget;
class ServerReturnWatch;

// The status bar's account of the data in use, and, for a run that fell back to the local files
// because the server was away, the offer to move the day's local prescriptions onto the server as
// soon as it answers again: without it they would stay stranded on this computer.
class ServerReturnOffer : public QObject
{
    Q_OBJECT

public:
    // The minute between attempts is short enough that the offer comes while the clinic still
    // remembers the outage, and a failed attempt costs nothing on the screen.
    static constexpr int DefaultIntervalMs = 60000;

    ServerReturnOffer(const StartupValues &values, QLabel *label, QWidget *window, int intervalMs = DefaultIntervalMs);

    ServerReturnWatch *watch() const { return m_watch; }

private:
    void offer();

    StartupValues m_values;
    QPointer<QLabel> m_label;
    QWidget *m_window;
    ServerReturnWatch *m_watch = nullptr;
};
