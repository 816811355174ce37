#include "testdatabase.h"

#include <algorithm>
#include <memory>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "data/picklistrepository.h"
#include "data/tsvtable.h"
#include "prescription/prescriptionsafety.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/safety/allergyhistory.h"
#include "prescription/safety/herbname.h"
#include "prescription/safety/massquantity.h"
#include "prescription/safety/safetychecker.h"
#include "prescription/safety/safetyrules.h"

Q_DECLARE_METATYPE(SafetyInput)

namespace {

SafetyItem herb(const QString &name, const QString &quantity = u"9"_qs, const QString &unit = u"g"_qs)
{
    return {name, quantity, unit, SafetyItem::Kind::Herb};
}

SafetyItem drug(const QString &name)
{
    return {name, u"1"_qs, u"片"_qs, SafetyItem::Kind::Drug};
}

SafetyItem charge(const QString &name)
{
    return {name, u"1"_qs, u"次"_qs, SafetyItem::Kind::Charge};
}

SafetyItem usage(const QString &name)
{
    return {name, QString(), QString(), SafetyItem::Kind::Usage};
}

SafetyInput chinese(const QList<SafetyItem> &items, const QString &allergyHistory = QString())
{
    return {SafetyInput::PrescriptionKind::Chinese, items, allergyHistory, u"感冒"_qs, false};
}

SafetyInput western(const QList<SafetyItem> &items, const QString &allergyHistory = QString())
{
    return {SafetyInput::PrescriptionKind::Western, items, allergyHistory, u"感冒"_qs, false};
}

SafetyInput saving(SafetyInput input, const QString &diagnosis)
{
    input.diagnosis = diagnosis;
    input.forSaving = true;
    return input;
}

// "红 十八反 0,1": severity, kind and the items involved, what the table below compares.
QString summary(const SafetyWarning &warning)
{
    QStringList items;
    for (int item : warning.items)
        items.append(QString::number(item));
    const QString severity = warning.severity == SafetyWarning::Severity::Red ? u"红"_qs : u"黄"_qs;
    return QStringList{severity, SafetyWarning::kindName(warning.kind), items.join(u',')}.join(u' ').trimmed();
}

QStringList summaries(const QList<SafetyWarning> &warnings)
{
    QStringList result;
    for (const SafetyWarning &warning : warnings)
        result.append(summary(warning));
    return result;
}

} // namespace

class TestSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void check_data();
    void check();
    void herbNameForms_data();
    void herbNameForms();
    void massQuantity_data();
    void massQuantity();
    void allergyHistory_data();
    void allergyHistory();
    void prescriptionBodies_data();
    void prescriptionBodies();
    void seedHerbsStartWithinTheirDose();
    void shippedRulesReadCleanly();
    void warningsSayWhatAndWhy();
    void clinicFolderAppendsRows();
    void clinicFileProblemsAreReported();

private:
    SafetyRules m_shipped;
    std::unique_ptr<TestDatabase> m_seeded;
};

void TestSafety::initTestCase()
{
    m_shipped = SafetyRules::shipped();
    m_seeded = std::make_unique<TestDatabase>();
}

