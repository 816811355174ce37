#include "data/archiverepository.h"

#include <QSqlQuery>

#include "data/database.h"
#include "data/likepattern.h"
#include "data/sqldialect.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"
#include "data/tables.h"

namespace {

constexpr int HeaderFields = 18;
// Beyond this many matching names a scan of the name index is quicker than looking each one up.
constexpr int MostNamesLookedUp = 2000;

QString recordColumns()
{
    QStringList columns = {QStringLiteral("\"序号\"")};
    for (int i = 0; i < HeaderFields; ++i)
        columns.append(quotedName(QString::number(i)));
    columns += {QStringLiteral("\"类别\""), QStringLiteral("\"T1\""), QStringLiteral("\"T2\""), QStringLiteral("\"病历\""),
                QStringLiteral("\"发药\""), QStringLiteral("\"剂数\""), QStringLiteral("\"计价\"")};
    return columns.join(QStringLiteral(", "));
}

ArchiveRecord fromQuery(const QSqlQuery &query)
{
    ArchiveRecord record;
    record.id = query.value(0).toString();
    for (int i = 0; i < HeaderFields; ++i)
        record.fields.append(query.value(1 + i).toString());
    int next = 1 + HeaderFields;
    record.kind = query.value(next++).toString();
    record.body = query.value(next++).toString();
    record.cardText = query.value(next++).toString();
    record.medicalRecord = query.value(next++).toString();
    record.settledMark = query.value(next++).toString();
    record.doses = query.value(next++).toString();
    record.pricedSheet = query.value(next++).toString();
    return record;
}

const QString HistoryColumns = QStringLiteral("select rowid, \"序号\", \"0\", \"1\", \"2\", \"5\", \"发药\" from \"档案\" where ");

} // namespace

ArchiveRepository::ArchiveRepository(Database &db)
    : m_db(db)
    , m_keys(db)
{
}

WriteResult ArchiveRepository::save(const ArchiveRecord &record, QString *storedId)
{
    return m_db.retryingLostConnection([&] { return saveOnce(record, storedId); });
}

WriteResult ArchiveRepository::saveOnce(const ArchiveRecord &record, QString *storedId)
{
    SqlRow row(Tables::archive());
    for (int i = 0; i < HeaderFields; ++i)
        row.set(QString::number(i), record.fields.value(i));
    row.set(QStringLiteral("类别"), record.kind)
        .set(QStringLiteral("T1"), record.body)
        .set(QStringLiteral("T2"), record.cardText)
        .set(QStringLiteral("病历"), record.medicalRecord)
        .set(QStringLiteral("序号"), record.id)
        .set(QStringLiteral("发药"), record.settledMark)
        .set(QStringLiteral("剂数"), record.doses)
        .set(QStringLiteral("计价"), record.pricedSheet);
    // Under the write lock no other computer can store an id between the check and the write.
    SqlTransaction transaction(m_db);
    if (!transaction.isActive())
        return transaction.begun();
    const bool fresh = m_fresh.contains(record.id);
    QString id = record.id;
    bool found = false;
    // Another computer with the same prefix (a second copy of the program) may have taken the id.
    constexpr int MostAttempts = 100;
    for (int attempt = 0;; ++attempt) {
        const std::optional<QVariantList> existing = m_db.firstColumn(QStringLiteral("select count(*) from \"档案\" where \"序号\" = ?"), {id});
        if (!existing || existing->isEmpty())
            return m_db.readFailure();
        found = existing->first().toInt() > 0;
        if (!found || !fresh)
            break;
        if (attempt == MostAttempts)
            return WriteResult::failure(QStringLiteral("保存失败：找不到未被使用的处方编号，请稍后再试。"));
        const QString prefix = id.left(id.size() - 14);
        id = m_keys.next(QStringLiteral("档案"), QStringLiteral("序号"), prefix,
                         QDateTime::fromString(id.right(14), TimestampKeyGenerator::format()));
    }
    row.set(QStringLiteral("序号"), id);
    const Database::TableChanges before = m_db.tableChanges(QStringLiteral("档案"));
    const WriteResult written = found ? m_db.update(row, QStringLiteral("\"序号\" = ?"), {id}) : m_db.insert(row);
    if (!written.ok)
        return written;
    const WriteResult committed = transaction.commit();
    if (committed.ok) {
        m_fresh.remove(record.id);
        if (storedId)
            *storedId = id;
        // The history's name list learns the saved name without reading every name again.
        if (!m_namesSeen.stamp.isEmpty() && before.stamp == m_namesSeen.stamp && !record.fields.value(0).isNull()) {
            addName(record.fields.value(0));
            m_namesSeen = m_db.tableChanges(QStringLiteral("档案"));
            if (!found)
                m_namesLastRowId = qMax(m_namesLastRowId, m_db.lastInsertRowId());
        }
    } else if (committed.connectionLost && m_db.commitInDoubt() && id == record.id) {
        // The server may have stored it before the connection broke: the next save must rewrite
        // that row, not store the prescription a second time under another id.
        m_fresh.remove(record.id);
    }
    return committed;
}

