#include "testdatabase.h"

#include "data/cataloguelookup.h"
#include "data/sqlrow.h"
#include "data/tables.h"
#include "prescription/bodyitems.h"
#include "prescription/prescriptionpricer.h"

// Pricing reads the body as the physician wrote it and prices what the catalogue holds.
class TestPricing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanLine_data();
    void cleanLine();
    void price_data();
    void price();

private:
    TestDatabase *m_db = nullptr;
};

void TestPricing::initTestCase()
{
    m_db = new TestDatabase;
    Database &db = m_db->database();
    const QList<QStringList> fixtures = {
        {u"0.4%左氧氟沙星注射液"_qs, u"瓶"_qs, u"12.000"_qs, u"西成药·抗生素"_qs, QString()},
        {u"葡萄糖注射液"_qs, u"瓶"_qs, u"4.000"_qs, u"西成药·输液"_qs, QString()},
        {u"无价草"_qs, u"g"_qs, QString(), u"中药"_qs, u"Z9"_qs},
    };
    for (const QStringList &f : fixtures) {
        QVERIFY(db.insert(SqlRow(Tables::catalogue())
                              .set(u"名称"_qs, f[0])
                              .set(u"单位"_qs, f[1])
                              .set(u"单价"_qs, f[2])
                              .set(u"分类"_qs, f[3])
                              .set(u"斗位"_qs, f[4]))
                    .ok);
    }
    QVERIFY(db.exec(u"update 商品 set 单价 = '0.500' where 名称 = '当归'"_qs).ok);
}

void TestPricing::cleanupTestCase()
{
    delete m_db;
}

void TestPricing::cleanLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("cleaned");
    QTest::newRow("number and point") << u"1.葡萄糖注射液 250ml×1.5瓶"_qs << u"葡萄糖注射液 250ml×1.5瓶"_qs;
    QTest::newRow("ASCII parentheses") << u"(2)阿莫西林胶囊 1盒"_qs << u"阿莫西林胶囊 1盒"_qs;
    QTest::newRow("full-width parentheses") << u"（3）阿莫西林胶囊 1盒"_qs << u"阿莫西林胶囊 1盒"_qs;
    QTest::newRow("enumeration comma") << u"4、阿莫西林胶囊 1盒"_qs << u"阿莫西林胶囊 1盒"_qs;
    QTest::newRow("number and space") << u"5 阿莫西林胶囊 1盒"_qs << u"阿莫西林胶囊 1盒"_qs;
    QTest::newRow("two digits") << u"12.注射费 1次"_qs << u"注射费 1次"_qs;
    QTest::newRow("eleven") << u"11、注射费 1次"_qs << u"注射费 1次"_qs;
    QTest::newRow("marker beyond the fourth character stays") << u"阿莫西林1.胶囊"_qs << u"阿莫西林1.胶囊"_qs;
    QTest::newRow("usage line skipped") << u"    用法：静脉滴注 每日1次"_qs << QString();
    QTest::newRow("empty") << u"   "_qs << QString();
}

void TestPricing::cleanLine()
{
    QFETCH(QString, line);
    QFETCH(QString, cleaned);
    QCOMPARE(BodyItems::cleanLine(line), cleaned);
}

void TestPricing::price_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("doses");
    QTest::addColumn<QStringList>("lines"); // name|quantity|unit|unit price|amount|drawer|category
    QTest::newRow("quantity after the last ×") << false << u"0.4%左氧氟沙星注射液 100ml×1瓶"_qs << QString()
                                               << QStringList{u"0.4%左氧氟沙星注射液|1|瓶|12.000|12.000||西成药·抗生素"_qs};
    QTest::newRow("charge item without ×") << false << u"注射费 1次"_qs << QString() << QStringList{u"注射费|1|次|3.000|3.000||收费项目"_qs};
    QTest::newRow("usage line skipped") << false << u"注射费 1次\r\n    用法：静脉滴注 每日1次\r\n"_qs << QString()
                                        << QStringList{u"注射费|1|次|3.000|3.000||收费项目"_qs};
    QTest::newRow("marker removed, decimal kept") << false << u"1.葡萄糖注射液 250ml×1.5瓶"_qs << QString()
                                                  << QStringList{u"葡萄糖注射液|1.5|瓶|4.000|6.000||西成药·输液"_qs};
    QTest::newRow("star typed for ×") << false << u"阿莫西林胶囊 0.25g 2*10粒"_qs << QString()
                                      << QStringList{u"阿莫西林胶囊|10|粒|0.120|1.200||西成药·抗生素"_qs};
    QTest::newRow("not found leaves no gap") << false << u"不存在的药 1盒\r\n注射费 2次\r\n阿莫西林胶囊\r\n挂号费 1次"_qs << QString()
                                             << QStringList{u"注射费|2|次|3.000|6.000||收费项目"_qs, u"挂号费|1|次|15.000|15.000||收费项目"_qs};
    QTest::newRow("herbs are not Western lines") << false << u"当归 10g"_qs << QString() << QStringList{};
    QTest::newRow("herb times six doses") << true << u"当归 10g"_qs << u"6"_qs << QStringList{u"当归|60|g|0.500|30.000|A3|中药"_qs};
    QTest::newRow("herb times seven doses") << true << u"当归 10g"_qs << u"7"_qs << QStringList{u"当归|70|g|0.500|35.000|A3|中药"_qs};
    QTest::newRow("decimal herb quantity finds its herb") << true << u"当归1.5g"_qs << u"6"_qs << QStringList{u"当归|9|g|0.500|4.500|A3|中药"_qs};
    QTest::newRow("note in brackets") << true << u"阿胶[烊化]10g"_qs << u"2"_qs << QStringList{u"阿胶[烊化]|20|g|1.200|24.000|A2|中药"_qs};
    QTest::newRow("tail priced as charge items")
        << true << u"当归 10g      川芎 6g\r\n\r\n煎药费 1次\r\n水煎服"_qs << u"6"_qs
        << QStringList{u"当归|60|g|0.500|30.000|A3|中药"_qs, u"川芎|36|g|0.120|4.320|P3|中药"_qs, u"煎药费|1|次|2.000|2.000||收费项目"_qs};
    QTest::newRow("herb without a price") << true << u"无价草 5g"_qs << u"6"_qs << QStringList{u"无价草|30|g||0.000|Z9|中药"_qs};
    QTest::newRow("doses not a number") << true << u"当归 10g"_qs << u"剂"_qs << QStringList{u"当归|0|g|0.500|0.000|A3|中药"_qs};
}

void TestPricing::price()
{
    QFETCH(bool, chinese);
    QFETCH(QString, body);
    QFETCH(QString, doses);
    QFETCH(QStringList, lines);
    CatalogueLookup lookup(m_db->database());
    PrescriptionPricer pricer(lookup);
    QStringList actual;
    for (const DrugLine &line : pricer.price(chinese ? PrescriptionKind::Chinese : PrescriptionKind::Western, body, doses).lines) {
        QStringList cells;
        for (int cell = 0; cell < DrugLine::CellCount; ++cell)
            cells.append(line.cell(cell));
        actual.append(cells.join(u'|'));
    }
    QCOMPARE(actual, lines);
}

QTEST_GUILESS_MAIN(TestPricing)
#include "tst_pricing.moc"