void TestSafety::check_data()
{
    QTest::addColumn<SafetyInput>("input");
    QTest::addColumn<QStringList>("expected");
    const QString red18 = u"红 十八反"_qs;
    const QString red19 = u"红 十九畏"_qs;
    const QString overdose = u"红 毒性药超量"_qs;
    const QString allergy = u"红 过敏"_qs;
    const QString raw = u"红 毒性药生品内服"_qs;
    const QString unchecked = u"黄 未能检查"_qs;
    const QString cross = u"黄 交叉过敏"_qs;
    const QString forbidden = u"红 孕妇禁用"_qs;
    const QString caution = u"黄 孕妇慎用"_qs;

    // 十八反 and 十九畏
    QTest::newRow("附子 with 法半夏") << chinese({herb(u"附子{制}"_qs), herb(u"半夏{法}"_qs)})
                                      << QStringList{red18 + u" 0,1"_qs};
    QTest::newRow("附子 alone") << chinese({herb(u"附子{制}"_qs), herb(u"干姜"_qs)}) << QStringList();
    QTest::newRow("甘草 with 海藻") << chinese({herb(u"甘草"_qs), herb(u"海藻"_qs)})
                                    << QStringList{red18 + u" 0,1"_qs};
    QTest::newRow("炙甘草 with 醋甘遂") << chinese({herb(u"甘遂[醋]"_qs, u"1"_qs), herb(u"炙甘草"_qs)})
                                        << QStringList{red18 + u" 0,1"_qs};
    QTest::newRow("白芍 with a note, 酒赤芍, against 藜芦")
        << chinese({herb(u"白芍[炒]"_qs), herb(u"藜芦"_qs, u"1"_qs), herb(u"酒赤芍"_qs)})
        << QStringList{red18 + u" 0,1"_qs, red18 + u" 1,2"_qs};
    QTest::newRow("黑顺片 with 姜半夏") << chinese({herb(u"黑顺片"_qs), herb(u"姜半夏"_qs)})
                                        << QStringList{red18 + u" 0,1"_qs};
    QTest::newRow("生晒参 and 党参 against 藜芦")
        << chinese({herb(u"生晒参"_qs), herb(u"党参"_qs), herb(u"藜芦"_qs, u"1"_qs)})
        << QStringList{red18 + u" 0,2"_qs, red18 + u" 1,2"_qs};
    QTest::newRow("白及 written 白芨") << chinese({herb(u"川乌{制}"_qs, u"3"_qs), herb(u"白芨"_qs)})
                                        << QStringList{red18 + u" 0,1"_qs};
    QTest::newRow("天花粉 is of the 瓜蒌 group") << chinese({herb(u"天花粉"_qs), herb(u"草乌{制}"_qs, u"3"_qs)})
                                                 << QStringList{red18 + u" 0,1"_qs};
    QTest::newRow("every opposing pair once")
        << chinese({herb(u"川乌{制}"_qs, u"3"_qs), herb(u"附子{制}"_qs), herb(u"半夏{法}"_qs), herb(u"浙贝母"_qs)})
        << QStringList{red18 + u" 0,2"_qs, red18 + u" 0,3"_qs, red18 + u" 1,2"_qs, red18 + u" 1,3"_qs};
    QTest::newRow("a pair written twice is said once")
        << chinese({herb(u"附子{制}"_qs), herb(u"半夏{法}"_qs), herb(u"附子{制}"_qs, u"3"_qs)})
        << QStringList{red18 + u" 0,1,2"_qs};
    QTest::newRow("人参 with 五灵脂") << chinese({herb(u"人参"_qs), herb(u"五灵脂{醋}"_qs)})
                                      << QStringList{red19 + u" 0,1"_qs};
    QTest::newRow("官桂 with 赤石脂, 丁香 with 郁金")
        << chinese({herb(u"官桂"_qs), herb(u"丁香"_qs), herb(u"赤石脂"_qs), herb(u"郁金"_qs)})
        << QStringList{red19 + u" 0,2"_qs, red19 + u" 1,3"_qs};
    QTest::newRow("芒硝 with 硫黄 and with 三棱")
        << chinese({herb(u"芒硝"_qs), herb(u"硫黄"_qs, u"1"_qs), herb(u"三棱[醋]"_qs)})
        << QStringList{red19 + u" 0,1"_qs, red19 + u" 0,2"_qs};
    QTest::newRow("海藻 typed with a compatibility ideograph") << chinese({herb(u"甘草"_qs), herb(u"\uFA45藻"_qs)})
                                                              << QStringList{red18 + u" 0,1"_qs};
    QTest::newRow("Western prescription holds no herb pairs")
        << western({herb(u"附子{制}"_qs), herb(u"半夏{法}"_qs)}) << QStringList();

    // Names that look alike but are other herbs
    QTest::newRow("白附子 is not 附子") << chinese({herb(u"白附子{制}"_qs, u"3"_qs), herb(u"半夏{法}"_qs, u"9"_qs)})
                                        << QStringList();
    QTest::newRow("甘遂 is not 甘草") << chinese({herb(u"甘遂{醋}"_qs, u"1"_qs), herb(u"海藻"_qs)})
                                      << QStringList();
    QTest::newRow("太子参 is not 人参")
        << chinese({herb(u"太子参"_qs), herb(u"藜芦"_qs, u"1"_qs), herb(u"五灵脂"_qs)}) << QStringList();
    QTest::newRow("土贝母 and 水半夏 are not 贝母 and 半夏")
        << chinese({herb(u"附子{制}"_qs), herb(u"土贝母"_qs), herb(u"水半夏"_qs)}) << QStringList();
    QTest::newRow("桂枝 is not 官桂, 水牛角 is not 犀角")
        << chinese({herb(u"桂枝"_qs), herb(u"赤石脂"_qs), herb(u"川乌{制}"_qs, u"3"_qs), herb(u"水牛角"_qs)})
        << QStringList();

    // Toxic herbs above the pharmacopoeia's daily dose
    QTest::newRow("细辛 6 g") << chinese({herb(u"细辛"_qs, u"6"_qs)}) << QStringList{overdose + u" 0"_qs};
    QTest::newRow("细辛 3 g") << chinese({herb(u"细辛"_qs, u"3"_qs)}) << QStringList();
    QTest::newRow("细辛 3.000 g") << chinese({herb(u"细辛"_qs, u"3.000"_qs)}) << QStringList();
    QTest::newRow("细辛 3.001 g") << chinese({herb(u"细辛"_qs, u"3.001"_qs)}) << QStringList{overdose + u" 0"_qs};
    // A toxic herb whose dose is no mass is said to be unchecked, not passed over.
    QTest::newRow("细辛 without quantity") << chinese({herb(u"细辛"_qs, QString())}) << QStringList{unchecked + u" 0"_qs};
    QTest::newRow("细辛 counted in bags is not weighed") << chinese({herb(u"细辛"_qs, u"6"_qs, u"袋"_qs)})
                                                         << QStringList{unchecked + u" 0"_qs};
    QTest::newRow("a herb without a dose row needs no mass") << chinese({herb(u"大枣"_qs, u"5"_qs, u"枚"_qs)})
                                                             << QStringList();
    // Each written form by the row of its processed form: at the limit, and just above it.
    struct Limit
    {
        const char16_t *name;
        const char16_t *highest;
        const char16_t *above;
        const char16_t *unit = u"g";
    };
    const Limit limits[] = {
        {u"川乌", u"3", u"4"},          {u"川乌{制}", u"3", u"4"},       {u"附子{制}", u"15", u"16"},
        {u"黑顺片", u"15", u"20"},      {u"清半夏", u"9", u"10"},        {u"半夏[法]", u"9", u"10"},
        {u"白附子", u"6", u"7"},        {u"制白附子", u"6", u"7"},       {u"马钱子", u"0.6", u"0.7"},
        {u"制马钱子", u"0.6", u"0.7"},  {u"蟾酥", u"30", u"31", u"mg"}, {u"蟾酥", u"0.03", u"0.031"},
    };
    for (const Limit &limit : limits) {
        const QString name = QString::fromUtf16(limit.name);
        const QString unit = QString::fromUtf16(limit.unit);
        QTest::newRow(qPrintable(name + u" at "_qs + QString::fromUtf16(limit.highest) + unit))
            << chinese({herb(name, QString::fromUtf16(limit.highest), unit)}) << QStringList();
        QTest::newRow(qPrintable(name + u" at "_qs + QString::fromUtf16(limit.above) + unit))
            << chinese({herb(name, QString::fromUtf16(limit.above), unit)}) << QStringList{overdose + u" 0"_qs};
    }
    QTest::newRow("full-width digits") << chinese({herb(u"细辛"_qs, u"６"_qs, u"ｇ"_qs)})
                                       << QStringList{overdose + u" 0"_qs};

    // Allergy history
    QTest::newRow("青霉素过敏, 阿莫西林胶囊") << western({drug(u"阿莫西林胶囊"_qs)}, u"青霉素过敏"_qs)
                                              << QStringList{allergy + u" 0"_qs};
    QTest::newRow("青霉素过敏, 阿奇霉素片") << western({drug(u"阿奇霉素片"_qs)}, u"青霉素过敏"_qs) << QStringList();
    QTest::newRow("青霉素过敏, combinations and injections")
        << western({drug(u"阿莫西林克拉维酸钾片"_qs), drug(u"注射用青霉素钠"_qs), drug(u"青霉素V钾片"_qs),
                    drug(u"注射用哌拉西林钠他唑巴坦钠"_qs)},
                   u"青霉素过敏"_qs)
        << QStringList{allergy + u" 0"_qs, allergy + u" 1"_qs, allergy + u" 2"_qs, allergy + u" 3"_qs};
    QTest::newRow("a penicillin named makes the class") << western({drug(u"注射用氨苄西林钠"_qs)}, u"阿莫西林"_qs)
                                                        << QStringList{allergy + u" 0"_qs};
    QTest::newRow("头孢类") << western({drug(u"头孢克肟胶囊"_qs), drug(u"阿莫西林胶囊"_qs)}, u"头孢类过敏"_qs)
                            << QStringList{allergy + u" 0"_qs};
    QTest::newRow("磺胺类") << western({drug(u"复方磺胺甲噁唑片"_qs), drug(u"磺胺嘧啶银乳膏"_qs)}, u"磺胺类药物过敏"_qs)
                            << QStringList{allergy + u" 0"_qs, allergy + u" 1"_qs};
    QTest::newRow("喹诺酮类")
        << western({drug(u"左氧氟沙星片"_qs), drug(u"盐酸莫西沙星片"_qs), drug(u"甲硝唑片"_qs)}, u"喹诺酮类过敏"_qs)
        << QStringList{allergy + u" 0"_qs, allergy + u" 1"_qs};
    QTest::newRow("红霉素 means the macrolides, not other mycins")
        << western({drug(u"阿奇霉素片"_qs), drug(u"克拉霉素片"_qs), drug(u"盐酸克林霉素胶囊"_qs),
                    drug(u"硫酸庆大霉素注射液"_qs)},
                   u"红霉素过敏"_qs)
        << QStringList{allergy + u" 0"_qs, allergy + u" 1"_qs};
    QTest::newRow("霉素类") << western({drug(u"罗红霉素胶囊"_qs), drug(u"阿莫西林胶囊"_qs)}, u"霉素类过敏"_qs)
                            << QStringList{allergy + u" 0"_qs};
    QTest::newRow("阿司匹林") << western({drug(u"注射用赖氨匹林"_qs), drug(u"对乙酰氨基酚片"_qs)}, u"阿司匹林过敏"_qs)
                              << QStringList{allergy + u" 0"_qs};
    QTest::newRow("碘") << western({drug(u"聚维酮碘溶液"_qs), drug(u"75%乙醇消毒液"_qs)}, u"碘过敏"_qs)
                        << QStringList{allergy + u" 0"_qs};
    QTest::newRow("a drug named directly") << western({drug(u"布洛芬缓释胶囊"_qs), drug(u"对乙酰氨基酚片"_qs)},
                                                      u"对布洛芬过敏"_qs)
                                           << QStringList{allergy + u" 0"_qs};
    QTest::newRow("two classes joined by 及")
        << western({drug(u"阿莫西林胶囊"_qs), drug(u"头孢克洛胶囊"_qs), drug(u"阿奇霉素片"_qs)}, u"青霉素及头孢类过敏"_qs)
        << QStringList{allergy + u" 0"_qs, allergy + u" 1"_qs};
    QTest::newRow("food denied, drug named")
        << western({drug(u"阿莫西林胶囊"_qs)}, u"否认食物过敏史；青霉素皮试阳性"_qs) << QStringList{allergy + u" 0"_qs};
    for (const QString &none : {u"未发现"_qs, u"无"_qs, u"否认药物过敏史"_qs, QString(), u"不详"_qs,
                                u"青霉素皮试阴性"_qs, u"青霉素(-)"_qs, u"过敏史：无"_qs}) {
        QTest::newRow(qPrintable(u"no known allergy: "_qs + none))
            << western({drug(u"阿莫西林胶囊"_qs), drug(u"注射用青霉素钠"_qs)}, none) << QStringList();
    }
    QTest::newRow("花粉 is not 天花粉") << chinese({herb(u"天花粉"_qs)}, u"花粉过敏"_qs) << QStringList();
    QTest::newRow("a herb by its own name") << chinese({herb(u"阿胶[烊化]"_qs)}, u"阿胶过敏"_qs)
                                            << QStringList{allergy + u" 0"_qs};
    QTest::newRow("charge items are no drugs")
        << western({charge(u"青霉素皮试费"_qs), usage(u"用法：青霉素皮试"_qs)}, u"青霉素过敏"_qs) << QStringList();

    // Raw toxic herbs taken internally: red whatever the dose
    QTest::newRow("生附子 15 g") << chinese({herb(u"生附子"_qs, u"15"_qs)}) << QStringList{raw + u" 0"_qs};
    QTest::newRow("生附子 1 g") << chinese({herb(u"生附子"_qs, u"1"_qs)}) << QStringList{raw + u" 0"_qs};
    QTest::newRow("the raw poisons")
        << chinese({herb(u"生川乌"_qs, u"1"_qs), herb(u"生草乌"_qs, u"1"_qs), herb(u"生天南星"_qs, u"1"_qs),
                    herb(u"生南星"_qs, u"1"_qs), herb(u"生巴豆"_qs, u"0.1"_qs), herb(u"生狼毒"_qs, u"1"_qs)})
        << QStringList{raw + u" 0"_qs, raw + u" 1"_qs, raw + u" 2"_qs, raw + u" 3"_qs, raw + u" 4"_qs, raw + u" 5"_qs};
    QTest::newRow("raw written as a note") << chinese({herb(u"附子[生]"_qs, u"3"_qs)}) << QStringList{raw + u" 0"_qs};
    QTest::newRow("巴豆 is raw, 巴豆霜 is measured")
        << chinese({herb(u"巴豆"_qs, u"0.1"_qs), herb(u"巴豆霜"_qs, u"0.3"_qs)}) << QStringList{raw + u" 0"_qs};
    QTest::newRow("processed forms within their dose")
        << chinese({herb(u"附子{制}"_qs, u"15"_qs), herb(u"制川乌"_qs, u"3"_qs), herb(u"天南星{制}"_qs, u"9"_qs)})
        << QStringList();
    QTest::newRow("生半夏 with 附子: raw and 十八反")
        << chinese({herb(u"生半夏"_qs, u"3"_qs), herb(u"附子{制}"_qs)}) << QStringList{red18 + u" 0,1"_qs, raw + u" 0"_qs};
    QTest::newRow("生天仙子 falls back to 天仙子")
        << chinese({herb(u"生天仙子"_qs, u"1"_qs), herb(u"天仙子"_qs, u"1"_qs)}) << QStringList{overdose + u" 0,1"_qs};
    QTest::newRow("生天仙子 within its dose") << chinese({herb(u"生天仙子"_qs, u"0.5"_qs)}) << QStringList();
    QTest::newRow("生千金子 falls back to 千金子") << chinese({herb(u"生千金子"_qs, u"3"_qs)})
                                                   << QStringList{overdose + u" 0"_qs};
    SafetyInput external = chinese({herb(u"生半夏"_qs, u"30"_qs), herb(u"生天南星"_qs, u"30"_qs)});
    external.externalUse = true;
    QTest::newRow("raw herbs for external use") << external << QStringList();

    // Toxic herbs the catalogue stocks
    QTest::newRow("at their highest dose")
        << chinese({herb(u"全蝎"_qs, u"6"_qs), herb(u"蜈蚣"_qs, u"5"_qs), herb(u"吴茱萸{制}"_qs, u"5"_qs),
                    herb(u"苦杏仁{炒}"_qs, u"10"_qs), herb(u"水蛭"_qs, u"3"_qs), herb(u"川楝子"_qs, u"10"_qs),
                    herb(u"白果"_qs, u"10"_qs), herb(u"冰片"_qs, u"0.3"_qs), herb(u"三七粉"_qs, u"3"_qs)})
        << QStringList();
    QTest::newRow("above it")
        << chinese({herb(u"全蝎"_qs, u"7"_qs), herb(u"蜈蚣"_qs, u"6"_qs), herb(u"吴茱萸{制}"_qs, u"6"_qs),
                    herb(u"苦杏仁"_qs, u"12"_qs), herb(u"水蛭"_qs, u"4"_qs), herb(u"京大戟"_qs, u"4"_qs),
                    herb(u"红大戟"_qs, u"4"_qs), herb(u"芫花[醋]"_qs, u"4"_qs), herb(u"商陆"_qs, u"10"_qs),
                    herb(u"山豆根"_qs, u"9"_qs), herb(u"黑丑"_qs, u"9"_qs), herb(u"川楝子"_qs, u"12"_qs),
                    herb(u"白果"_qs, u"12"_qs), herb(u"冰片"_qs, u"0.5"_qs), herb(u"三七粉"_qs, u"5"_qs)})
        << QStringList{overdose + u" 0"_qs,  overdose + u" 1"_qs,  overdose + u" 2"_qs,  overdose + u" 3"_qs,
                       overdose + u" 4"_qs,  overdose + u" 5"_qs,  overdose + u" 6"_qs,  overdose + u" 7"_qs,
                       overdose + u" 8"_qs,  overdose + u" 9"_qs,  overdose + u" 10"_qs, overdose + u" 11"_qs,
                       overdose + u" 12"_qs, overdose + u" 13"_qs, overdose + u" 14"_qs};

    // Other names of the same herbs
    QTest::newRow("川乌头, 草乌头 with 栝楼实, 瓜蒌实")
        << chinese({herb(u"川乌头"_qs, u"3"_qs), herb(u"栝楼实"_qs), herb(u"草乌头"_qs, u"4"_qs), herb(u"瓜蒌实"_qs)})
        << QStringList{red18 + u" 0,1"_qs, red18 + u" 0,3"_qs, red18 + u" 1,2"_qs, red18 + u" 2,3"_qs,
                       overdose + u" 2"_qs};
    QTest::newRow("松贝, 炉贝, 青贝 with 附子")
        << chinese({herb(u"附子{制}"_qs), herb(u"松贝"_qs), herb(u"炉贝"_qs), herb(u"青贝"_qs)})
        << QStringList{red18 + u" 0,1"_qs, red18 + u" 0,2"_qs, red18 + u" 0,3"_qs};
    QTest::newRow("花旗参, 洋参, 别直参, 人参叶 against 藜芦")
        << chinese({herb(u"藜芦"_qs, u"1"_qs), herb(u"花旗参"_qs), herb(u"洋参"_qs), herb(u"别直参"_qs), herb(u"人参叶"_qs)})
        << QStringList{red18 + u" 0,1"_qs, red18 + u" 0,2"_qs, red18 + u" 0,3"_qs, red18 + u" 0,4"_qs};
    QTest::newRow("别直参 and 人参叶 fear 五灵脂, 花旗参 does not")
        << chinese({herb(u"五灵脂"_qs), herb(u"别直参"_qs), herb(u"人参叶"_qs), herb(u"花旗参"_qs)})
        << QStringList{red19 + u" 0,1"_qs, red19 + u" 0,2"_qs};
    QTest::newRow("芍药, 丹参, 玄参, 细辛 by other names against 藜芦")
        << chinese({herb(u"藜芦"_qs, u"1"_qs), herb(u"白芍药"_qs), herb(u"赤芍药"_qs), herb(u"杭白芍"_qs),
                    herb(u"紫丹参"_qs), herb(u"黑参"_qs), herb(u"辽细辛"_qs, u"1"_qs), herb(u"华细辛"_qs, u"1"_qs)})
        << QStringList{red18 + u" 0,1"_qs, red18 + u" 0,2"_qs, red18 + u" 0,3"_qs, red18 + u" 0,4"_qs,
                       red18 + u" 0,5"_qs, red18 + u" 0,6"_qs, red18 + u" 0,7"_qs};
    QTest::newRow("甘草节 with 海藻, 肉桂粉 with 赤石脂")
        << chinese({herb(u"甘草节"_qs), herb(u"海藻"_qs), herb(u"肉桂粉"_qs, u"3"_qs), herb(u"赤石脂"_qs)})
        << QStringList{red18 + u" 0,1"_qs, red19 + u" 2,3"_qs};
    QTest::newRow("辽细辛, 闹阳花, 曼陀罗花 above their dose")
        << chinese({herb(u"辽细辛"_qs, u"4"_qs), herb(u"闹阳花"_qs, u"2"_qs), herb(u"曼陀罗花"_qs, u"1"_qs)})
        << QStringList{overdose + u" 0"_qs, overdose + u" 1"_qs, overdose + u" 2"_qs};

    // Units, and a herb written twice
    QTest::newRow("克 and 千克") << chinese({herb(u"细辛"_qs, u"3"_qs, u"克"_qs), herb(u"附子{制}"_qs, u"0.02"_qs, u"千克"_qs)})
                                 << QStringList{overdose + u" 1"_qs};
    QTest::newRow("细辛 2 g and 北细辛 2 g are 4 g")
        << chinese({herb(u"细辛"_qs, u"2"_qs), herb(u"干姜"_qs), herb(u"北细辛"_qs, u"2"_qs)})
        << QStringList{overdose + u" 0,2"_qs};
    QTest::newRow("细辛 1.5 g twice is 3 g") << chinese({herb(u"细辛"_qs, u"1.5"_qs), herb(u"细辛"_qs, u"1.5"_qs)})
                                              << QStringList();
    QTest::newRow("附子 and 黑顺片 are one herb")
        << chinese({herb(u"附子{制}"_qs, u"10"_qs), herb(u"黑顺片"_qs, u"10"_qs)}) << QStringList{overdose + u" 0,1"_qs};
    QTest::newRow("蟾酥 in mg and g summed")
        << chinese({herb(u"蟾酥"_qs, u"15"_qs, u"mg"_qs), herb(u"蟾酥"_qs, u"0.02"_qs, u"g"_qs)})
        << QStringList{overdose + u" 0,1"_qs};
    QTest::newRow("蜈蚣 counted in 条") << chinese({herb(u"蜈蚣"_qs, u"2"_qs, u"条"_qs)}) << QStringList{unchecked + u" 0"_qs};
    QTest::newRow("a body that could not be read") << [] {
        SafetyInput input = chinese({});
        input.bodyUnread = true;
        return input;
    }() << QStringList{unchecked};

    // Allergy history item by item
    QTest::newRow("food denied, penicillin named in the next item")
        << western({drug(u"阿莫西林胶囊"_qs)}, u"无食物过敏、青霉素过敏"_qs) << QStringList{allergy + u" 0"_qs};
    QTest::newRow("negative skin test, then 头孢过敏")
        << western({drug(u"头孢克洛胶囊"_qs), drug(u"阿莫西林胶囊"_qs)}, u"青霉素皮试阴性 头孢过敏"_qs)
        << QStringList{allergy + u" 0"_qs};
    QTest::newRow("对炙甘草过敏 catches 甘草")
        << chinese({herb(u"甘草"_qs), herb(u"甘草{炙}"_qs), herb(u"甘遂"_qs, u"1"_qs)}, u"对炙甘草过敏"_qs)
        << QStringList{allergy + u" 0"_qs, allergy + u" 1"_qs, red18 + u" 0,2"_qs, red18 + u" 1,2"_qs};
    QTest::newRow("both listed items denied")
        << western({drug(u"阿莫西林胶囊"_qs), drug(u"头孢克洛胶囊"_qs)}, u"否认青霉素、头孢过敏史"_qs) << QStringList();

    // Related classes
    QTest::newRow("青霉素过敏: cephalosporins with care")
        << western({drug(u"头孢克洛胶囊"_qs), drug(u"阿莫西林胶囊"_qs), drug(u"注射用头孢曲松钠"_qs)}, u"青霉素过敏"_qs)
        << QStringList{allergy + u" 1"_qs, cross + u" 0"_qs, cross + u" 2"_qs};
    QTest::newRow("β-内酰胺 and 先锋 mean their classes")
        << western({drug(u"头孢克洛胶囊"_qs), drug(u"阿莫西林胶囊"_qs)}, u"β-内酰胺类抗生素过敏"_qs)
        << QStringList{allergy + u" 0"_qs, allergy + u" 1"_qs};
    QTest::newRow("先锋过敏") << western({drug(u"头孢克洛胶囊"_qs), drug(u"阿莫西林胶囊"_qs)}, u"先锋过敏"_qs)
                             << QStringList{allergy + u" 0"_qs};
    QTest::newRow("aminoglycosides")
        << western({drug(u"硫酸阿米卡星注射液"_qs), drug(u"妥布霉素滴眼液"_qs), drug(u"硫酸庆大霉素注射液"_qs),
                    drug(u"阿奇霉素片"_qs)},
                   u"链霉素过敏"_qs)
        << QStringList{allergy + u" 0"_qs, allergy + u" 1"_qs, allergy + u" 2"_qs};
    QTest::newRow("tetracyclines, not ciclosporin")
        << western({drug(u"盐酸多西环素片"_qs), drug(u"盐酸米诺环素胶囊"_qs), drug(u"环孢素软胶囊"_qs)}, u"四环素过敏"_qs)
        << QStringList{allergy + u" 0"_qs, allergy + u" 1"_qs};
    QTest::newRow("lincosamides, not macrolides")
        << western({drug(u"盐酸克林霉素胶囊"_qs), drug(u"红霉素肠溶片"_qs)}, u"林可霉素过敏"_qs)
        << QStringList{allergy + u" 0"_qs};
    QTest::newRow("nitroimidazoles") << western({drug(u"替硝唑片"_qs), drug(u"奥硝唑片"_qs)}, u"甲硝唑过敏"_qs)
                                     << QStringList{allergy + u" 0"_qs, allergy + u" 1"_qs};
    QTest::newRow("阿司匹林过敏: NSAIDs forbidden")
        << western({drug(u"布洛芬缓释胶囊"_qs), drug(u"双氯芬酸钠肠溶片"_qs), drug(u"洛索洛芬钠片"_qs),
                    drug(u"美洛昔康片"_qs), drug(u"吲哚美辛栓"_qs)},
                   u"阿司匹林过敏"_qs)
        << QStringList{allergy + u" 0"_qs, allergy + u" 1"_qs, allergy + u" 2"_qs, allergy + u" 3"_qs, allergy + u" 4"_qs};
    QTest::newRow("磺胺过敏: sulfonamide-labelled drugs with care, not 吡格列酮")
        << western({drug(u"塞来昔布胶囊"_qs), drug(u"格列吡嗪片"_qs), drug(u"格列美脲片"_qs), drug(u"格列齐特缓释片"_qs),
                    drug(u"盐酸吡格列酮片"_qs)},
                   u"磺胺过敏"_qs)
        << QStringList{cross + u" 0"_qs, cross + u" 1"_qs, cross + u" 2"_qs, cross + u" 3"_qs};

    // Pregnancy
    const QList<SafetyItem> pregnancyHerbs = {herb(u"莪术[醋]"_qs), herb(u"桃仁"_qs), herb(u"当归"_qs), herb(u"全蝎"_qs, u"3"_qs)};
    const QStringList pregnancyWarnings = {forbidden + u" 0"_qs, forbidden + u" 3"_qs, caution + u" 1"_qs};
    for (const QString &diagnosis : {u"妊娠恶阻"_qs, u"早孕"_qs, u"孕12周 感冒"_qs}) {
        SafetyInput pregnant = chinese(pregnancyHerbs);
        pregnant.diagnosis = diagnosis;
        QTest::newRow(qPrintable(u"diagnosis "_qs + diagnosis)) << pregnant << pregnancyWarnings;
    }
    QTest::newRow("allergy history says 孕") << chinese(pregnancyHerbs, u"无；孕8周"_qs) << pregnancyWarnings;
    for (const QString &diagnosis : {u"不孕症"_qs, u"避孕咨询"_qs, u"感冒"_qs}) {
        SafetyInput notPregnant = chinese(pregnancyHerbs);
        notPregnant.diagnosis = diagnosis;
        QTest::newRow(qPrintable(u"not pregnant: "_qs + diagnosis)) << notPregnant << QStringList();
    }

    // More than five drugs on a Western prescription
    const QList<SafetyItem> five = {drug(u"阿莫西林胶囊"_qs), drug(u"布洛芬片"_qs), drug(u"维生素C片"_qs),
                                    drug(u"氯雷他定片"_qs), drug(u"蒙脱石散"_qs)};
    QTest::newRow("six drugs") << western(five + QList<SafetyItem>{drug(u"奥美拉唑肠溶胶囊"_qs)})
                               << QStringList{u"黄 药品超过限数 0,1,2,3,4,5"_qs};
    QTest::newRow("five drugs") << western(five) << QStringList();
    QTest::newRow("five drugs, charges and usage lines")
        << western(QList<SafetyItem>{usage(u"用法：口服 每日3次"_qs)} + five
                   + QList<SafetyItem>{charge(u"注射费"_qs), charge(u"诊查费"_qs), usage(u"用法：外用 每日2次"_qs)})
        << QStringList();
    QTest::newRow("six drugs between usage lines")
        << western({drug(u"阿莫西林胶囊"_qs), usage(u"用法：口服 每日3次"_qs), drug(u"布洛芬片"_qs),
                    drug(u"维生素C片"_qs), usage(u"用法：口服 每日1次"_qs), drug(u"氯雷他定片"_qs),
                    drug(u"蒙脱石散"_qs), charge(u"注射费"_qs), drug(u"奥美拉唑肠溶胶囊"_qs)})
        << QStringList{u"黄 药品超过限数 0,2,3,5,6,8"_qs};
    QTest::newRow("one drug on two lines is one drug")
        << western(five + QList<SafetyItem>{drug(u"布洛芬片"_qs)}) << QStringList();
    QList<SafetyItem> twelveHerbs;
    for (const QString &name : u"黄芪 当归 党参 白术 茯苓 甘草 陈皮 升麻 柴胡 大枣 生姜 山药"_qs.split(u' '))
        twelveHerbs.append(herb(name));
    QTest::newRow("a Chinese prescription of twelve herbs") << chinese(twelveHerbs) << QStringList();

    // Diagnosis when saving
    QTest::newRow("saving without diagnosis") << saving(western({drug(u"布洛芬片"_qs)}), QString())
                                              << QStringList{u"黄 未写诊断"_qs};
    QTest::newRow("saving with blank diagnosis") << saving(chinese({herb(u"黄芪"_qs)}), u" \u3000"_qs)
                                                 << QStringList{u"黄 未写诊断"_qs};
    QTest::newRow("saving with diagnosis") << saving(western({drug(u"布洛芬片"_qs)}), u"上呼吸道感染"_qs)
                                           << QStringList();
    // Seen while the prescription is written, before it is saved or printed.
    SafetyInput notSaving = western({drug(u"布洛芬片"_qs)});
    notSaving.diagnosis.clear();
    QTest::newRow("no diagnosis, a drug written") << notSaving << QStringList{u"黄 未写诊断"_qs};
    notSaving.items = {charge(u"注射费"_qs)};
    QTest::newRow("no diagnosis, nothing prescribed yet") << notSaving << QStringList();

    // Order: red kinds first, each kind by its items
    QTest::newRow("order")
        << saving(chinese({herb(u"细辛"_qs, u"6"_qs), herb(u"半夏{法}"_qs), herb(u"阿胶{烊化}"_qs),
                           herb(u"附子{制}"_qs)},
                          u"阿胶过敏"_qs),
                  QString())
        << QStringList{allergy + u" 2"_qs, red18 + u" 1,3"_qs, overdose + u" 0"_qs, u"黄 未写诊断"_qs};
}

