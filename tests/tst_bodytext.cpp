#include <QTest>

#include "prescription/bodytext.h"

using namespace BodyText;

// The text rules of the prescription body, as picking, pricing, printing and templates use them.
class TestBodyText : public QObject
{
    Q_OBJECT

private slots:
    void numbers_data();
    void numbers();
    void herbNames_data();
    void herbNames();
    void padding_data();
    void padding();
    void caretColumns_data();
    void caretColumns();
    void herbLayout_data();
    void herbLayout();
};

void TestBodyText::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("number");
    QTest::newRow("strength and pack") << u"0.25g×24粒"_qs << u"0.25"_qs;
    QTest::newRow("count") << u"24粒"_qs << u"24"_qs;
    QTest::newRow("no digit") << u"适量"_qs << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("after text") << u"当归 10g"_qs << u"10"_qs;
    QTest::newRow("spaces between digits") << u"1 2片"_qs << u"12"_qs;
    QTest::newRow("trailing zeros dropped") << u"1.50瓶"_qs << u"1.5"_qs;
    QTest::newRow("second point ends it") << u"1.2.3"_qs << u"1.2"_qs;
    QTest::newRow("point before the first digit is not part of it") << u".5g"_qs << u"5"_qs;
}

void TestBodyText::numbers()
{
    QFETCH(QString, text);
    QFETCH(QString, number);
    QCOMPARE(BodyText::firstNumber(text), number);
}

void TestBodyText::herbNames_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("stripped");
    QTest::addColumn<QString>("name");
    QTest::newRow("whole grams") << u"当归10"_qs << u"当归"_qs << u"当归"_qs;
    QTest::newRow("with a space") << u"当归 10"_qs << u"当归 "_qs << u"当归"_qs;
    // Stripping digits alone leaves the point, which no catalogue name carries.
    QTest::newRow("decimal quantity") << u"当归1.5"_qs << u"当归."_qs << u"当归"_qs;
    QTest::newRow("quantity first") << u"0.5当归"_qs << u".当归"_qs << u"当归"_qs;
    QTest::newRow("note in braces") << u"阿胶{烊化}10"_qs << u"阿胶{烊化}"_qs << u"阿胶{烊化}"_qs;
}

void TestBodyText::herbNames()
{
    QFETCH(QString, item);
    QFETCH(QString, stripped);
    QFETCH(QString, name);
    QCOMPARE(stripDigits(item), stripped);
    QCOMPARE(herbName(item), name);
}

void TestBodyText::padding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("spaces");
    QTest::newRow("width 8") << u"当归 10g"_qs << 5;
    QTest::newRow("width 11") << u"白芍[炒]10g"_qs << 2;
    QTest::newRow("width 12") << u"白芍[炒]100g"_qs << 1;
    QTest::newRow("width 13") << u"阿胶[烊化]10g"_qs << 1;
    QTest::newRow("width 14") << u"阿胶[烊化]100g"_qs << 1;
    QTest::newRow("empty") << QString() << 13;
}

void TestBodyText::padding()
{
    QFETCH(QString, text);
    QFETCH(int, spaces);
    QCOMPARE(BodyText::padHerbItem(text), text + QString(spaces, u' '));
}

void TestBodyText::caretColumns_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("column");
    QTest::newRow("start") << u"当归"_qs << 0 << 1;
    QTest::newRow("after two wide characters") << u"当归"_qs << 2 << 5;
    QTest::newRow("second line") << u"当归 10g\r\n川芎"_qs << 9 << 3;
    QTest::newRow("caret past the end") << u"当归 10g\r\n川芎"_qs << 99 << 5;
    QTest::newRow("start of second line") << u"当归\r\n川芎"_qs << 4 << 1;
}

void TestBodyText::caretColumns()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(int, column);
    QCOMPARE(BodyText::caretColumn(text, caret), column);
}

void TestBodyText::herbLayout_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("laidOut");
    QTest::addColumn<int>("caret");
    const QString danggui = padHerbItem(u"当归 10g"_qs);
    const QString chuanxiong = padHerbItem(u"川芎 6g"_qs);
    const QString baishao = padHerbItem(u"白芍 10g"_qs);
    const QString shudi = padHerbItem(u"熟地 15g"_qs);
    const QString line = danggui + chuanxiong + baishao;
    QTest::newRow("one item") << u"当归 10g"_qs << danggui << int(danggui.size());
    QTest::newRow("three on one line") << u"当归 10g 川芎 6g 白芍 10g"_qs << line << int(line.size());
    QTest::newRow("fourth starts a new line after an empty line")
        << u"当归 10g川芎 6g\r\n白芍 10g熟地 15g"_qs << line + u"\r\n\r\n"_qs + shudi << int((line + u"\r\n\r\n"_qs + shudi).size());
    QTest::newRow("tail stays after the herbs")
        << danggui + u"\r\n\r\n煎药费 1次\r\n"_qs << danggui + u"\r\n\r\n煎药费 1次\r\n"_qs << int(danggui.size());
    QTest::newRow("laying out twice changes nothing") << line + u"\r\n\r\n"_qs + shudi << line + u"\r\n\r\n"_qs + shudi
                                                      << int((line + u"\r\n\r\n"_qs + shudi).size());
    QTest::newRow("no unit: unchanged, caret at the start") << u"水煎服 每日一剂"_qs << u"水煎服 每日一剂"_qs << 0;
    QTest::newRow("other units end items too") << u"大枣 3枚蜈蚣 2条"_qs << padHerbItem(u"大枣 3枚"_qs) + padHerbItem(u"蜈蚣 2条"_qs)
                                                << int((padHerbItem(u"大枣 3枚"_qs) + padHerbItem(u"蜈蚣 2条"_qs)).size());
    // A charge item with "枚" in it is cut there like a herb.
    QTest::newRow("charge item with a unit character") << danggui + u"\r\n针灸针 10枚"_qs << danggui + padHerbItem(u"针灸针 10枚"_qs)
                                                       << int((danggui + padHerbItem(u"针灸针 10枚"_qs)).size());
    QTest::newRow("bracketed note") << u"白芍[炒]10g"_qs << u"白芍[炒]10g  "_qs << 10;
}

void TestBodyText::herbLayout()
{
    QFETCH(QString, body);
    QFETCH(QString, laidOut);
    QFETCH(int, caret);
    const HerbLayout layout = BodyText::reflowHerbs(body);
    QCOMPARE(layout.text, laidOut);
    QCOMPARE(layout.caret, caret);
    QCOMPARE(layout.text.mid(layout.caret), layout.tail);
}

QTEST_APPLESS_MAIN(TestBodyText)
#include "tst_bodytext.moc"
