#include <QSet>
#include <QTest>

#include "text/pinyininitials.h"
#include "text/pinyintables.h"

class TestPinyinInitials : public QObject
{
    Q_OBJECT

private slots:
    void initials_data();
    void initials();
    void digitCode_data();
    void digitCode();
    void firstTableWinsAndFallbackRange();
    void shippedTablesHaveNoIUV();
};

void TestPinyinInitials::initials_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("formula name") << u"桂枝汤"_qs << u"gzt"_qs;
    QTest::newRow("digits, percent and dot") << u"0.9%氯化钠注射液"_qs << u"09lhnzsy"_qs;
    QTest::newRow("leading digits") << u"21金维他"_qs << u"21jwt"_qs;
    QTest::newRow("stops at the first space, full-width colon yields nothing") << u"用法：静脉滴注 每日1次"_qs << u"yfjmdz"_qs;
    QTest::newRow("ascii letters and digits inside") << u"服用方法：加水100ml分3次煎服"_qs << u"fyffjs100mlf3cjf"_qs;
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("upper case letters, Z included") << u"ABZ维生素"_qs << u"abzwss"_qs;
    QTest::newRow("leading space yields nothing") << u" 阿胶"_qs << QString();
    QTest::newRow("brackets and braces yield nothing") << u"阿胶{烊化}[炒]"_qs << u"ajyhc"_qs;
    QTest::newRow("symbols yield nothing") << u"%.{[：-+"_qs << QString();
    QTest::newRow("character in two readings takes one letter") << u"大黄"_qs << u"dh"_qs;
    QTest::newRow("character outside GBK yields nothing") << u"阿😀胶"_qs << u"aj"_qs;
    QTest::newRow("full-width space is not a space") << u"阿\u3000胶"_qs << u"aj"_qs;
}

void TestPinyinInitials::initials()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(pinyinInitials(text), expected);
}

void TestPinyinInitials::digitCode_data()
{
    QTest::addColumn<QString>("initials");
    QTest::addColumn<QString>("expected");
    QTest::newRow("formula") << u"gzt"_qs << u"275"_qs;
    QTest::newRow("skips digits") << u"09lhnzsy"_qs << u"324757"_qs;
    QTest::newRow("usage term") << u"yfjmdz"_qs << u"723417"_qs;
    QTest::newRow("long") << u"fyffjs100mlf3cjf"_qs << u"272235432132"_qs;
    QTest::newRow("skips digits and upper case") << u"04zyfsxzsy"_qs << u"77256757"_qs;
    QTest::newRow("upper case skipped") << u"ABc"_qs << u"1"_qs;
    QTest::newRow("every group boundary") << u"adehilmpqtuxyz"_qs << u"11223344556677"_qs;
}

void TestPinyinInitials::digitCode()
{
    QFETCH(QString, initials);
    QFETCH(QString, expected);
    QCOMPARE(initialsDigitCode(initials), expected);
}

void TestPinyinInitials::firstTableWinsAndFallbackRange()
{
    // 硛 stands in the c, k and o tables, 大 in d and t; 压 is in the fallback range but in no table here.
    const PinyinTables tables = PinyinTables::fromText(u"c\t硛\nd\t大\nk\t硛\no\t硛\nt\t大\nfallback\t压押\ny\t押\n"_qs);
    QCOMPARE(initialOf(u'硛', tables), u"c"_qs);
    QCOMPARE(initialOf(u'大', tables), u"d"_qs);
    QCOMPARE(initialOf(u'压', tables), QString());
    QCOMPARE(pinyinInitials(u"硛大压押鸭"_qs, tables), u"cdyy"_qs);
}

void TestPinyinInitials::shippedTablesHaveNoIUV()
{
    const PinyinTables &tables = PinyinTables::shipped();
    for (char letter : {'i', 'u', 'v'})
        QVERIFY(tables.table(letter).isEmpty());
    QSet<char> seen;
    for (const char *letter = PinyinTables::Letters; *letter; ++letter) {
        QVERIFY2(tables.distinctCount(*letter) > 0, letter);
        seen.insert(*letter);
    }
    QCOMPARE(seen.size(), 23);
    // Every character of a table resolves to the first table that holds it.
    for (const char *letter = PinyinTables::Letters; *letter; ++letter) {
        for (QChar c : tables.table(*letter)) {
            const char resolved = tables.letterOf(c.unicode());
            QVERIFY2(resolved != 0, qPrintable(QString(c)));
            QVERIFY2(resolved <= *letter, qPrintable(QString(c) + u" → "_qs + QLatin1Char(resolved)));
        }
    }
}

QTEST_APPLESS_MAIN(TestPinyinInitials)
#include "tst_pinyininitials.moc"
