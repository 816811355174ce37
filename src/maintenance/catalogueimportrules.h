#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "data/cataloguerepository.h"

// How the rows of a spreadsheet become catalogue entries on import. The sheet has the export's
// eight columns (名称, 规格\常用量, 单位, 用法用量, 单价, 斗位, 拼音, 分类) under a heading row;
// one row that cannot be stored keeps the whole file out, naming the row and the field.
class CatalogueImportRules
{
public:
    static constexpr int ColumnCount = 8;
    // The most entries a file may hold: far beyond any clinic's catalogue, and a bound on what
    // reading a file may take, whatever size the file declares.
    static constexpr int MaxEntries = 100000;

    struct Outcome
    {
        QList<CatalogueRepository::Entry> entries;
        // Why nothing can be imported; empty when the entries are ready.
        QString refusal;
        // The sheet row (counted from 1, as the spreadsheet shows it) of each entry.
        QList<int> sheetRows;
    };

    // The headings the export writes into row 1.
    static QStringList headings();
    // The eight cells of an entry, in column order, as the export writes them.
    static QStringList cellsOf(const CatalogueRepository::Entry &entry);

    // The entries of the rows after the heading row. Rows whose cells are all empty are passed over.
    static Outcome entries(const QList<QStringList> &rows);
    // One row's entry (without key), or the reason it cannot be imported.
    static std::optional<CatalogueRepository::Entry> entryOf(const QStringList &cells, QString *refusal);
    static constexpr int PriceColumn = 4;

    // "12.5", "１２.５" and "1,280" give "12.500", "12.500" and "1280.000", an empty cell the empty
    // text; a cell that is not a non-negative number gives nothing, and `refusal` the reason.
    static std::optional<QString> price(const QString &cell, QString *refusal = nullptr);
};
