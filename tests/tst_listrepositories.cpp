#include "testdatabase.h"

#include <QTest>

#include "data/cataloguerepository.h"
#include "data/patientrepository.h"
#include "data/picklistrepository.h"
#include "data/tables.h"
#include "data/templaterepository.h"
#include "data/wordlistrepository.h"

// What the template and word-list repositories store beyond plain column copies: keys that never
// collide, and derived search keys that never make a row unstorable. And the order in which every
// list of names reaches a window or an export.
class TestListRepositories : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void newTemplateKey_data();
    void newTemplateKey();
    void searchKeysFitTheirColumn_data();
    void searchKeysFitTheirColumn();
    void listsInPinyinOrder_data();
    void listsInPinyinOrder();

private:
    TestDatabase *m_file = nullptr;
};

void TestListRepositories::init()
{
    m_file = new TestDatabase;
}

void TestListRepositories::cleanup()
{
    delete m_file;
}

void TestListRepositories::newTemplateKey_data()
{
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<bool>("kept");
    QTest::newRow("free key kept") << u"20300101080000"_qs << true;
    QTest::newRow("key of a stored template") << u"<桂枝汤>"_qs << false;
    QTest::newRow("no key") << QString() << false;
}

void TestListRepositories::newTemplateKey()
{
    QFETCH(QString, proposed);
    QFETCH(bool, kept);
    Database &db = m_file->database();
    // Another computer stored a template under the key handed out meanwhile.
    if (proposed == u"<桂枝汤>"_qs)
        proposed = column(db, u"select 序号 from 个人模板 where 名称 = '桂枝汤'"_qs).value(0);
    TemplateRepository templates(db);
    TemplateRepository::Template entry{proposed, u"新组套"_qs, u"内容"_qs, u"xzt"_qs, u"个人组套"_qs, u"005"_qs};
    QVERIFY(templates.add(entry).ok);
    QCOMPARE(entry.key == proposed, kept);
    QCOMPARE(entry.key.size(), 14);
    QCOMPARE(count(db, u"select count(*) from 个人模板 where 序号 = ?"_qs, {entry.key}), 1);
    QCOMPARE(column(db, u"select 名称 from 个人模板 where 序号 = ?"_qs, {entry.key}), QStringList{u"新组套"_qs});
    // A second new template within the same second gets a key of its own.
    TemplateRepository::Template second{entry.key, u"又一组套"_qs, QString(), u"yyzt"_qs, u"个人组套"_qs, u"006"_qs};
    QVERIFY(templates.add(second).ok);
    QVERIFY(second.key != entry.key);
    QCOMPARE(count(db, u"select count(*) from 个人模板 where 序号 = ?"_qs, {entry.key}), 1);
}

void TestListRepositories::searchKeysFitTheirColumn_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("initials");
    QTest::addColumn<QString>("digits");
    QTest::newRow("short") << u"胃痛"_qs << u"wt"_qs << u"65"_qs;
    QTest::newRow("name and initials longer than the key") << QString(30, QChar(0x75DB)) << QString(30, u't') << QString(30, u'5');
    QTest::newRow("name as long as its column") << QString(50, QChar(0x75DB)) << QString(50, u't') << QString(50, u'5');
}

void TestListRepositories::searchKeysFitTheirColumn()
{
    QFETCH(QString, name);
    QFETCH(QString, initials);
    QFETCH(QString, digits);
    Database &db = m_file->database();
    TemplateRepository templates(db);
    TemplateRepository::Template entry{QString(), name, QString(), initials, u"病历模板"_qs, u"007"_qs};
    const WriteResult addedTemplate = templates.add(entry);
    QVERIFY2(addedTemplate.ok, qPrintable(addedTemplate.fullText()));
    QCOMPARE(column(db, u"select 名称 || '|' || 拼音 from 个人模板 where 序号 = ?"_qs, {entry.key}),
             QStringList{name + u'|' + initials});
    const QString query = column(db, u"select 查询 from 个人模板 where 序号 = ?"_qs, {entry.key}).value(0);
    QCOMPARE(query, (name + initials + digits).left(50));

    WordListRepository diagnoses(db, Tables::diagnoses());
    const WriteResult addedWord = diagnoses.add(name, initials);
    QVERIFY2(addedWord.ok, qPrintable(addedWord.fullText()));
    QCOMPARE(column(db, u"select 序号 from 诊断 where 名称 = ?"_qs, {name}), QStringList{(name + initials).left(50)});
    // Still found by what the user types.
    QVERIFY(diagnoses.findNames(initials.left(2)).contains(name));
}

