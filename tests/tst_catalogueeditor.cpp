#include "testdatabase.h"

#include <QElapsedTimer>
#include <QSet>

#include "data/cataloguerepository.h"
#include "maintenance/catalogueeditorrules.h"
#include "maintenance/catalogueoptions.h"

using Entry = CatalogueRepository::Entry;
using Fields = CatalogueEditorRules::Fields;

// The drug maintenance editor without its window: typing rules, loading a result, the checks
// before a save, and how the catalogue stores, finds and keeps entries apart.
class TestCatalogueEditor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typedName_data();
    void typedName();
    void typedAmount_data();
    void typedAmount();
    void unitFromUsualQuantity_data();
    void unitFromUsualQuantity();
    void storedPrice_data();
    void storedPrice();
    void displayNameRoundTrip_data();
    void displayNameRoundTrip();
    void refusals_data();
    void refusals();
    void storedEntry();
    void categoryPrefix_data();
    void categoryPrefix();
    void herbUnits_data();
    void herbUnits();

    void entriesAddedInOneSecondStayApart();
    void savingAfterSubcategoryChangeUpdatesTheRow();
    void savingARowDeletedElsewhereStoresItAgain();
    void tooLongValueIsRefusedByField();
    void searchTakesTheTextLiterally_data();
    void searchTakesTheTextLiterally();
    void searchFindsEveryReading();
    void clearingTakesExactlyThePrefix_data();
    void clearingTakesExactlyThePrefix();
    void unreadableCatalogueListsNothing();

private:
    Entry stored(const QString &name, const QString &category, const QString &usualQuantity = QString());
    QStringList namesIn(const QString &prefix, const QString &typed = QString());

    TestDatabase *m_file = nullptr;
    CatalogueRepository *m_catalogue = nullptr;
};

void TestCatalogueEditor::init()
{
    m_file = new TestDatabase;
    m_catalogue = new CatalogueRepository(m_file->database());
}

void TestCatalogueEditor::cleanup()
{
    delete m_catalogue;
    delete m_file;
}

Entry TestCatalogueEditor::stored(const QString &name, const QString &category, const QString &usualQuantity)
{
    Fields fields;
    fields.name = name;
    fields.usualQuantity = usualQuantity;
    fields.initials = CatalogueEditorRules::proposedInitials(name);
    fields.category = category;
    Entry entry = CatalogueEditorRules::toEntry(fields, QString());
    const WriteResult added = m_catalogue->add(entry);
    if (!added.ok)
        qWarning("%s", qPrintable(added.fullText()));
    return entry;
}

QStringList TestCatalogueEditor::namesIn(const QString &prefix, const QString &typed)
{
    QStringList names;
    for (const Entry &entry : m_catalogue->find(prefix, typed))
        names.append(entry.name);
    return names;
}

void TestCatalogueEditor::typedName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("round brackets") << u"阿胶(烊化)"_qs << u"阿胶[烊化]"_qs;
    QTest::newRow("full-width brackets") << u"白术（炒）"_qs << u"白术[炒]"_qs;
    QTest::newRow("square brackets stay") << u"黄芪[炙]"_qs << u"黄芪[炙]"_qs;
    QTest::newRow("plain") << u"阿莫西林胶囊"_qs << u"阿莫西林胶囊"_qs;
}

void TestCatalogueEditor::typedName()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QCOMPARE(CatalogueEditorRules::typedName(typed), shown);
    // The caret stays where it was only because the length does.
    QCOMPARE(CatalogueEditorRules::typedName(typed).size(), typed.size());
}

void TestCatalogueEditor::typedAmount_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("star") << u"0.25g*24粒"_qs << u"0.25g×24粒"_qs;
    QTest::newRow("full-width stop") << u"12。5"_qs << u"12.5"_qs;
    QTest::newRow("star alone") << u"*"_qs << u"×"_qs;
    QTest::newRow("plain") << u"100ml×1瓶"_qs << u"100ml×1瓶"_qs;
}

void TestCatalogueEditor::typedAmount()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QCOMPARE(CatalogueEditorRules::typedAmount(typed), shown);
}

