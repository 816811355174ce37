// First start on an empty folder: both database files created with all seed rows, password read.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "app/startuproutine.h"

namespace {

void BM_FirstStart(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto root = std::make_unique<QTemporaryDir>();
        DriveLayout drives;
        drives.cRoot = root->path();
        drives.networkRoot = root->path();
        state.ResumeTiming();

        const StartupResult result = StartupRoutine::run(drives, QString(), QStringLiteral("BNCH"));
        if (!result.canRun() || result.values.password.isEmpty())
            state.SkipWithError("start-up failed");

        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_FirstStart)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_MAIN();
