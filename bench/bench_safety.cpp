// One safety check of a full prescription body (36 items) against the shipped rules.
#include <benchmark/benchmark.h>

#include "prescription/safety/safetychecker.h"
#include "prescription/safety/safetyrules.h"
#include "prescription/safety/writtenherbs.h"

namespace {

// Herbs as a clinic writes them: notes, processed forms, a few toxic herbs and incompatible pairs.
SafetyInput chinesePrescription()
{
    const QStringList names = QStringLiteral(
        "黄芪{炙} 当归 党参 白术{炒} 茯苓 甘草{炙} 陈皮 半夏{法} 附子{制} 干姜 细辛 白芍[炒] 川芎 熟地黄 "
        "阿胶[烊化] 桂枝 麻黄 苦杏仁 石膏 知母 黄芩 黄连 栀子 柴胡{醋} 枳壳{炒} 厚朴{姜} 木香 砂仁 "
        "浙贝母 瓜蒌 海藻 丹参 川乌{制} 五灵脂{醋} 人参 大枣").split(QLatin1Char(' '));
    SafetyInput input;
    input.kind = SafetyInput::PrescriptionKind::Chinese;
    for (int i = 0; i < names.size(); ++i) {
        const QString quantity = i % 7 == 0 ? QStringLiteral("12") : QStringLiteral("%1.5").arg(i % 9 + 1);
        input.items.append({names.at(i), quantity, QStringLiteral("g"), SafetyItem::Kind::Herb});
    }
    input.allergyHistory = QStringLiteral("青霉素及头孢类过敏，否认食物过敏史");
    input.forSaving = true;
    return input;
}

// Drug lines with a usage line after each and a few charges.
SafetyInput westernPrescription()
{
    const QStringList names = QStringLiteral(
        "阿莫西林胶囊 头孢克肟胶囊 阿奇霉素片 左氧氟沙星片 布洛芬片 对乙酰氨基酚片 氯雷他定片 蒙脱石散 "
        "奥美拉唑肠溶胶囊 维生素C片 复方磺胺甲噁唑片 聚维酮碘溶液 注射用赖氨匹林 盐酸多西环素片 "
        "甲硝唑片 硝苯地平缓释片").split(QLatin1Char(' '));
    SafetyInput input;
    input.kind = SafetyInput::PrescriptionKind::Western;
    for (const QString &name : names) {
        input.items.append({name, QStringLiteral("1"), QStringLiteral("片"), SafetyItem::Kind::Drug});
        input.items.append({QStringLiteral("用法：口服 每日3次"), QString(), QString(), SafetyItem::Kind::Usage});
    }
    for (const QString &charge : {QStringLiteral("挂号费"), QStringLiteral("诊查费"), QStringLiteral("注射费"),
                                  QStringLiteral("输液费")})
        input.items.append({charge, QStringLiteral("1"), QStringLiteral("次"), SafetyItem::Kind::Charge});
    input.allergyHistory = QStringLiteral("青霉素过敏；磺胺类、碘过敏；对布洛芬过敏");
    input.forSaving = true;
    return input;
}

void run(benchmark::State &state, const SafetyInput &input)
{
    const SafetyChecker checker(SafetyRules::shipped());
    qsizetype warnings = 0;
    for (auto _ : state) {
        const QList<SafetyWarning> found = checker.check(input);
        warnings = found.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["items"] = double(input.items.size());
    state.counters["warnings"] = double(warnings);
}

void BM_ChinesePrescription(benchmark::State &state)
{
    run(state, chinesePrescription());
}

void BM_WesternPrescription(benchmark::State &state)
{
    run(state, westernPrescription());
}

// The same 36 herbs as a laid-out body, three to a line, doses in g, 克 and mg.
void BM_ReadChineseBody(benchmark::State &state)
{
    QString body;
    const SafetyInput input = chinesePrescription();
    for (int i = 0; i < input.items.size(); ++i) {
        const QString unit = i % 3 == 0 ? QStringLiteral("克") : i % 3 == 1 ? QStringLiteral("g") : QStringLiteral("mg");
        body += (input.items.at(i).name + QLatin1Char(' ') + input.items.at(i).quantity + unit).leftJustified(13);
        if (i % 3 == 2)
            body += QStringLiteral("\r\n\r\n");
    }
    body += QStringLiteral("    用法：水煎服 每日1剂\r\n");
    qsizetype herbs = 0;
    for (auto _ : state) {
        const WrittenHerbs written = WrittenHerbs::read(body);
        herbs = written.herbs.size();
        benchmark::DoNotOptimize(written);
    }
    state.counters["herbs"] = double(herbs);
}

void BM_LoadRules(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(SafetyChecker(SafetyRules::shipped()));
}

} // namespace

BENCHMARK(BM_ChinesePrescription)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_WesternPrescription)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_ReadChineseBody)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadRules)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
