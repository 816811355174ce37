// The reports over ten years of a busy clinic: 2,000,000 settled lines of 500 drugs a month in the
// statistics file, 365,000 prescriptions (100 a day) in the archive. One month of drug-usage
// statistics by the grouped query and by the per-name queries it replaces, the outpatient log of
// 30,000 visits as its window shows them, and the workload of one year.
#include "benchlocation.h"

#include <benchmark/benchmark.h>
#include <memory>

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>

#include "data/database.h"
#include "data/databasecreator.h"
#include "data/outpatientlogrepository.h"
#include "data/usagestatisticsrepository.h"
#include "data/workloadrepository.h"
#include "print/widgets/printservice.h"
#include "reports/usagestatistics.h"
#include "reports/usagestatisticscalculator.h"
#include "reports/widgets/outpatientlogwindow.h"
#include "reports/workloadsummary.h"
#include "settings/clinicsettings.h"

namespace {

constexpr int SettledLines = 2'000'000;
constexpr int Drugs = 500;
constexpr int Days = 3652; // 2015-01-01 to 2024-12-31
constexpr int VisitsPerDay = 100;

const QDate MonthFirst(2020, 3, 1);
const QDate MonthLast(2020, 3, 31);

// Both files, made once per run with the program's own tables and indexes.
class Clinic
{
public:
    Clinic()
    {
        const DatabaseLocation mainLocation = benchLocation(m_dir.path(), DatabaseKind::Main, QStringLiteral("bench_reports"));
        m_statsLocation = benchLocation(m_dir.path(), DatabaseKind::Stats, QStringLiteral("bench_reports"));
        if (!DatabaseCreator().create(mainLocation, DatabaseKind::Main).ok || !DatabaseCreator().create(m_statsLocation, DatabaseKind::Stats).ok)
            qFatal("cannot create the benchmark databases");
        main = std::make_unique<Database>(mainLocation);
        stats = std::make_unique<Database>(m_statsLocation);
        if (benchOnServer())
            fillServer();
        else
            fillFiles();
    }

    const DatabaseLocation &statsLocation() const { return m_statsLocation; }

    std::unique_ptr<Database> main;
    std::unique_ptr<Database> stats;

private:
    void fillFiles()
    {
        // Every line of a day's prescriptions: drug i*7919 mod 500, so every month sees all 500.
        const QString lines = QString::number(SettledLines);
        const QString drug = QStringLiteral("((i * 7919) % ") + QString::number(Drugs) + QStringLiteral(")");
        fill(*stats, QStringLiteral("with recursive n(i) as (select 0 union all select i + 1 from n where i < ") + lines
                         + QStringLiteral(" - 1) insert into \"统计\" (\"ID号\", \"名称\", \"数量\", \"单位\", \"单价\", \"金额\", "
                                          "\"分类\", \"日期\") select printf('B%014d', i / 6), printf('药品%03d', ")
                         + drug + QStringLiteral("), cast(1 + i % 30 as text), case when ") + drug
                         + QStringLiteral(" % 4 = 0 then 'g' else '盒' end, '1.500', printf('%.3f', (1 + i % 30) * 1.5), case ") + drug
                         + QStringLiteral(" % 4 when 0 then '中药' when 1 then '西成药·抗生素' when 2 then '西成药·其他' else '收费项目' end, "
                                          "date('2015-01-01', '+' || (i * ")
                         + QString::number(Days) + QStringLiteral(" / ") + lines + QStringLiteral(") || ' days') from n"));
        fill(*main, QStringLiteral("with recursive n(i) as (select 0 union all select i + 1 from n where i < ")
                        + QString::number(Days * VisitsPerDay - 1) + QStringLiteral(") insert into \"档案\" (\"序号\", \"0\", \"1\", \"2\", \"4\", \"5\", \"6\", \"7\", \"16\", \"T1\", \"计价\") "
            "select printf('B%014d', i), printf('患者%05d', i % 20000), case i % 2 when 0 then '男' else '女' end, "
            "cast(i % 80 as text) || '岁', '城关镇幸福路' || (i % 300) || '号 13800000000', "
            "date('2015-01-01', '+' || (i / ")
                        + QString::number(VisitsPerDay)
                        + QStringLiteral(") || ' days'), '上呼吸道感染', '张医师', printf('%.2f', 10 + i % 90), "
                                         "'1.阿莫西林胶囊 0.25g×24粒 2盒' || char(13, 10) || '    用法：每次2粒 每日3次 口服', "
                                         "'阿莫西林胶囊@$2@$盒@$12.000@$24.000@$@$' from n"));
    }

