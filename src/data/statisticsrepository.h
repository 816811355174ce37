#pragma once

#include <QList>
#include <QString>

#include "data/writeresult.h"

class Database;

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
    explicit StatisticsRepository(Database &db);

    // Replaces the lines of a prescription in one transaction: the old ones go, the new ones come,
    // or nothing changes. A value too long for its field is refused and named.
    WriteResult replace(const QString &prescriptionId, const QString &date, const QList<StatisticsLine> &lines);
    WriteResult remove(const QString &prescriptionId);
    int countFor(const QString &prescriptionId);

private:
    Database &m_db;
};
