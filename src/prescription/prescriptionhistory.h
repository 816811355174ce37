#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include "data/archiverepository.h"

class PrescriptionSheet;
class StatisticsRepository;

// The history panel: archived prescriptions by name and date range, reopened exactly as saved, and
// deleted with their settlement lines. Rows are identified by what the list holds, never by
// counting rows of a query run again.
class PrescriptionHistory
{
public:
    PrescriptionHistory(ArchiveRepository &archive, StatisticsRepository &statistics);

    // "name[sex,age,yyyy-mm-dd]" followed by the settled mark.
    static QString rowText(const ArchiveRepository::HistoryEntry &entry);
    // Dates typed as "yyyy-mm-dd" (single-digit month or day accepted); invalid when they are not dates.
    static QDate parseDate(const QString &text);

    // The prescriptions of the filter and the two date boxes; nothing when a date is not a date.
    QList<ArchiveRepository::HistoryEntry> query(const QString &nameFilter, const QString &from, const QString &to);
    // Puts an archived prescription on the sheet exactly as it was saved.
    bool reopen(qint64 rowId, PrescriptionSheet &sheet);
    static void restore(const ArchiveRecord &record, PrescriptionSheet &sheet);
    // Deletes a prescription and its settlement lines: both or, refused, neither.
    WriteResult remove(const QString &prescriptionId);

private:
    ArchiveRepository &m_archive;
    StatisticsRepository &m_statistics;
};
