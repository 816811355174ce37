#include "testdatabase.h"

#include <QTest>

#include "data/tables.h"
#include "data/templaterepository.h"
#include "data/wordlistrepository.h"

// What the template and word-list repositories store beyond plain column copies: keys that never
// collide, and derived search keys that never make a row unstorable.
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

QTEST_GUILESS_MAIN(TestListRepositories)
#include "tst_listrepositories.moc"
