#include "testdatabase.h"
#include "unprivileged.h"

#include <QFileInfo>

#include "app/exitbackup.h"
#include "data/databasefilecheck.h"

// The weekday copies taken when the program closes.
class TestExitBackup : public QObject
{
    Q_OBJECT

private slots:
    void weekdayFolder_data();
    void weekdayFolder();
    void copiesLandAndAreReplaced();
    void copyIsConsistentWhileAnotherConnectionWrites();
    void missingStatisticsLeavesOnlyTheMainCopy();
    void damagedFileNeverReplacesAGoodPair_data();
    void damagedFileNeverReplacesAGoodPair();
    void unwritableBackupFolderIsReported();
};

namespace {

int countRows(const QString &path, const QString &table)
{
    Database db(path);
    return count(db, u"select count(*) from \"%1\""_qs.arg(table));
}

} // namespace

void TestExitBackup::weekdayFolder_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("folder");
    QTest::newRow("Sunday") << QDate(2026, 12, 6) << u" 星期日"_qs;
    QTest::newRow("Monday") << QDate(2026, 12, 7) << u" 星期一"_qs;
    QTest::newRow("Tuesday") << QDate(2026, 12, 8) << u" 星期二"_qs;
    QTest::newRow("Wednesday") << QDate(2026, 12, 9) << u" 星期三"_qs;
    QTest::newRow("Thursday") << QDate(2026, 12, 10) << u" 星期四"_qs;
    QTest::newRow("Friday") << QDate(2026, 12, 11) << u" 星期五"_qs;
    QTest::newRow("Saturday") << QDate(2026, 12, 12) << u" 星期六"_qs;
}

void TestExitBackup::weekdayFolder()
{
    QFETCH(QDate, date);
    QFETCH(QString, folder);
    QCOMPARE(ExitBackup::weekdayFolderName(date), folder);
}