void TestCatalogueEditor::unitFromUsualQuantity_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("usualQuantity");
    QTest::addColumn<QString>("unit");
    QTest::newRow("capsules") << int(CatalogueOptions::Western) << u"0.25g×24粒"_qs << u"粒"_qs;
    QTest::newRow("bottle") << int(CatalogueOptions::Western) << u"100ml×1瓶"_qs << u"瓶"_qs;
    QTest::newRow("list order wins over text order") << int(CatalogueOptions::Western) << u"1盒×10片"_qs << u"片"_qs;
    QTest::newRow("no unit in the text") << int(CatalogueOptions::Western) << u"0.5g"_qs << QString();
    QTest::newRow("herb grams") << int(CatalogueOptions::Herbs) << u"10g"_qs << u"g"_qs;
    QTest::newRow("herb number only") << int(CatalogueOptions::Herbs) << u"10"_qs << QString();
    QTest::newRow("charge item") << int(CatalogueOptions::ChargeItems) << u"1次"_qs << u"次"_qs;
    QTest::newRow("usage terms have no units") << int(CatalogueOptions::Usages) << u"1次"_qs << QString();
}

void TestCatalogueEditor::unitFromUsualQuantity()
{
    QFETCH(int, option);
    QFETCH(QString, usualQuantity);
    QFETCH(QString, unit);
    QCOMPARE(CatalogueEditorRules::unitIn(usualQuantity, CatalogueOptions::units(CatalogueOptions::Option(option))), unit);
}

void TestCatalogueEditor::storedPrice_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("price"); // empty: nothing stored, or refused
    QTest::addColumn<bool>("refused");
    QTest::newRow("empty") << QString() << QString() << false;
    QTest::newRow("blank") << u"  "_qs << QString() << false;
    QTest::newRow("one decimal") << u"12.5"_qs << u"12.500"_qs << false;
    QTest::newRow("whole") << u"15"_qs << u"15.000"_qs << false;
    QTest::newRow("rounded half up") << u"1.2345"_qs << u"1.235"_qs << false;
    QTest::newRow("tenth of a cent is not lost to binary") << u"0.0005"_qs << u"0.001"_qs << false;
    QTest::newRow("thousands separator") << u"1,280.00"_qs << u"1280.000"_qs << false;
    QTest::newRow("full-width, as an input method types it") << u"１２.５"_qs << u"12.500"_qs << false;
    QTest::newRow("negative") << u"-5"_qs << QString() << true;
    QTest::newRow("unit after the number") << u"12.5元"_qs << QString() << true;
    QTest::newRow("star became times") << u"×"_qs << QString() << true;
    QTest::newRow("no number") << u"面议"_qs << QString() << true;
}

void TestCatalogueEditor::storedPrice()
{
    QFETCH(QString, box);
    QFETCH(QString, price);
    QFETCH(bool, refused);
    CatalogueEditorRules::Fields fields;
    fields.name = u"当归"_qs;
    fields.price = box;
    fields.category = u"中药"_qs;
    const QString why = CatalogueEditorRules::refusal(fields);
    QCOMPARE(!why.isEmpty(), refused);
    if (refused)
        QVERIFY2(why.contains(u"“单价”"_qs), qPrintable(why));
    else
        QCOMPARE(CatalogueEditorRules::toEntry(fields, u"k"_qs).price, price);
}

void TestCatalogueEditor::displayNameRoundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("usualQuantity");
    QTest::addColumn<bool>("usage");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("nameBox");
    QTest::addColumn<QString>("quantityBox");
    QTest::newRow("braces shown as brackets") << u"阿胶{烊化}"_qs << u"10"_qs << false << u"阿胶[烊化] 10"_qs << u"阿胶[烊化]"_qs << u"10"_qs;
    QTest::newRow("strength with spaces") << u"布洛芬缓释胶囊"_qs << u"0.3g × 20粒"_qs << false
                                          << u"布洛芬缓释胶囊 0.3g × 20粒"_qs << u"布洛芬缓释胶囊"_qs << u"0.3g × 20粒"_qs;
    QTest::newRow("no usual quantity keeps the space") << u"挂号费"_qs << QString() << false << u"挂号费 "_qs << u"挂号费"_qs << QString();
    QTest::newRow("usage term never split") << u"用法：静脉滴注 每日1次"_qs << QString() << true
                                            << u"用法：静脉滴注 每日1次 "_qs << u"用法：静脉滴注 每日1次 "_qs << QString();
}

