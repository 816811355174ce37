#pragma once

#include <functional>
#include <future>

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include "data/database.h"
#include "text/searchindex.h"

// The rows of one search list held in memory, so that every keystroke answers at once. The rows
// are reloaded when their table changed since the last load (through this program or another
// computer sharing it), and found by their stored search key or any common reading of the name.
// A list in stored order (by row id) whose table had rows added, and at most one row changed or
// deleted, fetches just those rows.
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

    // Puts freshly read rows in the list's order (where the database cannot give it, such as the
    // order of Chinese names); it may run on the loading worker thread.
    using Sorting = std::function<void(QList<Row> &)>;
    // Names as a Chinese reader orders them (rows of equal names keep the query's order).
    static Sorting byName();
    // The same within each run of rows that share the further column `column`: the query orders
    // by that column first (an explicit order kept by the user).
    static Sorting byNameWithin(int column);

    // The query selects the row id, the name and the stored search key, then the columns the list
    // needs; its order is the list's order, or the order `sorting` makes of it.
    RowCache(Database &db, QString sql, QVariantList values = {}, Sorting sorting = {});
    ~RowCache();
    RowCache(const RowCache &) = delete;
    RowCache &operator=(const RowCache &) = delete;

    // Loads the rows on a worker thread with a connection of its own, so that the first search
    // finds them ready; a search that comes earlier waits for this load instead of starting another.
    void preload();
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
    // How many times the rows were read whole (a load on the worker included), for measuring.
    int wholeLoads() const { return m_wholeLoads; }

private:
    struct Loaded
    {
        QList<Row> rows;
        QHash<qint64, qsizetype> positions;
        SearchIndex index;
        Database::TableChanges changes;
        bool ok = false;
    };
    static Loaded load(Database &db, const QString &sql, const QVariantList &values, const QString &table, const Sorting &sorting);
    void refresh();
    void adopt(Loaded &&loaded);
    bool appendNewer();
    bool rereadRow(qint64 rowId);
    void rebuildIndex();
    void waitForPreload();

    Database &m_db;
    QString m_sql;
    QString m_table;
    QVariantList m_values;
    Sorting m_sorting;
    // For a list in stored order: the same query for the rows past a row id, and for one row;
    // empty otherwise.
    QString m_newerSql;
    QString m_byIdSql;
    QString m_stamp;
    Database::TableChanges m_seen;
    int m_generation = 0;
    int m_wholeLoads = 0;
    QList<Row> m_rows;
    QHash<qint64, qsizetype> m_positions;
    SearchIndex m_index;
    std::future<Loaded> m_preload;
};
