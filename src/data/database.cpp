#include "data/database.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>

#include "data/changecounters.h"
#include "data/serverschema.h"
#include "data/sqlfunctions.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"

namespace {

QAtomicInt connectionCounter;

bool execBound(QSqlQuery &query, const QVariantList &values)
{
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query.exec();
}

} // namespace

Database::Database(const QString &path, int busyTimeoutMs)
    : Database(DatabaseLocation::file(path), busyTimeoutMs)
{
}

Database::Database(const DatabaseLocation &location, int busyTimeoutMs)
    : m_location(location)
    , m_name(QStringLiteral("quillon-%1").arg(connectionCounter.fetchAndAddRelaxed(1)))
    , m_busyTimeoutMs(busyTimeoutMs)
{
}

Database::~Database()
{
    m_prepared.clear();
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
}

QSqlDatabase Database::connection()
{
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen())
            return db;
    }
    const QString driver = m_location.isServer() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    QSqlDatabase db = QSqlDatabase::contains(m_name) ? QSqlDatabase::database(m_name, false) : QSqlDatabase::addDatabase(driver, m_name);
    if (m_location.isServer())
        return openServer(db);
    const QString path = m_location.path();
    // Never create a missing file here (SQLite would): only start-up creates files.
    if (!QFileInfo::exists(path)) {
        m_lastError = QStringLiteral("找不到数据库文件“%1”。").arg(QDir::toNativeSeparators(path));
        return db;
    }
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_busyTimeoutMs));
    if (!db.open()) {
        m_lastError = writeResultOf(db.lastError(), QStringLiteral("无法打开数据库“%1”").arg(QDir::toNativeSeparators(path))).message;
        return db;
    }
    registerSqlFunctions(db);
    m_lastError.clear();
    return db;
}

QSqlDatabase Database::openServer(QSqlDatabase db)
{
    const ServerAddress &address = m_location.address();
    if (!db.isValid()) {
        m_lastError = QStringLiteral("无法连接数据库服务器：本机缺少 PostgreSQL 的 Qt 驱动（libqt6sql6-psql）。");
        return db;
    }
    db.setHostName(address.host());
    db.setPort(address.port());
    db.setUserName(address.user());
    db.setDatabaseName(address.database());
    // A server that does not answer is reported after a few seconds, not after minutes.
    QStringList options = {QStringLiteral("connect_timeout=%1").arg(qMax(2, (m_busyTimeoutMs + 999) / 1000)),
                           QStringLiteral("application_name=quillon")};
    options += address.optionSettings();
    db.setConnectOptions(options.join(QLatin1Char(';')));
    if (!db.open()) {
        m_lastError = QStringLiteral("无法连接数据库服务器“%1”：%2")
                          .arg(address.displayText(), describeServerProblem(db.lastError().nativeErrorCode(), db.lastError().databaseText()));
        return db;
    }
    // The wait for another computer's write lock is bounded like SQLite's busy timeout.
    QSqlQuery setup(db);
    if (!setup.exec(ServerSchema::searchPathStatement(m_location.schema()))
        || !setup.exec(QStringLiteral("SET lock_timeout = %1").arg(m_busyTimeoutMs))
        || !setup.exec(QStringLiteral("SET client_min_messages = warning"))) {
        m_lastError = writeResultOf(setup.lastError(), QStringLiteral("无法连接数据库服务器“%1”").arg(address.displayText())).message;
        db.close();
        return db;
    }
    m_lastError.clear();
    return db;
}

bool Database::schemaExists(const QString &schema)
{
    QSqlQuery query = select(QStringLiteral("select count(*) from pg_namespace where nspname = ?"), {schema});
    return query.next() && query.value(0).toInt() > 0;
}

WriteResult Database::notOpen() const
{
    return WriteResult::failure(QStringLiteral("保存失败：") + m_lastError);
}

QSqlDatabase Database::startRead()
{
    m_readError.clear();
    m_readBusy = false;
    QSqlDatabase db = connection();
    if (!db.isOpen())
        m_readError = m_lastError;
    return db;
}

void Database::readFailed(const QSqlError &error, QSqlDatabase &db)
{
    m_readError = writeResultOf(error, QStringLiteral("读取失败")).message;
    if (m_location.isServer()) {
        m_readBusy = isServerLockTimeout(error.nativeErrorCode());
        if (isServerConnectionLost(error.nativeErrorCode()))
            forgetConnection(db);
    } else {
        m_readBusy = isSqliteBusy(error.nativeErrorCode().toInt());
    }
}

