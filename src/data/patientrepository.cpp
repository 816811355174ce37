#include "data/patientrepository.h"

#include <QSqlQuery>

#include "data/database.h"
#include "data/sqlcolumns.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"
#include "data/tables.h"
#include "text/nameorder.h"

namespace {

const SqlColumns &columns()
{
    static const SqlColumns read(Tables::patients(),
                                 {QStringLiteral("序号"), QStringLiteral("姓名"), QStringLiteral("性别"), QStringLiteral("年龄"),
                                  QStringLiteral("医疗证号"), QStringLiteral("电话"), QStringLiteral("住址"), QStringLiteral("费别"),
                                  QStringLiteral("诊断"), QStringLiteral("过敏史")});
    return read;
}

// The name field's list: the name, the key as search text, and the birth year.
const SqlColumns &listColumns()
{
    static const SqlColumns read(Tables::patients(), {QStringLiteral("年龄")});
    return read;
}

PatientRepository::Patient patientOf(const QSqlQuery &query)
{
    const SqlColumns::Values row = columns().of(query);
    return {row.text(QStringLiteral("序号")),   row.text(QStringLiteral("姓名")),     row.text(QStringLiteral("性别")),
            row.text(QStringLiteral("年龄")),   row.text(QStringLiteral("医疗证号")), row.text(QStringLiteral("电话")),
            row.text(QStringLiteral("住址")),   row.text(QStringLiteral("费别")),     row.text(QStringLiteral("诊断")),
            row.text(QStringLiteral("过敏史"))};
}

} // namespace

PatientRepository::PatientRepository(Database &db)
    : m_db(db)
    , m_cache(db, listColumns().cacheSelect(QStringLiteral("姓名"), QStringLiteral("序号"), QStringLiteral("order by rowid")))
{
}

QList<PatientRepository::Match> PatientRepository::find(const QString &typed)
{
    QList<Match> matches;
    for (const RowCache::Row *row : m_cache.find(typed))
        matches.append({row->rowId, row->name, listColumns().of(row->columns).text(QStringLiteral("年龄"))});
    // The cache keeps the stored order, so that new patients are only appended to it.
    NameOrder::sort(matches, [](const Match &match) { return match.name; });
    return matches;
}

std::optional<PatientRepository::Patient> PatientRepository::byRowId(qint64 rowId)
{
    QSqlQuery query = m_db.select(columns().select(QStringLiteral("where rowid = ?")), {rowId});
    if (!query.next())
        return std::nullopt;
    return patientOf(query);
}

std::optional<PatientRepository::Patient> PatientRepository::byKey(const QString &key)
{
    QSqlQuery query = m_db.select(columns().select(QStringLiteral("where \"序号\" = ? order by rowid limit 1")), {key});
    if (!query.next())
        return std::nullopt;
    return patientOf(query);
}

QString PatientRepository::fitted(const QString &column, const QString &text)
{
    SqlRow row(Tables::patients());
    row.setClipped(column, text);
    return row.value(column).toString();
}

WriteResult PatientRepository::save(const Patient &patient, QStringList *shortened)
{
    SqlRow row(Tables::patients());
    row.set(QStringLiteral("序号"), patient.key)
        .set(QStringLiteral("姓名"), patient.name)
        .set(QStringLiteral("性别"), patient.sex)
        .set(QStringLiteral("年龄"), patient.birthYear)
        .set(QStringLiteral("医疗证号"), patient.medicalCard)
        .set(QStringLiteral("住址"), patient.address)
        .set(QStringLiteral("诊断"), patient.diagnosis)
        .set(QStringLiteral("费别"), patient.feeClass)
        .set(QStringLiteral("电话"), patient.telephone)
        .set(QStringLiteral("过敏史"), patient.allergy)
        .set(QStringLiteral("备用1"), QString(""))
        .set(QStringLiteral("备用2"), QString(""));
    // The register keeps what fits of every column; the prescription itself is stored whole in
    // the archive.
    QStringList cut;
    for (const QString &column : row.columns()) {
        const QVariant value = row.value(column);
        if (value.typeId() != QMetaType::QString)
            continue;
        row.setClipped(column, value.toString());
        if (row.value(column).toString() != value.toString())
            cut.append(column);
    }
    const QString key = row.value(QStringLiteral("序号")).toString();
    const QString before = m_cache.stampOfTable();
    SqlTransaction transaction(m_db);
    if (!transaction.isActive())
        return transaction.begun();
    const std::optional<QVariantList> existing
        = m_db.firstColumn(QStringLiteral("select rowid from \"患者信息\" where \"序号\" = ? order by rowid"), {key});
    if (!existing)
        return m_db.readFailure();
    QList<qint64> rowIds;
    for (const QVariant &rowId : *existing)
        rowIds.append(rowId.toLongLong());
    const WriteResult written = !rowIds.isEmpty() ? m_db.update(row, QStringLiteral("\"序号\" = ?"), {key}) : m_db.insert(row);
    if (!written.ok)
        return written;
    const WriteResult committed = transaction.commit();
    // The name field's list knows the change without reading every patient again.
    if (committed.ok && rowIds.size() <= 1)
        m_cache.absorbOwnWrite(before,
                               {rowIds.isEmpty() ? m_db.lastInsertRowId() : rowIds.first(), row.value(QStringLiteral("姓名")).toString(), key,
                                {patient.birthYear}},
                               true);
    if (committed.ok && shortened) {
        for (const QString &column : cut) {
            // The key is made from the other columns, not typed.
            if (column != QStringLiteral("序号"))
                shortened->append(QStringLiteral("%1过长，患者信息中只保存了前%2个字").arg(column).arg(Tables::patients().width(column)));
        }
    }
    return committed;
}
