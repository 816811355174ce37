// Initials of every catalogue name: the indexed lookup against a scan of the 23 tables per character.
#include <benchmark/benchmark.h>

#include <QFile>

#include "data/tsvtable.h"
#include "text/pinyininitials.h"
#include "text/pinyintables.h"

namespace {

QStringList catalogueNames()
{
    QFile file(QStringLiteral(":/data/seed/catalogue.tsv"));
    file.open(QIODevice::ReadOnly);
    const TsvTable table = TsvTable::fromText(QString::fromUtf8(file.readAll()));
    QStringList names;
    for (int row = 0; row < table.rowCount(); ++row)
        names.append(table.value(row, QStringLiteral("名称")));
    return names;
}

// The rule as written: look in each table in the fixed order until one holds the character.
QString literalInitials(const QString &text, const PinyinTables &tables, const QStringList &tableTexts)
{
    const int space = text.indexOf(QLatin1Char(' '));
    const int examined = space < 0 ? int(text.size()) : space;
    QString result;
    for (int i = 0; i < examined; ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (u < 0x80) {
            if (c.isDigit() || (u >= u'a' && u <= u'z'))
                result.append(c);
            else if (u >= u'A' && u <= u'Z')
                result.append(c.toLower());
            continue;
        }
        bool found = false;
        for (int t = 0; t < tableTexts.size() && !found; ++t) {
            if (tableTexts.at(t).contains(c)) {
                result.append(QLatin1Char(PinyinTables::Letters[t]));
                found = true;
            }
        }
        if (!found && tables.inFallbackRange(u))
            result.append(QLatin1Char('y'));
    }
    return result;
}

void BM_LiteralScan(benchmark::State &state)
{
    const QStringList names = catalogueNames();
    const PinyinTables &tables = PinyinTables::shipped();
    QStringList tableTexts;
    for (const char *letter = PinyinTables::Letters; *letter; ++letter)
        tableTexts.append(tables.table(*letter));
    for (auto _ : state) {
        for (const QString &name : names)
            benchmark::DoNotOptimize(literalInitials(name, tables, tableTexts));
    }
    state.SetItemsProcessed(state.iterations() * names.size());
}

void BM_IndexedLookup(benchmark::State &state)
{
    const QStringList names = catalogueNames();
    const PinyinTables &tables = PinyinTables::shipped();
    for (auto _ : state) {
        for (const QString &name : names)
            benchmark::DoNotOptimize(pinyinInitials(name, tables));
    }
    state.SetItemsProcessed(state.iterations() * names.size());
}

} // namespace

BENCHMARK(BM_LiteralScan)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IndexedLookup)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