QSqlQuery Database::select(const QString &sql, const QVariantList &values)
{
    QSqlDatabase db = startRead();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!db.isOpen())
        return query;
    bool done = false;
    if (m_location.isServer() && values.isEmpty()) {
        // Nothing to bind: one round trip instead of prepare, execute and deallocate.
        done = query.exec(sql);
    } else {
        // Preparing reads the schema, so a file another computer holds can fail here already.
        done = query.prepare(sql) && execBound(query, values);
    }
    if (!done) {
        readFailed(query.lastError(), db);
        return QSqlQuery(db);
    }
    return query;
}

WriteResult Database::run(const QString &sql, const QVariantList &values)
{
    QSqlDatabase db = connection();
    if (!db.isOpen())
        return notOpen();
    QSqlQuery own(db);
    QSqlQuery *query = &own;
    bool done = false;
    QSqlError error;
    if (m_location.isServer() && values.isEmpty()) {
        // Statements without values (transaction control, schema changes) cannot be prepared there.
        done = own.exec(sql);
    } else if (m_location.isServer()) {
        // A write's result is read here and nowhere else, so its prepared statement can be kept.
        query = prepared(db, sql, &error);
        if (query)
            done = execBound(*query, values);
    } else {
        done = own.prepare(sql) && execBound(own, values);
    }
    if (!done) {
        if (query)
            error = query->lastError();
        if (m_location.isServer() && isServerConnectionLost(error.nativeErrorCode()))
            forgetConnection(db);
        return writeResultOf(error);
    }
    m_rowsAffected = query->numRowsAffected();
    // The server returns the new row's id from the insert itself (asking it for lastval() would
    // break the transaction in progress when there is none).
    if (m_location.isServer()) {
        // Only an insert answers with rows; other statements (the commit after it) keep its id.
        if (query->isSelect())
            m_lastInsertRowId = query->next() ? query->value(0).toLongLong() : 0;
        query->finish();
    } else {
        m_lastInsertRowId = query->lastInsertId().toLongLong();
    }
    noteWrite(sql);
    return WriteResult::success();
}

QSqlQuery *Database::prepared(QSqlDatabase &db, const QString &sql, QSqlError *error)
{
    auto found = m_prepared.find(sql);
    if (found == m_prepared.end()) {
        QSqlQuery query(db);
        if (!query.prepare(sql)) {
            *error = query.lastError();
            return nullptr;
        }
        found = m_prepared.insert(sql, query);
    }
    return &found.value();
}

void Database::forgetConnection(QSqlDatabase &db)
{
    // Prepared statements die with the connection; the next use opens it again.
    m_prepared.clear();
    db.close();
}

std::optional<QVariantList> Database::firstColumn(const QString &sql, const QVariantList &values)
{
    return readPrepared(sql, values, false);
}

std::optional<QVariantList> Database::firstRow(const QString &sql, const QVariantList &values)
{
    return readPrepared(sql, values, true);
}

std::optional<QVariantList> Database::readPrepared(const QString &sql, const QVariantList &values, bool wholeFirstRow)
{
    QVariantList column;
    auto collect = [&](QSqlQuery &query) {
        while (query.next()) {
            if (!wholeFirstRow) {
                column.append(query.value(0));
                continue;
            }
            for (int i = 0; i < query.record().count(); ++i)
                column.append(query.value(i));
            break;
        }
    };
    if (!m_location.isServer() || values.isEmpty()) {
        QSqlQuery query = select(sql, values);
        if (!query.isActive())
            return std::nullopt;
        collect(query);
        return column;
    }
    QSqlDatabase db = startRead();
    if (!db.isOpen())
        return std::nullopt;
    QSqlError error;
    QSqlQuery *query = prepared(db, sql, &error);
    if (!query || !execBound(*query, values)) {
        readFailed(query ? query->lastError() : error, db);
        return std::nullopt;
    }
    collect(*query);
    query->finish();
    return column;
}

WriteResult Database::write(const QString &sql, const QVariantList &values)
{
    if (!m_location.isServer() || m_transactionDepth > 0)
        return run(sql, values);
    SqlTransaction unit(*this);
    if (!unit.isActive())
        return unit.begun();
    const WriteResult written = run(sql, values);
    if (!written.ok)
        return written;
    const int rows = m_rowsAffected;
    const qint64 id = m_lastInsertRowId;
    const WriteResult committed = unit.commit();
    m_rowsAffected = rows;
    m_lastInsertRowId = id;
    return committed;
}

