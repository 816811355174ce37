#include "testdatabase.h"

#include "data/picklistrepository.h"
#include "data/templaterepository.h"
#include "prescription/bodytext.h"
#include "prescription/drugpicklist.h"
#include "prescription/pickinsertion.h"

// What the result list shows for a category and a typed text, and what a pick writes into the body.
class TestPickInsertion : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void listFill_data();
    void listFill();
    void insertion_data();
    void insertion();
    void fourHerbsInARow();

private:
    TestDatabase *m_db = nullptr;
};

void TestPickInsertion::initTestCase()
{
    m_db = new TestDatabase;
    QVERIFY(m_db->database().exec(u"insert into 商品 (名称, 查询, 分类, 常用量, 单位) values ('O''Neil药', 'O''Neil药on', '西成药·其他', '1盒', '盒')"_qs).ok);
}

void TestPickInsertion::cleanupTestCase()
{
    delete m_db;
}

void TestPickInsertion::listFill_data()
{
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("contains");
    QTest::addColumn<QString>("absent");
    QTest::newRow("typing in a Western category searches all but herbs")
        << 2 << u"amxl"_qs << u"阿莫西林胶囊 0.25g×24粒"_qs << u"当归 10g"_qs;
    QTest::newRow("herbs show pack and unit") << int(DrugCategories::Herbs) << u"dg"_qs << u"当归 10g"_qs << u"阿莫西林胶囊 0.25g×24粒"_qs;
    QTest::newRow("empty text lists the category by its ending") << 1 << QString() << u"0.9%氯化钠注射液 250ml×1瓶"_qs
                                                                  << u"阿莫西林胶囊 0.25g×24粒"_qs;
    QTest::newRow("brackets shown") << int(DrugCategories::Herbs) << u"ajyh"_qs << u"阿胶[烊化] 10g"_qs << QString();
    QTest::newRow("keypad digits") << int(DrugCategories::Herbs) << u"15"_qs << u"白芍 10g"_qs << QString();
    QTest::newRow("a polyphone read another way") << int(DrugCategories::Herbs) << u"rs"_qs << u"人参 10g"_qs << QString();
    QTest::newRow("apostrophe found") << 0 << u"O'N"_qs << u"O'Neil药 1盒"_qs << QString();
    QTest::newRow("formulas are templates") << int(DrugCategories::Formulas) << u"gzt"_qs << u"桂枝汤"_qs << u"麻杏石甘汤"_qs;
}

void TestPickInsertion::listFill()
{
    QFETCH(int, category);
    QFETCH(QString, typed);
    QFETCH(QString, contains);
    QFETCH(QString, absent);
    PickListRepository catalogue(m_db->database());
    TemplateRepository templates(m_db->database());
    DrugPickList list(catalogue, templates);
    QStringList visible;
    for (const DrugPickList::Item &item : list.fill(category, typed))
        visible.append(item.visible);
    QVERIFY2(visible.contains(contains), qPrintable(visible.mid(0, 10).join(u" | "_qs)));
    if (!absent.isEmpty())
        QVERIFY(!visible.contains(absent));
}

