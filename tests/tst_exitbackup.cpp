#include "testdatabase.h"
#include "unprivileged.h"

#include <QFileInfo>

#include "app/exitbackup.h"
#include "data/databasebackup.h"
#include "data/databasefilecheck.h"
#include "data/databaserepair.h"

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
    void writesElsewhereGoOnDuringTheCopy();
    void indexDamageKeepsTheBackupAndIsRepaired();
};

namespace {

int countRows(const QString &path, const QString &table)
{
    Database db(path);
    return count(db, u"select count(*) from \"%1\""_qs.arg(table));
}

// Changes the last byte of one key in the first page of an index of a closed file, as a flipped
// bit on disk would: the page stays well formed (quick_check passes) but the key no longer
// matches its row.
bool damageIndexKey(const QString &path, const QString &index, const QByteArray &key)
{
    qint64 page = 0;
    qint64 pageSize = 0;
    {
        Database db(path);
        const QStringList root = column(db, u"select rootpage from sqlite_master where name = ?"_qs, {index});
        page = root.value(0).toLongLong();
        pageSize = column(db, u"pragma page_size"_qs).value(0).toLongLong();
    }
    QFile file(path);
    if (page < 2 || !file.open(QIODevice::ReadWrite) || !file.seek((page - 1) * pageSize))
        return false;
    QByteArray content = file.read(pageSize);
    const qsizetype at = content.indexOf(key);
    if (at < 0 || content.indexOf(key, at + 1) >= 0)
        return false;
    content[at + key.size() - 1] = char(content.at(at + key.size() - 1) + 1);
    return file.seek((page - 1) * pageSize) && file.write(content) == content.size();
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

void TestExitBackup::writesElsewhereGoOnDuringTheCopy()
{
    TestDatabase stats(DatabaseKind::Stats);
    // Enough rows for the copy to take several steps.
    QVERIFY(stats.database().exec(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < 8000) "
                                  "insert into 统计 (\"ID号\", 名称) select printf('A%014d', i), printf('药品%040d', i) from n"_qs).ok);
    // Another computer that waits for the file no longer than a tenth of a second.
    Database other(stats.path(), 100);
    int steps = 0;
    int written = 0;
    QTemporaryDir folder;
    const QString copyPath = folder.filePath(u"药物统计.dat"_qs);
    const WriteResult copied = DatabaseBackup::snapshot(stats.path(), copyPath, [&](int done, int total) {
        if (total <= 0)
            return;
        ++steps;
        // Between two steps the file is free: the write goes through at once.
        if (written == 0 && done < total) {
            QVERIFY(other.exec(u"insert into 统计 (\"ID号\", 名称) values ('LATE', '后写入')"_qs).ok);
            ++written;
        }
    });
    QVERIFY2(copied.ok, qPrintable(copied.fullText()));
    QCOMPARE(written, 1);
    QVERIFY(steps > 2);
    // The copy started over after the write, so it holds it, and it is whole.
    Database copy(copyPath);
    QCOMPARE(count(copy, u"select count(*) from 统计 where \"ID号\" = 'LATE'"_qs), 1);
    QCOMPARE(count(copy, u"select count(*) from 统计"_qs), 8001);
    QCOMPARE(column(copy, u"pragma integrity_check"_qs), QStringList{u"ok"_qs});
}

void TestExitBackup::indexDamageKeepsTheBackupAndIsRepaired()
{
    TestDatabase main(DatabaseKind::Main);
    TestDatabase stats(DatabaseKind::Stats);
    for (const QString &name : {u"张三"_qs, u"李四"_qs, u"王小明"_qs})
        QVERIFY(main.database().exec(u"insert into 档案 (序号, \"0\", \"5\") values (?, ?, '2026-12-10')"_qs, {u"ID"_qs + name, name}).ok);
    QTemporaryDir backupRoot;
    const QDate thursday(2026, 12, 10);
    QVERIFY(ExitBackup::run(main.path(), stats.path(), backupRoot.path(), thursday).isEmpty());
    const QString day = backupRoot.filePath(u" 星期四"_qs);
    const QByteArray goodMain = readTestFile(day + u"/数据库.dat"_qs);

    // 王 sorts last, so the changed key keeps its place and the page stays in order.
    QVERIFY(damageIndexKey(main.path(), u"档案_0"_qs, u"王小明"_qs.toUtf8()));
    const auto findByName = [&] {
        Database fresh(main.path());
        return count(fresh, u"select count(*) from 档案 where \"0\" = '王小明'"_qs);
    };
    QCOMPARE(findByName(), 0);
    QCOMPARE(DatabaseFileCheck::quickCheck(main.path()), QString());
    QCOMPARE(DatabaseFileCheck::startupCheck(main.path()), QString());

    const QByteArray damaged = readTestFile(main.path());
    const QStringList failures = ExitBackup::run(main.path(), stats.path(), backupRoot.path(), thursday);
    QVERIFY2(failures.join(u'\n').contains(u"损坏"_qs), qPrintable(failures.join(u'\n')));
    QCOMPARE(readTestFile(day + u"/数据库.dat"_qs), goodMain);
    QCOMPARE(QDir(day).entryList(QDir::Files | QDir::Hidden), (QStringList{u"数据库.dat"_qs, u"药物统计.dat"_qs}));
    QVERIFY(!DatabaseRepair::recordedDamage(main.path()).isEmpty());
    QCOMPARE(DatabaseRepair::recordedDamage(stats.path()), QString());

    QString kept;
    const WriteResult repaired = DatabaseRepair::reindex(main.path(), QDateTime(thursday, QTime(18, 5)), &kept);
    QVERIFY2(repaired.ok, qPrintable(repaired.fullText()));
    QCOMPARE(readTestFile(kept), damaged);
    QCOMPARE(QFileInfo(kept).absolutePath(), QFileInfo(main.path()).absolutePath());
    QCOMPARE(findByName(), 1);
    QCOMPARE(DatabaseRepair::recordedDamage(main.path()), QString());
    QVERIFY(ExitBackup::run(main.path(), stats.path(), backupRoot.path(), thursday).isEmpty());
}

QTEST_GUILESS_MAIN(TestExitBackup)
#include "tst_exitbackup.moc"
