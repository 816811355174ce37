// The drug catalogue at the size of a large clinic: exporting and importing 10,000 entries
// through .xls files, and the drug maintenance window's search as the user types with 20,000.
#include "benchlocation.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include "data/cataloguerepository.h"
#include "data/database.h"
#include "data/databasecreator.h"
#include "maintenance/catalogueoptions.h"
#include "maintenance/cataloguetransfer.h"
#include "maintenance/widgets/cataloguewindow.h"
#include "text/pinyininitials.h"

namespace {

constexpr int FileRows = 10000;
constexpr int SearchRows = 20000;

// Names like 复方甘草酸苷片, 注射用头孢曲松钠 or 白术{炒}, polyphones included.
QList<CatalogueRepository::Entry> generatedEntries(int count, const QStringList &categories)
{
    const QString core = QStringLiteral(
        "甘草酸苷头孢曲松钠阿莫西林克拉维酸钾布洛芬氨基葡萄糖维生素人参白术重楼藏红花蛤蚧长春西汀调经促孕丸"
        "阿胶当归黄芪川芎地黄茯苓泽泻丹皮山药枸杞菊花金银连翘板蓝根柴胡薄荷桔梗杏仁麻黄桂枝芍药大枣生姜");
    const QStringList prefixes = {QString(), QString(), QStringLiteral("复方"), QStringLiteral("盐酸"), QStringLiteral("注射用")};
    const QStringList suffixes = {QString(), QStringLiteral("片"), QStringLiteral("胶囊"), QStringLiteral("注射液"),
                                  QStringLiteral("颗粒"), QStringLiteral("{炒}")};
    const QStringList units = {QStringLiteral("片"), QStringLiteral("粒"), QStringLiteral("支"), QStringLiteral("瓶"), QStringLiteral("g")};
    std::mt19937 random(20240603);
    const auto pick = [&random](qsizetype size) { return std::uniform_int_distribution<qsizetype>(0, size - 1)(random); };
    QList<CatalogueRepository::Entry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        CatalogueRepository::Entry entry;
        entry.name = prefixes.at(pick(prefixes.size()));
        for (int n = 2 + int(pick(4)); n > 0; --n)
            entry.name.append(core.at(pick(core.size())));
        entry.name += suffixes.at(pick(suffixes.size()));
        entry.usualQuantity = QStringLiteral("0.%1g×%2%3").arg(1 + pick(9)).arg(6 + pick(42)).arg(units.at(pick(units.size())));
        entry.unit = units.at(pick(units.size()));
        entry.price = QStringLiteral("%1.%2").arg(pick(300)).arg(pick(1000), 3, 10, QLatin1Char('0'));
        entry.initials = pinyinInitials(entry.name);
        entry.usage = i % 3 ? QStringLiteral("1片 每日3次 口服") : QString();
        entry.category = categories.at(i % categories.size());
        entry.drawer = entry.category == CatalogueOptions::caption(CatalogueOptions::Herbs) ? QStringLiteral("A%1").arg(i % 60) : QString();
        entry.searchKey = searchKey(entry.name, entry.initials);
        entries.append(entry);
    }
    return entries;
}

// A new main database whose catalogue holds only the generated entries.
struct CatalogueFile
{
    explicit CatalogueFile(const QList<CatalogueRepository::Entry> &entries)
        : path(dir.filePath(QStringLiteral("数据库.dat")))
    {
        DatabaseCreator(QDateTime::currentDateTime()).create(path, DatabaseKind::Main);
        db = std::make_unique<Database>(path);
        catalogue = std::make_unique<CatalogueRepository>(*db);
        catalogue->clear(QStringLiteral(""));
        catalogue->import(entries, QDateTime(QDate(2024, 6, 3), QTime(9, 0)));
    }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<Database> db;
    std::unique_ptr<CatalogueRepository> catalogue;
};

void BM_ExportCatalogue(benchmark::State &state)
{
    CatalogueFile file(generatedEntries(FileRows, CatalogueOptions::categories()));
    CatalogueTransfer transfer(*file.catalogue);
    const QString target = file.dir.filePath(QStringLiteral("目录.xls"));
    for (auto _ : state) {
        const CatalogueTransfer::Result written = transfer.exportCategory(target, QStringLiteral(""));
        if (written.count != FileRows)
            state.SkipWithError(qPrintable(written.message));
    }
    state.SetItemsProcessed(state.iterations() * FileRows);
}

void BM_ImportCatalogue(benchmark::State &state)
{
    CatalogueFile file(generatedEntries(FileRows, CatalogueOptions::categories()));
    CatalogueTransfer transfer(*file.catalogue);
    const QString source = file.dir.filePath(QStringLiteral("目录.xls"));
    transfer.exportCategory(source, QStringLiteral(""));
    for (auto _ : state) {
        state.PauseTiming();
        file.catalogue->clear(QStringLiteral(""));
        state.ResumeTiming();
        const CatalogueTransfer::Result imported = transfer.importFile(source);
        if (imported.count != FileRows)
            state.SkipWithError(qPrintable(imported.message));
    }
    state.SetItemsProcessed(state.iterations() * FileRows);
}

// What a user types into the search box, one key at a time, then clears again.
QStringList keystrokes()
{
    const QStringList typed = {QStringLiteral("amxl"), QStringLiteral("fgcs"), QStringLiteral("zl"), QStringLiteral("2351"),
                               QStringLiteral("阿胶"), QStringLiteral("hqs"), QStringLiteral("0.5g"), QStringLiteral("cx")};
    QStringList texts;
    for (const QString &word : typed) {
        for (qsizetype n = 1; n <= word.size(); ++n)
            texts.append(word.left(n));
        for (qsizetype n = word.size() - 1; n >= 0; --n)
            texts.append(word.left(n));
    }
    return texts;
}

void BM_WindowSearchAsTyped(benchmark::State &state)
{
    CatalogueFile file(generatedEntries(SearchRows, CatalogueOptions::westernCategories()));
    NoFiles files;
    CatalogueWindow window(*file.catalogue, files);
    window.show();
    auto *search = window.findChild<QLineEdit *>(QStringLiteral("searchEdit"));
    const QStringList texts = keystrokes();
    std::vector<qint64> nanoseconds;
    qsizetype next = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        search->setText(texts.at(next));
        nanoseconds.push_back(timer.nsecsElapsed());
        next = (next + 1) % texts.size();
    }
    std::sort(nanoseconds.begin(), nanoseconds.end());
    const auto at = [&nanoseconds](double share) { return double(nanoseconds.at(size_t(share * double(nanoseconds.size() - 1)))) / 1e6; };
    state.counters["median_ms"] = at(0.5);
    state.counters["p90_ms"] = at(0.9);
    state.counters["max_ms"] = at(1.0);
}

} // namespace

BENCHMARK(BM_ExportCatalogue)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ImportCatalogue)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WindowSearchAsTyped)->Unit(benchmark::kMillisecond)->Iterations(400);

int main(int argc, char **argv)
{
    // The window needs a widget application; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return runBenchmarks(argc, argv);
}
