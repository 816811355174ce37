#include "testdatabase.h"

#include "app/exitbackup.h"
#include "data/databasefilecheck.h"

#include <QFileInfo>

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
};

namespace {

int countRows(const QString &path, const QString &table)
{
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"count"_qs);
        db.setDatabaseName(path);
        if (db.open())
            count = column(db, u"select count(*) from \"%1\""_qs.arg(table)).value(0).toInt();
        db.close();
    }
    QSqlDatabase::removeDatabase(u"count"_qs);
    return count;
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

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"writer"_qs);
        db.setDatabaseName(main.path());
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(u"delete from 诊断 where rowid > 80"_qs));
        db.close();
    }
    QSqlDatabase::removeDatabase(u"writer"_qs);
    QVERIFY(ExitBackup::run(main.path(), stats.path(), backupRoot.path(), sunday).isEmpty());
    QCOMPARE(countRows(day + u"/数据库.dat"_qs, u"诊断"_qs), 80);
    QCOMPARE(QDir(day).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestExitBackup::copyIsConsistentWhileAnotherConnectionWrites()
{
    TestDatabase main(DatabaseKind::Main);
    TestDatabase stats(DatabaseKind::Stats);
    QTemporaryDir backupRoot;
    QSqlDatabase writer = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"busy"_qs);
    writer.setDatabaseName(stats.path());
    QVERIFY(writer.open());
    QVERIFY(writer.transaction());
    QSqlQuery insert(writer);
    for (int i = 0; i < 500; ++i)
        QVERIFY(insert.exec(u"insert into 统计 (ID号, 名称) values ('ABCD20261209103015', '阿莫西林胶囊')"_qs));

    const QDate wednesday(2026, 12, 9);
    const QStringList failures = ExitBackup::run(main.path(), stats.path(), backupRoot.path(), wednesday);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
    const QString copy = backupRoot.filePath(u" 星期三/药物统计.dat"_qs);
    // The copy is a whole database holding what was committed, not the open transaction's rows.
    QCOMPARE(countRows(copy, u"统计"_qs), 0);
    {
        QSqlDatabase check = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"integrity"_qs);
        check.setDatabaseName(copy);
        QVERIFY(check.open());
        QCOMPARE(column(check, u"pragma integrity_check"_qs), QStringList{u"ok"_qs});
        check.close();
    }
    QSqlDatabase::removeDatabase(u"integrity"_qs);
    QVERIFY(writer.commit());
    writer.close();
    writer = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"busy"_qs);
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

QTEST_GUILESS_MAIN(TestExitBackup)
#include "tst_exitbackup.moc"