void TestSafety::check()
{
    QFETCH(SafetyInput, input);
    QFETCH(QStringList, expected);
    const SafetyChecker checker(m_shipped);
    QCOMPARE(summaries(checker.check(input)), expected);
}

void TestSafety::herbNameForms_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QStringList>("forms");
    QTest::addColumn<QStringList>("keepingRaw");
    QTest::newRow("note in brackets") << u"白芍[炒]"_qs << QStringList{u"炒白芍"_qs, u"白芍"_qs}
                                      << QStringList{u"炒白芍"_qs, u"白芍"_qs};
    QTest::newRow("note that is no processing") << u"阿胶{烊化}"_qs << QStringList{u"阿胶"_qs} << QStringList{u"阿胶"_qs};
    QTest::newRow("processing and a remark") << u"附子{制,先煎}"_qs << QStringList{u"制附子"_qs, u"附子"_qs}
                                             << QStringList{u"制附子"_qs, u"附子"_qs};
    QTest::newRow("full-width brackets and spaces") << u" 附子 ［制］"_qs << QStringList{u"制附子"_qs, u"附子"_qs}
                                                    << QStringList{u"制附子"_qs, u"附子"_qs};
    QTest::newRow("two prefixes") << u"酒炒白芍"_qs << QStringList{u"酒炒白芍"_qs, u"炒白芍"_qs, u"白芍"_qs}
                                  << QStringList{u"酒炒白芍"_qs, u"炒白芍"_qs, u"白芍"_qs};
    QTest::newRow("two-character method") << u"麸炒白术"_qs << QStringList{u"麸炒白术"_qs, u"白术"_qs}
                                          << QStringList{u"麸炒白术"_qs, u"白术"_qs};
    QTest::newRow("raw prefix") << u"生川乌"_qs << QStringList{u"生川乌"_qs, u"川乌"_qs} << QStringList{u"生川乌"_qs};
    QTest::newRow("土 alone is no method") << u"土贝母"_qs << QStringList{u"土贝母"_qs} << QStringList{u"土贝母"_qs};
    QTest::newRow("nothing comes off the end") << u"白附子"_qs << QStringList{u"白附子"_qs} << QStringList{u"白附子"_qs};
    QTest::newRow("a name keeps two characters") << u"生姜"_qs << QStringList{u"生姜"_qs} << QStringList{u"生姜"_qs};
    QTest::newRow("compatibility ideograph") << u"\uF95E参"_qs << QStringList{u"丹参"_qs} << QStringList{u"丹参"_qs};
    QTest::newRow("unclosed note") << u"白芍[炒"_qs << QStringList{u"炒白芍"_qs, u"白芍"_qs}
                                   << QStringList{u"炒白芍"_qs, u"白芍"_qs};
}