WriteResult ArchiveRepository::save(const ArchiveRecord &record, PatientRepository &patients,
                                     const std::optional<PatientRepository::Patient> &patient, QString *storedId,
                                     QStringList *shortened, const AlsoWrite &also)
{
    return m_db.retryingLostConnection([&] {
        SqlTransaction transaction(m_db);
        if (!transaction.isActive())
            return transaction.begun();
        if (shortened)
            shortened->clear();
        // A unit undone is as if never tried: a fresh id stays one that must never rewrite a row.
        const bool fresh = m_fresh.contains(record.id);
        QString id;
        WriteResult written = saveOnce(record, &id);
        if (written.ok && patient)
            written = patients.save(*patient, shortened);
        if (written.ok && also)
            written = also(id);
        if (written.ok)
            written = transaction.commit();
        if (!written.ok) {
            // The server may have stored it before the connection broke: the next save must
            // rewrite that row, not store the prescription a second time under another id.
            if (written.connectionLost && m_db.commitInDoubt())
                m_fresh.remove(record.id);
            else if (fresh)
                m_fresh.insert(record.id);
            return written;
        }
        if (storedId)
            *storedId = id;
        return written;
    });
}

std::optional<ArchiveRecord> ArchiveRepository::byRowId(qint64 rowId)
{
    QSqlQuery query = m_db.select(QStringLiteral("select %1 from \"档案\" where rowid = ?").arg(recordColumns()), {rowId});
    if (!query.next())
        return std::nullopt;
    return fromQuery(query);
}

std::optional<ArchiveRecord> ArchiveRepository::byId(const QString &id)
{
    QSqlQuery query = m_db.select(QStringLiteral("select %1 from \"档案\" where \"序号\" = ? order by rowid limit 1").arg(recordColumns()), {id});
    if (!query.next())
        return std::nullopt;
    return fromQuery(query);
}

WriteResult ArchiveRepository::addPrintOverride(const QString &id, const QString &entry)
{
    SqlTransaction transaction(m_db);
    if (!transaction.isActive())
        return transaction.begun();
    const std::optional<QVariantList> kept = m_db.firstColumn(QStringLiteral("select \"T5\" from \"档案\" where \"序号\" = ?"), {id});
    if (!kept)
        return WriteResult::failure(QStringLiteral("记录“仍打印”失败：") + m_db.readError());
    if (kept->isEmpty())
        return WriteResult::failure(QStringLiteral("记录“仍打印”失败：处方尚未保存。"));
    QStringList lines = kept->first().toString().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    lines.append(entry);
    SqlRow row(Tables::archive());
    row.set(QStringLiteral("T5"), lines.join(QStringLiteral("\r\n")));
    const WriteResult written = m_db.update(row, QStringLiteral("\"序号\" = ?"), {id});
    if (!written.ok)
        return written;
    return transaction.commit();
}