void TestPickInsertion::insertion_data()
{
    QTest::addColumn<int>("category");
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("visible");
    QTest::addColumn<QString>("shadow");
    QTest::addColumn<QString>("result");
    QTest::newRow("Western drug with usage") << 0 << false << QString() << u"阿莫西林胶囊 0.25g×24粒"_qs
                                             << u"阿莫西林胶囊 0.25g×24粒\\2粒 每日3次 口服"_qs
                                             << u"阿莫西林胶囊 0.25g×24粒\r\n    用法：2粒 每日3次 口服\r\n\r\n"_qs;
    QTest::newRow("Western drug with usage in a Chinese body") << 0 << true << u"当归 10g"_qs << u"甲 1盒"_qs << u"甲 1盒\\口服"_qs
                                                               << u"当归 10g"_qs;
    QTest::newRow("usage item") << int(DrugCategories::Usages) << false << u"甲 1盒\r\n"_qs << u"用法：静脉滴注 每日1次"_qs
                                << u"用法：静脉滴注 每日1次"_qs << u"甲 1盒\r\n    用法：静脉滴注 每日1次\r\n\r\n"_qs;
    QTest::newRow("sig line") << int(DrugCategories::Usages) << false << QString() << u"Sig: tid"_qs << u"Sig: tid"_qs
                              << u"    Sig: tid\r\n\r\n"_qs;
    QTest::newRow("plain Western item") << int(DrugCategories::ChargeItems) << false << u"甲 1盒\r\n"_qs << u"注射费 1次"_qs
                                        << u"注射费 1次"_qs << u"甲 1盒\r\n注射费 1次\r\n"_qs;
    QTest::newRow("charge item after the herbs") << int(DrugCategories::ChargeItems) << true << u"当归 10g     "_qs << u"煎药费 1次"_qs
                                                 << u"煎药费 1次"_qs << u"当归 10g\r\n\r\n煎药费 1次\r\n"_qs;
    QTest::newRow("second charge item joins the first") << int(DrugCategories::ChargeItems) << true
                                                        << u"当归 10g\r\n\r\n煎药费 1次\r\n"_qs << u"挂号费 1次"_qs << u"挂号费 1次"_qs
                                                        << u"当归 10g\r\n\r\n煎药费 1次\r\n\r\n挂号费 1次\r\n"_qs;
    const QString danggui = BodyText::padHerbItem(u"当归 10g"_qs);
    const QString shanyao = BodyText::padHerbItem(u"山药 10g"_qs);
    const QString baizhu = BodyText::padHerbItem(u"白术 10g"_qs);
    QTest::newRow("herb after a charge item goes in front of it")
        << int(DrugCategories::Herbs) << true << danggui + u"山药 10g\r\n\r\n煎药费 1次\r\n"_qs << u"白术 10g"_qs << u"白术 10g"_qs
        << danggui + shanyao + baizhu + u"\r\n\r\n煎药费 1次\r\n"_qs;
    QTest::newRow("first herb after a charge item") << int(DrugCategories::Herbs) << true << u"\r\n\r\n煎药费 1次\r\n"_qs
                                                    << u"白术 10g"_qs << u"白术 10g"_qs << baizhu + u"\r\n\r\n煎药费 1次\r\n"_qs;
    QTest::newRow("personal set on a fresh line") << int(DrugCategories::PersonalSets) << false << u"甲 1盒"_qs << u"组套"_qs
                                                  << u"组套"_qs << u"甲 1盒\r\n乙 1盒\r\n\r\n"_qs;
}

void TestPickInsertion::insertion()
{
    QFETCH(int, category);
    QFETCH(bool, chinese);
    QFETCH(QString, body);
    QFETCH(QString, visible);
    QFETCH(QString, shadow);
    QFETCH(QString, result);
    const DrugPickList::Item item{visible, shadow, u"乙 1盒"_qs};
    const PickInsertion::Result inserted = PickInsertion::apply(category, chinese ? PrescriptionKind::Chinese : PrescriptionKind::Western,
                                                                body, int(body.size()), int(body.size()), item);
    QCOMPARE(inserted.body, result);
    QCOMPARE(inserted.changed, result != body);
}

void TestPickInsertion::fourHerbsInARow()
{
    QString body;
    int caret = 0;
    for (const QString &herb : {u"当归 10g"_qs, u"川芎 6g"_qs, u"白芍[炒] 10g"_qs, u"熟地黄 15g"_qs}) {
        const PickInsertion::Result r = PickInsertion::apply(DrugCategories::Herbs, PrescriptionKind::Chinese, body, caret, caret,
                                                             {herb, herb, QString()});
        body = r.body;
        caret = r.caret;
    }
    const QString line = BodyText::padHerbItem(u"当归 10g"_qs) + BodyText::padHerbItem(u"川芎 6g"_qs) + BodyText::padHerbItem(u"白芍[炒]10g"_qs);
    QCOMPARE(body, line + u"\r\n\r\n"_qs + BodyText::padHerbItem(u"熟地黄 15g"_qs));
    // A herb picked with the caret before a tail goes in front of it.
    body += u"\r\n\r\n煎药费 1次"_qs;
    const PickInsertion::Result r = PickInsertion::apply(DrugCategories::Herbs, PrescriptionKind::Chinese, body, caret, caret,
                                                         {u"甘草 6g"_qs, u"甘草 6g"_qs, QString()});
    QVERIFY2(r.body.endsWith(BodyText::padHerbItem(u"甘草 6g"_qs) + u"\r\n\r\n煎药费 1次"_qs), qPrintable(r.body));
    QCOMPARE(r.body.mid(r.caret), u"\r\n\r\n煎药费 1次"_qs);
}

QTEST_GUILESS_MAIN(TestPickInsertion)
#include "tst_pickinsertion.moc"
