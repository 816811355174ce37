// What a user of a ten-year archive waits for outside the warm paths: start-up against a fresh
// home, the exit backup, the first keystroke of a list after another computer wrote, the first name
// history after a save, the catalogue window at 20,000 entries, and how long a second connection's
// write waits while start-up and the exit backup run. Beside each, where the program no longer
// takes that path, the figure of the path it took before (a whole reload, quick_check, a one-pass
// backup), measured the same way.
//
// The archive of ten busy years (500,000 prescriptions, 2,000,000 statistics lines, 100,000
// patients, 20,000 catalogue entries) is written once per run into a temporary folder; on this
// kind of machine that takes a minute or two.
#include "benchlocation.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <memory>
#include <sqlite3.h>
#include <thread>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QThread>

#include "app/exitbackup.h"
#include "app/startuproutine.h"
#include "data/archiverepository.h"
#include "data/cataloguelookup.h"
#include "data/cataloguerepository.h"
#include "data/database.h"
#include "data/databasefilecheck.h"
#include "data/patientrepository.h"
#include "data/picklistrepository.h"
#include "data/statisticsrepository.h"
#include "maintenance/catalogueoptions.h"
#include "maintenance/widgets/cataloguewindow.h"
#include "prescription/prescriptionhistory.h"
#include "prescription/widgets/historypanel.h"

namespace {

constexpr int Years = 10;
constexpr int PrescriptionsPerYear = 50'000;
constexpr int LinesPerYear = 200'000;
constexpr int PatientsPerYear = 10'000;
constexpr int CatalogueEntries = 20'000;
constexpr int Surnames = 56;
const QString SurnameText = QStringLiteral("李王张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚卢姜崔钟谭陆汪");
const QString GivenText = QStringLiteral("明华建国秀英玉兰志强丽娟海燕红梅文军小平春生桂芳金凤德胜永福淑珍晓东雪梅");

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void mustWrite(Database &db, const QString &sql, const QVariantList &values = {})
{
    const WriteResult written = db.exec(sql, values);
    if (!written.ok)
        qFatal("cannot fill the benchmark archive: %s", qPrintable(written.fullText()));
}

// A home as start-up makes it, with `years` of a busy clinic written into it.
class Home
{
public:
    explicit Home(int years)
    {
        drives.cRoot = m_dir.filePath(QStringLiteral("C"));
        drives.networkRoot = m_dir.filePath(QStringLiteral("net"));
        QDir().mkpath(drives.cRoot);
        const StartupResult first = StartupRoutine::run(drives, QString(), QStringLiteral("BNCH"));
        if (!first.canRun())
            qFatal("cannot create the benchmark home: %s", qPrintable(first.fatalError));
        mainPath = first.values.mainDataPath;
        statsPath = first.values.statsDataPath;
        if (years > 0)
            fill(years);
    }

    QString backupRoot() const { return m_dir.filePath(QStringLiteral("backup")); }