WriteResult Database::begin()
{
    if (!m_location.isServer())
        return run(QStringLiteral("BEGIN IMMEDIATE"), {});
    const WriteResult begun = run(QStringLiteral("BEGIN"), {});
    if (!begun.ok)
        return begun;
    // One lock per schema (the first on the search path; public while ours is still to be made),
    // computed by the server so every computer agrees on it; held until commit or rollback, and
    // waited for no longer than the lock timeout.
    const WriteResult locked = run(QStringLiteral("select pg_advisory_xact_lock(hashtextextended(current_schema(), 0))"), {});
    if (!locked.ok)
        run(QStringLiteral("ROLLBACK"), {});
    return locked;
}

void Database::noteWrite(const QString &sql)
{
    // Our statements name their table in double quotes right after the verb.
    static const QRegularExpression write(QStringLiteral(R"re(^\s*(?:insert\s+into|update|delete\s+from)\s+"([^"]+)")re"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression quiet(QStringLiteral(R"(^\s*(?:begin|commit|pragma|select)\b)"), QRegularExpression::CaseInsensitiveOption);
    if (quiet.match(sql).hasMatch())
        return;
    ++m_anyWrites;
    const QRegularExpressionMatch match = write.match(sql);
    if (match.hasMatch())
        ++m_tableWrites[match.captured(1)];
    else
        ++m_unknownWrites; // a rollback, a schema change: anything may have changed
}

QString Database::changeStamp(const QString &table)
{
    return tableChanges(table).stamp;
}

Database::TableChanges Database::tableChanges(const QString &table)
{
    TableChanges changes;
    // SQLite files count per table when they have the counters (every connection's writes, this
    // one's included), else only other connections' commits to the whole file; the server counts
    // every write to each table.
    QString other = QStringLiteral("?");
    if (!m_location.isServer() && !table.isEmpty() && m_counters != Counters::Absent) {
        static const QString sql =
            QStringLiteral("select counter, rewrites, last_rewritten from %1 where table_name = ?").arg(ChangeCounters::tableName());
        const std::optional<QVariantList> row = readPrepared(sql, {table}, true);
        if (row && row->size() == 3) {
            m_counters = Counters::Present;
            changes.counted = true;
            changes.writes = row->at(0).toLongLong();
            changes.rewrites = row->at(1).toLongLong();
            changes.lastRewritten = row->at(2).toLongLong();
            changes.uncertain = m_unknownWrites;
            // A rollback or a schema change through this object may change anything.
            changes.stamp = QStringLiteral("c%1/%2").arg(changes.writes).arg(m_unknownWrites);
            return changes;
        }
        // Not busy: the file has no counters (a file that could not be upgraded).
        if (!m_readBusy)
            m_counters = Counters::Absent;
        m_readError.clear();
        m_readBusy = false;
    }
    if (!m_location.isServer()) {
        QSqlQuery version = select(QStringLiteral("pragma data_version"));
        if (version.next())
            other = version.value(0).toString();
    } else {
        // All counters in one unprepared read: one round trip per keystroke of a search.
        static const QString sql = QStringLiteral("select table_name, counter from %1").arg(ServerSchema::changeTable());
        QSqlQuery counters = select(sql);
        qint64 sum = 0;
        bool found = false;
        while (counters.next()) {
            if (table.isEmpty() || counters.value(0).toString() == table) {
                sum += counters.value(1).toLongLong();
                found = true;
            }
        }
        if (found)
            other = QString::number(sum);
    }
    const quint64 own = table.isEmpty() ? m_anyWrites : m_tableWrites.value(table) + m_unknownWrites;
    changes.stamp = other + QLatin1Char('/') + QString::number(own);
    return changes;
}

WriteResult Database::exec(const QString &sql, const QVariantList &values)
{
    return write(sql, values);
}

WriteResult Database::insert(const SqlRow &row)
{
    const WriteResult widths = row.checkWidths();
    if (!widths.ok)
        return widths;
    if (m_location.isServer())
        return write(row.insertSql() + QStringLiteral(" returning rowid"), row.values());
    return run(row.insertSql(), row.values());
}

WriteResult Database::insertAll(const QList<SqlRow> &rows)
{
    if (rows.isEmpty())
        return WriteResult::success();
    QVariantList values;
    for (const SqlRow &row : rows) {
        const WriteResult widths = row.checkWidths();
        if (!widths.ok)
            return widths;
        Q_ASSERT(row.columns() == rows.first().columns());
        values += row.values();
    }
    return write(insertSql(rows.first().table().name(), rows.first().columns(), int(rows.size())), values);
}

WriteResult Database::update(const SqlRow &row, const QString &where, const QVariantList &whereValues)
{
    const WriteResult widths = row.checkWidths();
    if (!widths.ok)
        return widths;
    return write(row.updateSql(where), row.values() + whereValues);
}
