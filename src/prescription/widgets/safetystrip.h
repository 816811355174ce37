#pragma once

#include <QList>
#include <QWidget>

#include "prescription/safety/safetywarning.h"

class QFrame;
class QLabel;
class QToolButton;

// The strip of safety warnings under the prescription: one entry per warning, red for
// incompatibilities, toxic herbs, allergies and herbs forbidden in pregnancy, amber for the rest;
// hovering an entry shows the rule and its source. Entries that do not fit on the strip are
// counted on a button at its end that opens the whole list. It only shows; it never stops the
// physician.
class SafetyStrip : public QWidget
{
    Q_OBJECT

public:
    explicit SafetyStrip(QWidget *parent = nullptr);

    void show(const QList<SafetyWarning> &warnings);
    const QList<SafetyWarning> &warnings() const { return m_warnings; }
    // The entries of all warnings, those that do not fit hidden, for tests and users' scripts.
    QList<QLabel *> entries() const { return m_entries; }
    // "另有3条", shown when not every warning fits; it opens the list of all.
    QToolButton *moreButton() const { return m_more; }
    // The list of all warnings, word-wrapped; open while the more button is down.
    QFrame *fullList() const { return m_list; }
    static QString entryText(const SafetyWarning &warning);

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void arrange();
    // Labels with a style sheet keep the font they were polished with; they are given the strip's.
    void followFont(QWidget *label) const;
    void showFullList();

    QLabel *m_quiet;
    QToolButton *m_more;
    QFrame *m_list;
    QList<QLabel *> m_entries;
    QList<SafetyWarning> m_warnings;
};
