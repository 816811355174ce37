#include "testdatabase.h"

#include <QHash>
#include <QRegularExpression>

#include "text/pinyininitials.h"

// The catalogue a new clinic picks from on its first day.
class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void countsPerCategory_data();
    void countsPerCategory();
    void everyRowIsConsistent();
    void typicalRows_data();
    void typicalRows();
    void westernLinesPriceByName();

private:
    TestDatabase *m_main = nullptr;
};

void TestCatalogue::initTestCase()
{
    m_main = new TestDatabase(DatabaseKind::Main);
    QCOMPARE(count(m_main->database(), u"select count(*) from 商品"_qs), 800);
}

void TestCatalogue::cleanupTestCase()
{
    delete m_main;
}

void TestCatalogue::countsPerCategory_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<int>("count");
    QTest::newRow("herbs") << u"中药"_qs << 304;
    const QList<QPair<QString, int>> western = {{u"其他"_qs, 71},   {u"抗生素"_qs, 67}, {u"中成药"_qs, 60},
                                                {u"心血管"_qs, 55}, {u"消化"_qs, 51},   {u"外用"_qs, 45},
                                                {u"维生素激素"_qs, 36}, {u"呼吸"_qs, 31}, {u"输液"_qs, 19},
                                                {u"解热镇痛"_qs, 17}, {u"神经"_qs, 17},   {u"内分泌"_qs, 11}};
    for (const auto &[sub, count] : western)
        QTest::newRow(qPrintable(sub)) << u"西成药\u00b7"_qs + sub << count;
    QTest::newRow("usages") << u"用法"_qs << 10;
    QTest::newRow("charges") << u"收费项目"_qs << 6;
}

void TestCatalogue::countsPerCategory()
{
    QFETCH(QString, category);
    QFETCH(int, count);
    QCOMPARE(column(m_main->database(), u"select count(*) from 商品 where 分类 = ?"_qs, {category}), QStringList{QString::number(count)});
}

void TestCatalogue::everyRowIsConsistent()
{
    static const QRegularExpression price(QStringLiteral(R"(^\d+\.\d{3}$)"));
    static const QStringList herbUnits = {u"g"_qs, u"枚"_qs, u"条"_qs, u"个"_qs};
    // Herbs start at 10 g, except toxic herbs whose dose rows allow less: picked at their usual
    // quantity they must not be warned about at once.
    static const QHash<QString, QString> lowerUsual = {
        {u"细辛"_qs, u"3"_qs},     {u"吴茱萸{制}"_qs, u"3"_qs}, {u"水蛭"_qs, u"3"_qs},     {u"半夏{法}"_qs, u"9"_qs},
        {u"半夏{姜}"_qs, u"9"_qs}, {u"半夏{清}"_qs, u"9"_qs},   {u"天南星{制}"_qs, u"6"_qs}, {u"三七粉"_qs, u"3"_qs},
        {u"冰片"_qs, u"0.3"_qs},   {u"全蝎"_qs, u"5"_qs},       {u"蜈蚣"_qs, u"3"_qs},     {u"川乌{制}"_qs, u"3"_qs},
        {u"草乌{制}"_qs, u"3"_qs},
    };
    QSqlQuery query(m_main->connection());
    QVERIFY(query.exec(u"select \"ID号\", 名称, 拼音, 查询, 单价, 单位, 分类, 常用量, 用法 from 商品"_qs));
    QSet<QString> keys;
    QSet<QString> namesInCategory;
    while (query.next()) {
        const QString key = query.value(0).toString();
        const QString name = query.value(1).toString();
        const QString initials = query.value(2).toString();
        const QString category = query.value(6).toString();
        const QString where = category + u" / "_qs + name;
        QVERIFY2(!keys.contains(key), qPrintable(where));
        keys.insert(key);
        QVERIFY2(!namesInCategory.contains(category + u'\t' + name), qPrintable(u"duplicate "_qs + where));
        namesInCategory.insert(category + u'\t' + name);
        QCOMPARE(initials, pinyinInitials(name));
        QCOMPARE(query.value(3).toString(), name + initials + initialsDigitCode(initials));
        const QString unitPrice = query.value(4).toString();
        QVERIFY2(unitPrice.isEmpty() || price.match(unitPrice).hasMatch(), qPrintable(where));
        if (category == u"中药"_qs) {
            QVERIFY2(herbUnits.contains(query.value(5).toString()), qPrintable(where));
            QCOMPARE(query.value(7).toString(), lowerUsual.value(name, u"10"_qs));
        }
        if (category != u"用法"_qs)
            QVERIFY2(!name.contains(u' '), qPrintable(u"space in "_qs + where));
        // The infusion card finds injections by the route named in their usage.
        if (name.contains(u"注射液"_qs) || name.startsWith(u"注射用"_qs)) {
            const QString usage = query.value(8).toString();
            QVERIFY2(usage.contains(u"注射"_qs) || usage.contains(u"滴注"_qs), qPrintable(where));
        }
    }
    QCOMPARE(keys.size(), 800);
}

void TestCatalogue::typicalRows_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("expected"); // 单位, 常用量, 单价, 分类, 斗位, 拼音, 查询
    QTest::newRow("saline") << u"0.9%氯化钠注射液"_qs
                            << QStringList{u"瓶"_qs, u"250ml×1瓶"_qs, u"3.500"_qs, u"西成药·输液"_qs, QString(),
                                           u"09lhnzsy"_qs, u"0.9%氯化钠注射液09lhnzsy324757"_qs};
    // The initials are computed from the whole stored name, processing note included.
    QTest::newRow("donkey-hide gelatin") << u"阿胶{烊化}"_qs
                                         << QStringList{u"g"_qs, u"10"_qs, u"1.200"_qs, u"中药"_qs, u"A2"_qs,
                                                        u"ajyh"_qs, u"阿胶{烊化}ajyh1372"_qs};
    QTest::newRow("registration fee") << u"挂号费"_qs
                                      << QStringList{u"次"_qs, u"1次"_qs, u"15.000"_qs, u"收费项目"_qs, QString(),
                                                     u"ghf"_qs, u"挂号费ghf222"_qs};
}

void TestCatalogue::typicalRows()
{
    QFETCH(QString, name);
    QFETCH(QStringList, expected);
    QSqlQuery query(m_main->connection());
    query.prepare(u"select 单位, 常用量, 单价, 分类, 斗位, 拼音, 查询 from 商品 where 名称 = ?"_qs);
    query.addBindValue(name);
    QVERIFY(query.exec());
    QVERIFY(query.next());
    QStringList actual;
    for (int i = 0; i < 7; ++i)
        actual << query.value(i).toString();
    QCOMPARE(actual, expected);
    QVERIFY(!query.next());
}

void TestCatalogue::westernLinesPriceByName()
{
    // Picking a drug writes its name, a space and its pack; pricing reads the name back as the
    // text before the first space. So no Western name holds a space or a square bracket (brackets
    // are stored as braces), and every name is one row's name.
    QCOMPARE(count(m_main->database(), u"select count(*) from 商品 where 分类 like '西成药%' and (名称 like '% %' or 名称 like '%[%' or 名称 like '%]%' or 名称 = '')"_qs), 0);
    QCOMPARE(count(m_main->database(), u"select count(*) from (select 名称 from 商品 where 分类 like '西成药%' group by 名称 having count(*) > 1)"_qs), 0);
    QCOMPARE(count(m_main->database(), u"select count(*) from 商品 where 分类 like '西成药%'"_qs), 480);
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
