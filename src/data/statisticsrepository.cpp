#include "data/statisticsrepository.h"

#include <QSqlQuery>

#include "data/database.h"
#include "data/databaselocation.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"
#include "data/tabledefinition.h"
#include "data/tables.h"

namespace {
const QString Alias = QStringLiteral("stats");
const QString SettledMark = QStringLiteral("-已结算");
// The statistics file's user version (SQLite) or its table's comment (server) once both files
// were found whole.
constexpr int CheckedVersion = 1;
const QString CheckedComment = QStringLiteral("quillon: settlements checked");
} // namespace

StatisticsRepository::StatisticsRepository(Database &main, const DatabaseLocation &statistics)
    : m_db(main)
    , m_attached(true)
{
    m_db.attach(Alias, statistics);
    m_table = m_db.attachedTable(Alias, Tables::statistics().name());
}

StatisticsRepository::StatisticsRepository(Database &statistics)
    : m_db(statistics)
    , m_table(quotedName(Tables::statistics().name()))
{
}

WriteResult StatisticsRepository::usable()
{
    if (!m_attached)
        return WriteResult::success();
    const QString error = m_db.attachError(Alias);
    return error.isEmpty() ? WriteResult::success() : WriteResult::failure(QStringLiteral("保存失败：") + error);
}

WriteResult StatisticsRepository::replace(const QString &prescriptionId, const QString &date, const QList<StatisticsLine> &lines)
{
    QList<SqlRow> rows;
    for (const StatisticsLine &line : lines) {
        SqlRow row(Tables::statistics());
        row.set(QStringLiteral("ID号"), prescriptionId)
            .set(QStringLiteral("日期"), date)
            .set(QStringLiteral("名称"), line.name)
            .set(QStringLiteral("数量"), line.quantity)
            .set(QStringLiteral("单位"), line.unit)
            .set(QStringLiteral("单价"), line.unitPrice)
            .set(QStringLiteral("金额"), line.amount)
            .set(QStringLiteral("斗位"), line.drawer)
            .set(QStringLiteral("分类"), line.category);
        WriteResult fits = row.checkWidths();
        if (!fits.ok) {
            fits.message += QStringLiteral("（%1）").arg(line.name);
            return fits;
        }
        rows.append(row);
    }
    const WriteResult reachable = usable();
    if (!reachable.ok)
        return reachable;
    return m_db.retryingLostConnection([&]() -> WriteResult {
        SqlTransaction transaction(m_db);
        if (!transaction.isActive())
            return transaction.begun();
        WriteResult result = m_db.exec(QStringLiteral("delete from %1 where \"ID号\" = ?").arg(m_table), {prescriptionId});
        if (!result.ok)
            return result;
        // The lines go in one statement: one round trip to a server instead of one per line.
        result = m_db.insertAll(rows, m_table);
        if (!result.ok)
            return result;
        return transaction.commit();
    });
}

WriteResult StatisticsRepository::remove(const QString &prescriptionId)
{
    const WriteResult result = usable();
    if (!result.ok)
        return result;
    return m_db.exec(QStringLiteral("delete from %1 where \"ID号\" = ?").arg(m_table), {prescriptionId});
}

int StatisticsRepository::countFor(const QString &prescriptionId)
{
    if (!usable().ok)
        return -1;
    const std::optional<QVariantList> counted
        = m_db.firstColumn(QStringLiteral("select count(*) from %1 where \"ID号\" = ?").arg(m_table), {prescriptionId});
    return counted && !counted->isEmpty() ? counted->first().toInt() : -1;
}

std::optional<StatisticsRepository::Leftovers> StatisticsRepository::leftovers()
{
    if (!m_attached || !usable().ok)
        return std::nullopt;
    Leftovers found;
    // Both reads walk indexes only (settled mark with id; the statistics' id), never the rows.
    QSqlQuery settled = m_db.select(QStringLiteral("select a.\"序号\" from \"档案\" a where a.\"发药\" = ? "
                                                   "and not exists (select 1 from %1 s where s.\"ID号\" = a.\"序号\")")
                                        .arg(m_table),
                                    {SettledMark});
    if (!settled.isActive())
        return std::nullopt;
    while (settled.next())
        found.settledWithoutLines.append(settled.value(0).toString());
    QSqlQuery orphans = m_db.select(QStringLiteral("select distinct s.\"ID号\" from %1 s "
                                                   "where not exists (select 1 from \"档案\" a where a.\"序号\" = s.\"ID号\")")
                                        .arg(m_table));
    if (!orphans.isActive())
        return std::nullopt;
    while (orphans.next())
        found.linesWithoutPrescription.append(orphans.value(0).toString());
    return found;
}

bool StatisticsRepository::leftoversChecked()
{
    if (!m_attached || !usable().ok)
        return false;
    const std::optional<QVariantList> marker = m_db.location().isServer()
        ? m_db.firstColumn(QStringLiteral("select obj_description(?::regclass, 'pg_class')"), {m_table})
        : m_db.firstColumn(QStringLiteral("pragma %1.user_version").arg(quotedName(Alias)));
    if (!marker || marker->isEmpty())
        return false;
    return m_db.location().isServer() ? marker->first().toString() == CheckedComment : marker->first().toInt() >= CheckedVersion;
}

WriteResult StatisticsRepository::markLeftoversChecked()
{
    const WriteResult result = usable();
    if (!result.ok)
        return result;
    if (m_db.location().isServer())
        return m_db.exec(QStringLiteral("comment on table %1 is %2").arg(m_table, quotedText(CheckedComment)));
    return m_db.exec(QStringLiteral("pragma %1.user_version = %2").arg(quotedName(Alias)).arg(CheckedVersion));
}

WriteResult StatisticsRepository::removeLines(const QStringList &prescriptionIds)
{
    WriteResult result = usable();
    if (!result.ok)
        return result;
    SqlTransaction transaction(m_db);
    if (!transaction.isActive())
        return transaction.begun();
    for (const QString &id : prescriptionIds) {
        result = m_db.exec(QStringLiteral("delete from %1 where \"ID号\" = ?").arg(m_table), {id});
        if (!result.ok)
            return result;
    }
    return transaction.commit();
}
