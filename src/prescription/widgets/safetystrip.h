#pragma once

#include <QList>
#include <QWidget>

#include "prescription/safety/safetywarning.h"

class QLabel;
class QHBoxLayout;

// The strip of safety warnings under the prescription: one entry per warning, red for
// incompatibilities, toxic overdoses and allergies, amber for the rest; hovering an entry shows the
// rule and its source. It only shows; it never stops the physician.
class SafetyStrip : public QWidget
{
    Q_OBJECT

public:
    explicit SafetyStrip(QWidget *parent = nullptr);

    void show(const QList<SafetyWarning> &warnings);
    const QList<SafetyWarning> &warnings() const { return m_warnings; }
    // The entries as shown, for tests and users' scripts.
    QList<QLabel *> entries() const { return m_entries; }

private:
    QHBoxLayout *m_layout;
    QLabel *m_quiet;
    QList<QLabel *> m_entries;
    QList<SafetyWarning> m_warnings;
};
