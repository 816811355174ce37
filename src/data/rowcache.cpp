#include "data/rowcache.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

#include "data/database.h"

RowCache::RowCache(Database &db, QString sql, QVariantList values)
    : m_db(db)
    , m_sql(std::move(sql))
    , m_values(std::move(values))
{
    // Only writes to its own table make the rows stale.
    static const QRegularExpression from(QStringLiteral(R"re(\bfrom\s+"([^"]+)")re"), QRegularExpression::CaseInsensitiveOption);
    m_table = from.match(m_sql).captured(1);
}

void RowCache::refresh()
{
    const QString stamp = m_db.changeStamp(m_table);
    if (!m_stamp.isEmpty() && stamp == m_stamp)
        return;
    ++m_generation;
    m_rows.clear();
    m_positions.clear();
    QList<SearchIndex::Entry> entries;
    QSqlQuery query = m_db.select(m_sql, m_values);
    const int columns = query.record().count();
    while (query.next()) {
        Row row;
        row.rowId = query.value(0).toLongLong();
        row.name = query.value(1).toString();
        row.searchKey = query.value(2).toString();
        for (int i = 3; i < columns; ++i)
            row.columns.append(query.value(i).toString());
        m_positions.insert(row.rowId, m_rows.size());
        entries.append({row.rowId, row.name, row.searchKey});
        m_rows.append(std::move(row));
    }
    m_index.assign(entries);
    // A failed read is no rows now, and tried again next time.
    m_stamp = query.isActive() ? stamp : QString();
}

QString RowCache::stampOfTable()
{
    return m_db.changeStamp(m_table);
}

void RowCache::absorbOwnWrite(const QString &before, const Row &row, bool appendWhenNew)
{
    if (m_stamp.isEmpty() || m_stamp != before)
        return;
    const auto known = m_positions.constFind(row.rowId);
    if (known != m_positions.constEnd()) {
        const bool searchedAlike = m_rows.at(*known).name == row.name && m_rows.at(*known).searchKey == row.searchKey;
        m_rows[*known] = row;
        if (!searchedAlike) {
            QList<SearchIndex::Entry> entries;
            entries.reserve(m_rows.size());
            for (const Row &r : std::as_const(m_rows))
                entries.append({r.rowId, r.name, r.searchKey});
            m_index.assign(entries);
        }
    } else if (appendWhenNew) {
        m_positions.insert(row.rowId, m_rows.size());
        m_rows.append(row);
        m_index.append({row.rowId, row.name, row.searchKey});
    } else {
        m_stamp.clear();
        return;
    }
    ++m_generation;
    m_stamp = m_db.changeStamp(m_table);
}

const QList<RowCache::Row> &RowCache::rows()
{
    refresh();
    return m_rows;
}

QList<const RowCache::Row *> RowCache::find(const QString &typed)
{
    refresh();
    QList<const Row *> found;
    for (const qint64 rowId : m_index.find(typed))
        found.append(&m_rows.at(m_positions.value(rowId)));
    return found;
}
