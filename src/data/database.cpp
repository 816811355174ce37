#include "data/database.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>

#include "data/changecounters.h"
#include "data/answerwatchdog.h"
#include "data/serverschema.h"
#include "data/sqlfunctions.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"
#include "data/tabledefinition.h"

namespace {

QAtomicInt connectionCounter;

bool isRollback(const QString &sql)
{
    return sql == QLatin1String("ROLLBACK");
}

} // namespace

Database::Database(const QString &path, int busyTimeoutMs)
    : Database(DatabaseLocation::file(path), busyTimeoutMs)
{
}

Database::Database(const DatabaseLocation &location, int busyTimeoutMs, const ServerSessionLimits &limits)
    : m_location(location)
    , m_name(QStringLiteral("quillon-%1").arg(connectionCounter.fetchAndAddRelaxed(1)))
    , m_busyTimeoutMs(busyTimeoutMs)
    , m_limits(limits)
{
    if (m_location.isServer())
        m_watchdog = std::make_unique<AnswerWatchdog>(m_limits.answerWaitMs);
}

Database::~Database()
{
    m_prepared.clear();
    m_watchdog.reset();
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
}

QSqlDatabase Database::connection()
{
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen()) {
            attachAll(db);
            return db;
        }
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
    for (Attachment &attachment : m_attachments)
        attachment.attached = false;
    attachAll(db);
    return db;
}

void Database::attach(const QString &alias, const DatabaseLocation &other)
{
    for (const Attachment &attachment : std::as_const(m_attachments)) {
        if (attachment.alias == alias)
            return;
    }
    // On the server both schemas live in one database: nothing to open.
    m_attachments.append({alias, other, m_location.isServer(), QString()});
}

QString Database::attachedTable(const QString &alias, const QString &table) const
{
    for (const Attachment &attachment : m_attachments) {
        if (attachment.alias == alias)
            return quotedName(m_location.isServer() ? attachment.location.schema() : alias) + QLatin1Char('.') + quotedName(table);
    }
    Q_ASSERT_X(false, "Database::attachedTable", qPrintable(alias));
    return quotedName(table);
}

QString Database::attachError(const QString &alias)
{
    const QSqlDatabase db = connection();
    if (!db.isOpen())
        return m_lastError;
    for (const Attachment &attachment : std::as_const(m_attachments)) {
        if (attachment.alias == alias)
            return attachment.attached ? QString() : attachment.error;
    }
    return QString();
}

