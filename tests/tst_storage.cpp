#include "testdatabase.h"
#include "unprivileged.h"

#include <QFile>

#include "data/databasefilecheck.h"
#include "data/likepattern.h"
#include "data/settingsrepository.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"
#include "data/storabletext.h"
#include "data/tables.h"
#include "data/timestampkeygenerator.h"

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
    void likeFindsWhatTheUserTyped_data();
    void likeFindsWhatTheUserTyped();
    void unstorableTextIsCleaned_data();
    void unstorableTextIsCleaned();
    void apostropheAndRefusedWriteThroughRepository();
    void settingsSaveAddsTheMissingRow();
    void nestedTransactionsFormOneUnit();
    void innerFailureRollsBackTheWholeUnit();
    void lockedDatabaseIsReportedInChinese();
    void fullDatabaseIsReportedInChinese();
    void readOnlyFileIsReportedInChinese();
    void missingFileIsNeverCreated();
    void keysNeverCollide();
    void foreignFilesAreNotOurs_data();
    void foreignFilesAreNotOurs();
    void creatorNeverReplaces();

private:
    TestDatabase *m_main = nullptr;
};

void TestStorage::init()
{
    m_main = new TestDatabase(DatabaseKind::Main);
    QVERIFY(m_main->connection().isOpen());
}

void TestStorage::cleanup()
{
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
    Database &db = m_main->database();
    const QString insert = u"insert into \"%1\" (\"%2\") values (?)"_qs.arg(table, field);
    // Characters count, not UTF-16 units: a width of Chinese characters fits.
    QVERIFY(db.exec(insert, {QString(width, u'药')}).ok);
    const WriteResult refused = db.exec(insert, {QString(width + 1, u'药')});
    QVERIFY(!refused.ok);
    QVERIFY2(refused.message.contains(field) && refused.message.contains(QString::number(width)), qPrintable(refused.message));

    // A row description refuses the same text before the database sees it, by the caption given.
    const TableDefinition *definition = nullptr;
    for (const TableDefinition *candidate : Tables::of(DatabaseKind::Main)) {
        if (candidate->name() == table)
            definition = candidate;
    }
    QVERIFY(definition);
    QCOMPARE(definition->width(field), width);
    SqlRow row(*definition);
    row.set(field, QString(width + 1, u'x'));
    const WriteResult early = row.checkWidths([](const QString &) { return u"病历上边距"_qs; });
    QVERIFY(!early.ok);
    QVERIFY2(early.message.contains(u"病历上边距"_qs), qPrintable(early.message));
    QCOMPARE(db.insert(row).ok, false);
}

void TestStorage::textComparisonIgnoresLetterCase()
{
    Database &db = m_main->database();
    QCOMPARE(count(db, u"select count(*) from 商品 where 名称 = ?"_qs, {u"0.9%氯化钠注射液"_qs}), 1);
    QCOMPARE(count(db, u"select count(*) from 商品 where 拼音 = ?"_qs, {u"09LHNZSY"_qs}), 1);
    const QStringList lower = column(db, u"select 名称 from 商品 where 查询 like ? order by 名称"_qs, {u"%09lhnzsy%"_qs});
    QVERIFY(lower.contains(u"0.9%氯化钠注射液"_qs));
    QCOMPARE(column(db, u"select 名称 from 商品 where 查询 like ? order by 名称"_qs, {u"%09LHNZSY%"_qs}), lower);
    for (const QString &name : {u"b"_qs, u"A"_qs, u"C"_qs})
        QVERIFY(db.exec(u"insert into 地址 (名称) values (?)"_qs, {name}).ok);
    QCOMPARE(column(db, u"select 名称 from 地址 where 名称 in ('b', 'A', 'C') order by 名称"_qs),
             (QStringList{u"A"_qs, u"b"_qs, u"C"_qs}));
    // Template order values sort as text: "010" before "9".
    for (const QString &order : {u"9"_qs, u"010"_qs})
        QVERIFY(db.exec(u"insert into 个人模板 (名称, 分类, 排序) values (?, '测试', ?)"_qs, {order, order}).ok);
    QCOMPARE(column(db, u"select 名称 from 个人模板 where 分类 = '测试' order by 排序"_qs), (QStringList{u"010"_qs, u"9"_qs}));
}