void TestCatalogueEditor::displayNameRoundTrip()
{
    QFETCH(QString, name);
    QFETCH(QString, usualQuantity);
    QFETCH(bool, usage);
    QFETCH(QString, display);
    QFETCH(QString, nameBox);
    QFETCH(QString, quantityBox);
    Entry entry;
    entry.name = name;
    entry.usualQuantity = usualQuantity;
    QCOMPARE(CatalogueEditorRules::displayName(entry), display);
    const Fields fields = CatalogueEditorRules::fromEntry(entry, usage);
    QCOMPARE(fields.name, nameBox);
    QCOMPARE(fields.usualQuantity, quantityBox);
    // Saving the loaded boxes gives the stored name back.
    QCOMPARE(CatalogueEditorRules::storedName(fields.name), name);
}

void TestCatalogueEditor::refusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("usualQuantity");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("drawer");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("refusal"); // a part of the message; empty: accepted
    const QString western = u"西成药·抗生素"_qs;
    QTest::newRow("accepted") << u"阿莫西林胶囊"_qs << u"0.25g×24粒"_qs << u"粒"_qs << QString() << western << QString();
    QTest::newRow("no name") << QString() << u"10"_qs << u"g"_qs << QString() << u"中药"_qs << u"请输入药物名称！"_qs;
    QTest::newRow("blank name") << u"   "_qs << QString() << QString() << QString() << western << u"请输入药物名称！"_qs;
    QTest::newRow("outer spaces are trimmed") << u"  阿胶  "_qs << u"10"_qs << u"g"_qs << QString() << u"中药"_qs << QString();
    QTest::newRow("space inside a drug name") << u"阿莫西林 胶囊"_qs << QString() << u"粒"_qs << QString() << western << u"不能有空格"_qs;
    QTest::newRow("space inside a herb name") << u"白术 炒"_qs << u"10"_qs << u"g"_qs << QString() << u"中药"_qs << u"不能有空格"_qs;
    QTest::newRow("usage terms may have spaces") << u"用法：静脉滴注 每日1次"_qs << QString() << QString() << QString() << u"用法"_qs << QString();
    QTest::newRow("at sign in the name") << u"维C@银翘片"_qs << QString() << u"片"_qs << QString() << western << u"“名称”中不能有“@”或“$”"_qs;
    QTest::newRow("dollar in the usual quantity") << u"阿司匹林"_qs << u"25mg$100片"_qs << u"片"_qs << QString() << western << u"“常用量”中不能有"_qs;
    QTest::newRow("dollar in the unit") << u"阿司匹林"_qs << u"25mg"_qs << u"$"_qs << QString() << western << u"“单位”中不能有"_qs;
    QTest::newRow("at sign in the drawer") << u"当归"_qs << u"10"_qs << u"g"_qs << u"A@2"_qs << u"中药"_qs << u"“斗位”中不能有"_qs;
    QTest::newRow("at sign in a usage term") << u"用法：每日1次@饭后"_qs << QString() << QString() << QString() << u"用法"_qs << u"“名称”中不能有"_qs;
}

void TestCatalogueEditor::refusals()
{
    QFETCH(QString, name);
    QFETCH(QString, usualQuantity);
    QFETCH(QString, unit);
    QFETCH(QString, drawer);
    QFETCH(QString, category);
    QFETCH(QString, refusal);
    Fields fields;
    fields.name = name;
    fields.usualQuantity = usualQuantity;
    fields.unit = unit;
    fields.drawer = drawer;
    fields.category = category;
    const QString why = CatalogueEditorRules::refusal(fields);
    if (refusal.isEmpty())
        QCOMPARE(why, QString());
    else
        QVERIFY2(why.contains(refusal), qPrintable(why));
}

void TestCatalogueEditor::storedEntry()
{
    // As typed: the brackets came from "(烊化)", the price from a box holding "1.2".
    Fields fields{u" 阿胶[烊化] "_qs, u" 10 "_qs, u"g"_qs, u"1.2"_qs, u"A2"_qs, QString(), u"aj"_qs, u"中药"_qs};
    const Entry entry = CatalogueEditorRules::toEntry(fields, u"20240501083000"_qs);
    QCOMPARE(entry.key, u"20240501083000"_qs);
    QCOMPARE(entry.name, u"阿胶{烊化}"_qs);
    QCOMPARE(entry.usualQuantity, u"10"_qs);
    QCOMPARE(entry.price, u"1.200"_qs);
    QCOMPARE(entry.drawer, u"A2"_qs);
    QCOMPARE(entry.category, u"中药"_qs);
    // The search key keeps the brackets as typed.
    QCOMPARE(entry.searchKey, u"阿胶[烊化]aj13"_qs);
}

