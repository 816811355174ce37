#include "data/deletedrowsrepository.h"

#include <QDate>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

#include "data/cataloguename.h"
#include "data/database.h"
#include "data/databaselocation.h"
#include "data/databaseupgrade.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"
#include "data/tabledefinition.h"
#include "data/tables.h"

namespace {

// The same alias StatisticsRepository attaches the statistics file under: one attachment serves both.
const QString Alias = QStringLiteral("stats");

const TableDefinition *definitionOf(const QString &table)
{
    for (const TableDefinition *definition : {&Tables::archive(), &Tables::statistics(), &Tables::catalogue()}) {
        if (definition->name() == table)
            return definition;
    }
    return nullptr;
}

// A stored value as JSON: NULL stays null, a date (the server reads dates as dates) its
// "yyyy-mm-dd" text, anything else its text.
QJsonValue jsonOf(const QVariant &value)
{
    if (value.isNull())
        return QJsonValue(QJsonValue::Null);
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    return value.toString();
}

QJsonObject rowOf(const QString &content)
{
    return QJsonDocument::fromJson(content.toUtf8()).object();
}

} // namespace

DeletedRowsRepository::DeletedRowsRepository(Database &main, const DatabaseLocation &statistics)
    : m_db(main)
    , m_keys(main)
    , m_attached(true)
{
    m_db.attach(Alias, statistics);
    m_statisticsTable = m_db.attachedTable(Alias, Tables::statistics().name());
}

DeletedRowsRepository::DeletedRowsRepository(Database &main)
    : m_db(main)
    , m_keys(main)
{
}

QString DeletedRowsRepository::kindCaption(Kind kind)
{
    return kind == Kind::Prescription ? QStringLiteral("处方") : QStringLiteral("药物");
}

