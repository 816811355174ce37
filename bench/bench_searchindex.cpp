// One keystroke in a search list: the in-memory index over a generated catalogue and patient list.
#include <benchmark/benchmark.h>
#include <random>

#include <QFile>
#include <QList>
#include <QString>

#include "text/pinyininitials.h"
#include "text/searchindex.h"

namespace {

QChar pick(const QString &pool, std::mt19937 &random)
{
    return pool.at(std::uniform_int_distribution<qsizetype>(0, pool.size() - 1)(random));
}

QString pickFrom(const QStringList &pool, std::mt19937 &random)
{
    return pool.at(std::uniform_int_distribution<qsizetype>(0, pool.size() - 1)(random));
}

// Names like 复方甘草酸苷片, 注射用头孢曲松钠 or 白术{炒}, polyphones included.
QList<SearchIndex::Entry> catalogueEntries(int count)
{
    const QString core = QStringLiteral(
        "甘草酸苷头孢曲松钠阿莫西林克拉维酸钾布洛芬氨基葡萄糖维生素人参白术重楼藏红花蛤蚧长春西汀调经促孕丸"
        "阿胶当归黄芪川芎地黄茯苓泽泻丹皮山药枸杞菊花金银连翘板蓝根柴胡薄荷桔梗杏仁麻黄桂枝芍药大枣生姜"
        "硝苯平硫酸镁氯化氢氧铝碳钙铁锌硒叶尼莫地尔䓬奥美拉唑雷贝兰索西替利嗪");
    const QStringList prefixes = {QString(), QString(), QString(), QStringLiteral("复方"),
                                  QStringLiteral("盐酸"), QStringLiteral("注射用"), QStringLiteral("小儿")};
    const QStringList suffixes = {QString(), QStringLiteral("片"), QStringLiteral("胶囊"), QStringLiteral("注射液"),
                                  QStringLiteral("颗粒"), QStringLiteral("口服液"), QStringLiteral("软膏"),
                                  QStringLiteral("{炒}"), QStringLiteral(" 0.25g*24")};
    std::mt19937 random(20240501);
    std::uniform_int_distribution<int> coreLength(2, 5);
    QList<SearchIndex::Entry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString name = pickFrom(prefixes, random);
        for (int n = coreLength(random); n > 0; --n)
            name.append(pick(core, random));
        name.append(pickFrom(suffixes, random));
        entries.append({i + 1, name, searchKey(name, pinyinInitials(name))});
    }
    return entries;
}

// Keys like 王秀英wxy1965: name, initials and year of birth.
QList<SearchIndex::Entry> patientEntries(int count)
{
    const QString surnames = QStringLiteral("王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史单");
    const QString given = QStringLiteral("秀英华玉兰桂珍芳明建国军伟强丽敏静红霞平刚杰涛波辉鹏春梅燕萍长乐重阳朝晖");
    std::mt19937 random(19650412);
    std::uniform_int_distribution<int> givenLength(1, 2);
    std::uniform_int_distribution<int> year(1930, 2023);
    QList<SearchIndex::Entry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString name(pick(surnames, random));
        for (int n = givenLength(random); n > 0; --n)
            name.append(pick(given, random));
        entries.append({i + 1, name, name + pinyinInitials(name) + QString::number(year(random))});
    }
    return entries;
}

const QList<SearchIndex::Entry> &catalogue()
{
    static const QList<SearchIndex::Entry> entries = catalogueEntries(20000);
    return entries;
}

const QList<SearchIndex::Entry> &patients()
{
    static const QList<SearchIndex::Entry> entries = patientEntries(100000);
    return entries;
}

// The first search of a session parses the shipped readings once.
void BM_LoadReadings(benchmark::State &state)
{
    QFile file(QStringLiteral(":/text/pinyin_readings.txt"));
    file.open(QIODevice::ReadOnly);
    const QString text = QString::fromUtf8(file.readAll());
    for (auto _ : state)
        benchmark::DoNotOptimize(PinyinReadings::fromText(text).letterMask(U'参'));
}

void BM_Build(benchmark::State &state, const QList<SearchIndex::Entry> &(*rows)())
{
    const QList<SearchIndex::Entry> &entries = rows();
    qsizetype bytes = 0;
    for (auto _ : state) {
        SearchIndex index(entries);
        bytes = index.memoryBytes();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["rows"] = double(entries.size());
    state.counters["index_KiB"] = double(bytes) / 1024;
}

void BM_Find(benchmark::State &state, const QList<SearchIndex::Entry> &(*rows)(), const char *typed)
{
    const SearchIndex index(rows());
    const QString text = QString::fromLatin1(typed);
    qsizetype found = 0;
    for (auto _ : state) {
        const QList<qint64> ids = index.find(text);
        found = ids.size();
        benchmark::DoNotOptimize(ids.constData());
    }
    state.counters["found"] = double(found);
}

} // namespace

BENCHMARK(BM_LoadReadings)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Build, catalogue_20k, catalogue)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Build, patients_100k, patients)->Unit(benchmark::kMillisecond);

#define QUILLON_FIND(list, name, typed)                                                                                \
    BENCHMARK_CAPTURE(BM_Find, list##_##name, list, typed)                                                             \
        ->Unit(benchmark::kMillisecond)                                                                                \
        ->Repetitions(9)                                                                                               \
        ->ReportAggregatesOnly(true)

QUILLON_FIND(catalogue, s, "s");
QUILLON_FIND(catalogue, z, "z");
QUILLON_FIND(catalogue, rs, "rs");
QUILLON_FIND(catalogue, zh, "zh");
QUILLON_FIND(catalogue, keypad_5, "5");
QUILLON_FIND(patients, w, "w");
QUILLON_FIND(patients, x, "x");
QUILLON_FIND(patients, wx, "wx");
QUILLON_FIND(patients, zc, "zc");
QUILLON_FIND(patients, keypad_65, "65");

BENCHMARK_MAIN();