void TestCatalogueEditor::categoryPrefix_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("all Western") << u"西成药·全部"_qs << u"西成药·"_qs;
    QTest::newRow("one subcategory") << u"西成药·抗生素"_qs << u"西成药·抗生素"_qs;
    QTest::newRow("herbs") << u"中药"_qs << u"中药"_qs;
    QTest::newRow("usage terms") << u"用法"_qs << u"用法"_qs;
}

void TestCatalogueEditor::categoryPrefix()
{
    QFETCH(QString, item);
    QFETCH(QString, prefix);
    QCOMPARE(CatalogueOptions::prefixOf(item), prefix);
    QVERIFY(CatalogueOptions::filterItems().contains(item) || CatalogueOptions::categories().contains(item));
}

void TestCatalogueEditor::herbUnits_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("grams") << u"g"_qs << true;
    QTest::newRow("pieces") << u"枚"_qs << true;
    QTest::newRow("empty passes") << QString() << true;
    QTest::newRow("box") << u"盒"_qs << false;
    QTest::newRow("tablets") << u"片"_qs << false;
}

void TestCatalogueEditor::herbUnits()
{
    QFETCH(QString, unit);
    QFETCH(bool, allowed);
    QCOMPARE(CatalogueOptions::isHerbUnit(unit), allowed);
}

void TestCatalogueEditor::entriesAddedInOneSecondStayApart()
{
    const QDateTime second(QDate(2024, 5, 1), QTime(8, 30, 0));
    Entry first = CatalogueEditorRules::toEntry({u"甲药"_qs, {}, {}, {}, {}, {}, u"jy"_qs, u"西成药·其他"_qs}, QString());
    Entry again = CatalogueEditorRules::toEntry({u"乙药"_qs, {}, {}, {}, {}, {}, u"yy"_qs, u"西成药·其他"_qs}, QString());
    QVERIFY(m_catalogue->add(first, second).ok);
    QVERIFY(m_catalogue->add(again, second).ok);
    QCOMPARE(first.key, u"20240501083000"_qs);
    QVERIFY(again.key != first.key);
    QCOMPARE(again.key.size(), 14);
    // Another window (its own repository) adding in the same second does not reuse either key.
    CatalogueRepository other(m_file->database());
    Entry third = again;
    QVERIFY(other.add(third, second).ok);
    QCOMPARE(QSet<QString>({first.key, again.key, third.key}).size(), 3);
    QCOMPARE(count(m_file->database(), u"select count(*) from 商品 where 名称 in ('甲药', '乙药')"_qs), 3);
}

void TestCatalogueEditor::savingAfterSubcategoryChangeUpdatesTheRow()
{
    Entry entry = stored(u"头孢克肟"_qs, u"西成药·抗生素"_qs, u"0.1g×6粒"_qs);
    entry.category = u"西成药·输液"_qs;
    QVERIFY(m_catalogue->update(entry).ok);
    entry.price = u"2.500"_qs;
    QVERIFY(m_catalogue->update(entry).ok);
    QCOMPARE(column(m_file->database(), u"select 分类 || '/' || 单价 from 商品 where \"ID号\" = ?"_qs, {entry.key}),
             QStringList{u"西成药·输液/2.500"_qs});
    QVERIFY(!namesIn(u"西成药·抗生素"_qs).contains(u"头孢克肟"_qs));
    QVERIFY(namesIn(u"西成药·输液"_qs).contains(u"头孢克肟"_qs));
}

void TestCatalogueEditor::savingARowDeletedElsewhereStoresItAgain()
{
    Entry entry = stored(u"板蓝根颗粒"_qs, u"西成药·中成药"_qs);
    QVERIFY(m_catalogue->remove(entry.key).ok);
    entry.price = u"8.000"_qs;
    QVERIFY(m_catalogue->update(entry).ok);
    QCOMPARE(column(m_file->database(), u"select 单价 from 商品 where \"ID号\" = ?"_qs, {entry.key}), QStringList{u"8.000"_qs});
}

void TestCatalogueEditor::tooLongValueIsRefusedByField()
{
    Entry entry = CatalogueEditorRules::toEntry({u"复方甘草合剂甲"_qs, {}, u"片片片片片片片片片片片"_qs, {}, {}, QString(51, u'x'),
                                                 u"ffgchjj"_qs, u"西成药·呼吸"_qs},
                                                QString());
    const WriteResult refused = m_catalogue->add(entry);
    QVERIFY(!refused.ok);
    QVERIFY2(refused.message.contains(u"“单位”"_qs), qPrintable(refused.message));
    entry.unit = u"片"_qs;
    const WriteResult usage = m_catalogue->add(entry);
    QVERIFY2(usage.message.contains(u"“用法用量”的内容超过了50个字符"_qs), qPrintable(usage.message));
    QCOMPARE(count(m_file->database(), u"select count(*) from 商品 where 名称 = '复方甘草合剂甲'"_qs), 0);
}

