#include "print/printerselection.h"

PrinterSelection::PrinterSelection(const QStringList &installed, const QString &systemDefault)
    : m_installed(installed)
    , m_systemDefault(systemDefault)
{
}

QString PrinterSelection::resolve(const QString &chosen) const
{
    if (m_installed.contains(chosen))
        return chosen;
    for (const QString &name : m_installed) {
        if (!chosen.isEmpty() && name.compare(chosen, Qt::CaseInsensitive) == 0)
            return name;
    }
    if (m_installed.contains(m_systemDefault))
        return m_systemDefault;
    return m_installed.isEmpty() ? QString() : m_installed.first();
}
