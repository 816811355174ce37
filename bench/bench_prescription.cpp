// The prescription workbench on a clinic ten years on: 20,000 catalogue entries, 100,000
// patients, 500,000 archived prescriptions and 2,000,000 settled lines. Typing in the search box
// and the name field, the history query, a save and a 36-line settlement.
#include "benchlocation.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "data/archiverepository.h"
#include "data/cataloguelookup.h"
#include "data/database.h"
#include "data/databasecreator.h"
#include "data/patientrepository.h"
#include "data/picklistrepository.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"
#include "data/statisticsrepository.h"
#include "data/tables.h"
#include "data/templaterepository.h"
#include "data/wordlistrepository.h"
#include "prescription/drugpicklist.h"
#include "prescription/patiententry.h"
#include "prescription/prescriptionhistory.h"
#include "prescription/prescriptionpricer.h"
#include "prescription/prescriptionsaver.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/settlement.h"
#include "text/pinyininitials.h"

namespace {

const QString Characters = QStringLiteral("阿莫西林胶囊头孢克肟片左氧氟沙星注射液葡萄糖氯化钠维生素复方甘草当归川芎白芍熟地黄人参党参白术茯苓"
                                          "黄芪柴胡枳实厚朴陈皮半夏生姜大枣桂枝麻黄杏仁石膏知母丹参三七红花桃仁牛膝杜仲");
const QString Surnames = QStringLiteral("王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈");
const QString Given = QStringLiteral("伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超兰霞平刚桂玉华红建国文辉斌波宁");

QString randomName(QRandomGenerator &random, const QString &pool, int length)
{
    QString name;
    for (int i = 0; i < length; ++i)
        name += pool.at(random.bounded(int(pool.size())));
    return name;
}

// One clinic's two files, filled once for all benchmarks.
struct Clinic
{
    QTemporaryDir folder;
    std::unique_ptr<Database> main;
    std::unique_ptr<Database> stats;

    Clinic()
    {
        const DatabaseLocation mainLocation = benchLocation(folder.path(), DatabaseKind::Main, QStringLiteral("bench_workbench"));
        const DatabaseLocation statsLocation = benchLocation(folder.path(), DatabaseKind::Stats, QStringLiteral("bench_workbench"));
        if (!DatabaseCreator().create(mainLocation, DatabaseKind::Main).ok || !DatabaseCreator().create(statsLocation, DatabaseKind::Stats).ok)
            qFatal("cannot create the benchmark databases");
        main = std::make_unique<Database>(mainLocation);
        stats = std::make_unique<Database>(statsLocation);
        QRandomGenerator random(7);
        fillCatalogue(random);
        fillPatients(random);
        fillArchive(random);
        fillStatistics(random);
        // Fresh statistics for the planner, as autovacuum would gather them soon after.
        if (benchOnServer()) {
            main->exec(QStringLiteral("analyze"));
            stats->exec(QStringLiteral("analyze"));
        }
    }

    // The rows go in 100 to a statement: the server answers each statement over the network.
    void fill(Database &db, int rows, const std::function<SqlRow(int)> &row)
    {
        constexpr int PerStatement = 100;
        SqlTransaction transaction(db);
        QList<SqlRow> batch;
        for (int i = 0; i < rows; ++i) {
            batch.append(row(i));
            if (batch.size() == PerStatement || i + 1 == rows) {
                const WriteResult written = db.insertAll(batch);
                if (!written.ok)
                    qFatal("cannot fill the benchmark database: %s", qPrintable(written.fullText()));
                batch.clear();
            }
        }
        transaction.commit();
    }

    void fillCatalogue(QRandomGenerator &random)
    {
        const QStringList categories = {QStringLiteral("中药"), QStringLiteral("西成药·抗生素"), QStringLiteral("西成药·心血管"),
                                        QStringLiteral("西成药·消化"), QStringLiteral("收费项目")};
        fill(*main, 20000, [&](int i) {
            const QString name = randomName(random, Characters, 3 + random.bounded(5)) + QString::number(i);
            const QString initials = pinyinInitials(name);
            return SqlRow(Tables::catalogue())
                .set(QStringLiteral("ID号"), QString::number(i))
                .set(QStringLiteral("名称"), name)
                .set(QStringLiteral("拼音"), initials)
                .set(QStringLiteral("查询"), searchKey(name, initials))
                .set(QStringLiteral("常用量"), QStringLiteral("10mg×24片"))
                .set(QStringLiteral("单位"), QStringLiteral("片"))
                .set(QStringLiteral("单价"), QStringLiteral("1.500"))
                .set(QStringLiteral("分类"), categories.at(i % categories.size()));
        });
    }