void TestSafety::herbNameForms()
{
    QFETCH(QString, written);
    QFETCH(QStringList, forms);
    QFETCH(QStringList, keepingRaw);
    QCOMPARE(::herbNameForms(written, RawPrefix::Strip), forms);
    QCOMPARE(::herbNameForms(written, RawPrefix::Keep), keepingRaw);
}

void TestSafety::massQuantity_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<qint64>("micrograms");  // -1: not a mass
    QTest::newRow("whole grams") << u"6"_qs << u"g"_qs << qint64(6000000);
    QTest::newRow("decimal grams") << u"1.5"_qs << u"克"_qs << qint64(1500000);
    QTest::newRow("thousandths") << u"0.015"_qs << u"g"_qs << qint64(15000);
    QTest::newRow("no leading zero") << u".5"_qs << u"g"_qs << qint64(500000);
    QTest::newRow("milligrams") << u"31"_qs << u"mg"_qs << qint64(31000);
    QTest::newRow("kilograms") << u"0.5"_qs << u"kg"_qs << qint64(500000000);
    QTest::newRow("below a microgram rounds up") << u"3.0000001"_qs << u"g"_qs << qint64(3000001);
    QTest::newRow("trailing zeros below a microgram") << u"3.0000000"_qs << u"g"_qs << qint64(3000000);
    QTest::newRow("full-width") << u"１．５"_qs << u"Ｇ"_qs << qint64(1500000);
    QTest::newRow("empty") << QString() << u"g"_qs << qint64(-1);
    QTest::newRow("words") << u"适量"_qs << u"g"_qs << qint64(-1);
    QTest::newRow("negative") << u"-1"_qs << u"g"_qs << qint64(-1);
    QTest::newRow("two points") << u"1.2.3"_qs << u"g"_qs << qint64(-1);
    QTest::newRow("point alone") << u"."_qs << u"g"_qs << qint64(-1);
    QTest::newRow("tablets") << u"2"_qs << u"片"_qs << qint64(-1);
    QTest::newRow("too large") << u"12345678901"_qs << u"kg"_qs << qint64(-1);
}