void Database::attachAll(QSqlDatabase &db)
{
    if (m_transactionDepth > 0 || m_location.isServer())
        return;
    for (Attachment &attachment : m_attachments) {
        if (attachment.attached)
            continue;
        const QString path = attachment.location.path();
        // ATTACH would create a missing file; only start-up creates files.
        if (!QFileInfo::exists(path)) {
            attachment.error = QStringLiteral("找不到数据库文件“%1”。").arg(QDir::toNativeSeparators(path));
            continue;
        }
        QSqlQuery attach(db);
        if (!attach.prepare(QStringLiteral("ATTACH DATABASE ? AS %1").arg(quotedName(attachment.alias))) || !execute(attach, QVariantList{path})) {
            attachment.error = writeResultOf(attach.lastError(), QStringLiteral("无法打开数据库“%1”").arg(QDir::toNativeSeparators(path))).message;
            continue;
        }
        // A commit over two files is atomic only with the rollback journal: a file some tool
        // switched to write-ahead logging goes back to it.
        QSqlQuery mode(db);
        for (const QString &schema : {QStringLiteral("main"), attachment.alias}) {
            if (mode.exec(QStringLiteral("pragma %1.journal_mode").arg(quotedName(schema))) && mode.next()
                && mode.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0) {
                mode.finish();
                mode.exec(QStringLiteral("pragma %1.journal_mode = delete").arg(quotedName(schema)));
            }
            mode.finish();
        }
        attachment.attached = true;
        attachment.error.clear();
    }
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
    // Statements prepared on an earlier connection do not exist on this one.
    m_prepared.clear();
    // A server that does not answer is reported after a few seconds, not after minutes.
    QStringList options = {QStringLiteral("connect_timeout=%1").arg(qMax(2, (m_busyTimeoutMs + 999) / 1000)),
                           QStringLiteral("application_name=quillon")};
    options += m_limits.connectOptions();
    options += address.optionSettings();
    db.setConnectOptions(options.join(QLatin1Char(';')));
    if (!db.open()) {
        m_lastError = QStringLiteral("无法连接数据库服务器“%1”：%2")
                          .arg(address.displayText(), describeServerProblem(db.lastError().nativeErrorCode(), db.lastError().databaseText()));
        return db;
    }
    // The wait for another computer's write lock is bounded like SQLite's busy timeout, and a
    // session that stops working gives its locks back.
    QSqlQuery setup(db);
    if (!execute(setup, ServerSchema::searchPathStatement(m_location.schema())) || !execute(setup, m_limits.sessionStatement(m_busyTimeoutMs))) {
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
    WriteResult failed = WriteResult::failure(QStringLiteral("保存失败：") + m_lastError);
    failed.connectionLost = m_location.isServer();
    return failed;
}

WriteResult Database::readFailure() const
{
    WriteResult failed = WriteResult::failure(QStringLiteral("保存失败：") + m_readError);
    failed.connectionLost = m_readLost;
    return failed;
}

bool Database::connectionOpenNow() const
{
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

void Database::armWatchdog()
{
    m_watchdogFired = false;
    if (m_watchdog)
        m_watchdog->arm(QSqlDatabase::database(m_name, false));
}

void Database::disarmWatchdog()
{
    if (m_watchdog)
        m_watchdogFired = m_watchdog->disarm();
}

bool Database::execute(QSqlQuery &query, const QVariantList &values)
{
    for (const QVariant &value : values)
        query.addBindValue(value);
    armWatchdog();
    const bool done = query.exec();
    disarmWatchdog();
    return done;
}

bool Database::execute(QSqlQuery &query, const QString &sql)
{
    armWatchdog();
    const bool done = query.exec(sql);
    disarmWatchdog();
    return done;
}

bool Database::prepare(QSqlQuery &query, const QString &sql)
{
    // On the server preparing is a round trip of its own.
    armWatchdog();
    const bool done = query.prepare(sql);
    disarmWatchdog();
    return done;
}

WriteResult Database::lostFailure(const QString &action) const
{
    WriteResult failed = WriteResult::failure(action + QStringLiteral("：") + serverConnectionLostText());
    failed.connectionLost = true;
    return failed;
}

WriteResult Database::failureOf(const QSqlError &error, QSqlDatabase &db, const QString &action)
{
    if (!m_location.isServer())
        return writeResultOf(error, action);
    const QString state = error.nativeErrorCode();
    const bool timedOut = m_watchdogFired || isServerStatementTimeout(state);
    const bool lost = m_watchdogFired || isServerConnectionLost(error) || (state.isEmpty() && AnswerWatchdog::connectionBroken(db));
    if (!lost && !timedOut)
        return writeResultOf(error, action);
    m_lossRetryable = !timedOut;
    if (lost)
        forgetConnection(db);
    WriteResult failed = lostFailure(action);
    failed.detail = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    if (m_watchdogFired)
        failed.detail = QStringLiteral("数据库服务器在%1秒内没有回答。").arg(m_limits.answerWaitMs / 1000.0) + QLatin1Char(' ') + failed.detail;
    return failed;
}

QSqlDatabase Database::startRead()
{
    m_readError.clear();
    m_readBusy = false;
    m_readLost = false;
    if (m_transactionLost) {
        m_readError = lostFailure(QStringLiteral("读取失败")).message;
        m_readLost = true;
        return QSqlDatabase();
    }
    QSqlDatabase db = connection();
    if (!db.isOpen()) {
        m_readError = m_lastError;
        m_readLost = m_location.isServer();
        m_lossRetryable = false;
    }
    return db;
}

void Database::readFailed(const QSqlError &error, QSqlDatabase &db)
{
    const WriteResult failed = failureOf(error, db, QStringLiteral("读取失败"));
    m_readError = failed.message;
    m_readLost = failed.connectionLost;
    if (m_location.isServer())
        m_readBusy = isServerLockTimeout(error.nativeErrorCode());
    else
        m_readBusy = isSqliteBusy(error.nativeErrorCode().toInt());
}

QSqlQuery Database::select(const QString &sql, const QVariantList &values)
{
    // A read that a broken connection stopped is tried once more on a new one; inside a
    // transaction the unit as a whole is what must be tried again.
    for (int attempt = 0;; ++attempt) {
        QSqlDatabase db = startRead();
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!db.isOpen())
            return query;
        bool done = false;
        if (m_location.isServer() && values.isEmpty()) {
            // Nothing to bind: one round trip instead of prepare, execute and deallocate.
            done = execute(query, sql);
        } else {
            // Preparing reads the schema, so a file another computer holds can fail here already.
            done = prepare(query, sql) && execute(query, values);
        }
        if (done)
            return query;
        readFailed(query.lastError(), db);
        if (attempt > 0 || !m_readLost || !m_lossRetryable || m_transactionDepth > 0)
            return QSqlQuery(db);
    }
}

WriteResult Database::run(const QString &sql, const QVariantList &values)
{
    if (m_location.isServer() && isRollback(sql) && (m_transactionLost || !connectionOpenNow())) {
        // The server rolled the unit back when the connection broke: nothing to send.
        m_transactionLost = false;
        return WriteResult::success();
    }
    if (m_transactionLost)
        return lostFailure(QStringLiteral("保存失败"));
    QSqlDatabase db = connection();
    if (!db.isOpen()) {
        m_lossRetryable = false;
        return notOpen();
    }
    QSqlQuery own(db);
    QSqlQuery *query = &own;
    bool done = false;
    QSqlError error;
    if (m_location.isServer() && values.isEmpty()) {
        // Statements without values (transaction control, schema changes) cannot be prepared there.
        done = execute(own, sql);
    } else if (m_location.isServer()) {
        // A write's result is read here and nowhere else, so its prepared statement can be kept.
        query = prepared(db, sql, &error);
        if (query)
            done = execute(*query, values);
    } else {
        done = prepare(own, sql) && execute(own, values);
    }
    if (!done) {
        if (query)
            error = query->lastError();
        return failureOf(error, db, QStringLiteral("保存失败"));
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
        if (!prepare(query, sql)) {
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
    if (m_transactionDepth > 0)
        m_transactionLost = true;
}

WriteResult Database::retryingLostConnection(const std::function<WriteResult()> &unit)
{
    if (!m_location.isServer() || m_transactionDepth > 0)
        return unit();
    m_commitSent = false;
    const WriteResult first = unit();
    if (first.ok || !first.connectionLost || m_commitSent || !m_lossRetryable)
        return first;
    m_commitSent = false;
    return unit();
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
    for (int attempt = 0;; ++attempt) {
        QSqlDatabase db = startRead();
        if (!db.isOpen())
            return std::nullopt;
        QSqlError error;
        QSqlQuery *query = prepared(db, sql, &error);
        if (query && execute(*query, values)) {
            collect(*query);
            query->finish();
            return column;
        }
        readFailed(query ? query->lastError() : error, db);
        if (attempt > 0 || !m_readLost || !m_lossRetryable || m_transactionDepth > 0)
            return std::nullopt;
    }
}

WriteResult Database::write(const QString &sql, const QVariantList &values)
{
    if (!m_location.isServer() || m_transactionDepth > 0)
        return run(sql, values);
    return retryingLostConnection([&] {
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
    });
}

WriteResult Database::begin()
{
    if (!m_location.isServer())
        return run(QStringLiteral("BEGIN IMMEDIATE"), {});
    WriteResult begun = run(QStringLiteral("BEGIN"), {});
    // The first statement after a server restart or a network reset finds the old connection
    // broken: nothing was sent yet, so the unit starts again on a new one.
    if (!begun.ok && begun.connectionLost && m_lossRetryable)
        begun = run(QStringLiteral("BEGIN"), {});
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

WriteResult Database::insertAll(const QList<SqlRow> &rows, const QString &table)
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
    const QString into = table.isEmpty() ? quotedName(rows.first().table().name()) : table;
    return write(insertSqlInto(into, rows.first().columns(), int(rows.size())), values);
}

WriteResult Database::update(const SqlRow &row, const QString &where, const QVariantList &whereValues)
{
    const WriteResult widths = row.checkWidths();
    if (!widths.ok)
        return widths;
    return write(row.updateSql(where), row.values() + whereValues);
}