void TestStorage::dateRangeIncludesBothEnds()
{
    Database &db = m_main->database();
    for (const QString &date : {u"2026-11-30"_qs, u"2026-12-01"_qs, u"2026-12-09"_qs, u"2026-12-10"_qs})
        QVERIFY(db.exec(u"insert into 档案 (序号, \"5\") values (?, ?)"_qs, {date, date}).ok);
    QCOMPARE(column(db, u"select \"5\" from 档案 where \"5\" between ? and ? order by \"5\""_qs, {u"2026-12-01"_qs, u"2026-12-09"_qs}),
             (QStringList{u"2026-12-01"_qs, u"2026-12-09"_qs}));
    // A time of day is no date: the file refuses it, and so does every write of the program on
    // either engine (the server's date type would quietly drop the time).
    if (!testsOnServer()) {
        const WriteResult refused = db.exec(u"insert into 档案 (\"5\") values (?)"_qs, {u"2026-12-09 10:00"_qs});
        QVERIFY(!refused.ok);
        QVERIFY2(refused.message.contains(u"日期"_qs), qPrintable(refused.message));
    }
    for (const QString &notADate : {u"2026-12-09 10:00"_qs, u"2026-2-30"_qs, u"20261209"_qs, u"12/09/2026"_qs}) {
        const WriteResult refused = db.insert(SqlRow(Tables::archive()).set(u"5"_qs, notADate));
        QVERIFY2(!refused.ok, qPrintable(notADate));
        QVERIFY2(refused.message.contains(u"日期"_qs), qPrintable(refused.message));
    }
    QCOMPARE(count(db, u"select count(*) from 档案"_qs), 4);
}

void TestStorage::likeFindsWhatTheUserTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("percent sign") << u"0.9%"_qs << QStringList{u"0.9%氯化钠"_qs};
    QTest::newRow("underscore") << u"a_b"_qs << QStringList{u"a_b"_qs};
    QTest::newRow("apostrophe") << u"O'N"_qs << QStringList{u"O'Neil"_qs};
    QTest::newRow("backslash") << u"c\\d"_qs << QStringList{u"c\\d"_qs};
    QTest::newRow("plain text, any letter case") << u"o'neil"_qs << QStringList{u"O'Neil"_qs};
}

void TestStorage::likeFindsWhatTheUserTyped()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, found);
    Database &db = m_main->database();
    for (const QString &name : {u"0.9%氯化钠"_qs, u"0.95氯化钠"_qs, u"a_b"_qs, u"axb"_qs, u"O'Neil"_qs, u"c\\d"_qs})
        QVERIFY(db.exec(u"insert into 地址 (名称, 序号) values (?, ?)"_qs, {name, name}).ok);
    QCOMPARE(column(db, u"select 名称 from 地址 where 序号 like ? escape '\\' order by 名称"_qs, {containsPattern(typed)}), found);
}

void TestStorage::unstorableTextIsCleaned_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("clean text unchanged") << u"李明"_qs << u"李明"_qs;
    QTest::newRow("embedded NUL removed") << u"ab"_qs + QChar(0) + u"cd"_qs << u"abcd"_qs;
    QTest::newRow("lone high surrogate removed") << u"甲"_qs + QChar(0xD83D) + u"乙"_qs << u"甲乙"_qs;
    QTest::newRow("lone low surrogate removed") << QString(QChar(0xDE00)) + u"丙"_qs << u"丙"_qs;
    QTest::newRow("pair kept") << u"\U0001F600药"_qs << u"\U0001F600药"_qs;
    QTest::newRow("reversed pair removed") << QString(QChar(0xDE00)) + QChar(0xD83D) << QString(u""_qs);
}

void TestStorage::unstorableTextIsCleaned()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QCOMPARE(storableText(typed), stored);
    Database &db = m_main->database();
    QVERIFY(db.insert(SqlRow(Tables::addresses()).set(u"名称"_qs, typed).set(u"序号"_qs, u"key"_qs)).ok);
    QCOMPARE(column(db, u"select 名称 from 地址 where 序号 = 'key'"_qs), QStringList{stored});
    // A width check sees every character the database will store.
    QCOMPARE(column(db, u"select length(名称) from 地址 where 序号 = 'key'"_qs), QStringList{QString::number(stored.toUcs4().size())});
}

