#include "data/databasecreator.h"

#include "data/sqltransaction.h"
#include "data/tsvtable.h"
#include "text/pinyininitials.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <functional>

namespace {

QAtomicInt creatorCounter;

const QString KeyFormat = QStringLiteral("yyyyMMddHHmmss");

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

QStringList schemaStatements(DatabaseKind kind)
{
    const QString resource = kind == DatabaseKind::Main ? QStringLiteral(":/data/schema/main.sql")
                                                        : QStringLiteral(":/data/schema/stats.sql");
    QStringList statements;
    QString current;
    const QStringList lines = resourceText(resource).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.trimmed().startsWith(QLatin1String("--")))
            continue;
        current += line + QLatin1Char('\n');
        if (line.trimmed().endsWith(QLatin1Char(';'))) {
            statements.append(current.trimmed());
            current.clear();
        }
    }
    return statements;
}

QString insertStatement(const QString &table, const QStringList &columns)
{
    QStringList quoted;
    for (const QString &column : columns)
        quoted.append(QLatin1Char('"') + column + QLatin1Char('"'));
    return QStringLiteral("insert into \"%1\" (%2) values (%3)")
        .arg(table, quoted.join(QLatin1String(", ")), QStringList(columns.size(), QStringLiteral("?")).join(QLatin1String(", ")));
}

} // namespace

DatabaseCreator::DatabaseCreator(QDateTime now)
    : m_now(std::move(now))
{
}

WriteResult DatabaseCreator::create(const QString &path, DatabaseKind kind) const
{
    const QFileInfo target(path);
    if (target.exists())
        return WriteResult::failure(QStringLiteral("文件“%1”已经存在，不会被覆盖。").arg(path));
    const QString temp = target.absolutePath() + QStringLiteral("/.%1.%2.creating")
                                                     .arg(target.fileName())
                                                     .arg(QCoreApplication::applicationPid());
    QFile::remove(temp);

    const QString name = QStringLiteral("quillon-create-%1").arg(creatorCounter.fetchAndAddRelaxed(1));
    WriteResult result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(temp);
        if (!db.open())
            result = WriteResult::failure(QStringLiteral("无法创建数据库文件“%1”：%2").arg(path, db.lastError().text()));
        else
            result = populate(db, kind);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);

    if (result.ok && !QFile::rename(temp, path)) {
        result = QFileInfo::exists(path)
                     ? WriteResult::failure(QStringLiteral("文件“%1”已经存在，不会被覆盖。").arg(path))
                     : WriteResult::failure(QStringLiteral("无法写入数据库文件“%1”。").arg(path));
    }
    QFile::remove(temp);
    return result;
}