    void fillPatients(QRandomGenerator &random)
    {
        fill(*main, 100000, [&](int) {
            const QString name = randomName(random, Surnames, 1) + randomName(random, Given, 1 + random.bounded(2));
            const QString year = QString::number(1930 + random.bounded(95));
            return SqlRow(Tables::patients())
                .set(QStringLiteral("序号"), name + pinyinInitials(name) + year)
                .set(QStringLiteral("姓名"), name)
                .set(QStringLiteral("年龄"), year);
        });
    }

    // The id of the i-th archived prescription; its four statistics lines carry it too.
    static QString archiveId(int i)
    {
        const QDate date = QDate(2016, 12, 10).addDays(i * 3650 / 500000);
        return QStringLiteral("BNCH%1%2").arg(date.toString(QStringLiteral("yyyyMMdd"))).arg(i, 6, 10, QLatin1Char('0'));
    }

    void fillArchive(QRandomGenerator &random)
    {
        const QDate first(2016, 12, 10);
        fill(*main, 500000, [&](int i) {
            const QDate date = first.addDays(i * 3650 / 500000);
            const QString name = randomName(random, Surnames, 1) + randomName(random, Given, 1 + random.bounded(2));
            return SqlRow(Tables::archive())
                .set(QStringLiteral("序号"), archiveId(i))
                .set(QStringLiteral("0"), name)
                .set(QStringLiteral("1"), QStringLiteral("男"))
                .set(QStringLiteral("2"), QStringLiteral("35岁"))
                .set(QStringLiteral("5"), date.toString(Qt::ISODate))
                .set(QStringLiteral("T1"), QStringLiteral("阿莫西林胶囊 0.25g×24粒\r\n    用法：2粒 每日3次 口服\r\n\r\n"))
                .set(QStringLiteral("类别"), QStringLiteral("西"))
                .set(QStringLiteral("发药"), QStringLiteral("-已结算"))
                .set(QStringLiteral("计价"), QStringLiteral("阿莫西林胶囊@$24@$粒@$0.120@$2.880@$@$"));
        });
    }

