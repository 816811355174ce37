#include "text/searchindex.h"

#include <algorithm>

namespace {

// SQLite's LIKE folds ASCII letters only; doing the same keeps both searches alike.
char16_t asciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

} // namespace

SearchIndex::SearchIndex(const PinyinReadings &readings)
    : m_readings(&readings)
    , m_keyEnds{0}
    , m_positionEnds{0}
{
}

SearchIndex::SearchIndex(const QList<Entry> &entries, const PinyinReadings &readings)
    : SearchIndex(readings)
{
    assign(entries);
}

void SearchIndex::assign(const QList<Entry> &entries)
{
    m_rowIds.clear();
    m_keys.clear();
    m_positions.clear();
    m_keyEnds.assign(1, 0);
    m_positionEnds.assign(1, 0);

    size_t keyLength = 0;
    for (const Entry &entry : entries)
        keyLength += size_t(entry.searchKey.size());
    m_rowIds.reserve(size_t(entries.size()));
    m_keyEnds.reserve(size_t(entries.size()) + 1);
    m_positionEnds.reserve(size_t(entries.size()) + 1);
    m_keys.reserve(keyLength);

    for (const Entry &entry : entries)
        append(entry);
    m_keys.shrink_to_fit();
    m_positions.shrink_to_fit();
}

void SearchIndex::append(const Entry &entry)
{
    m_rowIds.push_back(entry.rowId);
    for (QChar c : entry.searchKey)
        m_keys.push_back(asciiLower(c.unicode()));
    m_keyEnds.push_back(quint32(m_keys.size()));
    PinyinPattern::compile(entry.name, *m_readings, m_positions);
    m_positionEnds.push_back(quint32(m_positions.size()));
}

QList<qint64> SearchIndex::find(QStringView typed) const
{
    const size_t rows = m_rowIds.size();
    if (typed.isEmpty())
        return QList<qint64>(m_rowIds.begin(), m_rowIds.end());

    QString needle(typed.size(), Qt::Uninitialized);
    std::transform(typed.begin(), typed.end(), needle.begin(),
                   [](QChar c) { return QChar(asciiLower(c.unicode())); });
    const std::vector<PinyinPattern::Mask> masks = PinyinPattern::typedMasks(typed);
    // A symbol or Han character can only be found in the key itself.
    const bool readable = std::find(masks.begin(), masks.end(), 0) == masks.end();

    QList<qint64> found;
    for (size_t row = 0; row < rows; ++row) {
        const quint32 keyBegin = m_keyEnds[row];
        const QStringView key(m_keys.data() + keyBegin, qsizetype(m_keyEnds[row + 1] - keyBegin));
        const quint32 positionBegin = m_positionEnds[row];
        if (key.contains(needle)
            || (readable
                && PinyinPattern::contains(m_positions.data() + positionBegin,
                                           m_positionEnds[row + 1] - positionBegin, masks))) {
            found.append(m_rowIds[row]);
        }
    }
    return found;
}

qsizetype SearchIndex::memoryBytes() const
{
    return qsizetype(sizeof(*this) + m_rowIds.capacity() * sizeof(qint64)
                     + m_keys.capacity() * sizeof(char16_t) + m_keyEnds.capacity() * sizeof(quint32)
                     + m_positions.capacity() * sizeof(PinyinPattern::Mask)
                     + m_positionEnds.capacity() * sizeof(quint32));
}
