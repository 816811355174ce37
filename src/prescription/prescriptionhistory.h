#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include "data/archiverepository.h"
#include "prescription/drugcategories.h"

class CatalogueLookup;
class DeletedRowsRepository;
class PrescriptionSheet;
class StatisticsRepository;

// The history panel: archived prescriptions by name and date range, reopened exactly as saved, and
// deleted with their settlement lines. Rows are identified by what the list holds, never by
// counting rows of a query run again.
class PrescriptionHistory
{
public:
    // With `deletedRows`, a deleted prescription is kept there so that the deletion can be undone.
    PrescriptionHistory(ArchiveRepository &archive, StatisticsRepository &statistics, CatalogueLookup &catalogue,
                        DeletedRowsRepository *deletedRows = nullptr);

    // "name[sex,age,yyyy-mm-dd]" followed by the settled mark.
    static QString rowText(const ArchiveRepository::HistoryEntry &entry);
    // Dates typed as "yyyy-mm-dd" (single-digit month or day accepted); invalid when they are not dates.
    static QDate parseDate(const QString &text);

    // The prescriptions of the filter and the two date boxes; nothing when a date is not a date.
    QList<ArchiveRepository::HistoryEntry> query(const QString &nameFilter, const QString &from, const QString &to);
    // Puts an archived prescription on the sheet exactly as it was saved. Its lines carry their own
    // categories, read from the catalogue (the archive keeps none), so that a changed quantity
    // splits 药费 and 其他 by this prescription's lines, not by what an earlier one left in a row.
    bool reopen(qint64 rowId, PrescriptionSheet &sheet);
    static void restore(const ArchiveRecord &record, PrescriptionSheet &sheet);
    // The catalogue category of a priced line's name, for a prescription of that kind; empty when
    // the catalogue no longer has it.
    QString categoryOf(const QString &name, PrescriptionKind kind);
    // The question before the prescription on screen is deleted, naming its patient and date, so
    // that nobody takes it for the row the menu was opened on.
    static QString deleteQuestion(const QString &name, const QString &date);
    // Deletes a prescription and its settlement lines: both or, refused, neither; kept with the
    // time of deletion when there is a place for deleted rows.
    WriteResult remove(const QString &prescriptionId, const QDateTime &now = QDateTime::currentDateTime());

private:
    ArchiveRepository &m_archive;
    StatisticsRepository &m_statistics;
    CatalogueLookup &m_catalogue;
    DeletedRowsRepository *m_deletedRows;
};
