// Converting the old program's Jet files at start-up: a pair of generated old files (written by
// tests/oldfiles/jetfixtures.py) becomes new files of ours. Reports rows per second and, from it,
// the time for ten years of a busy clinic: 500,000 prescriptions and 2,000,000 statistics rows.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "data/oldfileconversion.h"
#include "data/oldjetfile.h"

namespace {

constexpr int Prescriptions = 20000; // four statistics rows each, as in the clinic above

bool writeOldPair(const QString &folder)
{
    QProcess python;
    python.start(QStringLiteral(QUILLON_PYTHON),
                 {QStringLiteral(QUILLON_JET_FIXTURES), QStringLiteral("large"), folder, QString::number(Prescriptions)});
    return python.waitForFinished(-1) && python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0;
}

void BM_ConvertOldFiles(benchmark::State &state)
{
    if (!OldJetFile::readerAvailable()) {
        state.SkipWithError("built without libmdb");
        return;
    }
    QTemporaryDir source;
    if (!writeOldPair(source.path())) {
        state.SkipWithError("the old files could not be written");
        return;
    }
    qint64 rows = 0;
    double seconds = 0;
    qint64 prescriptions = 0;
    qint64 statistics = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto root = std::make_unique<QTemporaryDir>();
        const QString data = QDir(root->path()).filePath(QStringLiteral("电子处方数据库"));
        QDir().mkpath(data);
        for (const QString &name : {QStringLiteral("数据库.dat"), QStringLiteral("用药统计.dat")})
            QFile::copy(QDir(source.path()).filePath(name), QDir(data).filePath(name));
        qint64 progressCalls = 0;
        state.ResumeTiming();

        QElapsedTimer clock;
        clock.start();
        const OldFileConversion::Result result = OldFileConversion::convertDataFolder(data, [&](const QString &, qint64) {
            ++progressCalls;
            return true;
        });
        seconds += clock.nsecsElapsed() / 1e9;
        if (!result.write.ok) {
            state.SkipWithError(result.write.fullText().toUtf8().constData());
            return;
        }

        state.PauseTiming();
        rows = 0;
        for (const OldFileConversion::TableCount &count : result.counts) {
            rows += count.oldRows;
            if (count.table == QStringLiteral("档案"))
                prescriptions = count.oldRows;
            if (count.table == QStringLiteral("统计"))
                statistics = count.oldRows;
        }
        state.counters["progress_calls"] = double(progressCalls);
        root.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows);
    state.counters["rows_per_second"] = benchmark::Counter(double(rows) * double(state.iterations()), benchmark::Counter::kIsRate);
    // The same work per row, scaled to 500,000 prescriptions and 2,000,000 statistics rows.
    const double scale = (500000.0 + 2000000.0) / double(prescriptions + statistics);
    state.counters["busy_decade_seconds"] = seconds / double(state.iterations()) * scale;
    state.SetItemsProcessed(qint64(state.iterations()) * rows);
}

} // namespace

BENCHMARK(BM_ConvertOldFiles)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();
BENCHMARK_MAIN();
