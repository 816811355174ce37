#pragma once

#include <functional>

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include "data/databasekind.h"
#include "data/databaselocation.h"
#include "data/writeresult.h"

class Database;
class OldJetFile;

struct OldFileConversionOptions
{
    // Into data in use: only prescriptions, patients and statistics whose keys are not present
    // are added, and the catalogue, templates and lists only when chosen; nothing is overwritten.
    bool catalogue = false;
    bool templates = false;
    bool lists = false;
    // The most pages a new file may take (0: no limit); a full disk, made reproducible.
    int targetPageLimit = 0;
};

// Brings the old Windows program's two Jet files over into ours, row for row and one transaction
// per file. Rows our tables would refuse (a text longer than its field, a second prescription with
// the same 序号, a date that is no date, a character no database keeps) are not dropped: they are
// written whole into a file beside the data and listed at the end with their table and reason.
// The old files are only read; at start-up they are moved, unchanged, into "旧版数据库" beside the
// data folder once the new files are complete and checked, and any failure before that leaves
// them where they were and removes the half-made new files.
class OldFileConversion
{
public:
    struct TableCount
    {
        QString table;
        qint64 oldRows = 0;
        qint64 newRows = 0;
        qint64 keptAside = 0;
        // Rows whose key the clinic's data already held (an import into data in use).
        qint64 alreadyPresent = 0;
        // A table the import left alone (not chosen, or never imported into data in use).
        bool skipped = false;
    };
    struct KeptRow
    {
        QString table;
        qint64 row = 0; // the row's position in the old table, from 1
        QString reason;
        QStringList columns;
        QVariantList values;
    };
    struct Result
    {
        WriteResult write;
        bool cancelled = false;
        QList<TableCount> counts;
        QList<KeptRow> kept;
        // What was converted with a change the user should know of (a time of day not kept).
        QStringList notes;
        // The report beside the data (empty when nothing was written) and where the old files went.
        QString reportPath;
        QString keptRowsPath;
        QString oldFilesFolder;
    };
    // The table being read and its rows so far; returning false cancels, leaving nothing behind.
    using Progress = std::function<bool(const QString &table, qint64 rows)>;

    using Options = OldFileConversionOptions;

    // The folder beside the data folder that receives the old files.
    static QString oldFilesFolder(const QString &dataFolder);
    // Whether the file is one of the old program's (Jet 3 or Jet 4).
    static bool isOldFile(const QString &path);

    // Start-up: the old files among 数据库.dat and 用药统计.dat in the data folder become new files
    // of ours under the same names, and the old files move into oldFilesFolder().
    static Result convertDataFolder(const QString &dataFolder, const Progress &progress = {}, const Options &options = {});
    // 综合设置's import: a pair of old files from anywhere into the clinic's databases. Into a clinic
    // that holds no prescription, patient or statistics row every table is replaced as at start-up;
    // otherwise rows are only added (see Options). The old files stay where they are.
    static Result importInto(const QString &oldMain, const QString &oldStats, const DatabaseLocation &main,
                             const DatabaseLocation &stats, const QString &reportFolder, const Options &options = {},
                             const Progress &progress = {});

    // The counts per table, old beside new, the rows set aside and where they are.
    static QString summary(const Result &result);

private:
    enum class Mode { Fresh, Replace, Merge };
    static WriteResult copyFile(OldJetFile &old, Database &target, DatabaseKind kind, Mode mode, const Options &options,
                                Result &result, const Progress &progress);
    static WriteResult writeReport(const QString &folder, Result &result);
};
