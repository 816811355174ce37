#pragma once

#include <vector>

#include <QList>
#include <QString>
#include <QStringView>

#include "text/pinyinpattern.h"
#include "text/pinyinreadings.h"

// The search behind a list's input box, held in memory: a row is found when its stored search
// key contains the typed text as the database's LIKE '%…%' finds it (blind to ASCII case, no
// wildcards), or when its name can be read as the typed initials in any common reading. The
// caller decides which rows go in, in what order, and when to rebuild.
class SearchIndex
{
public:
    struct Entry
    {
        qint64 rowId = 0;
        QString name;
        QString searchKey;
    };

    explicit SearchIndex(const PinyinReadings &readings = PinyinReadings::shipped());
    explicit SearchIndex(const QList<Entry> &entries, const PinyinReadings &readings = PinyinReadings::shipped());

    // Replaces the rows.
    void assign(const QList<Entry> &entries);
    // Adds one row after the others.
    void append(const Entry &entry);

    // Row ids of the rows found, in the order they were given; every row for an empty text.
    QList<qint64> find(QStringView typed) const;

    qsizetype size() const { return qsizetype(m_rowIds.size()); }
    // Bytes the index holds, for measuring.
    qsizetype memoryBytes() const;

private:
    const PinyinReadings *m_readings;
    std::vector<qint64> m_rowIds;
    // Every key lower-cased in ASCII, back to back; row i spans [m_keyEnds[i], m_keyEnds[i + 1]).
    std::vector<char16_t> m_keys;
    std::vector<quint32> m_keyEnds;
    // Every name's positions back to back, spanned in the same way.
    std::vector<PinyinPattern::Mask> m_positions;
    std::vector<quint32> m_positionEnds;
};
