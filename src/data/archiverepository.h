#pragma once

#include <functional>
#include <optional>

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "data/database.h"
#include "data/patientrepository.h"
#include "data/timestampkeygenerator.h"
#include "data/writeresult.h"


// One saved prescription as the archive 档案 stores it: the 18 header fields in the columns named
// by their numbers ("5" is the date), the body, the infusion-card text, the medical record, the
// settled mark, the doses and the priced sheet.
struct ArchiveRecord
{
    QString id; // 序号, the PrescriptionId
    QStringList fields; // 18 texts; fields[5] is "yyyy-mm-dd" or empty
    QString kind;       // 类别: "中" or "西"
    QString body;       // T1
    QString cardText;   // T2
    QString medicalRecord; // 病历
    QString settledMark;   // 发药
    QString doses;         // 剂数
    QString pricedSheet;   // 计价
};

// The prescription archive 档案.
class ArchiveRepository
{
public:
    // One row of the history list.
    struct HistoryEntry
    {
        qint64 rowId = 0;
        QString id;
        QString name;
        QString sex;
        QString age;
        QString date;
        QString settledMark;
    };

    // A write of another table of the same connection (the statistics attached to it) that belongs
    // to the same change: it runs inside the transaction, with the id the prescription is stored
    // under, and its refusal undoes everything.
    using AlsoWrite = std::function<WriteResult(const QString &storedId)>;

    explicit ArchiveRepository(Database &db);

    // Adds the prescription or rewrites the row of its id; joins a transaction in progress. The
    // first save of an id freshId() handed out never rewrites a row: when another computer has
    // stored that id meanwhile, the prescription is stored under the next free id, which
    // `storedId` receives.
    WriteResult save(const ArchiveRecord &record, QString *storedId = nullptr);
    // The prescription, its patient's register row and the `also` write in one transaction: all or
    // none. `shortened` receives what the register kept shortened (PatientRepository::save).
    WriteResult save(const ArchiveRecord &record, PatientRepository &patients, const std::optional<PatientRepository::Patient> &patient,
                     QString *storedId = nullptr, QStringList *shortened = nullptr, const AlsoWrite &also = {});
    std::optional<ArchiveRecord> byRowId(qint64 rowId);
    // The first stored row of that id.
    std::optional<ArchiveRecord> byId(const QString &id);
    // The prescriptions whose name holds the filter text (any letter case, taken literally), dated
    // from `from` to `to` inclusive, newest id first.
    QList<HistoryEntry> history(const QString &nameFilter, const QDate &from, const QDate &to);
    // Deletes the prescription of that id together with the `also` write, in one transaction; the
    // number of archive rows deleted.
    WriteResult remove(const QString &id, int *removed = nullptr, const AlsoWrite &also = {});
    // Keeps a line with the stored prescription of that id saying it was printed despite red safety
    // warnings. The lines gather in the column T5, which nothing else uses, one per printing.
    WriteResult addPrintOverride(const QString &id, const QString &entry);
    // Those lines, oldest first; empty when there are none or no such prescription.
    QStringList printOverrides(const QString &id);
    // A PrescriptionId (installation prefix + "yyyymmddhhmmss") that no stored prescription has and
    // that this program has not handed out before.
    QString freshId(const QString &prefix, const QDateTime &now);

    // How many times the distinct names were read whole or in part, for measuring.
    int nameLoads() const { return m_nameLoads; }

private:
    QStringList namesContaining(const QString &text);
    void refreshNames();
    void addName(const QString &name);
    WriteResult saveOnce(const ArchiveRecord &record, QString *storedId);

    Database &m_db;
    TimestampKeyGenerator m_keys;
    // Ids handed out and not yet stored: their first save must add a row, never rewrite one.
    QSet<QString> m_fresh;
    Database::TableChanges m_namesSeen;
    qint64 m_namesLastRowId = 0;
    QStringList m_names;
    QSet<QString> m_nameSet;
    int m_nameLoads = 0;
};