void TestSafety::massQuantity()
{
    QFETCH(QString, quantity);
    QFETCH(QString, unit);
    QFETCH(qint64, micrograms);
    const std::optional<MassQuantity> mass = MassQuantity::parse(quantity, unit);
    QCOMPARE(mass ? mass->micrograms() : qint64(-1), micrograms);
}

void TestSafety::allergyHistory_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("allergens");
    QTest::newRow("one drug") << u"青霉素过敏"_qs << QStringList{u"青霉素"_qs};
    QTest::newRow("words around") << u"既往对头孢类药物过敏史"_qs << QStringList{u"头孢"_qs};
    QTest::newRow("list") << u"青霉素、磺胺类；阿司匹林"_qs
                          << QStringList{u"青霉素"_qs, u"磺胺"_qs, u"阿司匹林"_qs};
    QTest::newRow("joined by 及") << u"青霉素及头孢类过敏"_qs
                                  << QStringList{u"青霉素及头孢"_qs, u"青霉素"_qs, u"头孢"_qs};
    QTest::newRow("白及 stays whole") << u"白及过敏"_qs << QStringList{u"白及"_qs};
    QTest::newRow("note in brackets") << u"青霉素（皮疹）"_qs << QStringList{u"青霉素"_qs};
    QTest::newRow("positive skin test") << u"青霉素皮试(+)"_qs << QStringList{u"青霉素"_qs};
    QTest::newRow("allergen after the word") << u"过敏原：青霉素"_qs << QStringList{u"青霉素"_qs};
    QTest::newRow("denial, then an allergy") << u"否认食物过敏，碘过敏"_qs << QStringList{u"碘"_qs};
    QTest::newRow("negative skin test") << u"青霉素皮试阴性"_qs << QStringList();
    QTest::newRow("未发现") << u"未发现"_qs << QStringList();
    QTest::newRow("无") << u"无"_qs << QStringList();
    QTest::newRow("否认") << u"否认药物、食物过敏史"_qs << QStringList();
    // Item by item: a denial or a negative test clears only what it speaks of.
    QTest::newRow("denied food, then a drug") << u"无食物过敏、青霉素过敏"_qs << QStringList{u"青霉素"_qs};
    QTest::newRow("negative test, then an allergy") << u"青霉素皮试阴性 头孢过敏"_qs << QStringList{u"头孢"_qs};
    QTest::newRow("a list ended by 过敏") << u"青霉素、头孢过敏"_qs << QStringList{u"青霉素"_qs, u"头孢"_qs};
    QTest::newRow("a list ended by a negative test") << u"青霉素、头孢皮试阴性"_qs << QStringList();
    QTest::newRow("a denial over a list") << u"否认青霉素、头孢过敏史"_qs << QStringList();
    QTest::newRow("named before a denial") << u"青霉素 否认其他药物过敏"_qs << QStringList{u"青霉素"_qs};
    QTest::newRow("processed herb") << u"对炙甘草过敏"_qs << QStringList{u"炙甘草"_qs};
    QTest::newRow("empty") << QString() << QStringList();
}

