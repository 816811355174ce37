#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "data/archiverepository.h"
#include "data/writeresult.h"

class CatalogueLookup;
class StatisticsRepository;

// Mends what earlier versions left when they were stopped between writing the archive and the
// statistics file: a settled prescription without statistics lines gets the lines of its stored
// priced sheet (what its settlement would have written), and statistics lines whose prescription
// is gone are removed. Found by index at start-up; the user is told once.
class SettlementRepair
{
public:
    struct Findings
    {
        // Settled prescriptions with a name, a date and priced lines, but no statistics lines.
        QList<ArchiveRecord> withoutLines;
        // Ids of statistics lines without their prescription.
        QStringList orphanIds;
        bool isEmpty() const { return withoutLines.isEmpty() && orphanIds.isEmpty(); }
    };

    SettlementRepair(ArchiveRepository &archive, StatisticsRepository &statistics, CatalogueLookup &catalogue);

    // Whether the files were found whole (or mended) once already: the check walks every
    // prescription and runs once per pair of files.
    bool checkedBefore();
    // What there is to mend; nothing when a read failed (then `error` says why). Finding nothing
    // marks the files as checked.
    std::optional<Findings> find(QString *error = nullptr);
    // The question shown to the user: what was found and what mending does; empty when nothing.
    static QString question(const Findings &findings);
    // Writes the missing lines and removes the orphaned ones; each prescription's lines in one
    // transaction. The categories come from the catalogue, as the settlement took them. Then the
    // files are marked as checked.
    WriteResult mend(const Findings &findings);
    // Only the orphaned lines (their removal changes no prescription).
    WriteResult removeOrphans(const Findings &findings);

private:
    ArchiveRepository &m_archive;
    StatisticsRepository &m_statistics;
    CatalogueLookup &m_catalogue;
};
