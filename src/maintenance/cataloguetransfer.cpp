#include "maintenance/cataloguetransfer.h"

#include "maintenance/catalogueimportrules.h"
#include "spreadsheet/spreadsheetcell.h"
#include "spreadsheet/spreadsheetreader.h"
#include "spreadsheet/xlsworkbookwriter.h"

namespace {

constexpr int PriceColumn = 4;
const QString NothingImported = QStringLiteral("导入失败，没有导入任何项目。");

// A price goes into the sheet as a number, so that the spreadsheet sorts and computes with it,
// but only when reading that number back gives exactly the stored text.
bool exactNumber(const QString &price, double *value)
{
    if (price.isEmpty())
        return false;
    bool ok = false;
    *value = price.toDouble(&ok);
    return ok && CatalogueImportRules::price(SpreadsheetCell::shortestDecimal(*value)) == price;
}

CatalogueTransfer::Result failed(const QString &message)
{
    return {CatalogueTransfer::Status::Failed, message, 0};
}

} // namespace

CatalogueTransfer::CatalogueTransfer(CatalogueRepository &catalogue)
    : m_catalogue(catalogue)
{
}

QString CatalogueTransfer::exportPath(const QString &chosen)
{
    return XlsWorkbookWriter::withExtension(chosen);
}

CatalogueTransfer::Result CatalogueTransfer::exportCategory(const QString &path, const QString &categoryPrefix,
                                                            const Progress &progress)
{
    const std::optional<QList<CatalogueRepository::Entry>> entries = m_catalogue.list(categoryPrefix);
    if (!entries)
        return failed(QStringLiteral("导出失败：无法读取药物目录。") + m_catalogue.readError());

    XlsWorkbookWriter workbook;
    const QStringList headings = CatalogueImportRules::headings();
    for (int column = 0; column < headings.size(); ++column)
        workbook.setText(0, column, headings.at(column));
    XlsWorkbookWriter::RowFormat bold;
    bold.bold = true;
    workbook.setRowFormat(0, bold);

    const int total = int(entries->size());
    for (int i = 0; i < total; ++i) {
        const QStringList cells = CatalogueImportRules::cellsOf(entries->at(i));
        for (int column = 0; column < cells.size(); ++column) {
            double number = 0;
            if (column == PriceColumn && exactNumber(cells.at(column), &number))
                workbook.setNumber(i + 1, column, number);
            else
                workbook.setText(i + 1, column, cells.at(column));
        }
        if (progress && !progress(i + 1, total))
            return {Status::Cancelled, QString(), 0};
    }
    workbook.autoFitColumns();
    const WriteResult saved = workbook.save(path);
    if (!saved.ok)
        return failed(QStringLiteral("导出失败：") + saved.fullText());
    return {Status::Done, QString(), total};
}

CatalogueTransfer::Result CatalogueTransfer::importFile(const QString &path, const QDateTime &now, const Progress &progress)
{
    // The heading row and the entries, in the eight columns the import uses.
    const SpreadsheetTable sheet
        = SpreadsheetReader::read(path, {CatalogueImportRules::ColumnCount, CatalogueImportRules::MaxEntries + 1});
    if (!sheet.ok())
        return failed(NothingImported + QLatin1Char('\n') + sheet.errorMessage());
    QList<QStringList> rows;
    rows.reserve(sheet.rowCount());
    for (int row = 0; row < sheet.rowCount(); ++row)
        rows.append(sheet.rowTexts(row));

    const CatalogueImportRules::Outcome planned = CatalogueImportRules::entries(rows);
    if (!planned.refusal.isEmpty())
        return failed(NothingImported + QLatin1Char('\n') + planned.refusal);
    if (planned.entries.isEmpty())
        return {Status::Done, QString(), 0};

    const CatalogueRepository::ImportResult stored = m_catalogue.import(planned.entries, now, progress);
    if (stored.cancelled)
        return {Status::Cancelled, QString(), 0};
    if (!stored.result.ok) {
        // The repository's own "导入失败：" would only repeat the first line.
        QString why = stored.result.fullText();
        const QString repeated = QStringLiteral("导入失败：");
        if (why.startsWith(repeated))
            why.remove(0, repeated.size());
        if (stored.failedIndex >= 0)
            why.prepend(QStringLiteral("第%1行：").arg(planned.sheetRows.value(stored.failedIndex)));
        return failed(NothingImported + QLatin1Char('\n') + why);
    }
    return {Status::Done, QString(), int(planned.entries.size())};
}
