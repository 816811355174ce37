#include "data/patientrepository.h"

#include <QSqlQuery>

#include "data/database.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"
#include "data/tables.h"

namespace {

const QString Columns = QStringLiteral("\"序号\", \"姓名\", \"性别\", \"年龄\", \"医疗证号\", \"电话\", \"住址\", \"费别\", \"诊断\", \"过敏史\"");

PatientRepository::Patient fromQuery(const QSqlQuery &query)
{
    PatientRepository::Patient patient;
    QString *fields[] = {&patient.key,     &patient.name,    &patient.sex,      &patient.birthYear, &patient.medicalCard,
                         &patient.telephone, &patient.address, &patient.feeClass, &patient.diagnosis, &patient.allergy};
    for (int i = 0; i < 10; ++i)
        *fields[i] = query.value(i).toString();
    return patient;
}

} // namespace

PatientRepository::PatientRepository(Database &db)
    : m_db(db)
    , m_cache(db, QStringLiteral("select rowid, \"姓名\", \"序号\", \"年龄\" from \"患者信息\" order by rowid"))
{
}

QList<PatientRepository::Match> PatientRepository::find(const QString &typed)
{
    QList<Match> matches;
    for (const RowCache::Row *row : m_cache.find(typed))
        matches.append({row->rowId, row->name, row->columns.value(0)});
    return matches;
}

std::optional<PatientRepository::Patient> PatientRepository::byRowId(qint64 rowId)
{
    QSqlQuery query = m_db.select(QStringLiteral("select %1 from \"患者信息\" where rowid = ?").arg(Columns), {rowId});
    if (!query.next())
        return std::nullopt;
    return fromQuery(query);
}

std::optional<PatientRepository::Patient> PatientRepository::byKey(const QString &key)
{
    QSqlQuery query = m_db.select(QStringLiteral("select %1 from \"患者信息\" where \"序号\" = ? order by rowid limit 1").arg(Columns), {key});
    if (!query.next())
        return std::nullopt;
    return fromQuery(query);
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
        return WriteResult::failure(QStringLiteral("保存失败：") + m_db.readError());
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