void TestSafety::allergyHistory()
{
    QFETCH(QString, text);
    QFETCH(QStringList, allergens);
    QCOMPARE(AllergyHistory::parse(text).allergens(), allergens);
}

void TestSafety::prescriptionBodies_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("laid out") << u"附子[制]10g   半夏[法]9g   \r\n\r\n甘草 6g\r\n    用法：水煎服 每日1剂\r\n"_qs
                              << QStringList{u"红 十八反 0,1"_qs};
    QTest::newRow("克") << u"甘草 6克 海藻 9克"_qs << QStringList{u"红 十八反 0,1"_qs};
    QTest::newRow("千克 and 毫克") << u"细辛 0.004千克\r\n蟾酥 31毫克\r\n"_qs
                                   << QStringList{u"红 毒性药超量 0"_qs, u"红 毒性药超量 1"_qs};
    QTest::newRow("mg is not g") << u"蟾酥 15mg 蟾酥 0.02g"_qs << QStringList{u"红 毒性药超量 0,1"_qs};
    QTest::newRow("full-width") << u"细辛　６ｇ"_qs << QStringList{u"红 毒性药超量 0"_qs};
    QTest::newRow("written twice") << u"细辛2g  北细辛 2g"_qs << QStringList{u"红 毒性药超量 0,1"_qs};
    QTest::newRow("raw herb taken") << u"生半夏 9g\r\n    用法：水煎服 每日1剂\r\n"_qs
                                    << QStringList{u"红 毒性药生品内服 0"_qs};
    QTest::newRow("raw herb for external use") << u"生半夏 30g 生天南星 30g\r\n    用法：外用 研末调敷\r\n"_qs
                                               << QStringList();
    QTest::newRow("a drug line between herbs") << u"阿莫西林胶囊 0.25g×24粒\r\n甘草 6g 海藻 [洗]9g"_qs
                                               << QStringList{u"红 十八反 1,2"_qs};
    QTest::newRow("doses in words") << u"甘草六钱 海藻三钱"_qs << QStringList{u"黄 未能检查"_qs};
    QTest::newRow("charge items only") << u"煎药费 1次\r\n"_qs << QStringList();
    QTest::newRow("empty") << QString() << QStringList();
}

