#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include "text/searchindex.h"

class Database;

// The rows of one search list held in memory, so that every keystroke answers at once. The rows
// are reloaded when the file changed since the last load (through this program or another
// computer sharing it), and found by their stored search key or any common reading of the name.
class RowCache
{
public:
    struct Row
    {
        qint64 rowId = 0;
        QString name;
        QString searchKey;
        // The further columns of the query, in its order.
        QStringList columns;
    };

    // The query selects the row id, the name and the stored search key, then the columns the list
    // needs; its order is the list's order.
    RowCache(Database &db, QString sql, QVariantList values = {});

    // Every row, current.
    const QList<Row> &rows();
    // The rows found for a typed text, in the list's order; every row for an empty text.
    QList<const Row *> find(const QString &typed);
    // The rows as the last rows() or find() loaded them, without asking whether they are current.
    const QList<Row> &loadedRows() const { return m_rows; }
    // What a repository tells the cache after its own write of one row, so that the next search
    // needs no reload: `before` is the table's change stamp taken just before the write. When the
    // cache was current then, the row is replaced (or, being new, appended — for lists in stored
    // order) in memory; otherwise the cache reloads as usual.
    void absorbOwnWrite(const QString &before, const Row &row, bool appendWhenNew);
    QString stampOfTable();
    // Grows with every reload, so what is derived from the rows knows when to derive it again.
    int generation() const { return m_generation; }

private:
    void refresh();

    Database &m_db;
    QString m_sql;
    QString m_table;
    QVariantList m_values;
    QString m_stamp;
    int m_generation = 0;
    QList<Row> m_rows;
    QHash<qint64, qsizetype> m_positions;
    SearchIndex m_index;
};
