#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// The workbook's shared strings: each distinct text is stored once and text cells refer to it
// by index. Writes the SST record, continued in CONTINUE records where it passes the 8224-byte
// record limit, and the EXTSST index Excel uses to find strings quickly.
class SharedStringTable
{
public:
    // The index of the text, adding it on first use; every call counts as one cell's reference.
    quint32 add(const QString &text);
    int uniqueCount() const { return int(m_strings.size()); }

    // Appends SST, CONTINUE and EXTSST records to the end of a workbook stream that starts at
    // position 0, so positions in the stream are the absolute ones EXTSST records.
    void write(QByteArray &stream) const;

private:
    QHash<QString, quint32> m_index;
    QStringList m_strings;
    quint32 m_references = 0;
};