QString DeletedRowsRepository::timeText(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString DeletedRowsRepository::sqlTableOf(const QString &table) const
{
    return table == Tables::statistics().name() ? m_statisticsTable : quotedName(table);
}

WriteResult DeletedRowsRepository::statisticsUsable()
{
    if (!m_attached)
        return WriteResult::failure(QStringLiteral("保存失败：用药统计数据库未连接。"));
    const QString error = m_db.attachError(Alias);
    return error.isEmpty() ? WriteResult::success() : WriteResult::failure(QStringLiteral("保存失败：") + error);
}

WriteResult DeletedRowsRepository::keepPrescription(const QString &prescriptionId, const QDateTime &now,
                                                    const std::function<WriteResult()> &removal)
{
    const WriteResult reachable = statisticsUsable();
    if (!reachable.ok)
        return reachable;
    return keep(Kind::Prescription,
                {{&Tables::archive(), QStringLiteral("序号"), quotedName(Tables::archive().name())},
                 {&Tables::statistics(), QStringLiteral("ID号"), m_statisticsTable}},
                prescriptionId, now, removal);
}

WriteResult DeletedRowsRepository::keepCatalogueEntry(const QString &key, const QDateTime &now, const std::function<WriteResult()> &removal)
{
    return keep(Kind::CatalogueEntry, {{&Tables::catalogue(), QStringLiteral("ID号"), quotedName(Tables::catalogue().name())}}, key, now,
                removal);
}

WriteResult DeletedRowsRepository::keep(Kind kind, const QList<Source> &sources, const QString &key, const QDateTime &now,
                                        const std::function<WriteResult()> &removal)
{
    // A file start-up could not upgrade (it was busy then) gets the table now rather than
    // refusing every deletion.
    WriteResult result = DatabaseUpgrade::ensureTables(m_db, DatabaseKind::Main);
    if (!result.ok)
        return result;
    SqlTransaction transaction(m_db);
    if (!transaction.isActive())
        return transaction.begun();
    // Deletions past their time go with the next one, so the table stays small without a list
    // ever being opened.
    result = purge(now);
    if (!result.ok)
        return result;
    QList<SqlRow> kept;
    const QString deletion = m_keys.next(Tables::deletedRows().name(), QStringLiteral("序号"), QString(), now);
    for (const Source &source : sources) {
        const QStringList columns = source.definition->columnNames();
        QSqlQuery rows = m_db.select(QStringLiteral("select %1 from %2 where %3 = ? order by rowid")
                                         .arg(quotedNames(columns), source.sqlTable, quotedName(source.keyColumn)),
                                     {key});
        if (!rows.isActive())
            return m_db.readFailure();
        while (rows.next()) {
            QJsonObject content;
            for (int i = 0; i < columns.size(); ++i)
                content.insert(columns.at(i), jsonOf(rows.value(i)));
            kept.append(SqlRow(Tables::deletedRows())
                            .set(QStringLiteral("序号"), deletion)
                            .set(QStringLiteral("类别"), kindCaption(kind))
                            .set(QStringLiteral("删除时间"), timeText(now))
                            .set(QStringLiteral("表名"), source.definition->name())
                            .set(QStringLiteral("内容"), QString::fromUtf8(QJsonDocument(content).toJson(QJsonDocument::Compact))));
        }
        // Nothing of the first table (a prescription never saved): nothing to undo.
        if (&source == &sources.first() && kept.isEmpty())
            break;
    }
    // One row at a time: the rows of a deletion are few, and in this order undo puts them back.
    for (const SqlRow &row : std::as_const(kept)) {
        result = m_db.insert(row);
        if (!result.ok)
            return result;
    }
    result = removal();
    if (!result.ok)
        return result;
    return transaction.commit();
}

std::optional<QList<DeletedRowsRepository::Entry>> DeletedRowsRepository::list(const QDateTime &now)
{
    // A file that cannot be written still lists what it holds; the cut-off applies either way.
    purge(now);
    m_readError.clear();
    const QString main = Tables::archive().name();
    const QString catalogue = Tables::catalogue().name();
    QSqlQuery rows = m_db.select(QStringLiteral("select \"序号\", \"删除时间\", \"表名\", \"内容\" from \"已删除\" "
                                                "where \"删除时间\" >= ? and \"表名\" in (?, ?) order by \"删除时间\" desc, rowid desc"),
                                 {timeText(now.addDays(-KeptDays)), main, catalogue});
    if (!rows.isActive()) {
        m_readError = m_db.readError();
        return std::nullopt;
    }
    QList<Entry> entries;
    QStringList seen;
    while (rows.next()) {
        const QString key = rows.value(0).toString();
        if (seen.contains(key))
            continue;
        seen.append(key);
        const QJsonObject content = rowOf(rows.value(3).toString());
        Entry entry;
        entry.key = key;
        entry.deletedAt = rows.value(1).toString();
        if (rows.value(2).toString() == main) {
            entry.kind = Kind::Prescription;
            entry.description = QStringList{content.value(QStringLiteral("0")).toString(), content.value(QStringLiteral("5")).toString()}.join(QLatin1Char(' ')).trimmed();
        } else {
            entry.kind = Kind::CatalogueEntry;
            entry.description = (CatalogueName::shown(content.value(QStringLiteral("名称")).toString()) + QLatin1Char(' ')
                                 + content.value(QStringLiteral("常用量")).toString())
                                    .trimmed();
        }
        entries.append(entry);
    }
    return entries;
}

WriteResult DeletedRowsRepository::purge(const QDateTime &now)
{
    return m_db.exec(QStringLiteral("delete from \"已删除\" where \"删除时间\" < ?"), {timeText(now.addDays(-KeptDays))});
}

WriteResult DeletedRowsRepository::undo(const QString &key)
{
    WriteResult result = m_db.retryingLostConnection([&]() -> WriteResult {
        SqlTransaction transaction(m_db);
        if (!transaction.isActive())
            return transaction.begun();
        QSqlQuery rows = m_db.select(QStringLiteral("select \"表名\", \"内容\" from \"已删除\" where \"序号\" = ? order by rowid"), {key});
        if (!rows.isActive())
            return m_db.readFailure();
        QList<QPair<const TableDefinition *, QJsonObject>> kept;
        while (rows.next()) {
            const TableDefinition *table = definitionOf(rows.value(0).toString());
            if (!table)
                return WriteResult::failure(QStringLiteral("恢复失败：无法识别表“%1”中的记录。").arg(rows.value(0).toString()));
            kept.append({table, rowOf(rows.value(1).toString())});
        }
        if (kept.isEmpty())
            return WriteResult::failure(QStringLiteral("这条删除记录已经不在了（可能已在其他电脑上恢复），请重新打开列表。"));

        // What was deleted must come back exactly: a key or name used again since would make two.
        for (const auto &[table, content] : std::as_const(kept)) {
            if (table == &Tables::statistics()) {
                const WriteResult reachable = statisticsUsable();
                if (!reachable.ok)
                    return reachable;
                continue;
            }
            const bool prescription = table == &Tables::archive();
            const QString keyColumn = prescription ? QStringLiteral("序号") : QStringLiteral("ID号");
            const QString keyValue = content.value(keyColumn).toString();
            const std::optional<QVariantList> used = m_db.firstColumn(
                QStringLiteral("select count(*) from %1 where %2 = ?").arg(quotedName(table->name()), quotedName(keyColumn)), {keyValue});
            if (!used || used->isEmpty())
                return m_db.readFailure();
            if (used->first().toInt() > 0) {
                return WriteResult::failure(prescription
                                                ? QStringLiteral("处方编号“%1”已被另一张处方使用，这张处方不能恢复。").arg(keyValue)
                                                : QStringLiteral("药物编号“%1”已被另一种药物使用，这种药物不能恢复。").arg(keyValue));
            }
            if (!prescription) {
                const QString name = content.value(QStringLiteral("名称")).toString();
                const std::optional<QVariantList> named
                    = m_db.firstColumn(QStringLiteral("select count(*) from \"商品\" where \"名称\" = ?"), {name});
                if (!named || named->isEmpty())
                    return m_db.readFailure();
                if (named->first().toInt() > 0)
                    return WriteResult::failure(QStringLiteral("药物“%1”已经重新添加，不能恢复。").arg(CatalogueName::shown(name)));
            }
        }
        // Statistics lines of that id left behind would be counted twice.
        for (const auto &[table, content] : std::as_const(kept)) {
            if (table != &Tables::archive())
                continue;
            const QString id = content.value(QStringLiteral("序号")).toString();
            const std::optional<QVariantList> lines
                = m_db.firstColumn(QStringLiteral("select count(*) from %1 where \"ID号\" = ?").arg(m_statisticsTable), {id});
            if (!lines || lines->isEmpty())
                return m_db.readFailure();
            if (lines->first().toInt() > 0)
                return WriteResult::failure(QStringLiteral("处方编号“%1”已被另一张处方使用，这张处方不能恢复。").arg(id));
        }

        for (const auto &[table, content] : std::as_const(kept)) {
            QStringList columns;
            QVariantList values;
            for (const QString &column : table->columnNames()) {
                if (!content.contains(column))
                    continue;
                const QJsonValue value = content.value(column);
                columns.append(column);
                // Bound as stored: a NULL stays NULL, a text (an empty one too) that text.
                values.append(value.isNull() ? QVariant() : QVariant(value.toString()));
            }
            const WriteResult inserted = m_db.exec(insertSqlInto(sqlTableOf(table->name()), columns), values);
            if (!inserted.ok)
                return inserted;
        }
        const WriteResult dropped = m_db.exec(QStringLiteral("delete from \"已删除\" where \"序号\" = ?"), {key});
        if (!dropped.ok)
            return dropped;
        return transaction.commit();
    });
    // Said as what the user asked for.
    const QString saving = QStringLiteral("保存失败");
    if (!result.ok && result.message.startsWith(saving))
        result.message.replace(0, saving.size(), QStringLiteral("恢复失败"));
    return result;
}
