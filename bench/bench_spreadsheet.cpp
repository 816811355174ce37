// A 10,000-row × 8-column catalogue: writing the .xls file (with auto-fitted columns and a bold
// heading), and reading it back through the checks and FreeXL.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "spreadsheet/spreadsheetreader.h"
#include "spreadsheet/xlsworkbookwriter.h"

namespace {

constexpr int CatalogueRows = 10000;

void fillCatalogue(XlsWorkbookWriter &writer)
{
    static const QStringList headings{QStringLiteral("药品编码"), QStringLiteral("药品名称"), QStringLiteral("规格"),
                                      QStringLiteral("单位"),     QStringLiteral("进价"),     QStringLiteral("售价"),
                                      QStringLiteral("拼音码"),   QStringLiteral("备注")};
    for (int column = 0; column < headings.size(); ++column)
        writer.setText(0, column, headings.at(column));
    for (int row = 1; row <= CatalogueRows; ++row) {
        writer.setText(row, 0, QString::number(100000 + row));
        writer.setText(row, 1, QStringLiteral("阿莫西林胶囊%1号").arg(row));
        writer.setText(row, 2, QStringLiteral("0.25g*24粒{盒}"));
        writer.setText(row, 3, row % 3 ? QStringLiteral("盒") : QStringLiteral("瓶"));
        writer.setText(row, 4, QStringLiteral("%1.%2").arg(row % 200).arg(row % 100, 2, 10, QLatin1Char('0')));
        writer.setText(row, 5, QStringLiteral("%1.50").arg(row % 300));
        writer.setText(row, 6, QStringLiteral("amxljn%1").arg(row));
        writer.setText(row, 7, QStringLiteral("备注 %1").arg(row));
    }
    writer.setRowFormat(0, {true, 12, 20});
    writer.autoFitColumns();
}

void BM_WriteCatalogue(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("目录.xls"));
    for (auto _ : state) {
        XlsWorkbookWriter writer(QStringLiteral("药品目录"));
        fillCatalogue(writer);
        if (!writer.save(file).ok)
            state.SkipWithError("save failed");
    }
}

void BM_ReadCatalogue(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("目录.xls"));
    XlsWorkbookWriter writer;
    fillCatalogue(writer);
    writer.save(file);
    for (auto _ : state) {
        const SpreadsheetTable table = SpreadsheetReader::read(file);
        if (table.rowCount() != CatalogueRows + 1)
            state.SkipWithError("read failed");
    }
}

} // namespace

BENCHMARK(BM_WriteCatalogue)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadCatalogue)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