    void fillStatistics(QRandomGenerator &random)
    {
        const QDate first(2016, 12, 10);
        fill(*stats, 2000000, [&](int i) {
            return SqlRow(Tables::statistics())
                .set(QStringLiteral("ID号"), archiveId(i / 4))
                .set(QStringLiteral("名称"), QStringLiteral("药%1").arg(random.bounded(500)))
                .set(QStringLiteral("数量"), QStringLiteral("2"))
                .set(QStringLiteral("单位"), QStringLiteral("盒"))
                .set(QStringLiteral("金额"), QStringLiteral("3.000"))
                .set(QStringLiteral("分类"), QStringLiteral("西成药·抗生素"))
                .set(QStringLiteral("日期"), first.addDays(i * 3650 / 2000000).toString(Qt::ISODate));
        });
    }
};

Clinic &clinic()
{
    static Clinic shared;
    return shared;
}

void BM_SearchListRefill(benchmark::State &state, int category, const QString typed)
{
    PickListRepository catalogue(*clinic().main);
    TemplateRepository templates(*clinic().main);
    DrugPickList list(catalogue, templates);
    list.fill(category, typed); // the first keystroke of a session loads the rows once
    qsizetype shown = 0;
    for (auto _ : state) {
        // What a keystroke does: the query and the list's texts.
        QStringList texts;
        for (const DrugPickList::Item &item : list.fill(category, typed))
            texts.append(item.visible);
        shown = texts.size();
        benchmark::DoNotOptimize(texts);
    }
    state.counters["items"] = double(shown);
}

void BM_PatientLookup(benchmark::State &state, const QString typed)
{
    PrescriptionSheet sheet;
    PatientRepository patients(*clinic().main);
    WordListRepository diagnoses(*clinic().main, Tables::diagnoses());
    WordListRepository addresses(*clinic().main, Tables::addresses());
    PatientEntry entry(sheet, patients, diagnoses, addresses, [] { return QDate(2026, 12, 10); });
    entry.patientsFor(typed);
    qsizetype found = 0;
    for (auto _ : state) {
        found = entry.patientsFor(typed).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["items"] = double(found);
}

void BM_History(benchmark::State &state, const QString name, QDate from, QDate to)
{
    ArchiveRepository archive(*clinic().main);
    StatisticsRepository statistics(*clinic().stats);
    CatalogueLookup catalogue(*clinic().main);
    PrescriptionHistory history(archive, statistics, catalogue);
    qsizetype found = 0;
    for (auto _ : state) {
        QStringList texts;
        for (const auto &entry : archive.history(name, from, to))
            texts.append(PrescriptionHistory::rowText(entry));
        found = texts.size();
    }
    state.counters["rows"] = double(found);
}

void BM_Save(benchmark::State &state)
{
    ArchiveRepository archive(*clinic().main);
    PatientRepository patients(*clinic().main);
    PrescriptionSaver saver(archive, patients, [] { return QDate(2026, 12, 10); });
    PrescriptionSheet sheet;
    sheet.setField(PrescriptionSheet::Name, QStringLiteral("测试病人"));
    sheet.setField(PrescriptionSheet::Age, QStringLiteral("40岁"));
    sheet.setField(PrescriptionSheet::Date, QStringLiteral("2026-12-10"));
    sheet.setBody(QStringLiteral("阿莫西林胶囊 0.25g×24粒\r\n    用法：2粒 每日3次 口服\r\n\r\n"));
    QDateTime now(QDate(2026, 12, 10), QTime(8, 0));
    for (auto _ : state) {
        state.PauseTiming();
        sheet.setId(archive.freshId(QStringLiteral("SAVE"), now));
        now = now.addSecs(1);
        state.ResumeTiming();
        if (!saver.save(sheet).saved())
            state.SkipWithError("save refused");
    }
}

void BM_Settlement36(benchmark::State &state)
{
    ArchiveRepository archive(*clinic().main);
    PatientRepository patients(*clinic().main);
    // As the program does: the statistics through the main file's connection, one transaction.
    StatisticsRepository statistics(*clinic().main, clinic().stats->location());
    CatalogueLookup lookup(*clinic().main);
    PrescriptionPricer pricer(lookup);
    PrescriptionSaver saver(archive, patients, [] { return QDate(2026, 12, 10); });
    PrescriptionSheet sheet;
    Settlement settlement(sheet, pricer, saver, statistics);
    QSqlQuery names = clinic().main->select(QStringLiteral("select \"名称\" from \"商品\" where \"分类\" like '西成药%' limit 36"));
    QString body;
    while (names.next())
        body += names.value(0).toString() + QStringLiteral(" 10mg×2盒\r\n");
    sheet.setField(PrescriptionSheet::Name, QStringLiteral("结算病人"));
    sheet.setField(PrescriptionSheet::Date, QStringLiteral("2026-12-10"));
    sheet.setBody(body);
    sheet.setId(archive.freshId(QStringLiteral("SETL"), QDateTime(QDate(2026, 12, 10), QTime(9, 0))));
    for (auto _ : state) {
        const Settlement::Result result = settlement.settle();
        if (!result.statisticsWritten)
            state.SkipWithError("settlement failed");
    }
    state.counters["lines"] = double(statistics.countFor(sheet.id()));
}

// The start-up check for what earlier versions left half-written, over every prescription and
// statistics line: two walks over indexes, no row read.
void BM_SettlementLeftovers(benchmark::State &state)
{
    StatisticsRepository statistics(*clinic().main, clinic().stats->location());
    std::size_t found = 0;
    for (auto _ : state) {
        const std::optional<StatisticsRepository::Leftovers> leftovers = statistics.leftovers();
        if (!leftovers)
            state.SkipWithError("read failed");
        else
            found = std::size_t(leftovers->settledWithoutLines.size() + leftovers->linesWithoutPrescription.size());
    }
    state.counters["found"] = double(found);
}

// The first name typed after a save: the patient rows changed, so the list is read again.
void BM_PatientLookupAfterSave(benchmark::State &state)
{
    PrescriptionSheet sheet;
    PatientRepository patients(*clinic().main);
    WordListRepository diagnoses(*clinic().main, Tables::diagnoses());
    WordListRepository addresses(*clinic().main, Tables::addresses());
    PatientEntry entry(sheet, patients, diagnoses, addresses, [] { return QDate(2026, 12, 10); });
    entry.patientsFor(QStringLiteral("wl"));
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        PatientRepository::Patient patient;
        patient.key = QStringLiteral("新病人%1xbr1980").arg(i++);
        patient.name = QStringLiteral("新病人");
        patient.birthYear = QStringLiteral("1980");
        patients.save(patient);
        state.ResumeTiming();
        benchmark::DoNotOptimize(entry.patientsFor(QStringLiteral("wl")).size());
    }
}

} // namespace

BENCHMARK(BM_PatientLookupAfterSave)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_SearchListRefill, one_letter_all_but_herbs, 0, QStringLiteral("a"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchListRefill, two_letters_all_but_herbs, 0, QStringLiteral("xl"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchListRefill, two_letters_herbs, 14, QStringLiteral("dg"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchListRefill, category_without_text, 2, QString())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PatientLookup, two_letters, QStringLiteral("wl"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PatientLookup, two_characters, QStringLiteral("王伟"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_History, one_month, QString(), QDate(2026, 11, 10), QDate(2026, 12, 10))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_History, one_name_ten_years, QStringLiteral("王伟"), QDate(2016, 12, 10), QDate(2026, 12, 10))->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Settlement36)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SettlementLeftovers)->Unit(benchmark::kMillisecond);



int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::AddCustomContext("engine", benchEngine());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