QStringList ArchiveRepository::printOverrides(const QString &id)
{
    const std::optional<QVariantList> kept = m_db.firstColumn(QStringLiteral("select \"T5\" from \"档案\" where \"序号\" = ?"), {id});
    if (!kept || kept->isEmpty())
        return {};
    return kept->first().toString().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

void ArchiveRepository::refreshNames()
{
    // The distinct names are few compared with the prescriptions; held in memory, they turn a scan
    // of every prescription into a look-up of the few names that match. A name too many does no
    // harm (the look-up finds nothing for it), so rows added since the last read only add theirs;
    // only several rewrites elsewhere, which may have renamed prescriptions, read all again.
    const Database::TableChanges now = m_db.tableChanges(QStringLiteral("档案"));
    if (!m_namesSeen.stamp.isEmpty() && now.stamp == m_namesSeen.stamp)
        return;
    // One prescription rewritten elsewhere (its id is recorded) adds its name, as an addition does.
    const bool onlyAdded = !m_namesSeen.stamp.isEmpty() && now.counted && m_namesSeen.counted && now.uncertain == m_namesSeen.uncertain
        && (now.rewrites == m_namesSeen.rewrites || now.rewrites == m_namesSeen.rewrites + 1);
    const std::optional<QVariantList> last = m_db.firstColumn(QStringLiteral("select max(rowid) from \"档案\""));
    if (!last) {
        m_namesSeen = {};
        return;
    }
    const qint64 lastRowId = last->value(0).toLongLong();
    if (!onlyAdded) {
        m_names.clear();
        m_nameSet.clear();
    } else if (now.rewrites != m_namesSeen.rewrites) {
        const std::optional<QVariantList> renamed
            = m_db.firstColumn(QStringLiteral("select \"0\" from \"档案\" where rowid = ? and \"0\" is not null"), {now.lastRewritten});
        if (!renamed) {
            m_namesSeen = {};
            return;
        }
        for (const QVariant &name : *renamed)
            addName(name.toString());
    }
    QSqlQuery query = onlyAdded
        ? m_db.select(QStringLiteral("select distinct \"0\" from \"档案\" where rowid > ? and rowid <= ? and \"0\" is not null"),
                      {m_namesLastRowId, lastRowId})
        : m_db.select(QStringLiteral("select distinct \"0\" from \"档案\" where rowid <= ? and \"0\" is not null"), {lastRowId});
    while (query.next())
        addName(query.value(0).toString());
    if (query.isActive()) {
        m_namesSeen = now;
        m_namesLastRowId = lastRowId;
        ++m_nameLoads;
    } else {
        m_namesSeen = {};
    }
}

void ArchiveRepository::addName(const QString &name)
{
    if (!m_nameSet.contains(name)) {
        m_nameSet.insert(name);
        m_names.append(name);
    }
}

QStringList ArchiveRepository::namesContaining(const QString &text)
{
    refreshNames();
    QStringList found;
    for (const QString &name : std::as_const(m_names)) {
        if (name.contains(text, Qt::CaseInsensitive))
            found.append(name);
    }
    return found;
}

QList<ArchiveRepository::HistoryEntry> ArchiveRepository::history(const QString &nameFilter, const QDate &from, const QDate &to)
{
    QList<HistoryEntry> entries;
    if (!from.isValid() || !to.isValid())
        return entries;
    const QString dates = QStringLiteral("\"5\" between ? and ? order by %1 desc")
                              .arg(SqlDialect::caseBlindOrder(m_db.engine(), QStringLiteral("\"序号\"")));
    QVariantList values;
    QString condition;
    if (nameFilter.isEmpty()) {
        condition = QStringLiteral("\"0\" is not null and ");
    } else {
        const QStringList names = namesContaining(nameFilter);
        if (names.isEmpty())
            return entries;
        if (names.size() <= MostNamesLookedUp) {
            condition = QStringLiteral("\"0\" in (%1) and ").arg(QStringList(names.size(), QStringLiteral("?")).join(QLatin1Char(',')));
            for (const QString &name : names)
                values.append(name);
        } else {
            condition = QStringLiteral("\"0\" like ? escape '\\' and ");
            values.append(containsPattern(nameFilter));
        }
    }
    values += {from.toString(Qt::ISODate), to.toString(Qt::ISODate)};
    QSqlQuery query = m_db.select(HistoryColumns + condition + dates, values);
    while (query.next()) {
        entries.append({query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(), query.value(3).toString(),
                        query.value(4).toString(), query.value(5).toString(), query.value(6).toString()});
    }
    return entries;
}

WriteResult ArchiveRepository::remove(const QString &id, int *removed, const AlsoWrite &also)
{
    if (removed)
        *removed = 0;
    SqlTransaction transaction(m_db);
    if (!transaction.isActive())
        return transaction.begun();
    WriteResult result = m_db.exec(QStringLiteral("delete from \"档案\" where \"序号\" = ?"), {id});
    if (!result.ok)
        return result;
    const int rows = m_db.rowsAffected();
    if (also) {
        result = also(id);
        if (!result.ok)
            return result;
    }
    result = transaction.commit();
    if (result.ok && removed)
        *removed = rows;
    return result;
}

QString ArchiveRepository::freshId(const QString &prefix, const QDateTime &now)
{
    const QString id = m_keys.next(QStringLiteral("档案"), QStringLiteral("序号"), prefix, now);
    m_fresh.insert(id);
    return id;
}
