#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "data/writeresult.h"

class Database;
class DatabaseLocation;

// One priced line of a settled prescription, as the statistics file 统计 keeps it.
struct StatisticsLine
{
    QString name; // as shown, with square brackets
    QString quantity;
    QString unit;
    QString unitPrice;
    QString amount;
    QString drawer;
    QString category;
};

// The settled lines of every prescription, in the statistics file (用药统计.dat).
class StatisticsRepository
{
public:
    // The statistics reached through the main database's connection, so that a change of the
    // archive and of the statistics is one transaction: both files change, or neither.
    StatisticsRepository(Database &main, const DatabaseLocation &statistics);
    // The statistics on a connection of their own (filling or reading them alone).
    explicit StatisticsRepository(Database &statistics);

    // Replaces the lines of a prescription; joins a transaction in progress. The old ones go, the
    // new ones come, or nothing changes. A value too long for its field is refused and named.
    WriteResult replace(const QString &prescriptionId, const QString &date, const QList<StatisticsLine> &lines);
    WriteResult remove(const QString &prescriptionId);
    // The number of lines of a prescription; -1 when the read failed.
    int countFor(const QString &prescriptionId);

    // Leftovers of earlier versions, which wrote the two files one after the other: settled
    // prescriptions (with a name, a date and priced lines) that have no statistics lines, and ids of
    // statistics lines whose prescription is gone. Nothing when either read failed.
    struct Leftovers
    {
        QStringList settledWithoutLines;
        QStringList linesWithoutPrescription;
    };
    std::optional<Leftovers> leftovers();
    // Whether both files were found whole once (a file marker: a full check walks every
    // prescription, too long to repeat at every start), and setting it.
    bool leftoversChecked();
    WriteResult markLeftoversChecked();
    // Removes the lines of prescriptions that are gone, in one transaction.
    WriteResult removeLines(const QStringList &prescriptionIds);

private:
    WriteResult usable();

    Database &m_db;
    QString m_table;
    bool m_attached = false;
};
