#pragma once

#include <optional>

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include "data/databaselocation.h"
#include "data/writeresult.h"

class SqlRow;

// One database: a file ("数据库.dat" or "用药统计.dat") or its schema on the clinic's PostgreSQL
// server. The connection opens on first use and waits for another computer's lock (the busy
// timeout) instead of failing at once, since clinics share the data. Only the data layer uses it:
// windows get repositories.
class Database
{
public:
    explicit Database(const QString &path, int busyTimeoutMs = DefaultBusyTimeoutMs);
    explicit Database(const DatabaseLocation &location, int busyTimeoutMs = DefaultBusyTimeoutMs);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    static constexpr int DefaultBusyTimeoutMs = 5000;

    // The file; empty on the server.
    QString path() const { return m_location.path(); }
    const DatabaseLocation &location() const { return m_location; }
    SqlEngine engine() const { return m_location.engine(); }

    // The open connection; invalid (not open) when the file cannot be opened.
    QSqlDatabase connection();
    // Why the file could not be opened, in Chinese; empty when it is open.
    QString lastError() const { return m_lastError; }

    // A read, executed and positioned before the first row; not active when it failed (a failed
    // read counts as no rows, and readError() tells why).
    QSqlQuery select(const QString &sql, const QVariantList &values = {});
    QString readError() const { return m_readError; }
    // The first column of every row a read returns; nothing when it failed (then readError()).
    // For the short reads of a save: on the server the statement is prepared once per connection.
    std::optional<QVariantList> firstColumn(const QString &sql, const QVariantList &values = {});
    // Every column of the first row a read returns (an empty list when none), the same way.
    std::optional<QVariantList> firstRow(const QString &sql, const QVariantList &values = {});
    // Whether the last failed read failed because another connection held the file.
    bool readWasBusy() const { return m_readBusy; }
    // Whether a schema of that name exists on the server (the connection must be open).
    bool schemaExists(const QString &schema);
    // One statement that changes data; every failure is reported.
    WriteResult exec(const QString &sql, const QVariantList &values = {});
    WriteResult insert(const SqlRow &row);
    // Rows of one table with the same columns, in one statement (all or none).
    WriteResult insertAll(const QList<SqlRow> &rows);
    // Updates the rows the where clause finds (its placeholders bind after the row's values).
    WriteResult update(const SqlRow &row, const QString &where, const QVariantList &whereValues);
    // The number of rows the last successful exec, insert or update changed.
    int rowsAffected() const { return m_rowsAffected; }
    // The row id of the last row an insert added.
    qint64 lastInsertRowId() const { return m_lastInsertRowId; }

    // A stamp that changes whenever the content of a table may have changed: a write to it through
    // this object, or a commit by any other connection (another window's, another computer's).
    // Without a table, any write counts.
    QString changeStamp(const QString &table = QString());
    // What is known of one table's changes: the stamp as above, and on a file with change counters
    // every committed insert, update and delete of it by any connection, updates and deletes also
    // apart (when only inserts happened, the rows past the last one seen are all that is new).
    struct TableChanges
    {
        QString stamp;
        bool counted = false;
        qint64 writes = 0;
        qint64 rewrites = 0;
        // The row id of the last row updated or deleted.
        qint64 lastRewritten = 0;
        // Rollbacks and schema changes through this object, which may change anything.
        quint64 uncertain = 0;
    };
    TableChanges tableChanges(const QString &table);

private:
    friend class SqlTransaction;
    WriteResult run(const QString &sql, const QVariantList &values);
    // A write on the server outside a transaction still takes the write lock (as every SQLite
    // write does), so it never interleaves with another computer's multi-row write.
    WriteResult write(const QString &sql, const QVariantList &values);
    // Starts a unit of writes: SQLite's BEGIN IMMEDIATE, or on the server a transaction holding
    // the schema's write lock, so writers take turns as they do on a file.
    WriteResult begin();
    QSqlDatabase openServer(QSqlDatabase db);
    // On the server: the statement prepared on this connection before, or now (one round trip
    // per use instead of three); null when it cannot be prepared, with the error in `error`.
    QSqlQuery *prepared(QSqlDatabase &db, const QString &sql, QSqlError *error);
    void forgetConnection(QSqlDatabase &db);
    // The connection a read goes to, with the last read's error forgotten (or, when it cannot be
    // opened, the reason as the read's error).
    QSqlDatabase startRead();
    // Keeps why a read failed, whether another connection's lock stopped it, and drops a
    // connection the server has lost.
    void readFailed(const QSqlError &error, QSqlDatabase &db);
    std::optional<QVariantList> readPrepared(const QString &sql, const QVariantList &values, bool wholeFirstRow);
    WriteResult notOpen() const;
    void noteWrite(const QString &sql);

    DatabaseLocation m_location;
    QString m_name;
    QHash<QString, QSqlQuery> m_prepared;
    int m_busyTimeoutMs;
    QString m_lastError;
    QString m_readError;
    bool m_readBusy = false;
    int m_rowsAffected = 0;
    qint64 m_lastInsertRowId = 0;
    // Writes through this object: per table, and those whose table is unknown (they count for all).
    QHash<QString, quint64> m_tableWrites;
    quint64 m_anyWrites = 0;
    quint64 m_unknownWrites = 0;
    // Whether this file has per-table change counters: unknown until first asked.
    enum class Counters { Unknown, Present, Absent } m_counters = Counters::Unknown;
    // The transaction in progress: nested guards join it, and one that gives up dooms the whole unit.
    int m_transactionDepth = 0;
    bool m_transactionDoomed = false;
};
