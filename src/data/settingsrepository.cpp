#include "data/settingsrepository.h"

#include "data/database.h"
#include "data/sqltransaction.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

QStringList tableColumns(QSqlDatabase db)
{
    QStringList columns;
    const QSqlRecord record = db.record(QStringLiteral("设置"));
    for (int i = 0; i < record.count(); ++i)
        columns.append(record.fieldName(i));
    return columns;
}

} // namespace

SettingsRepository::SettingsRepository(Database &db)
    : m_db(db)
{
}

std::optional<QHash<QString, QString>> SettingsRepository::load()
{
    QSqlDatabase db = m_db.connection();
    QSqlQuery query(db);
    if (!db.isOpen() || !query.exec(QStringLiteral("select * from \"设置\" order by rowid limit 1")) || !query.next())
        return std::nullopt;
    QHash<QString, QString> values;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        values.insert(record.fieldName(i), query.value(i).toString());
    return values;
}

WriteResult SettingsRepository::save(const QHash<QString, QString> &columns)
{
    QSqlDatabase db = m_db.connection();
    if (!db.isOpen())
        return WriteResult::failure(QStringLiteral("保存失败：无法打开数据库（%1）。").arg(m_db.lastError()));
    const QStringList known = tableColumns(db);
    QStringList assignments;
    QStringList names;
    QVariantList values;
    for (auto it = columns.cbegin(); it != columns.cend(); ++it) {
        if (!known.contains(it.key()))
            return WriteResult::failure(QStringLiteral("保存失败：设置表没有“%1”这一项。").arg(it.key()));
        names.append(QLatin1Char('"') + it.key() + QLatin1Char('"'));
        assignments.append(names.last() + QStringLiteral(" = ?"));
        values.append(it.value());
    }
    if (names.isEmpty())
        return WriteResult::success();

    SqlTransaction transaction(db);
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("select count(*) from \"设置\"")) || !query.next())
        return WriteResult::fromSqlError(query.lastError());
    const bool hasRow = query.value(0).toInt() > 0;
    const QString sql = hasRow ? QStringLiteral("update \"设置\" set %1 where rowid = (select min(rowid) from \"设置\")")
                                     .arg(assignments.join(QLatin1String(", ")))
                               : QStringLiteral("insert into \"设置\" (%1) values (%2)")
                                     .arg(names.join(QLatin1String(", ")),
                                          QStringList(names.size(), QStringLiteral("?")).join(QLatin1String(", ")));
    query.prepare(sql);
    for (const QVariant &value : std::as_const(values))
        query.addBindValue(value);
    if (!query.exec())
        return WriteResult::fromSqlError(query.lastError());
    if (!transaction.commit())
        return WriteResult::fromSqlError(db.lastError());
    return WriteResult::success();
}

std::optional<QString> SettingsRepository::password()
{
    const auto values = load();
    if (!values)
        return std::nullopt;
    return values->value(QStringLiteral("密码"));
}

WriteResult SettingsRepository::setPassword(const QString &password)
{
    return save({{QStringLiteral("密码"), password}});
}