void TestCatalogueEditor::searchTakesTheTextLiterally_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("apostrophe") << u"o'c"_qs << QStringList{u"O'Connor氏液"_qs};
    QTest::newRow("percent") << u"0.9%"_qs << QStringList{u"0.9%氯化钠注射液"_qs};
    QTest::newRow("underscore") << u"_"_qs << QStringList{u"维生素B_12"_qs};
    QTest::newRow("percent alone is no wildcard") << u"%"_qs << QStringList{u"0.9%氯化钠注射液"_qs};
    QTest::newRow("upper case finds lower") << u"LHN"_qs << QStringList{u"0.9%氯化钠注射液"_qs};
    QTest::newRow("keypad digits") << u"324757"_qs << QStringList{u"0.9%氯化钠注射液"_qs};
    QTest::newRow("brackets as typed") << u"[烊"_qs << QStringList{u"鹿角胶{烊化}"_qs};
}

void TestCatalogueEditor::searchTakesTheTextLiterally()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, names);
    // A category of their own, so the seed rows do not answer.
    const QString category = u"西成药·外用"_qs;
    QVERIFY(m_catalogue->clear(category).ok);
    stored(u"O'Connor氏液"_qs, category);
    stored(u"0.9%氯化钠注射液"_qs, category, u"250ml×1瓶"_qs);
    stored(u"维生素B_12"_qs, category);
    stored(u"维生素B12"_qs, category);
    stored(u"鹿角胶[烊化]"_qs, category);
    QCOMPARE(namesIn(category, typed), names);
}

void TestCatalogueEditor::searchFindsEveryReading()
{
    const QString category = u"中药"_qs;
    stored(u"重楼"_qs, category, u"10"_qs);
    // Stored under "zl"; found as "cl" too, the other common reading of 重.
    QVERIFY(namesIn(category, u"cl"_qs).contains(u"重楼"_qs));
    QVERIFY(namesIn(category, u"zl"_qs).contains(u"重楼"_qs));
    QCOMPARE(namesIn(u"西成药·"_qs, u"cl"_qs).contains(u"重楼"_qs), false);
}

void TestCatalogueEditor::clearingTakesExactlyThePrefix_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("removed");
    QTest::newRow("one subcategory") << u"西成药·抗生素"_qs << 67;
    QTest::newRow("all Western") << u"西成药·"_qs << 480;
    QTest::newRow("herbs") << u"中药"_qs << 304;
    QTest::newRow("usage terms") << u"用法"_qs << 10;
}

void TestCatalogueEditor::clearingTakesExactlyThePrefix()
{
    QFETCH(QString, prefix);
    QFETCH(int, removed);
    Database &db = m_file->database();
    const QStringList before = column(db, u"select 分类 || count(*) from 商品 group by 分类 order by 分类"_qs);
    QVERIFY(m_catalogue->clear(prefix).ok);
    QCOMPARE(db.rowsAffected(), removed);
    QCOMPARE(count(db, u"select count(*) from 商品 where 分类 like ? || '%'"_qs, {prefix}), 0);
    QStringList untouched;
    for (const QString &group : before) {
        if (!group.startsWith(prefix))
            untouched.append(group);
    }
    QCOMPARE(column(db, u"select 分类 || count(*) from 商品 group by 分类 order by 分类"_qs), untouched);
}

void TestCatalogueEditor::unreadableCatalogueListsNothing()
{
    QVERIFY(!m_catalogue->find(u"西成药·"_qs, u"lhn"_qs).isEmpty());
    // The next reload fails: the search answers with no rows, and does not keep reloading.
    QVERIFY(m_file->database().exec(u"alter table \"商品\" rename to \"商品旧\""_qs).ok);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(m_catalogue->find(u"西成药·"_qs, u"lhn"_qs).size(), 0);
    QCOMPARE(m_catalogue->find(u"西成药·"_qs, QString()).size(), 0);
    QVERIFY(timer.elapsed() < 5000);
}

QTEST_GUILESS_MAIN(TestCatalogueEditor)
#include "tst_catalogueeditor.moc"
