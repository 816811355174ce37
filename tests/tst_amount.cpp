#include <QTest>

#include "text/amount.h"
#include "text/typednumber.h"

// Money and quantities are exact: the texts the sheet shows come out as a clerk would compute them.
class TestAmount : public QObject
{
    Q_OBJECT

private slots:
    void leadingNumber_data();
    void leadingNumber();
    void lineAmount_data();
    void lineAmount();
    void sumsStayExact();
    void typedNumber_data();
    void typedNumber();
};

void TestAmount::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortest");
    QTest::addColumn<bool>("number");
    QTest::newRow("empty") << QString() << u"0"_qs << false;
    QTest::newRow("not a number") << u"约两片"_qs << u"0"_qs << false;
    QTest::newRow("plain") << u"12.5"_qs << u"12.5"_qs << true;
    QTest::newRow("trailing unit") << u"12.50元"_qs << u"12.5"_qs << true;
    QTest::newRow("leading blanks") << u"  3"_qs << u"3"_qs << true;
    QTest::newRow("blanks between digits") << u"1 2.5"_qs << u"12.5"_qs << true;
    QTest::newRow("point first") << u".25g"_qs << u"0.25"_qs << true;
    QTest::newRow("second point ends it") << u"1.2.3"_qs << u"1.2"_qs << true;
    QTest::newRow("negative") << u"-4.5"_qs << u"-4.5"_qs << true;
    QTest::newRow("sign alone") << u"-"_qs << u"0"_qs << false;
    QTest::newRow("seven decimals round") << u"0.0000005"_qs << u"0.000001"_qs << true;
    QTest::newRow("full-width digits are not a number") << u"１２"_qs << u"0"_qs << false;
}

void TestAmount::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(QString, shortest);
    QFETCH(bool, number);
    QCOMPARE(Amount::leadingNumber(text).toShortest(), shortest);
    QCOMPARE(Amount::startsWithNumber(text), number);
}

void TestAmount::lineAmount_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("total");
    QTest::newRow("two at 1.235") << u"2"_qs << u"1.235"_qs << u"2.470"_qs << u"2.47"_qs;
    QTest::newRow("herb 60 g at 0.5") << u"60"_qs << u"0.500"_qs << u"30.000"_qs << u"30.00"_qs;
    QTest::newRow("quarter at 1.235 rounds half up") << u"0.25"_qs << u"1.235"_qs << u"0.309"_qs << u"0.31"_qs;
    QTest::newRow("empty quantity") << QString() << u"3.5"_qs << u"0.000"_qs << u"0.00"_qs;
    // 0.1 × 3 is 0.3 exactly, not 0.30000000000000004.
    QTest::newRow("tenths") << u"3"_qs << u"0.1"_qs << u"0.300"_qs << u"0.30"_qs;
    QTest::newRow("large") << u"1000"_qs << u"12345.678"_qs << u"12345678.000"_qs << u"12345678.00"_qs;
    QTest::newRow("half cent rounds away from zero") << u"1"_qs << u"0.005"_qs << u"0.005"_qs << u"0.01"_qs;
}

void TestAmount::lineAmount()
{
    QFETCH(QString, quantity);
    QFETCH(QString, price);
    QFETCH(QString, amount);
    QFETCH(QString, total);
    const Amount product = Amount::leadingNumber(quantity) * Amount::leadingNumber(price);
    QCOMPARE(product.toFixed(3), amount);
    QCOMPARE(product.toFixed(2), total);
}

void TestAmount::sumsStayExact()
{
    Amount sum;
    for (int i = 0; i < 1000; ++i)
        sum += Amount::leadingNumber(u"0.1"_qs);
    QCOMPARE(sum.toFixed(2), u"100.00"_qs);
    QCOMPARE((Amount::leadingNumber(u"1500"_qs).dividedBy(1000)).toFixed(2), u"1.50"_qs);
    QCOMPARE(Amount::leadingNumber(u"-0.0004"_qs).toFixed(3), u"0.000"_qs);
}

QTEST_APPLESS_MAIN(TestAmount)
#include "tst_amount.moc"

void TestAmount::typedNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("read"); // the number with three decimals; empty: refused
    QTest::addColumn<QString>("refusal"); // part of the reason given
    QTest::newRow("ASCII") << u"12.5"_qs << u"12.500"_qs << QString();
    QTest::newRow("blanks around") << u" 0.35 "_qs << u"0.350"_qs << QString();
    QTest::newRow("full-width digits and point") << u"１２．５"_qs << u"12.500"_qs << QString();
    QTest::newRow("full-width digits, ASCII point") << u"１２.５"_qs << u"12.500"_qs << QString();
    QTest::newRow("ideographic full stop") << u"3。5"_qs << u"3.500"_qs << QString();
    QTest::newRow("thousands separator") << u"1,280.00"_qs << u"1280.000"_qs << QString();
    QTest::newRow("full-width thousands separator") << u"１，２８０"_qs << u"1280.000"_qs << QString();
    QTest::newRow("two separators") << u"1,234,567.5"_qs << u"1234567.500"_qs << QString();
    QTest::newRow("point first") << u".5"_qs << u"0.500"_qs << QString();
    QTest::newRow("zero") << u"0"_qs << u"0.000"_qs << QString();
    QTest::newRow("decimal comma is no separator") << u"12,5"_qs << QString() << u"不是数字"_qs;
    QTest::newRow("negative") << u"-5"_qs << QString() << u"不能是负数"_qs;
    QTest::newRow("full-width minus") << u"－５"_qs << QString() << u"不能是负数"_qs;
    QTest::newRow("unit after the number") << u"5元"_qs << QString() << u"不是数字（“5元”）"_qs;
    QTest::newRow("words") << u"面议"_qs << QString() << u"不是数字"_qs;
    QTest::newRow("times sign") << u"×"_qs << QString() << u"不是数字"_qs;
    QTest::newRow("two points") << u"1.2.3"_qs << QString() << u"不是数字"_qs;
    QTest::newRow("too many digits to be a price") << u"1234567890123"_qs << QString() << u"不是数字"_qs;
}

void TestAmount::typedNumber()
{
    QFETCH(QString, text);
    QFETCH(QString, read);
    QFETCH(QString, refusal);
    QString why;
    const std::optional<Amount> value = TypedNumber::nonNegative(text, u"单价"_qs, &why);
    QCOMPARE(value ? value->toFixed(3) : QString(), read);
    if (!refusal.isEmpty()) {
        QVERIFY2(why.contains(refusal), qPrintable(why));
        // The user learns which field holds the text.
        QVERIFY2(why.contains(u"“单价”"_qs), qPrintable(why));
    }
}
