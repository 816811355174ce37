#pragma once

#include <functional>
#include <optional>

#include <QDateTime>
#include <QList>
#include <QString>

#include "data/timestampkeygenerator.h"
#include "data/writeresult.h"

class Database;
class DatabaseLocation;
class TableDefinition;

// Prescriptions and catalogue entries the user deleted, kept whole in 已删除 for a while so that a
// deletion made by mistake can be undone: a prescription with its statistics lines, a catalogue
// entry alone. Each deleted row is kept with every column exactly as it was stored (NULL apart
// from ""), so that undoing puts back the very rows, under the same keys. Keeping happens in the
// transaction of the deletion, undoing in one transaction of its own: both files change, or
// neither.
class DeletedRowsRepository
{
public:
    // What a deletion was.
    enum class Kind { Prescription, CatalogueEntry };

    // One deletion in the list.
    struct Entry
    {
        QString key;
        Kind kind = Kind::Prescription;
        QString deletedAt; // "yyyy-MM-dd HH:mm:ss"
        // The patient's name and the prescription's date, or the drug's name and pack as shown.
        QString description;
    };

    // How long a deletion can be undone.
    static constexpr int KeptDays = 30;

    // With the statistics reached through the main database's connection (prescriptions).
    DeletedRowsRepository(Database &main, const DatabaseLocation &statistics);
    // The main database alone: catalogue entries only.
    explicit DeletedRowsRepository(Database &main);

    // Keeps the archive rows and statistics lines of a prescription, then runs `removal` (which
    // deletes them), in one transaction. Nothing is kept when no archive row has that id.
    WriteResult keepPrescription(const QString &prescriptionId, const QDateTime &now, const std::function<WriteResult()> &removal);
    // The same for the catalogue entry of that key.
    WriteResult keepCatalogueEntry(const QString &key, const QDateTime &now, const std::function<WriteResult()> &removal);

    // The deletions of the last KeptDays days, newest first; older ones are dropped first.
    // Nothing when the table cannot be read (readError() says why).
    std::optional<QList<Entry>> list(const QDateTime &now);
    QString readError() const { return m_readError; }
    // Puts a deletion back whole and takes it off the list, in one transaction. Refused, with the
    // reason in Chinese, when its prescription id, or its catalogue entry's key or name, has been
    // used again since.
    WriteResult undo(const QString &key);
    // Drops the deletions made before `now` less KeptDays days.
    WriteResult purge(const QDateTime &now);

    static QString kindCaption(Kind kind);

private:
    // A table whose rows of one key a deletion removes.
    struct Source
    {
        const TableDefinition *definition;
        QString keyColumn;
        QString sqlTable; // as named in SQL on this connection
    };
    WriteResult keep(Kind kind, const QList<Source> &sources, const QString &key, const QDateTime &now,
                     const std::function<WriteResult()> &removal);
    WriteResult statisticsUsable();
    QString sqlTableOf(const QString &table) const;
    static QString timeText(const QDateTime &time);

    Database &m_db;
    TimestampKeyGenerator m_keys;
    QString m_statisticsTable;
    bool m_attached = false;
    QString m_readError;
};
