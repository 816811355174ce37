#include "data/database.h"

#include "data/sqlfunctions.h"
#include "data/sqlrow.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>

namespace {
QAtomicInt connectionCounter;
}

Database::Database(const QString &path, int busyTimeoutMs)
    : m_path(path)
    , m_name(QStringLiteral("quillon-%1").arg(connectionCounter.fetchAndAddRelaxed(1)))
    , m_busyTimeoutMs(busyTimeoutMs)
{
}

Database::~Database()
{
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
}

QString Database::connectionText(const QString &path)
{
    return QStringLiteral("Driver=QSQLITE;Data Source=%1;").arg(path);
}

QSqlDatabase Database::connection()
{
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen())
            return db;
    }
    QSqlDatabase db = QSqlDatabase::contains(m_name) ? QSqlDatabase::database(m_name, false)
                                                     : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    // Never create a missing file here (SQLite would): only start-up creates files.
    if (!QFileInfo::exists(m_path)) {
        m_lastError = QStringLiteral("找不到数据库文件“%1”。").arg(QDir::toNativeSeparators(m_path));
        return db;
    }
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_busyTimeoutMs));
    if (!db.open()) {
        m_lastError = WriteResult::fromSqlError(db.lastError(), QStringLiteral("无法打开数据库“%1”").arg(QDir::toNativeSeparators(m_path))).message;
        return db;
    }
    registerSqlFunctions(db);
    m_lastError.clear();
    return db;
}

WriteResult Database::notOpen() const
{
    return WriteResult::failure(QStringLiteral("保存失败：") + m_lastError);
}

QSqlQuery Database::select(const QString &sql, const QVariantList &values)
{
    QSqlDatabase db = connection();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    m_readError.clear();
    m_readBusy = false;
    if (!db.isOpen()) {
        m_readError = m_lastError;
        return query;
    }
    // Preparing reads the schema, so a file another computer holds can fail here already.
    bool done = query.prepare(sql);
    if (done) {
        for (const QVariant &value : values)
            query.addBindValue(value);
        done = query.exec();
    }
    if (!done) {
        m_readError = WriteResult::fromSqlError(query.lastError(), QStringLiteral("读取失败")).message;
        const int code = query.lastError().nativeErrorCode().toInt() & 0xff;
        m_readBusy = code == 5 || code == 6; // SQLITE_BUSY, SQLITE_LOCKED
        return QSqlQuery(db);
    }
    return query;
}

WriteResult Database::run(const QString &sql, const QVariantList &values)
{
    QSqlDatabase db = connection();
    if (!db.isOpen())
        return notOpen();
    QSqlQuery query(db);
    if (!query.prepare(sql))
        return WriteResult::fromSqlError(query.lastError());
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        return WriteResult::fromSqlError(query.lastError());
    m_rowsAffected = query.numRowsAffected();
    noteWrite(sql);
    return WriteResult::success();
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
    QSqlQuery version = select(QStringLiteral("pragma data_version"));
    const QString other = version.next() ? version.value(0).toString() : QStringLiteral("?");
    const quint64 own = table.isEmpty() ? m_anyWrites : m_tableWrites.value(table) + m_unknownWrites;
    return other + QLatin1Char('/') + QString::number(own);
}

WriteResult Database::exec(const QString &sql, const QVariantList &values)
{
    return run(sql, values);
}

WriteResult Database::insert(const SqlRow &row)
{
    const WriteResult widths = row.checkWidths();
    if (!widths.ok)
        return widths;
    return run(row.insertSql(), row.values());
}

WriteResult Database::update(const SqlRow &row, const QString &where, const QVariantList &whereValues)
{
    const WriteResult widths = row.checkWidths();
    if (!widths.ok)
        return widths;
    return run(row.updateSql(where), row.values() + whereValues);
}