    DriveLayout drives;
    QString mainPath;
    QString statsPath;

private:
    void fill(int years)
    {
        const QString n = QStringLiteral("with recursive n(i) as (select 0 union all select i + 1 from n where i < %1 - 1) ");
        // The name texts are the benchmark's own constants.
        const QString name = QStringLiteral("substr(%4, 1 + %1 % %2, 1) || substr(%5, 1 + (%1 / %2) % 30, 1) || substr(%5, 1 + (%1 / %3) % 30, 1)");
        const QString patientName =
            name.arg(QStringLiteral("p")).arg(Surnames).arg(Surnames * 30).arg(quotedText(SurnameText), quotedText(GivenText));
        {
            Database main(mainPath);
            mustWrite(main, QStringLiteral("BEGIN"));
            mustWrite(main, n.arg(years * PatientsPerYear)
                                + QStringLiteral("insert into \"患者信息\" (\"序号\", \"姓名\", \"性别\", \"年龄\", \"住址\", \"电话\") "
                                                 "select 'P' || substr('0000000' || p, -8), %1, case p % 2 when 0 then '男' else '女' end, "
                                                 "cast(1940 + p % 80 as text), '城关镇幸福路' || (p % 300) || '号', '13800000000' "
                                                 "from (select i as p from n)")
                                      .arg(patientName));
            mustWrite(main, n.arg(years * PrescriptionsPerYear)
                                + QStringLiteral("insert into \"档案\" (\"序号\", \"0\", \"1\", \"2\", \"4\", \"5\", \"6\", \"7\", \"16\", \"T1\", \"计价\", \"类别\", \"发药\") "
                                                 "select 'B' || substr('0000000000000' || i, -14), %1, case p % 2 when 0 then '男' else '女' end, "
                                                 "cast(p % 80 as text) || '岁', '城关镇幸福路' || (p % 300) || '号 13800000000', "
                                                 "date('2015-01-01', '+' || (i * 3652 / %2) || ' days'), '上呼吸道感染', '张医师', "
                                                 "printf('%.2f', 10 + i % 90), "
                                                 "'1.阿莫西林胶囊 0.25g×24粒 2盒' || char(13, 10) || '    用法：每次2粒 每日3次 口服', "
                                                 "'阿莫西林胶囊@$2@$盒@$12.000@$24.000@$@$', '西', '-已结算' "
                                                 "from (select i, (i * 7) % %3 as p from n)")
                                      .arg(patientName)
                                      .arg(years * PrescriptionsPerYear)
                                      .arg(years * PatientsPerYear));
            mustWrite(main, QStringLiteral("delete from \"商品\""));
            mustWrite(main, n.arg(CatalogueEntries)
                                + QStringLiteral("insert into \"商品\" (\"ID号\", \"名称\", \"拼音\", \"查询\", \"常用量\", \"单位\", \"单价\", \"用法\", \"分类\") "
                                                 "select printf('C%06d', i), '药品' || printf('%05d', i), printf('yp%05d', i), "
                                                 "'药品' || printf('%05d', i) || '|' || printf('yp%05d', i), '0.25g×24粒', '盒', '12.000', "
                                                 "case when i % 3 = 0 then '' else '每次1粒 每日3次 口服' end, "
                                                 "case i % 4 when 0 then '中药' when 1 then '西成药·抗生素' when 2 then '西成药·其他' else '收费项目' end "
                                                 "from n"));
            mustWrite(main, QStringLiteral("COMMIT"));
        }
        Database stats(statsPath);
        const QString lines = QString::number(years * LinesPerYear);
        mustWrite(stats, n.arg(lines)
                             + QStringLiteral("insert into \"统计\" (\"ID号\", \"名称\", \"数量\", \"单位\", \"单价\", \"金额\", \"分类\", \"日期\") "
                                              "select printf('B%014d', i / 4), printf('药品%05d', (i * 7919) % 20000), cast(1 + i % 30 as text), '盒', "
                                              "'1.500', printf('%.3f', (1 + i % 30) * 1.5), '西成药·其他', "
                                              "date('2015-01-01', '+' || (i * 3652 / ")
                             + lines + QStringLiteral(") || ' days') from n"));
    }

    QTemporaryDir m_dir;
};

Home &fresh()
{
    static Home home(0);
    return home;
}

Home &tenYears()
{
    static Home home(Years);
    return home;
}

// Another computer saving now and then: the longest any of its writes waited for the file.
class OtherComputer
{
public:
    // Saves every few milliseconds by default: every moment of the work measured is tried.
    explicit OtherComputer(const QString &path, int intervalMs = 3)
        : m_intervalMs(intervalMs)
        , m_thread([this, path] { run(path); })
    {
    }
    ~OtherComputer() { stop(); }

    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    double longestWaitMs() const { return m_longestNs.load() / 1e6; }
    int writes() const { return m_writes.load(); }

private:
    void run(const QString &path)
    {
        Database db(path, 30000);
        int i = 0;
        while (!m_stop) {
            QElapsedTimer timer;
            timer.start();
            const WriteResult written = db.exec(QStringLiteral("update \"设置\" set \"备用1\" = ?"), {QString::number(++i)});
            const qint64 took = timer.nsecsElapsed();
            if (written.ok) {
                m_writes.fetch_add(1);
                qint64 longest = m_longestNs.load();
                while (took > longest && !m_longestNs.compare_exchange_weak(longest, took)) {
                }
            }
            for (int slept = 0; slept < m_intervalMs && !m_stop; slept += 5)
                QThread::msleep(5);
        }
    }

