#include "testdatabase.h"

#include "data/database.h"
#include "data/databasefilecheck.h"
#include "data/settingsrepository.h"
#include "data/timestampkeygenerator.h"

#include <QFile>

// The rules the stored data keeps whoever writes it.
class TestStorage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void widthsAreEnforced_data();
    void widthsAreEnforced();
    void textComparisonIgnoresLetterCase();
    void dateRangeIncludesBothEnds();
    void apostropheAndRefusedWriteThroughRepository();
    void keysNeverCollide();
    void foreignFilesAreNotOurs_data();
    void foreignFilesAreNotOurs();
    void creatorNeverReplaces();

private:
    TestDatabase *m_main = nullptr;
    Database *m_db = nullptr;
};

void TestStorage::init()
{
    m_main = new TestDatabase(DatabaseKind::Main);
    m_db = new Database(m_main->path());
    QVERIFY(m_db->connection().isOpen());
}

void TestStorage::cleanup()
{
    delete m_db;
    delete m_main;
}

void TestStorage::widthsAreEnforced_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("width");
    QTest::newRow("password") << u"设置"_qs << u"密码"_qs << 20;
    QTest::newRow("archive key") << u"档案"_qs << u"序号"_qs << 50;
    QTest::newRow("archive department") << u"档案"_qs << u"3"_qs << 10;
    QTest::newRow("patient age") << u"患者信息"_qs << u"年龄"_qs << 12;
    QTest::newRow("catalogue search key") << u"商品"_qs << u"查询"_qs << 200;
    QTest::newRow("catalogue name") << u"商品"_qs << u"名称"_qs << 100;
    QTest::newRow("template order") << u"个人模板"_qs << u"排序"_qs << 10;
    QTest::newRow("diagnosis") << u"诊断"_qs << u"名称"_qs << 50;
}

void TestStorage::widthsAreEnforced()
{
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(int, width);
    QSqlQuery query(m_db->connection());
    query.prepare(u"insert into \"%1\" (\"%2\") values (?)"_qs.arg(table, field));
    query.addBindValue(QString(width, u'药'));
    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
    query.addBindValue(QString(width + 1, u'药'));
    QVERIFY(!query.exec());
    const WriteResult refused = WriteResult::fromSqlError(query.lastError());
    QVERIFY(!refused.ok);
    QVERIFY2(refused.message.contains(field) && refused.message.contains(QString::number(width)), qPrintable(refused.message));
}

void TestStorage::textComparisonIgnoresLetterCase()
{
    QSqlDatabase db = m_db->connection();
    QCOMPARE(column(db, u"select 名称 from 商品 where 名称 = ?"_qs, {u"0.9%氯化钠注射液"_qs}).size(), 1);
    QCOMPARE(column(db, u"select count(*) from 商品 where 拼音 = ?"_qs, {u"09LHNZSY"_qs}), QStringList{u"1"_qs});
    QCOMPARE(column(db, u"select count(*) from 商品 where 查询 like ?"_qs, {u"%LHNZSY%"_qs}).value(0).toInt() >= 1, true);
    QSqlQuery insert(db);
    for (const QString &name : {u"b"_qs, u"A"_qs, u"C"_qs}) {
        insert.prepare(u"insert into 地址 (名称) values (?)"_qs);
        insert.addBindValue(name);
        QVERIFY(insert.exec());
    }
    QCOMPARE(column(db, u"select 名称 from 地址 where 名称 in ('b', 'A', 'C') order by 名称"_qs),
             (QStringList{u"A"_qs, u"b"_qs, u"C"_qs}));
    // A text field sorts as text: "010" before "9".
    QCOMPARE(column(db, u"select v from (select '9' as v union all select '010') order by v"_qs),
             (QStringList{u"010"_qs, u"9"_qs}));
}

void TestStorage::dateRangeIncludesBothEnds()
{
    QSqlDatabase db = m_db->connection();
    QSqlQuery insert(db);
    for (const QString &date : {u"2026-11-30"_qs, u"2026-12-01"_qs, u"2026-12-09"_qs, u"2026-12-10"_qs}) {
        insert.prepare(u"insert into 档案 (序号, \"5\") values (?, ?)"_qs);
        insert.addBindValue(date);
        insert.addBindValue(date);
        QVERIFY(insert.exec());
    }
    QCOMPARE(column(db, u"select \"5\" from 档案 where \"5\" between ? and ? order by \"5\""_qs,
                    {u"2026-12-01"_qs, u"2026-12-09"_qs}),
             (QStringList{u"2026-12-01"_qs, u"2026-12-09"_qs}));
    insert.prepare(u"insert into 档案 (\"5\") values (?)"_qs);
    insert.addBindValue(u"2026-12-09 10:00"_qs);
    QVERIFY(!insert.exec());
}

