#include "data/databasecreator.h"

#include <functional>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "data/changecounters.h"
#include "data/database.h"
#include "data/serverschema.h"
#include "data/settingsrepository.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"
#include "data/tables.h"
#include "data/timestampkeygenerator.h"
#include "data/tsvtable.h"
#include "text/pinyininitials.h"

namespace {

const QString CreatingSuffix = QStringLiteral(".creating");

QString resourceText(const QString &resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// Seed files write a line break inside a value as the two characters "\n"; stored texts use CR LF.
QString unescapeLineBreaks(QString value)
{
    return value.replace(QLatin1String("\\n"), QLatin1String("\r\n"));
}

} // namespace

DatabaseCreator::DatabaseCreator(QDateTime now)
    : m_now(std::move(now))
{
}

QStringList DatabaseCreator::leftovers(const QString &folder)
{
    QStringList files;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden)) {
        // ".数据库.dat.1234.creating" and its journal "….creating-journal" (or -wal, -shm).
        if (name.startsWith(QLatin1Char('.')) && name.contains(CreatingSuffix))
            files.append(dir.filePath(name));
    }
    return files;
}

void DatabaseCreator::removeLeftovers(const QString &folder)
{
    for (const QString &file : leftovers(folder))
        QFile::remove(file);
}

WriteResult DatabaseCreator::create(const QString &path, DatabaseKind kind) const
{
    const QFileInfo target(path);
    if (target.exists())
        return WriteResult::failure(QStringLiteral("文件“%1”已经存在，不会被覆盖。").arg(QDir::toNativeSeparators(path)));
    const QString temp = target.absolutePath()
        + QStringLiteral("/.%1.%2%3").arg(target.fileName()).arg(QCoreApplication::applicationPid()).arg(CreatingSuffix);
    QFile::remove(temp);
    QFile::remove(temp + QStringLiteral("-journal"));

    WriteResult result;
    {
        QFile empty(temp);
        if (!empty.open(QIODevice::WriteOnly))
            return WriteResult::failure(QStringLiteral("无法创建数据库文件“%1”：%2").arg(QDir::toNativeSeparators(path), empty.errorString()));
    }
    {
        Database db(temp);
        if (!db.connection().isOpen())
            result = WriteResult::failure(QStringLiteral("无法创建数据库文件“%1”：%2").arg(QDir::toNativeSeparators(path), db.lastError()));
        else
            result = populate(db, kind);
    }
    if (!result.ok && !result.detail.isEmpty()) {
        // Say what went wrong in the user's terms: a full disk is a full disk, not a refused save.
        result = WriteResult::failure(QStringLiteral("无法创建数据库文件“%1”：%2")
                                          .arg(QDir::toNativeSeparators(path), describeDatabaseProblem(0, result.detail)),
                                      result.detail);
    }

    if (result.ok && !QFile::rename(temp, path)) {
        result = QFileInfo::exists(path)
                     ? WriteResult::failure(QStringLiteral("文件“%1”已经存在，不会被覆盖。").arg(QDir::toNativeSeparators(path)))
                     : WriteResult::failure(QStringLiteral("无法写入数据库文件“%1”。").arg(QDir::toNativeSeparators(path)));
    }
    QFile::remove(temp);
    QFile::remove(temp + QStringLiteral("-journal"));
    return result;
}

WriteResult DatabaseCreator::create(const DatabaseLocation &location, DatabaseKind kind) const
{
    return location.isServer() ? createOnServer(location, kind) : create(location.path(), kind);
}

WriteResult DatabaseCreator::createOnServer(const DatabaseLocation &location, DatabaseKind kind) const
{
    Database db(location);
    if (!db.connection().isOpen())
        return WriteResult::failure(db.lastError());
    WriteResult result = populate(db, kind);
    if (!result.ok)
        result.message = QStringLiteral("无法在数据库服务器上建立“%1”：%2").arg(location.shownName(), result.message);
    return result;
}

WriteResult DatabaseCreator::createTables(Database &db, DatabaseKind kind, const QString &schema)
{
    QStringList statements;
    if (db.engine() == SqlEngine::Postgres) {
        const QString name = schema.isEmpty() ? db.location().schema() : schema;
        // Taken under the schema's write lock: of two computers starting at once, the second
        // finds the schema made and leaves it alone.
        if (db.schemaExists(name))
            return WriteResult::failure(QStringLiteral("“%1”已经存在，不会被覆盖。").arg(name));
        statements = ServerSchema::createStatements(name, kind);
    } else {
        for (const TableDefinition *table : Tables::of(kind))
            statements += table->createStatements();
        statements += ChangeCounters::createStatements(kind);
    }
    for (const QString &statement : statements) {
        const WriteResult created = db.exec(statement);
        if (!created.ok)
            return created;
    }
    return WriteResult::success();
}