    int m_intervalMs;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_longestNs{0};
    std::atomic<int> m_writes{0};
    std::thread m_thread;
};

// The same writes with nothing else running: what a write takes by itself on this disk and
// processor (its commit included), against which the waits below are read.
void BM_OtherWriteAlone(benchmark::State &state)
{
    double longest = 0;
    for (auto _ : state) {
        OtherComputer other(tenYears().mainPath);
        QThread::msleep(1000);
        other.stop();
        longest = qMax(longest, other.longestWaitMs());
    }
    state.counters["longest_write_ms"] = longest;
}

// Start-up to the login window (the password read), ten years against a fresh home.
void BM_StartUpTenYearsAgainstFresh(benchmark::State &state)
{
    double freshMs = 0;
    double tenMs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const StartupResult atFresh = StartupRoutine::run(fresh().drives, QString(), QStringLiteral("BNCH"));
        freshMs += msSince(timer);
        timer.start();
        const StartupResult atTen = StartupRoutine::run(tenYears().drives, QString(), QStringLiteral("BNCH"));
        const double ms = msSince(timer);
        tenMs += ms;
        if (!atFresh.canRun() || !atTen.canRun() || !atTen.warnings.isEmpty())
            state.SkipWithError("start-up failed");
        state.SetIterationTime(ms / 1000);
    }
    state.counters["fresh_ms"] = freshMs / double(state.iterations());
    state.counters["ten_years_ms"] = tenMs / double(state.iterations());
    state.counters["ratio"] = tenMs / freshMs;
}

// What start-up did before: quick_check over both whole files.
void BM_QuickCheckTenYears(benchmark::State &state)
{
    for (auto _ : state) {
        const QString problems = DatabaseFileCheck::quickCheck(tenYears().mainPath) + DatabaseFileCheck::quickCheck(tenYears().statsPath);
        if (!problems.isEmpty())
            state.SkipWithError("damage found");
    }
}

void BM_OtherWriteWaitDuringStartUp(benchmark::State &state)
{
    double longest = 0;
    for (auto _ : state) {
        OtherComputer other(tenYears().mainPath);
        QThread::msleep(20);
        StartupRoutine::run(tenYears().drives, QString(), QStringLiteral("BNCH"));
        other.stop();
        longest = qMax(longest, other.longestWaitMs());
    }
    state.counters["longest_wait_ms"] = longest;
}

void BM_OtherWriteWaitDuringQuickCheck(benchmark::State &state)
{
    double longest = 0;
    for (auto _ : state) {
        OtherComputer other(tenYears().mainPath);
        QThread::msleep(20);
        DatabaseFileCheck::quickCheck(tenYears().mainPath);
        other.stop();
        longest = qMax(longest, other.longestWaitMs());
    }
    state.counters["longest_wait_ms"] = longest;
}

// The exit backup while another computer saves now and then (range: milliseconds between its
// saves). Each save makes the copy start over; when saves never pause long enough for a whole
// copy, the backup is given up after half a minute (the older copy stays) — `completed` says
// whether it was taken.
void BM_ExitBackupWhileOtherWrites(benchmark::State &state)
{
    double longest = 0;
    int writes = 0;
    int completed = 0;
    for (auto _ : state) {
        OtherComputer other(tenYears().mainPath, int(state.range(0)));
        QThread::msleep(20);
        const QStringList failures = ExitBackup::run(tenYears().mainPath, tenYears().statsPath, tenYears().backupRoot(), QDate(2026, 12, 10));
        other.stop();
        completed += failures.isEmpty() ? 1 : 0;
        longest = qMax(longest, other.longestWaitMs());
        writes += other.writes();
    }
    state.counters["longest_wait_ms"] = longest;
    state.counters["other_writes"] = writes;
    state.counters["completed"] = completed;
}