void TestStorage::apostropheAndRefusedWriteThroughRepository()
{
    SettingsRepository settings(*m_db);
    QVERIFY(settings.save({{u"单位名称"_qs, u"O'Neil 诊所"_qs}}).ok);
    QCOMPARE(settings.load()->value(u"单位名称"_qs), u"O'Neil 诊所"_qs);

    const WriteResult refused = settings.save({{u"单位名称"_qs, u"新名称"_qs}, {u"费别"_qs, QString(11, u'x')}});
    QVERIFY(!refused.ok);
    QVERIFY(refused.message.contains(u"费别"_qs));
    // One transaction: the refused write changed nothing.
    QCOMPARE(settings.load()->value(u"单位名称"_qs), u"O'Neil 诊所"_qs);
    QCOMPARE(column(m_db->connection(), u"select count(*) from 设置"_qs), QStringList{u"1"_qs});
}

void TestStorage::keysNeverCollide()
{
    const QDateTime now(QDate(2026, 12, 9), QTime(10, 30, 15, 600));
    QSqlQuery insert(m_db->connection());
    insert.prepare(u"insert into 个人模板 (序号) values (?)"_qs);
    insert.addBindValue(u"20261209103015"_qs);
    QVERIFY(insert.exec());

    TimestampKeyGenerator keys(*m_db);
    QCOMPARE(keys.next(u"个人模板"_qs, u"序号"_qs, QString(), now), u"20261209103016"_qs);
    // A second key within the same second is not handed out twice, even before it is saved.
    QCOMPARE(keys.next(u"个人模板"_qs, u"序号"_qs, QString(), now), u"20261209103017"_qs);
    // With a prefix, the same second is free again.
    QCOMPARE(keys.next(u"档案"_qs, u"序号"_qs, u"ABCD"_qs, now), u"ABCD20261209103015"_qs);
}

void TestStorage::foreignFilesAreNotOurs_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("sqlite");
    QTest::newRow("text file") << QByteArray("患者名单\r\n张三\r\n") << false;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("damaged database") << QByteArray("SQLite format 3\0", 16) + QByteArray(4000, '\xff') << false;
    QTest::newRow("another program's database") << QByteArray() << true;
}

void TestStorage::foreignFilesAreNotOurs()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, sqlite);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"数据库.dat"_qs);
    if (sqlite) {
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"other"_qs);
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QSqlQuery(other).exec(u"create table accounts (id integer)"_qs);
            other.close();
        }
        QSqlDatabase::removeDatabase(u"other"_qs);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QFile before(path);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray original = before.readAll();
    before.close();

    QCOMPARE(DatabaseFileCheck::check(path, DatabaseKind::Main), DatabaseFileCheck::Verdict::NotOurs);
    QVERIFY(!DatabaseCreator().create(path, DatabaseKind::Main).ok);
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), original);
}

void TestStorage::creatorNeverReplaces()
{
    QCOMPARE(DatabaseFileCheck::check(m_main->path(), DatabaseKind::Main), DatabaseFileCheck::Verdict::Ours);
    QCOMPARE(DatabaseFileCheck::check(m_main->path(), DatabaseKind::Stats), DatabaseFileCheck::Verdict::NotOurs);
    QVERIFY(SettingsRepository(*m_db).save({{u"医师"_qs, u"赵医生"_qs}}).ok);
    QVERIFY(!DatabaseCreator().create(m_main->path(), DatabaseKind::Main).ok);
    QCOMPARE(SettingsRepository(*m_db).load()->value(u"医师"_qs), u"赵医生"_qs);
    // No temporary files are left beside the database.
    QCOMPARE(QDir(m_main->folder()).entryList(QDir::Files | QDir::Hidden), QStringList{u"数据库.dat"_qs});
}

QTEST_GUILESS_MAIN(TestStorage)
#include "tst_storage.moc"
