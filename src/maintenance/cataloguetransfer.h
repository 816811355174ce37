#pragma once

#include <QDateTime>
#include <QString>

#include "data/cataloguerepository.h"

// The catalogue's spreadsheet files: a category exported to an Excel 97-2003 workbook, and the
// first sheet of an .xls or .xlsx workbook imported as a whole or not at all.
class CatalogueTransfer
{
public:
    enum class Status { Done, Cancelled, Failed };

    struct Result
    {
        Status status = Status::Done;
        // Why it failed, for the user.
        QString message;
        // Entries written or imported.
        int count = 0;
    };

    using Progress = CatalogueRepository::Progress;

    explicit CatalogueTransfer(CatalogueRepository &catalogue);

    // The chosen file name with ".xls" appended, unless it ends in ".xls" already.
    static QString exportPath(const QString &chosen);

    // Writes every entry of the categories beginning with the prefix, ordered by name, under the
    // eight headings in bold; columns fit their content. The file is replaced only when the new
    // one is complete.
    Result exportCategory(const QString &path, const QString &categoryPrefix, const Progress &progress = {});
    // Appends the entries of the file's rows after the heading row, each in the category its
    // row names, with fresh 18-character keys.
    Result importFile(const QString &path, const QDateTime &now = QDateTime::currentDateTime(),
                      const Progress &progress = {});

private:
    CatalogueRepository &m_catalogue;
};