// The copy as it was taken before: one backup step over the whole file.
void BM_OnePassBackupWhileOtherWrites(benchmark::State &state)
{
    double longest = 0;
    const QString copy = tenYears().backupRoot() + QStringLiteral("/one-pass.dat");
    for (auto _ : state) {
        OtherComputer other(tenYears().mainPath);
        QThread::msleep(20);
        sqlite3 *source = nullptr;
        sqlite3 *destination = nullptr;
        QFile::remove(copy);
        sqlite3_open_v2(tenYears().mainPath.toUtf8().constData(), &source, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_open_v2(copy.toUtf8().constData(), &destination, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_backup *backup = sqlite3_backup_init(destination, "main", source, "main");
        while (sqlite3_backup_step(backup, -1) == SQLITE_BUSY)
            QThread::msleep(50);
        sqlite3_backup_finish(backup);
        sqlite3_close(destination);
        sqlite3_close(source);
        other.stop();
        longest = qMax(longest, other.longestWaitMs());
    }
    QFile::remove(copy);
    state.counters["longest_wait_ms"] = longest;
}

// One keystroke in the patient list after another computer saved a prescription (range 0), added a
// patient (range 1) or saved a returning patient (range 2).
void BM_PatientKeystrokeAfterOtherWrite(benchmark::State &state)
{
    Database own(tenYears().mainPath);
    Database other(tenYears().mainPath);
    PatientRepository patients(own);
    patients.find(QStringLiteral("李明"));
    const int loadsBefore = patients.wholeLoads();
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++i;
        if (state.range(0) == 0)
            mustWrite(other, QStringLiteral("insert into \"档案\" (\"序号\", \"0\") values (?, '李明华')"), {QStringLiteral("W%1").arg(i)});
        else if (state.range(0) == 1)
            mustWrite(other, QStringLiteral("insert into \"患者信息\" (\"序号\", \"姓名\", \"年龄\") values (?, '李明华', '1970')"),
                      {QStringLiteral("Q%1").arg(i)});
        else
            mustWrite(other, QStringLiteral("update \"患者信息\" set \"电话\" = ? where rowid = ?"), {QString::number(i), 1 + i * 37});
        state.ResumeTiming();
        benchmark::DoNotOptimize(patients.find(QStringLiteral("李明")).size());
    }
    state.counters["whole_loads"] = patients.wholeLoads() - loadsBefore;
}

// What each of those keystrokes cost before: the whole patient list read again.
void BM_PatientListWholeLoad(benchmark::State &state)
{
    Database own(tenYears().mainPath);
    for (auto _ : state) {
        PatientRepository patients(own);
        benchmark::DoNotOptimize(patients.find(QStringLiteral("李明")).size());
    }
}

// The first keystroke of the day: the list was started loading at login, and the user types a
// moment later (range: milliseconds between login and the keystroke).
void BM_FirstPatientKeystroke(benchmark::State &state)
{
    Database own(tenYears().mainPath);
    for (auto _ : state) {
        state.PauseTiming();
        auto patients = std::make_unique<PatientRepository>(own);
        patients->preload();
        QThread::msleep(state.range(0));
        state.ResumeTiming();
        benchmark::DoNotOptimize(patients->find(QStringLiteral("李明")).size());
        state.PauseTiming();
        patients.reset();
        state.ResumeTiming();
    }
}

void BM_DrugKeystrokeAfterOtherWrite(benchmark::State &state)
{
    Database own(tenYears().mainPath);
    Database other(tenYears().mainPath);
    PickListRepository catalogue(own);
    catalogue.findOutsideCategory(QStringLiteral("中药"), QStringLiteral("yp1"));
    const int loadsBefore = catalogue.wholeLoads();
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        mustWrite(other, QStringLiteral("insert into \"档案\" (\"序号\", \"0\") values (?, '王建国')"), {QStringLiteral("D%1").arg(++i)});
        state.ResumeTiming();
        benchmark::DoNotOptimize(catalogue.findOutsideCategory(QStringLiteral("中药"), QStringLiteral("yp1")).size());
    }
    state.counters["whole_loads"] = catalogue.wholeLoads() - loadsBefore;
}

void BM_CatalogueListWholeLoad(benchmark::State &state)
{
    Database own(tenYears().mainPath);
    for (auto _ : state) {
        PickListRepository catalogue(own);
        benchmark::DoNotOptimize(catalogue.findOutsideCategory(QStringLiteral("中药"), QStringLiteral("yp1")).size());
    }
}

ArchiveRecord savedRecord(int i)
{
    ArchiveRecord record;
    record.id = QStringLiteral("S%1").arg(i, 14, 10, QLatin1Char('0'));
    record.fields = QStringList(18, QString(""));
    record.fields[0] = QStringLiteral("李秀英");
    record.fields[5] = QStringLiteral("2024-12-31");
    record.kind = QStringLiteral("西");
    return record;
}

