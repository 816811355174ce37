#include <QTest>

#include "data/templatekinds.h"
#include "maintenance/templaterules.h"

// How template contents are stored: the tidying of every kind, the herb layout of formulas, and
// the order value a new template is proposed.
class TestTemplateRules : public QObject
{
    Q_OBJECT

private slots:
    void tidying_data();
    void tidying();
    void savedContent_data();
    void savedContent();
    void proposedOrder_data();
    void proposedOrder();
};

namespace {

const QString Pad7 = QString(7, u' ');
const QString Pad6 = QString(6, u' ');

} // namespace

void TestTemplateRules::tidying_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("tidied");
    QTest::newRow("trailing spaces") << u"无药物过敏史。   "_qs << u"无药物过敏史。"_qs;
    QTest::newRow("leading spaces") << u"   头痛三天"_qs << u"头痛三天"_qs;
    QTest::newRow("trailing empty lines") << u"头痛\r\n\r\n\r\n"_qs << u"头痛"_qs;
    QTest::newRow("spaces on the trailing empty lines") << u"头痛 \r\n  \r\n \r\n"_qs << u"头痛"_qs;
    QTest::newRow("inner lines and their indent kept") << u"阿奇霉素注射液 0.25×2支\r\n    用法：静脉滴注\r\n\r\n甲硝唑"_qs
                                                      << u"阿奇霉素注射液 0.25×2支\r\n    用法：静脉滴注\r\n\r\n甲硝唑"_qs;
    QTest::newRow("more than twenty-one empty lines") << u"咳嗽"_qs + QString(u"\r\n"_qs).repeated(30) << u"咳嗽"_qs;
    QTest::newRow("only spaces and line breaks") << u"  \r\n  \r\n"_qs << QString();
    QTest::newRow("a lone line feed is not a line end of the stored form") << u"咳嗽\n"_qs << u"咳嗽\n"_qs;
}

void TestTemplateRules::tidying()
{
    QFETCH(QString, content);
    QFETCH(QString, tidied);
    QCOMPARE(TemplateRules::tidy(content), tidied);
}

void TestTemplateRules::savedContent_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("caret");

    const QString formula = TemplateKinds::herbalFormula();
    const QString threeHerbs = u"桂枝9g"_qs + Pad7 + u"白芍10g"_qs + Pad6 + u"甘草6g"_qs + Pad7;
    QTest::newRow("克 and 、 in a formula") << formula << u"桂枝9克、白芍10克、甘草6克"_qs << threeHerbs << int(threeHerbs.size());
    const QString fourHerbs = threeHerbs + u"\r\n\r\n生姜9g"_qs + Pad7;
    QTest::newRow("fourth herb on the next line after an empty one")
        << formula << u"桂枝9g 白芍10g 甘草6g 生姜9g"_qs << fourHerbs << int(fourHerbs.size());
    const QString twoHerbs = u"桂枝9g"_qs + Pad7 + u"白芍10g"_qs + Pad6;
    QTest::newRow("instruction after the last herb kept")
        << formula << u"桂枝9克、白芍10克\r\n水煎服，日一剂"_qs << twoHerbs + u"\r\n水煎服，日一剂"_qs << int(twoHerbs.size());
    const QString guizhi = u"桂枝 9g      白芍[炒]10g  甘草 6g      \r\n\r\n生姜 9g      大枣 9g      "_qs;
    QTest::newRow("a laid-out formula saved again is unchanged") << formula << guizhi << guizhi << int(guizhi.size());
    QTest::newRow("trailing empty lines of a formula") << formula << u"桂枝9g\r\n\r\n  "_qs << u"桂枝9g"_qs + Pad7 << 11;
    QTest::newRow("formula without a unit stays, caret at its start") << formula << u"水煎服"_qs << u"水煎服"_qs << 0;
    QTest::newRow("a $ in a formula does not end a herb")
        << formula << u"桂枝9g 另包$2"_qs << u"桂枝9g"_qs + Pad7 + u"另包＄2"_qs << 11;

    const QString set = u"5%葡萄糖注射液[塑瓶] 500ml×1瓶\r\n阿奇霉素注射液 0.25g×2支\r\n    用法：静脉滴注 每日1次"_qs;
    QTest::newRow("personal set only tidied")
        << TemplateKinds::personalSet() << set + u"  \r\n\r\n"_qs << set << int(set.size());
    QTest::newRow("record phrase only tidied")
        << TemplateKinds::recordPhrase() << u" 无药物过敏史。 \r\n"_qs << u"无药物过敏史。"_qs << 7;
    // The medical record ends each section with "$"; one inside a phrase would split the section.
    QTest::newRow("$ in a record phrase") << TemplateKinds::recordPhrase() << u"血压$mmHg"_qs << u"血压＄mmHg"_qs << 7;
}

void TestTemplateRules::savedContent()
{
    QFETCH(QString, kind);
    QFETCH(QString, content);
    QFETCH(QString, stored);
    QFETCH(int, caret);
    const TemplateRules::StoredContent saved = TemplateRules::forSaving(kind, content);
    QCOMPARE(saved.text, stored);
    QCOMPARE(saved.caret, caret);
}

void TestTemplateRules::proposedOrder_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("order");
    QTest::newRow("first") << 0 << u"001"_qs;
    QTest::newRow("twelfth") << 11 << u"012"_qs;
    QTest::newRow("last of three digits") << 998 << u"999"_qs;
    QTest::newRow("999 templates") << 999 << u"000"_qs;
    QTest::newRow("past a thousand") << 1233 << u"234"_qs;
}

void TestTemplateRules::proposedOrder()
{
    QFETCH(int, count);
    QFETCH(QString, order);
    QCOMPARE(TemplateRules::orderAfter(count), order);
}

QTEST_APPLESS_MAIN(TestTemplateRules)
#include "tst_templaterules.moc"