void TestStorage::apostropheAndRefusedWriteThroughRepository()
{
    SettingsRepository settings(m_main->database());
    QVERIFY(settings.save({{u"单位名称"_qs, u"O'Neil 诊所"_qs}}).ok);
    QCOMPARE(settings.load()->value(u"单位名称"_qs), u"O'Neil 诊所"_qs);

    const WriteResult refused = settings.save({{u"单位名称"_qs, u"新名称"_qs}, {u"费别"_qs, QString(11, u'x')}});
    QVERIFY(!refused.ok);
    QVERIFY2(refused.message.contains(u"费别"_qs), qPrintable(refused.message));
    QCOMPARE(settings.load()->value(u"单位名称"_qs), u"O'Neil 诊所"_qs);
    QCOMPARE(count(m_main->database(), u"select count(*) from 设置"_qs), 1);
}

void TestStorage::settingsSaveAddsTheMissingRow()
{
    Database &db = m_main->database();
    QVERIFY(db.exec(u"delete from 设置"_qs).ok);
    SettingsRepository settings(db);
    QVERIFY(!settings.load());
    QVERIFY(!settings.password());
    QVERIFY(settings.save({{u"医师"_qs, u"赵医生"_qs}}).ok);
    QCOMPARE(count(db, u"select count(*) from 设置"_qs), 1);
    QCOMPARE(settings.load()->value(u"医师"_qs), u"赵医生"_qs);
    // A row without a password holds no password: nothing to log in with.
    QVERIFY(!settings.password());
}

void TestStorage::nestedTransactionsFormOneUnit()
{
    Database &db = m_main->database();
    SqlTransaction outer(db);
    QVERIFY(outer.isActive());
    QVERIFY(db.exec(u"insert into 地址 (名称) values ('外层')"_qs).ok);
    {
        // What a repository does inside a save: its own guard joins the unit.
        SqlTransaction inner(db);
        QVERIFY(inner.isActive());
        QVERIFY(db.exec(u"insert into 地址 (名称) values ('内层')"_qs).ok);
        QVERIFY(inner.commit().ok);
    }
    const WriteResult committed = outer.commit();
    QVERIFY2(committed.ok, qPrintable(committed.message));
    TestDatabase &file = *m_main;
    Database other(file.location());
    QCOMPARE(count(other, u"select count(*) from 地址 where 名称 in ('外层', '内层')"_qs), 2);
}

void TestStorage::innerFailureRollsBackTheWholeUnit()
{
    Database &db = m_main->database();
    {
        SqlTransaction outer(db);
        QVERIFY(db.exec(u"insert into 地址 (名称) values ('外层')"_qs).ok);
        {
            SqlTransaction inner(db);
            QVERIFY(db.exec(u"insert into 地址 (名称) values ('内层')"_qs).ok);
            // A refused write: the inner guard ends without commit.
            QVERIFY(!db.exec(u"insert into 地址 (名称) values (?)"_qs, {QString(51, u'x')}).ok);
        }
        const WriteResult committed = outer.commit();
        QVERIFY(!committed.ok);
        QVERIFY2(committed.message.contains(u"撤消"_qs), qPrintable(committed.message));
    }
    QCOMPARE(count(db, u"select count(*) from 地址 where 名称 in ('外层', '内层')"_qs), 0);
    // The next unit starts afresh.
    SqlTransaction next(db);
    QVERIFY(db.exec(u"insert into 地址 (名称) values ('下一次')"_qs).ok);
    QVERIFY(next.commit().ok);
    QCOMPARE(count(db, u"select count(*) from 地址 where 名称 = '下一次'"_qs), 1);
}

void TestStorage::lockedDatabaseIsReportedInChinese()
{
    // Another computer is in the middle of a long write.
    Database other(m_main->location());
    std::optional<SqlTransaction> held;
    if (testsOnServer())
        held.emplace(other);
    else
        QVERIFY(other.exec(u"BEGIN EXCLUSIVE"_qs).ok);
    Database mine(m_main->location(), 100);
    {
        SqlTransaction transaction(mine);
        QVERIFY(!transaction.isActive());
        QVERIFY2(transaction.begun().message.contains(u"其他电脑"_qs), qPrintable(transaction.begun().message));
        QVERIFY(!transaction.commit().ok);
    }
    // A single write waits for the lock as a unit does.
    const WriteResult single = mine.exec(u"insert into 地址 (名称) values ('等待')"_qs);
    QVERIFY(!single.ok);
    QVERIFY2(single.message.contains(u"其他电脑"_qs), qPrintable(single.message));
    if (testsOnServer()) {
        // The server lets everyone read while another computer writes.
        QVERIFY(mine.select(u"select count(*) from 商品"_qs).isActive());
        held.reset();
    } else {
        QVERIFY(!mine.select(u"select count(*) from 商品"_qs).isActive());
        QVERIFY(mine.readWasBusy());
        QVERIFY(other.exec(u"ROLLBACK"_qs).ok);
    }
    QVERIFY(mine.exec(u"insert into 地址 (名称) values ('之后')"_qs).ok);
}

