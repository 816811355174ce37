#include "data/settingsrepository.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include "data/database.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"
#include "data/tables.h"

namespace {

const QString FirstRow = QStringLiteral("select * from \"设置\" limit 1");

} // namespace

SettingsRepository::SettingsRepository(Database &db)
    : m_db(db)
{
}

std::optional<QHash<QString, QString>> SettingsRepository::load()
{
    QSqlQuery query = m_db.select(FirstRow);
    if (!query.next())
        return std::nullopt;
    QHash<QString, QString> values;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i) {
        // The server's hidden row identity is no setting.
        if (record.fieldName(i) != QLatin1String("rowid"))
            values.insert(record.fieldName(i), query.value(i).toString());
    }
    return values;
}

WriteResult SettingsRepository::save(const QHash<QString, QString> &columns, const std::function<QString(const QString &)> &caption)
{
    const TableDefinition &table = Tables::settings();
    SqlRow row(table);
    for (const QString &column : table.columnNames()) {
        if (columns.contains(column))
            row.set(column, columns.value(column));
    }
    for (auto it = columns.cbegin(); it != columns.cend(); ++it) {
        if (!table.column(it.key()))
            return WriteResult::failure(QStringLiteral("保存失败：设置表没有“%1”这一项。").arg(it.key()));
    }
    if (row.columns().isEmpty())
        return WriteResult::success();
    const WriteResult widths = row.checkWidths(caption);
    if (!widths.ok)
        return widths;

    SqlTransaction transaction(m_db);
    if (!transaction.isActive())
        return transaction.begun();
    QSqlQuery count = m_db.select(QStringLiteral("select count(*) from \"设置\""));
    if (!count.next())
        return m_db.readFailure();
    const bool hasRow = count.value(0).toInt() > 0;
    count.finish();
    // The table holds one row; updating without a key keeps every engine's SQL the same.
    const WriteResult written = hasRow ? m_db.update(row, QStringLiteral("1 = 1"), {}) : m_db.insert(row);
    if (!written.ok)
        return written;
    return transaction.commit();
}

std::optional<QString> SettingsRepository::password()
{
    QSqlQuery query = m_db.select(QStringLiteral("select \"密码\" from \"设置\" limit 1"));
    if (!query.next() || query.value(0).isNull())
        return std::nullopt;
    return query.value(0).toString();
}

WriteResult SettingsRepository::setPassword(const QString &password)
{
    return save({{QStringLiteral("密码"), password}});
}