void TestExitBackup::copiesLandAndAreReplaced()
{
    TestDatabase main(DatabaseKind::Main);
    TestDatabase stats(DatabaseKind::Stats);
    QTemporaryDir backupRoot;
    const QDate sunday(2026, 12, 6);
    QVERIFY(ExitBackup::run(main.path(), stats.path(), backupRoot.path(), sunday).isEmpty());
    const QString day = backupRoot.filePath(u" 星期日"_qs);
    QCOMPARE(QDir(day).entryList(QDir::Files | QDir::Hidden), (QStringList{u"数据库.dat"_qs, u"药物统计.dat"_qs}));
    QCOMPARE(DatabaseFileCheck::check(day + u"/数据库.dat"_qs, DatabaseKind::Main), DatabaseFileCheck::Verdict::Ours);
    QCOMPARE(DatabaseFileCheck::check(day + u"/药物统计.dat"_qs, DatabaseKind::Stats), DatabaseFileCheck::Verdict::Ours);
    QCOMPARE(countRows(day + u"/数据库.dat"_qs, u"诊断"_qs), 88);

    QVERIFY(main.database().exec(u"delete from 诊断 where rowid > 80"_qs).ok);
    QVERIFY(ExitBackup::run(main.path(), stats.path(), backupRoot.path(), sunday).isEmpty());
    QCOMPARE(countRows(day + u"/数据库.dat"_qs, u"诊断"_qs), 80);
    QCOMPARE(QDir(day).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestExitBackup::copyIsConsistentWhileAnotherConnectionWrites()
{
    TestDatabase main(DatabaseKind::Main);
    TestDatabase stats(DatabaseKind::Stats);
    QTemporaryDir backupRoot;
    Database &writer = stats.database();
    QVERIFY(writer.exec(u"BEGIN"_qs).ok);
    for (int i = 0; i < 500; ++i)
        QVERIFY(writer.exec(u"insert into 统计 (\"ID号\", 名称) values ('ABCD20261209103015', '阿莫西林胶囊')"_qs).ok);

    const QDate wednesday(2026, 12, 9);
    const QStringList failures = ExitBackup::run(main.path(), stats.path(), backupRoot.path(), wednesday);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
    const QString copy = backupRoot.filePath(u" 星期三/药物统计.dat"_qs);
    // The copy is a whole database holding what was committed, not the open transaction's rows.
    QCOMPARE(countRows(copy, u"统计"_qs), 0);
    Database check(copy);
    QCOMPARE(column(check, u"pragma integrity_check"_qs), QStringList{u"ok"_qs});
    QVERIFY(writer.exec(u"COMMIT"_qs).ok);
}

void TestExitBackup::missingStatisticsLeavesOnlyTheMainCopy()
{
    TestDatabase main(DatabaseKind::Main);
    QTemporaryDir backupRoot;
    const QDate monday(2026, 12, 7);
    const QStringList failures =
        ExitBackup::run(main.path(), main.folder() + u"/用药统计.dat"_qs, backupRoot.path() + u"/电子处方数据库备份"_qs, monday);
    QVERIFY(failures.isEmpty());
    QCOMPARE(QDir(backupRoot.filePath(u"电子处方数据库备份/ 星期一"_qs)).entryList(QDir::Files), QStringList{u"数据库.dat"_qs});
}

void TestExitBackup::damagedFileNeverReplacesAGoodPair_data()
{
    QTest::addColumn<bool>("damageMain");
    QTest::newRow("damaged main database") << true;
    QTest::newRow("damaged statistics database") << false;
}

void TestExitBackup::damagedFileNeverReplacesAGoodPair()
{
    QFETCH(bool, damageMain);
    TestDatabase main(DatabaseKind::Main);
    TestDatabase stats(DatabaseKind::Stats);
    QTemporaryDir backupRoot;
    const QDate thursday(2026, 12, 10);
    QVERIFY(ExitBackup::run(main.path(), stats.path(), backupRoot.path(), thursday).isEmpty());
    const QString day = backupRoot.filePath(u" 星期四"_qs);
    const QByteArray goodMain = readTestFile(day + u"/数据库.dat"_qs);
    const QByteArray goodStats = readTestFile(day + u"/药物统计.dat"_qs);

    // Both files change; then one of them gets a damaged page.
    QVERIFY(main.database().exec(u"delete from 诊断"_qs).ok);
    QVERIFY(stats.database().exec(u"insert into 统计 (\"ID号\") values ('X')"_qs).ok);
    QVERIFY(damageMain ? damageTablePage(main.path(), u"商品"_qs) : damageTablePage(stats.path(), u"统计"_qs));

    const QStringList failures = ExitBackup::run(main.path(), stats.path(), backupRoot.path(), thursday);
    QVERIFY(!failures.isEmpty());
    QVERIFY2(failures.join(u'\n').contains(u"损坏"_qs), qPrintable(failures.join(u'\n')));
    // The last good pair stays, both files of it, and no temporary file is left.
    QCOMPARE(readTestFile(day + u"/数据库.dat"_qs), goodMain);
    QCOMPARE(readTestFile(day + u"/药物统计.dat"_qs), goodStats);
    QCOMPARE(QDir(day).entryList(QDir::Files | QDir::Hidden), (QStringList{u"数据库.dat"_qs, u"药物统计.dat"_qs}));
}

void TestExitBackup::unwritableBackupFolderIsReported()
{
    if (rerunUnprivileged())
        return;
    TestDatabase main(DatabaseKind::Main);
    QTemporaryDir backupRoot;
    const QDate friday(2026, 12, 11);
    QVERIFY(QDir(backupRoot.path()).mkdir(u" 星期五"_qs));
    QVERIFY(QFile::setPermissions(backupRoot.filePath(u" 星期五"_qs), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const QStringList failures = ExitBackup::run(main.path(), main.folder() + u"/用药统计.dat"_qs, backupRoot.path(), friday);
    QVERIFY(!failures.isEmpty());
    QVERIFY(QFile::setPermissions(backupRoot.filePath(u" 星期五"_qs), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}

QTEST_GUILESS_MAIN(TestExitBackup)
#include "tst_exitbackup.moc"