// "历史处方" for a name right after this program saved a prescription (range 0), or after another
// computer did (range 1); the names as before, read whole (range 2).
void BM_NameHistoryAfterSave(benchmark::State &state)
{
    Database own(tenYears().mainPath);
    Database other(tenYears().mainPath);
    auto archive = std::make_unique<ArchiveRepository>(own);
    archive->history(QStringLiteral("李秀英"), QDate(2015, 1, 1), QDate(2024, 12, 31));
    const int loadsBefore = archive->nameLoads();
    static int i = 0;
    qsizetype rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++i;
        if (state.range(0) == 0)
            archive->save(savedRecord(i));
        else if (state.range(0) == 1)
            mustWrite(other, QStringLiteral("insert into \"档案\" (\"序号\", \"0\", \"5\") values (?, '李秀英', '2024-12-31')"),
                      {QStringLiteral("H%1").arg(i)});
        else
            archive = std::make_unique<ArchiveRepository>(own);
        state.ResumeTiming();
        rows = archive->history(QStringLiteral("李秀英"), QDate(2015, 1, 1), QDate(2024, 12, 31)).size();
    }
    state.counters["rows"] = double(rows);
    if (state.range(0) < 2)
        state.counters["name_reads"] = archive->nameLoads() - loadsBefore;
}

// A common surname over ten years in the history list, laid out as the window shows it; range 1
// lays the rows out as before (each measured).
void BM_CommonSurnameHistoryShown(benchmark::State &state)
{
    Database own(tenYears().mainPath);
    Database statsDb(tenYears().statsPath);
    ArchiveRepository archive(own);
    StatisticsRepository statistics(statsDb);
    CatalogueLookup catalogue(own);
    PrescriptionHistory history(archive, statistics, catalogue);
    QWidget popup;
    HistoryPanel panel(history, [] { return QDate(2024, 12, 31); }, &popup);
    panel.resize(300, 700);
    panel.show();
    if (state.range(0) == 1)
        panel.list()->setUniformItemSizes(false);
    panel.nameFilter()->setText(QStringLiteral("李"));
    panel.findChild<QLineEdit *>(QStringLiteral("Text3"))->setText(QStringLiteral("2015-01-01"));
    panel.findChild<QLineEdit *>(QStringLiteral("Text4"))->setText(QStringLiteral("2024-12-31"));
    panel.query();
    for (auto _ : state) {
        panel.query();
        // The layout the list does before it paints.
        panel.list()->doItemsLayout();
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = panel.list()->count();
}

// 药物维护 opened on 20,000 entries (the window opens on the Western drugs, 10,000 of them here).
void BM_CatalogueWindowOpens(benchmark::State &state)
{
    Database own(tenYears().mainPath);
    NoFiles files;
    for (auto _ : state) {
        state.PauseTiming();
        auto catalogue = std::make_unique<CatalogueRepository>(own);
        if (state.range(0) == 1) {
            catalogue->preload(CatalogueOptions::caption(CatalogueOptions::Western));
            QThread::msleep(1000);
        }
        state.ResumeTiming();
        CatalogueWindow window(*catalogue, files);
        window.show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        window.close();
        catalogue.reset();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_OtherWriteAlone)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StartUpTenYearsAgainstFresh)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_QuickCheckTenYears)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_OtherWriteWaitDuringStartUp)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OtherWriteWaitDuringQuickCheck)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ExitBackupWhileOtherWrites)->Unit(benchmark::kMillisecond)->Arg(3)->Arg(5000)->Iterations(1);
BENCHMARK(BM_OnePassBackupWhileOtherWrites)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_PatientKeystrokeAfterOtherWrite)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1)->Arg(2)->Iterations(20);
BENCHMARK(BM_PatientListWholeLoad)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FirstPatientKeystroke)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1500)->Iterations(3);
BENCHMARK(BM_DrugKeystrokeAfterOtherWrite)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_CatalogueListWholeLoad)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_NameHistoryAfterSave)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1)->Arg(2)->Iterations(10);
BENCHMARK(BM_CommonSurnameHistoryShown)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1)->Iterations(5);
BENCHMARK(BM_CatalogueWindowOpens)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1)->Iterations(3);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return runBenchmarks(argc, argv, [] {
        fresh();
        tenYears();
    });
}
