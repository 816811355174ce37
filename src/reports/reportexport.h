#pragma once

#include <QList>
#include <QString>

#include "data/outpatientlogrepository.h"
#include "data/writeresult.h"
#include "reports/usagestatistics.h"
#include "spreadsheet/xlsworkbookwriter.h"

// The workbooks the outpatient log and the drug-usage statistics export.
class ReportExport
{
public:
    // The file written for a name chosen in the save dialog: ".xls" is added unless it is there.
    static QString fileName(const QString &chosen);

    // Title in D1, headings in row 2, one visit a row from row 3.
    static XlsWorkbookWriter logBook(const QList<OutpatientLogRepository::Visit> &visits);
    // Title in A1, headings in row 2, one drug a row from row 3; a zero amount is written "0.00".
    static XlsWorkbookWriter usage(const QList<UsageStatistics::Line> &lines);

    // Writes the sheet as an .xls workbook under the path; the file is complete or not there.
    static WriteResult save(const XlsWorkbookWriter &sheet, const QString &path);
};