WriteResult DatabaseCreator::populate(QSqlDatabase &db, DatabaseKind kind) const
{
    SqlTransaction transaction(db);
    QSqlQuery query(db);
    for (const QString &statement : schemaStatements(kind)) {
        if (!query.exec(statement))
            return WriteResult::fromSqlError(query.lastError());
    }
    if (kind == DatabaseKind::Main) {
        const std::function<WriteResult()> steps[] = {
            [&] { return seedSettings(db); },
            [&] { return seedWordList(db, QStringLiteral("诊断"), QStringLiteral(":/data/seed/diagnoses.txt")); },
            [&] { return seedWordList(db, QStringLiteral("地址"), QStringLiteral(":/data/seed/addresses.txt")); },
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
    if (!transaction.commit())
        return WriteResult::fromSqlError(db.lastError());
    return WriteResult::success();
}

WriteResult DatabaseCreator::seedSettings(QSqlDatabase &db) const
{
    const TsvTable seed = TsvTable::fromText(resourceText(QStringLiteral(":/data/seed/settings.tsv")));
    QStringList columns;
    QVariantList values;
    for (int row = 0; row < seed.rowCount(); ++row) {
        columns.append(seed.value(row, QStringLiteral("字段")));
        values.append(seed.value(row, QStringLiteral("值")));
    }
    // The remaining text fields of the settings row start empty, not null.
    for (const QString &column : {QStringLiteral("备用1"), QStringLiteral("备用2"), QStringLiteral("备用3"),
                                  QStringLiteral("默认打印机"), QStringLiteral("处方打印机"),
                                  QStringLiteral("打印机2"), QStringLiteral("打印机3")}) {
        if (!columns.contains(column)) {
            columns.append(column);
            values.append(QString(""));
        }
    }
    QSqlQuery query(db);
    if (!query.prepare(insertStatement(QStringLiteral("设置"), columns)))
        return WriteResult::fromSqlError(query.lastError());
    for (const QVariant &value : std::as_const(values))
        query.addBindValue(value);
    if (!query.exec())
        return WriteResult::fromSqlError(query.lastError());
    return WriteResult::success();
}

WriteResult DatabaseCreator::seedWordList(QSqlDatabase &db, const QString &table, const QString &resource) const
{
    QSqlQuery query(db);
    if (!query.prepare(insertStatement(table, {QStringLiteral("名称"), QStringLiteral("拼音"), QStringLiteral("序号")})))
        return WriteResult::fromSqlError(query.lastError());
    const QStringList names = resourceText(resource).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &rawName : names) {
        const QString name = rawName.trimmed();
        const QString initials = pinyinInitials(name);
        query.addBindValue(name);
        query.addBindValue(initials);
        query.addBindValue(name + initials);
        if (!query.exec())
            return WriteResult::fromSqlError(query.lastError());
    }
    return WriteResult::success();
}

WriteResult DatabaseCreator::seedTemplates(QSqlDatabase &db) const
{
    const TsvTable seed = TsvTable::fromText(resourceText(QStringLiteral(":/data/seed/templates.tsv")));
    QSqlQuery query(db);
    if (!query.prepare(insertStatement(QStringLiteral("个人模板"),
                                       {QStringLiteral("序号"), QStringLiteral("名称"), QStringLiteral("内容"), QStringLiteral("拼音"),
                                        QStringLiteral("查询"), QStringLiteral("分类"), QStringLiteral("排序")})))
        return WriteResult::fromSqlError(query.lastError());
    // Keys are creation times; the seed rows take the seconds just before now, one each.
    for (int row = 0; row < seed.rowCount(); ++row) {
        const QString name = seed.value(row, QStringLiteral("名称"));
        const QString initials = pinyinInitials(name);
        query.addBindValue(m_now.addSecs(row - seed.rowCount()).toString(KeyFormat));
        query.addBindValue(name);
        query.addBindValue(unescapeLineBreaks(seed.value(row, QStringLiteral("内容"))));
        query.addBindValue(initials);
        query.addBindValue(searchKey(name, initials));
        query.addBindValue(seed.value(row, QStringLiteral("分类")));
        query.addBindValue(seed.value(row, QStringLiteral("排序")));
        if (!query.exec())
            return WriteResult::fromSqlError(query.lastError());
    }
    return WriteResult::success();
}

WriteResult DatabaseCreator::seedCatalogue(QSqlDatabase &db) const
{
    const TsvTable seed = TsvTable::fromText(resourceText(QStringLiteral(":/data/seed/catalogue.tsv")));
    const QStringList fromFile = {QStringLiteral("名称"), QStringLiteral("单位"), QStringLiteral("常用量"), QStringLiteral("单价"),
                                  QStringLiteral("分类"), QStringLiteral("斗位"), QStringLiteral("用法")};
    QStringList columns = {QStringLiteral("ID号"), QStringLiteral("查询"), QStringLiteral("拼音"),
                           QStringLiteral("备用1"), QStringLiteral("备用2"), QStringLiteral("备用3")};
    columns += fromFile;
    QSqlQuery query(db);
    if (!query.prepare(insertStatement(QStringLiteral("商品"), columns)))
        return WriteResult::fromSqlError(query.lastError());
    // Like an import: one time stamp for the batch followed by a running number from 1001.
    const QString stamp = m_now.toString(KeyFormat);
    for (int row = 0; row < seed.rowCount(); ++row) {
        const QString name = seed.value(row, QStringLiteral("名称"));
        const QString initials = pinyinInitials(name);
        query.addBindValue(stamp + QString::number(1001 + row));
        query.addBindValue(searchKey(name, initials));
        query.addBindValue(initials);
        for (int spare = 0; spare < 3; ++spare)
            query.addBindValue(QString(""));
        for (const QString &column : fromFile)
            query.addBindValue(seed.value(row, column));
        if (!query.exec())
            return WriteResult::fromSqlError(query.lastError());
    }
    return WriteResult::success();
}