    // The same rows in the server's dialect.
    void fillServer()
    {
        const QString drug = QStringLiteral("((i * 7919) % ") + QString::number(Drugs) + QStringLiteral(")");
        fill(*stats, QStringLiteral("insert into \"统计\" (\"ID号\", \"名称\", \"数量\", \"单位\", \"单价\", \"金额\", \"分类\", \"日期\") "
                                    "select 'B' || lpad((i / 6)::text, 14, '0'), '药品' || lpad(%1::text, 3, '0'), (1 + i % 30)::text, "
                                    "case when %1 % 4 = 0 then 'g' else '盒' end, '1.500', to_char((1 + i % 30) * 1.5, 'FM999990.000'), "
                                    "case %1 % 4 when 0 then '中药' when 1 then '西成药·抗生素' when 2 then '西成药·其他' else '收费项目' end, "
                                    "date '2015-01-01' + (i * %2 / %3)::int from generate_series(0::bigint, %3 - 1) as i")
                         .arg(drug)
                         .arg(Days)
                         .arg(SettledLines));
        fill(*main, QStringLiteral("insert into \"档案\" (\"序号\", \"0\", \"1\", \"2\", \"4\", \"5\", \"6\", \"7\", \"16\", \"T1\", \"计价\") "
                                   "select 'B' || lpad(i::text, 14, '0'), '患者' || lpad((i % 20000)::text, 5, '0'), "
                                   "case i % 2 when 0 then '男' else '女' end, (i % 80)::text || '岁', '城关镇幸福路' || (i % 300) || '号 13800000000', "
                                   "date '2015-01-01' + (i / %1)::int, '上呼吸道感染', '张医师', to_char(10 + i % 90, 'FM9990.00'), "
                                   "'1.阿莫西林胶囊 0.25g×24粒 2盒' || chr(13) || chr(10) || '    用法：每次2粒 每日3次 口服', "
                                   "'阿莫西林胶囊@$2@$盒@$12.000@$24.000@$@$' from generate_series(0::bigint, %2 - 1) as i")
                        .arg(VisitsPerDay)
                        .arg(Days * VisitsPerDay));
        // Fresh statistics for the planner, as autovacuum would gather them soon after.
        main->exec(QStringLiteral("analyze \"档案\""));
        stats->exec(QStringLiteral("analyze \"统计\""));
    }

    static void fill(Database &db, const QString &sql)
    {
        const WriteResult filled = db.exec(sql);
        if (!filled.ok)
            qFatal("cannot fill the benchmark file: %s", qPrintable(filled.fullText()));
    }

    QTemporaryDir m_dir;
    DatabaseLocation m_statsLocation;
};

Clinic &clinic()
{
    static Clinic made;
    return made;
}

void BM_UsageMonthGrouped(benchmark::State &state)
{
    UsageStatisticsRepository repository(*clinic().stats);
    qsizetype names = 0;
    for (auto _ : state) {
        const UsageStatistics::Report report = UsageStatistics::calculate(repository, QString(), ReportDateRange(MonthFirst, MonthLast));
        names = report.lines.size();
        benchmark::DoNotOptimize(names);
    }
    state.counters["names"] = double(names);
}

void BM_UsageMonthPerName(benchmark::State &state)
{
    UsageStatisticsRepository repository(*clinic().stats);
    qsizetype names = 0;
    for (auto _ : state) {
        names = repository.totalsPerName(QString(), MonthFirst, MonthLast).totals.size();
        benchmark::DoNotOptimize(names);
    }
    state.counters["names"] = double(names);
}

// As the window runs it: on a worker thread with a connection of its own, opened per calculation.
void BM_UsageMonthOnWorker(benchmark::State &state)
{
    UsageStatisticsCalculator calculator(clinic().statsLocation(), Database::DefaultBusyTimeoutMs);
    for (auto _ : state) {
        QFuture<UsageStatistics::Report> future = calculator.start(QStringLiteral("西成药"), ReportDateRange(MonthFirst, MonthLast));
        future.waitForFinished();
        benchmark::DoNotOptimize(future.result().lines.size());
    }
}

// 300 days of 100 visits: the query, the 30,000 rows and the grid showing the first 20.
void BM_LogShown30000(benchmark::State &state)
{
    OutpatientLogRepository log(*clinic().main);
    ClinicSettings settings(*clinic().main);
    NoFiles files;
    PrintPrompts prompts{[](const QString &) { return false; }, [](const QString &) { return false; }, [](const QString &) { return QString(); }, [](const QString &) {}};
    OutpatientLogWindow window(log, settings, PrintService(PrinterSelection(), prompts), files, [] { return QString(); },
                               QDate(2020, 1, 1));
    window.findChild<QLineEdit *>(QStringLiteral("fromDateEdit"))->setText(QStringLiteral("2020-01-01"));
    window.findChild<QLineEdit *>(QStringLiteral("toDateEdit"))->setText(QDate(2020, 1, 1).addDays(299).toString(Qt::ISODate));
    for (auto _ : state)
        window.query();
    state.counters["visits"] = double(log.visits(QDate(2020, 1, 1), QDate(2020, 1, 1).addDays(299)).visits.size());
}

void BM_WorkloadYear(benchmark::State &state)
{
    WorkloadRepository workload(*clinic().main);
    int prescriptions = 0;
    for (auto _ : state) {
        const WorkloadSummary summary = WorkloadSummary::calculate(workload, QStringLiteral("2020-01-01"), QStringLiteral("2020-12-31"));
        prescriptions = summary.prescriptions();
        benchmark::DoNotOptimize(prescriptions);
    }
    state.counters["prescriptions"] = prescriptions;
}

} // namespace

BENCHMARK(BM_UsageMonthGrouped)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_UsageMonthPerName)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_UsageMonthOnWorker)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LogShown30000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_WorkloadYear)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::AddCustomContext("engine", benchEngine());
    return runBenchmarks(argc, argv, [] { clinic(); });
}
