#pragma once

#include <QString>
#include <QStringList>

// The printers installed on this computer, as the print service sees them; tests pass their own.
class PrinterSelection
{
public:
    PrinterSelection() = default;
    PrinterSelection(const QStringList &installed, const QString &systemDefault);

    const QStringList &installed() const { return m_installed; }
    bool isEmpty() const { return m_installed.isEmpty(); }

    // The printer to print on: the chosen one when installed (a name differing only in case
    // counts), otherwise the system default, otherwise the first installed; empty when none is.
    QString resolve(const QString &chosen) const;

private:
    QStringList m_installed;
    QString m_systemDefault;
};