void TestStorage::fullDatabaseIsReportedInChinese()
{
    if (testsOnServer())
        QSKIP("about a SQLite file filling up; the server's disk is its own");
    Database &db = m_main->database();
    const int pages = count(db, u"pragma page_count"_qs);
    QVERIFY(pages > 0);
    db.select(u"pragma max_page_count = %1"_qs.arg(pages));
    WriteResult result;
    for (int i = 0; i < 2000 && result.ok; ++i)
        result = db.exec(u"insert into 档案 (T1) values (?)"_qs, {QString(2000, u'x')});
    QVERIFY(!result.ok);
    QVERIFY2(result.message.contains(u"磁盘已满"_qs), qPrintable(result.message));
    QVERIFY2(result.detail.contains(u"full"_qs), qPrintable(result.detail));
}

void TestStorage::readOnlyFileIsReportedInChinese()
{
    if (testsOnServer())
        QSKIP("about the permissions of a SQLite file");
    if (rerunUnprivileged())
        return;
    TestDatabase file;
    QVERIFY(QFile::setPermissions(file.path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    Database db(file.location());
    const WriteResult refused = db.exec(u"insert into 地址 (名称) values ('新')"_qs);
    QVERIFY(!refused.ok);
    QVERIFY2(refused.message.contains(u"只读"_qs) || refused.message.contains(u"权限"_qs), qPrintable(refused.message));
    QCOMPARE(DatabaseFileCheck::check(file.path(), DatabaseKind::Main), DatabaseFileCheck::Verdict::NoPermission);
}

void TestStorage::missingFileIsNeverCreated()
{
    const QString missing = m_main->folder() + u"/缺少.dat"_qs;
    Database db(missing);
    QVERIFY(!db.connection().isOpen());
    QVERIFY2(db.lastError().contains(u"找不到"_qs), qPrintable(db.lastError()));
    QVERIFY(!db.exec(u"create table t (a)"_qs).ok);
    QVERIFY(!db.select(u"select 1"_qs).isActive());
    QVERIFY(!QFileInfo::exists(missing));
}

void TestStorage::keysNeverCollide()
{
    const QDateTime now(QDate(2026, 12, 9), QTime(10, 30, 15, 600));
    Database &db = m_main->database();
    QVERIFY(db.exec(u"insert into 个人模板 (序号) values ('20261209103015')"_qs).ok);
    TimestampKeyGenerator keys(db);
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
    QVERIFY(writeTestFile(path, content));
    if (sqlite) {
        Database other(path);
        QVERIFY(other.exec(u"create table accounts (id integer)"_qs).ok);
    }
    const QByteArray original = readTestFile(path);

    QCOMPARE(DatabaseFileCheck::check(path, DatabaseKind::Main), DatabaseFileCheck::Verdict::NotOurs);
    QVERIFY(!DatabaseCreator().create(path, DatabaseKind::Main).ok);
    QCOMPARE(readTestFile(path), original);
}

void TestStorage::creatorNeverReplaces()
{
    QCOMPARE(DatabaseFileCheck::check(m_main->location(), DatabaseKind::Main), DatabaseFileCheck::Verdict::Ours);
    QCOMPARE(DatabaseFileCheck::check(m_main->location(), DatabaseKind::Stats), DatabaseFileCheck::Verdict::NotOurs);
    QVERIFY(SettingsRepository(m_main->database()).save({{u"医师"_qs, u"赵医生"_qs}}).ok);
    QVERIFY(!DatabaseCreator().create(m_main->location(), DatabaseKind::Main).ok);
    QCOMPARE(SettingsRepository(m_main->database()).load()->value(u"医师"_qs), u"赵医生"_qs);
    // No temporary files are left beside the database.
    QCOMPARE(QDir(m_main->folder()).entryList(QDir::Files | QDir::Hidden),
             testsOnServer() ? QStringList() : QStringList{u"数据库.dat"_qs});
}

QTEST_GUILESS_MAIN(TestStorage)
#include "tst_storage.moc"