namespace {

// Stored in an order that is neither pinyin nor code point order; listed in pinyin order, the
// letters blind to case, equal names in the order they were stored.
const QStringList StoredNames = {u"三七粉"_qs, u"维生素b2"_qs, u"丁香"_qs, u"Vc泡腾片"_qs, u"桑叶"_qs, u"阿莫西林"_qs,
                                 u"三棱"_qs,   u"维生素B1"_qs, u"甘草"_qs, u"八角"_qs,     u"10%葡萄糖"_qs};
const QStringList PinyinOrder = {u"10%葡萄糖"_qs, u"Vc泡腾片"_qs, u"阿莫西林"_qs, u"八角"_qs, u"丁香"_qs,    u"甘草"_qs,
                                 u"三棱"_qs,      u"三七粉"_qs,   u"桑叶"_qs,     u"维生素B1"_qs, u"维生素b2"_qs};

} // namespace

void TestListRepositories::listsInPinyinOrder_data()
{
    QTest::addColumn<QString>("list");
    QTest::newRow("catalogue window") << u"catalogue"_qs;
    QTest::newRow("catalogue export") << u"export"_qs;
    QTest::newRow("drug pick list") << u"pick"_qs;
    QTest::newRow("templates within one order number") << u"templates"_qs;
    QTest::newRow("earlier patients") << u"patients"_qs;
}

void TestListRepositories::listsInPinyinOrder()
{
    QFETCH(QString, list);
    Database &db = m_file->database();
    const QString category = u"排序测试"_qs;
    QStringList names;
    if (list == u"templates"_qs) {
        TemplateRepository templates(db);
        // The order number the user gave comes first, whatever the name.
        TemplateRepository::Template first{QString(), u"紫苏饮"_qs, QString(), u"zsy"_qs, category, u"000"_qs};
        QVERIFY(templates.add(first).ok);
        for (const QString &name : StoredNames) {
            TemplateRepository::Template entry{QString(), name, QString(), QString(), category, u"001"_qs};
            QVERIFY(templates.add(entry).ok);
        }
        for (const TemplateRepository::Template &entry : templates.list(category))
            names << entry.name;
        QCOMPARE(names, QStringList{u"紫苏饮"_qs} + PinyinOrder);
        return;
    }
    if (list == u"patients"_qs) {
        PatientRepository patients(db);
        for (const QString &name : StoredNames) {
            PatientRepository::Patient patient;
            patient.key = name + u"cs1980"_qs;
            patient.name = name;
            patient.birthYear = u"1980"_qs;
            QVERIFY(patients.save(patient).ok);
        }
        // Found by the birth year every stored key ends with.
        for (const PatientRepository::Match &match : patients.find(u"cs1980"_qs))
            names << match.name;
        QCOMPARE(names, PinyinOrder);
        return;
    }
    CatalogueRepository catalogue(db);
    for (const QString &name : StoredNames) {
        CatalogueRepository::Entry entry{QString(), name, u"1"_qs, u"盒"_qs, u"1.000"_qs, QString(), QString(), category, QString(), name};
        QVERIFY(catalogue.add(entry).ok);
    }
    if (list == u"catalogue"_qs) {
        for (const CatalogueRepository::Entry &entry : catalogue.find(category, QString()))
            names << entry.name;
    } else if (list == u"export"_qs) {
        const std::optional<QList<CatalogueRepository::Entry>> entries = catalogue.list(category);
        QVERIFY(entries);
        for (const CatalogueRepository::Entry &entry : *entries)
            names << entry.name;
    } else {
        PickListRepository pick(db);
        for (const PickListRepository::Entry &entry : pick.findInCategory(category, QString()))
            names << entry.name;
    }
    QCOMPARE(names, PinyinOrder);
}

QTEST_GUILESS_MAIN(TestListRepositories)
#include "tst_listrepositories.moc"