WriteResult DatabaseCreator::populate(Database &db, DatabaseKind kind) const
{
    SqlTransaction transaction(db);
    if (!transaction.isActive())
        return transaction.begun();
    const WriteResult created = createTables(db, kind);
    if (!created.ok)
        return created;
    if (kind == DatabaseKind::Main) {
        const std::function<WriteResult()> steps[] = {
            [&] { return seedSettings(db); },
            [&] { return seedWordList(db, QStringLiteral(":/data/seed/diagnoses.txt"), true); },
            [&] { return seedWordList(db, QStringLiteral(":/data/seed/addresses.txt"), false); },
            [&] { return seedTemplates(db); },
            [&] { return seedCatalogue(db); },
        };
        // Stop at the first refused row, with the database's own reason for it.
        for (const auto &step : steps) {
            const WriteResult seeded = step();
            if (!seeded.ok)
                return seeded;
        }
    }
    return transaction.commit();
}

WriteResult DatabaseCreator::seedSettings(Database &db) const
{
    const TsvTable seed = TsvTable::fromText(resourceText(QStringLiteral(":/data/seed/settings.tsv")));
    SqlRow row(Tables::settings());
    // The text fields the seed leaves out start empty, not null.
    for (const QString &column : Tables::settings().columnNames())
        row.set(column, QString(""));
    row.set(QStringLiteral("密码"), SettingsRepository::initialPassword());
    for (int i = 0; i < seed.rowCount(); ++i)
        row.set(seed.value(i, QStringLiteral("字段")), seed.value(i, QStringLiteral("值")));
    return db.insert(row);
}

WriteResult DatabaseCreator::seedWordList(Database &db, const QString &resource, bool diagnoses) const
{
    const TableDefinition &table = diagnoses ? Tables::diagnoses() : Tables::addresses();
    const QStringList names = resourceText(resource).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &rawName : names) {
        const QString name = rawName.trimmed();
        const QString initials = pinyinInitials(name);
        const WriteResult written = db.insert(SqlRow(table)
                                                  .set(QStringLiteral("名称"), name)
                                                  .set(QStringLiteral("拼音"), initials)
                                                  .set(QStringLiteral("序号"), name + initials));
        if (!written.ok)
            return written;
    }
    return WriteResult::success();
}

WriteResult DatabaseCreator::seedTemplates(Database &db) const
{
    const TsvTable seed = TsvTable::fromText(resourceText(QStringLiteral(":/data/seed/templates.tsv")));
    // Keys are creation times; the seed rows take the seconds just before now, one each.
    for (int i = 0; i < seed.rowCount(); ++i) {
        const QString name = seed.value(i, QStringLiteral("名称"));
        const QString initials = pinyinInitials(name);
        const WriteResult written = db.insert(SqlRow(Tables::templates())
                                                  .set(QStringLiteral("序号"), TimestampKeyGenerator::stamp(m_now.addSecs(i - seed.rowCount())))
                                                  .set(QStringLiteral("名称"), name)
                                                  .set(QStringLiteral("内容"), unescapeLineBreaks(seed.value(i, QStringLiteral("内容"))))
                                                  .set(QStringLiteral("拼音"), initials)
                                                  .set(QStringLiteral("查询"), searchKey(name, initials))
                                                  .set(QStringLiteral("分类"), seed.value(i, QStringLiteral("分类")))
                                                  .set(QStringLiteral("排序"), seed.value(i, QStringLiteral("排序"))));
        if (!written.ok)
            return written;
    }
    return WriteResult::success();
}

WriteResult DatabaseCreator::seedCatalogue(Database &db) const
{
    const TsvTable seed = TsvTable::fromText(resourceText(QStringLiteral(":/data/seed/catalogue.tsv")));
    static const QStringList fromFile = {QStringLiteral("名称"), QStringLiteral("单位"), QStringLiteral("常用量"), QStringLiteral("单价"),
                                         QStringLiteral("分类"), QStringLiteral("斗位"), QStringLiteral("用法")};
    // Like an import: one time stamp for the batch followed by a running number from 1001.
    const QString stamp = TimestampKeyGenerator::stamp(m_now);
    for (int i = 0; i < seed.rowCount(); ++i) {
        const QString name = seed.value(i, QStringLiteral("名称"));
        const QString initials = pinyinInitials(name);
        SqlRow row(Tables::catalogue());
        row.set(QStringLiteral("ID号"), stamp + QString::number(1001 + i))
            .set(QStringLiteral("查询"), searchKey(name, initials))
            .set(QStringLiteral("拼音"), initials)
            .set(QStringLiteral("备用1"), QString(""))
            .set(QStringLiteral("备用2"), QString(""))
            .set(QStringLiteral("备用3"), QString(""));
        for (const QString &column : fromFile)
            row.set(column, seed.value(i, column));
        const WriteResult written = db.insert(row);
        if (!written.ok)
            return written;
    }
    return WriteResult::success();
}