void TestSafety::prescriptionBodies()
{
    QFETCH(QString, body);
    QFETCH(QStringList, expected);
    PickListRepository catalogue(m_seeded->database());
    PrescriptionSafety safety(m_shipped, catalogue);
    PrescriptionSheet sheet;
    sheet.setKind(PrescriptionKind::Chinese, SheetGeometry::BodyPlacement::ChineseWide);
    sheet.setField(PrescriptionSheet::Diagnosis, u"感冒"_qs);
    sheet.setBody(body);
    QCOMPARE(summaries(safety.check(sheet, false)), expected);
}

// Picking a herb at its usual quantity must not raise a warning at once: the starting catalogue's
// 常用量 of every herb with a dose row lies within it.
void TestSafety::seedHerbsStartWithinTheirDose()
{
    const SafetyChecker checker(m_shipped);
    QFile file(u":/data/seed/catalogue.tsv"_qs);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const TsvTable seed = TsvTable::fromText(QString::fromUtf8(file.readAll()));
    QStringList outside;
    int measured = 0;
    for (int row = 0; row < seed.rowCount(); ++row) {
        if (seed.value(row, u"分类"_qs) != u"中药"_qs)
            continue;
        const QString name = seed.value(row, u"名称"_qs);
        const QString quantity = seed.value(row, u"常用量"_qs);
        const QString unit = seed.value(row, u"单位"_qs);
        if (!checker.check(chinese({herb(name, quantity, unit)})).isEmpty())
            outside.append(name + u' ' + quantity + unit);
        const QStringList forms = ::herbNameForms(name, RawPrefix::Keep);
        for (const SafetyRules::DoseLimit &limit : m_shipped.doseLimits()) {
            if (std::none_of(forms.begin(), forms.end(), [&](const QString &form) { return limit.names.contains(form); }))
                continue;
            ++measured;
            if (*MassQuantity::parse(quantity, unit) < *MassQuantity::parse(limit.lowest, u"g"_qs))
                outside.append(name + u' ' + quantity + unit + u" < "_qs + limit.lowest);
        }
    }
    QCOMPARE(outside, QStringList());
    QVERIFY(measured >= 15);
}

void TestSafety::shippedRulesReadCleanly()
{
    QCOMPARE(m_shipped.problems(), QStringList());
    QVERIFY(!m_shipped.herbGroups().isEmpty());
    QVERIFY(!m_shipped.doseLimits().isEmpty());
    QVERIFY(!m_shipped.allergyClasses().isEmpty());
    QCOMPARE(m_shipped.westernDrugLimit().maximum, 5);
    QVERIFY(m_shipped.diagnosisRule().required);

    // A misspelt group name would silently stand for a herb of that name.
    QStringList groupNames;
    for (const SafetyRules::HerbGroup &group : m_shipped.herbGroups())
        groupNames.append(group.name);
    for (const SafetyRules::Incompatibility &rule : m_shipped.incompatibilities()) {
        QVERIFY2(groupNames.contains(rule.first), qPrintable(rule.first));
        QVERIFY2(groupNames.contains(rule.second), qPrintable(rule.second));
        QVERIFY(rule.source.startsWith(u'《'));
    }
    // A name under two dose rows would silently take the later limit.
    QStringList doseNames;
    for (const SafetyRules::DoseLimit &limit : m_shipped.doseLimits()) {
        QVERIFY(limit.source.startsWith(u"《中华人民共和国药典》2020年版"_qs));
        for (const QString &name : limit.names) {
            QVERIFY2(!doseNames.contains(name), qPrintable(name));
            doseNames.append(name);
        }
    }
    for (const SafetyRules::AllergyClass &allergyClass : m_shipped.allergyClasses())
        QVERIFY(!allergyClass.source.isEmpty());
    // A raw herb also under a dose row would be measured instead of warned about.
    for (const SafetyRules::RawToxicHerb &herb : m_shipped.rawToxicHerbs()) {
        QVERIFY(herb.source.startsWith(u"《医疗用毒性药品管理办法》"_qs));
        for (const QString &name : herb.names)
            QVERIFY2(!doseNames.contains(name), qPrintable(name));
    }
    QVERIFY(!m_shipped.crossAllergies().isEmpty());
    QStringList pregnancyNames;
    for (const SafetyRules::PregnancyRule &rule : m_shipped.pregnancyRules()) {
        QVERIFY(rule.source.startsWith(u"《中华人民共和国药典》2020年版"_qs));
        for (const QString &name : rule.names) {
            QVERIFY2(!pregnancyNames.contains(name), qPrintable(name));
            pregnancyNames.append(name);
        }
    }
    QVERIFY(m_shipped.westernDrugLimit().source.startsWith(u"《处方管理办法》"_qs));
}

void TestSafety::warningsSayWhatAndWhy()
{
    const SafetyInput input = saving(chinese({herb(u"细辛"_qs, u"6"_qs), herb(u"半夏{法}"_qs), herb(u"阿胶{烊化}"_qs),
                                              herb(u"附子{制}"_qs)},
                                             u"阿胶过敏"_qs),
                                     QString());
    const QList<SafetyWarning> warnings = SafetyChecker(m_shipped).check(input);
    QCOMPARE(warnings.size(), 4);
    for (const SafetyWarning &warning : warnings) {
        QVERIFY(!warning.text.isEmpty() && !warning.text.contains(u'\n'));
        QVERIFY(!warning.rule.isEmpty());
        QVERIFY(!warning.source.isEmpty());
        QCOMPARE(warning.severity, SafetyWarning::severityOf(warning.kind));
    }
    // Names as the user sees them, the incompatible pair in the order of the rule, the kind not repeated.
    QCOMPARE(warnings.at(0).text, u"阿胶[烊化]：患者对阿胶过敏"_qs);
    QCOMPARE(warnings.at(1).text, u"附子[制]与半夏[法]不宜同用"_qs);
    QCOMPARE(warnings.at(1).rule, u"十八反：乌头类反半夏类"_qs);
    QCOMPARE(warnings.at(2).text, u"细辛 6g，超过细辛一日用量上限3克"_qs);
    QCOMPARE(warnings.at(2).rule, u"细辛：一日1～3克，散剂每次0.5～1克"_qs);
    QCOMPARE(warnings.at(2).source, u"《中华人民共和国药典》2020年版一部【用法与用量】"_qs);

    const QList<SafetyWarning> penicillin =
        SafetyChecker(m_shipped).check(western({drug(u"阿莫西林胶囊"_qs)}, u"青霉素过敏"_qs));
    QCOMPARE(penicillin.size(), 1);
    QCOMPARE(penicillin.at(0).text, u"阿莫西林胶囊：患者对青霉素过敏，本品属青霉素类"_qs);

    const QList<SafetyWarning> related =
        SafetyChecker(m_shipped).check(western({drug(u"头孢克洛胶囊"_qs)}, u"青霉素过敏"_qs));
    QCOMPARE(related.size(), 1);
    QCOMPARE(related.at(0).text, u"头孢克洛胶囊：患者对青霉素过敏，本品属头孢菌素类，慎用"_qs);
    QVERIFY(related.at(0).rule.startsWith(u"头孢菌素类说明书"_qs));

    SafetyInput pregnant = chinese({herb(u"生附子"_qs, u"15"_qs), herb(u"细辛"_qs, u"2"_qs), herb(u"北细辛"_qs, u"1.25"_qs),
                                    herb(u"莪术[醋]"_qs)});
    pregnant.diagnosis = u"妊娠咳嗽"_qs;
    QStringList texts;
    for (const SafetyWarning &warning : SafetyChecker(m_shipped).check(pregnant))
        texts.append(warning.text);
    QCOMPARE(texts, (QStringList{u"生附子 15g：生品有毒，不宜内服"_qs, u"细辛 2g、北细辛 1.25g，合计3.25克，超过细辛一日用量上限3克"_qs,
                                 u"莪术[醋]（诊断写有“妊娠”）"_qs, u"生附子（诊断写有“妊娠”）"_qs}));
}

void TestSafety::clinicFolderAppendsRows()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QDir dir(folder.path());
    const QString clinicSource = u"本诊所药事小组 2025年"_qs;
    QVERIFY(writeTestFile(dir.filePath(u"herbgroups.tsv"_qs), (u"# "_qs + clinicSource + u"\n乌头类\t雪上一枝蒿\n"_qs).toUtf8()));
    QVERIFY(writeTestFile(dir.filePath(u"incompatibilities.tsv"_qs),
                          (u"# "_qs + clinicSource + u"\r\n十八反\t乌头类\t半夏类\r\n十九畏\t雷公藤\t甘草\r\n"_qs).toUtf8()));
    QVERIFY(writeTestFile(dir.filePath(u"toxicdoses.tsv"_qs), (u"# "_qs + clinicSource + u"\n细辛\t细辛\t1\t2\n"_qs).toUtf8()));
    QVERIFY(writeTestFile(dir.filePath(u"allergyclasses.tsv"_qs),
                          (u"# "_qs + clinicSource + u"\n糖肽类\t\t万古霉素、替考拉宁\n"_qs).toUtf8()));
    QVERIFY(writeTestFile(dir.filePath(u"inspection.tsv"_qs), (u"# "_qs + clinicSource + u"\n西药处方药品种数上限\t4\t\n"_qs).toUtf8()));

    const SafetyRules rules = SafetyRules::load(folder.path());
    QCOMPARE(rules.problems(), QStringList());
    const SafetyChecker checker(rules);

    // A clinic's herb joins a shipped group; its rule repeating a shipped one still fires once,
    // with the shipped source, the first listed.
    const QList<SafetyWarning> aconite =
        checker.check(chinese({herb(u"雪上一枝蒿"_qs, u"0.05"_qs), herb(u"附子{制}"_qs), herb(u"半夏{法}"_qs)}));
    QCOMPARE(summaries(aconite), (QStringList{u"红 十八反 0,2"_qs, u"红 十八反 1,2"_qs}));
    QVERIFY(aconite.at(1).source.startsWith(u"《中药学》"_qs));

    const QList<SafetyWarning> added = checker.check(chinese({herb(u"甘草"_qs), herb(u"雷公藤"_qs)}));
    QCOMPARE(summaries(added), QStringList{u"红 十九畏 0,1"_qs});
    QCOMPARE(added.at(0).source, clinicSource);
    QCOMPARE(added.at(0).rule, u"十九畏：雷公藤畏甘草"_qs);

    // A later dose row for the same name replaces the shipped one.
    QCOMPARE(summaries(checker.check(chinese({herb(u"细辛"_qs, u"3"_qs)}))), QStringList{u"红 毒性药超量 0"_qs});

    const QList<SafetyWarning> glycopeptide =
        checker.check(western({drug(u"注射用替考拉宁"_qs), drug(u"阿莫西林胶囊"_qs)}, u"万古霉素过敏"_qs));
    QCOMPARE(summaries(glycopeptide), QStringList{u"红 过敏 0"_qs});
    QCOMPARE(glycopeptide.at(0).source, clinicSource);

    const QList<SafetyItem> five = {drug(u"阿莫西林胶囊"_qs), drug(u"布洛芬片"_qs), drug(u"维生素C片"_qs),
                                    drug(u"氯雷他定片"_qs), drug(u"蒙脱石散"_qs)};
    QCOMPARE(summaries(checker.check(western(five))), QStringList{u"黄 药品超过限数 0,1,2,3,4"_qs});

    // Without the folder the shipped rules alone apply.
    QCOMPARE(summaries(SafetyChecker(SafetyRules::load(QString())).check(western(five))), QStringList());
}

void TestSafety::clinicFileProblemsAreReported()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QDir dir(folder.path());
    QVERIFY(writeTestFile(dir.filePath(u"toxicdoses.tsv"_qs),
                          u"# 本诊所\n细辛\t细辛\t1\t三\n草乌\t草乌\t3\t1.5\n雪上一枝蒿\t雪上一枝蒿\t0.025\t0.05\n"_qs.toUtf8()));
    QVERIFY(writeTestFile(dir.filePath(u"incompatibilities.tsv"_qs), u"十七反\t甘草\t海藻\n"_qs.toUtf8()));
    QVERIFY(writeTestFile(dir.filePath(u"inspection.tsv"_qs), u"每日处方上限\t40\t\n保存时须写诊断\t要\t\n"_qs.toUtf8()));

    const SafetyRules rules = SafetyRules::load(folder.path());
    const QStringList problems = rules.problems();
    QCOMPARE(problems.size(), 5);
    QVERIFY2(problems.at(0).contains(u"incompatibilities.tsv 第1行"_qs), qPrintable(problems.at(0)));
    QVERIFY2(problems.at(1).contains(u"toxicdoses.tsv 第2行"_qs), qPrintable(problems.at(1)));
    QVERIFY2(problems.at(2).contains(u"toxicdoses.tsv 第3行"_qs), qPrintable(problems.at(2)));
    QVERIFY2(problems.at(3).contains(u"inspection.tsv 第1行"_qs), qPrintable(problems.at(3)));
    QVERIFY2(problems.at(4).contains(u"inspection.tsv 第2行"_qs), qPrintable(problems.at(4)));

    // The good rows of the same file count, the shipped limits stay.
    const SafetyChecker checker(rules);
    QCOMPARE(summaries(checker.check(chinese({herb(u"雪上一枝蒿"_qs, u"0.1"_qs), herb(u"细辛"_qs, u"3"_qs),
                                              herb(u"草乌"_qs, u"3"_qs)}))),
             QStringList{u"红 毒性药超量 0"_qs});
    QCOMPARE(checker.check(saving(western({drug(u"布洛芬片"_qs)}), QString())).size(), 1);
}

QTEST_GUILESS_MAIN(TestSafety)
#include "tst_safety.moc"
