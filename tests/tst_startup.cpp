#include "testdatabase.h"
#include "unprivileged.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "app/createfolderpath.h"
#include "app/installationprefix.h"
#include "app/startuproutine.h"
#include "data/database.h"
#include "data/databaserepair.h"
#include "data/settingsrepository.h"

// Start-up on temporary folders standing for drive C:, drive D: and another computer's share.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void createFolderPathKeepsLeadingSpaces();
    void dataFolderChoice_data();
    void dataFolderChoice();
    void firstStartCreatesBothFiles();
    void deletingOnlyStatisticsRecreatesOnlyIt();
    void olderFilesGainTheReportIndexes();
    void damageFoundAtExitIsToldAtNextStart();
    void computerNameFile_data();
    void computerNameFile();
    void remoteShareLackingStatistics();
    void foreignMainFileStopsWithoutTouchingIt();
    void damagedLockedAndForbiddenFiles_data();
    void damagedLockedAndForbiddenFiles();
    void passwordFailsClosed_data();
    void passwordFailsClosed();
    void leftoversOfAnInterruptedStartAreRemoved();
    void unusableDataFolderStops();
    void installationPrefixIsStable();

private:
    DriveLayout drives() const;

    QTemporaryDir *m_root = nullptr;
    bool m_withD = false;
};

void TestStartup::init()
{
    m_root = new QTemporaryDir;
    for (const QString &folder : {u"C"_qs, u"D"_qs, u"net"_qs})
        QDir(m_root->path()).mkdir(folder);
    m_withD = false;
}

void TestStartup::cleanup()
{
    delete m_root;
}

DriveLayout TestStartup::drives() const
{
    DriveLayout layout;
    layout.cRoot = m_root->filePath(u"C"_qs);
    layout.dRoot = m_withD ? m_root->filePath(u"D"_qs) : QString();
    layout.networkRoot = m_root->filePath(u"net"_qs);
    return layout;
}

void TestStartup::createFolderPathKeepsLeadingSpaces()
{
    const QString backup = m_root->filePath(u"C"_qs) + u"\\电子处方数据库备份\\ 星期一"_qs;
    QVERIFY(createFolderPath(backup));
    QVERIFY(QFileInfo(m_root->filePath(u"C/电子处方数据库备份/ 星期一"_qs)).isDir());
    QVERIFY(!QFileInfo::exists(m_root->filePath(u"C/电子处方数据库备份/星期一"_qs)));
    // A path whose folders all exist changes nothing on disk.
    QVERIFY(writeTestFile(m_root->filePath(u"C/电子处方数据库备份/ 星期一/数据库.dat"_qs), "copy"));
    QVERIFY(createFolderPath(backup + u"\\"_qs));
    QCOMPARE(QDir(m_root->filePath(u"C/电子处方数据库备份/ 星期一"_qs)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{u"数据库.dat"_qs});
}

void TestStartup::dataFolderChoice_data()
{
    QTest::addColumn<bool>("withD");
    QTest::addColumn<bool>("dHasEntry");
    QTest::addColumn<bool>("cHasData");
    QTest::addColumn<QString>("expectedDrive");
    QTest::newRow("no drive D:") << false << false << false << u"C"_qs;
    QTest::newRow("empty drive D: counts as absent") << true << false << false << u"C"_qs;
    QTest::newRow("non-empty drive D:") << true << true << false << u"D"_qs;
    QTest::newRow("non-empty D: wins over earlier data on C:") << true << true << true << u"D"_qs;
}

void TestStartup::dataFolderChoice()
{
    QFETCH(bool, withD);
    QFETCH(bool, dHasEntry);
    QFETCH(bool, cHasData);
    QFETCH(QString, expectedDrive);
    if (cHasData)
        QVERIFY(StartupRoutine::run(drives(), QString(), u"TEST"_qs).canRun());
    m_withD = withD;
    if (dHasEntry)
        QDir(m_root->filePath(u"D"_qs)).mkdir(u"照片"_qs);
    const StartupResult result = StartupRoutine::run(drives(), QString(), u"TEST"_qs);
    QVERIFY2(result.canRun(), qPrintable(result.fatalError));
    const QString expected = m_root->filePath(expectedDrive + u"/电子处方数据库"_qs);
    QCOMPARE(result.values.dataFolder, expected);
    QCOMPARE(result.values.mainDataPath, expected + u"/数据库.dat"_qs);
    QCOMPARE(result.values.statsDataPath, expected + u"/用药统计.dat"_qs);
    QVERIFY(result.values.mainDb.contains(result.values.mainDataPath));
    QVERIFY(result.values.statsDb.contains(result.values.statsDataPath));
    QVERIFY(result.notices.isEmpty());
}

void TestStartup::firstStartCreatesBothFiles()
{
    const StartupResult result = StartupRoutine::run(drives(), u"办公室打印机"_qs, u"WXYZ"_qs);
    QVERIFY2(result.canRun(), qPrintable(result.fatalError));
    QCOMPARE(result.values.password, u"905"_qs);
    QCOMPARE(result.values.startupPrinterName, u"办公室打印机"_qs);
    QCOMPARE(result.values.installationPrefix, u"WXYZ"_qs);
    QCOMPARE(QDir(result.values.dataFolder).entryList(QDir::Files | QDir::Hidden),
             (QStringList{u"数据库.dat"_qs, u"用药统计.dat"_qs}));
}

void TestStartup::deletingOnlyStatisticsRecreatesOnlyIt()
{
    StartupResult first = StartupRoutine::run(drives(), QString(), u"TEST"_qs);
    QVERIFY(first.canRun());
    {
        Database main(first.values.mainDataPath);
        QVERIFY(SettingsRepository(main).setPassword(u"Secret"_qs).ok);
    }
    QVERIFY(QFile::remove(first.values.statsDataPath));
    const StartupResult second = StartupRoutine::run(drives(), QString(), u"TEST"_qs);
    QVERIFY(second.canRun());
    QVERIFY(QFileInfo::exists(second.values.statsDataPath));
    QCOMPARE(second.values.password, u"Secret"_qs);
}

void TestStartup::olderFilesGainTheReportIndexes()
{
    const StartupResult first = StartupRoutine::run(drives(), QString(), u"TEST"_qs);
    QVERIFY(first.canRun());
    const QList<QPair<QString, QString>> dropped = {{first.values.mainDataPath, u"档案_5"_qs},
                                                    {first.values.statsDataPath, u"统计_日期"_qs}};
    // The change counters of the lists, too.
    const QList<QPair<QString, QString>> droppedTriggers = {{first.values.mainDataPath, u"患者信息_inserted"_qs},
                                                            {first.values.statsDataPath, u"统计_deleted"_qs}};
    for (const auto &[path, index] : dropped) {
        Database db(path);
        QVERIFY(db.exec(u"drop index \"%1\""_qs.arg(index)).ok);
    }
    for (const auto &[path, trigger] : droppedTriggers) {
        Database db(path);
        QVERIFY(db.exec(u"drop trigger \"%1\""_qs.arg(trigger)).ok);
    }
    QVERIFY(StartupRoutine::run(drives(), QString(), u"TEST"_qs).canRun());
    for (const auto &[path, index] : dropped) {
        Database db(path);
        QCOMPARE(column(db, u"select name from sqlite_master where type = 'index' and name = ?"_qs, {index}), QStringList{index});
    }
    for (const auto &[path, trigger] : droppedTriggers) {
        Database db(path);
        QCOMPARE(column(db, u"select name from sqlite_master where type = 'trigger' and name = ?"_qs, {trigger}), QStringList{trigger});
    }
}

void TestStartup::damageFoundAtExitIsToldAtNextStart()
{
    const StartupResult first = StartupRoutine::run(drives(), QString(), u"TEST"_qs);
    QVERIFY(first.canRun());
    QVERIFY(first.damagedFiles.isEmpty());
    const QString path = first.values.mainDataPath;
    QVERIFY(DatabaseRepair::recordDamage(path, u"row 3 missing from index 档案_0"_qs));
    const QByteArray before = readTestFile(path);
    const StartupResult next = StartupRoutine::run(drives(), QString(), u"TEST"_qs);
    QVERIFY(next.canRun());
    QCOMPARE(next.damagedFiles, QStringList{path});
    const QString text = StartupRoutine::damageRecordedText(path);
    QVERIFY2(text.contains(QDir::toNativeSeparators(path)) && text.contains(u"档案_0"_qs), qPrintable(text));
    // Nothing is written to a file known to be damaged until the user chooses the repair.
    QCOMPARE(readTestFile(path), before);
}

void TestStartup::computerNameFile_data()
{
    QTest::addColumn<QByteArray>("nameLine");
    QTest::addColumn<bool>("shareExists");
    QTest::addColumn<bool>("remote");
    QTest::newRow("reachable computer") << QByteArray("  前台电脑 \r\n第二行\r\n") << true << true;
    QTest::newRow("computer switched off") << QByteArray("前台电脑\r\n") << false << false;
    QTest::newRow("blank name line") << QByteArray("   \r\n前台电脑\r\n") << true << false;
    QTest::newRow("empty file") << QByteArray() << true << false;
}

void TestStartup::computerNameFile()
{
    QFETCH(QByteArray, nameLine);
    QFETCH(bool, shareExists);
    QFETCH(bool, remote);
    const QString share = m_root->filePath(u"net/前台电脑/电子处方数据库"_qs);
    if (shareExists) {
        DriveLayout other;
        other.cRoot = m_root->filePath(u"net/前台电脑"_qs);
        QVERIFY(StartupRoutine::run(other, QString(), u"HOST"_qs).canRun());
        Database shared(share + u"/数据库.dat"_qs);
        QVERIFY(SettingsRepository(shared).setPassword(u"remote"_qs).ok);
    }
    QVERIFY(writeTestFile(m_root->filePath(u"C/电子处方数据库/计算机名.txt"_qs), nameLine));

    const StartupResult result = StartupRoutine::run(drives(), QString(), u"TEST"_qs);
    QVERIFY2(result.canRun(), qPrintable(result.fatalError));
    const QString local = m_root->filePath(u"C/电子处方数据库"_qs);
    QCOMPARE(result.values.dataFolder, local);
    // The local files are created on every start, wherever the data then lives.
    QVERIFY(QFileInfo::exists(local + u"/数据库.dat"_qs));
    if (remote) {
        QVERIFY(result.notices.isEmpty());
        QCOMPARE(result.values.mainDataPath, share + u"/数据库.dat"_qs);
        QCOMPARE(result.values.statsDataPath, share + u"/用药统计.dat"_qs);
        QCOMPARE(result.values.password, u"remote"_qs);
    } else {
        QCOMPARE(result.notices, QStringList{u"无法连接远程数据库，患者数据将保存在本地数据库！"_qs});
        QCOMPARE(result.values.mainDataPath, local + u"/数据库.dat"_qs);
        QCOMPARE(result.values.password, u"905"_qs);
    }
}

void TestStartup::remoteShareLackingStatistics()
{
    DriveLayout other;
    other.cRoot = m_root->filePath(u"net/药房"_qs);
    QVERIFY(StartupRoutine::run(other, QString(), u"HOST"_qs).canRun());
    const QString share = m_root->filePath(u"net/药房/电子处方数据库"_qs);
    QVERIFY(QFile::remove(share + u"/用药统计.dat"_qs));
    QVERIFY(writeTestFile(m_root->filePath(u"C/电子处方数据库/计算机名.txt"_qs), "药房"));

    const StartupResult result = StartupRoutine::run(drives(), QString(), u"TEST"_qs);
    QVERIFY(result.canRun());
    QCOMPARE(result.values.mainDataPath, share + u"/数据库.dat"_qs);
    QCOMPARE(result.values.statsDataPath, share + u"/用药统计.dat"_qs);
    // The share is not written to by another computer's start-up.
    QVERIFY(!QFileInfo::exists(result.values.statsDataPath));
}

void TestStartup::foreignMainFileStopsWithoutTouchingIt()
{
    const QString path = m_root->filePath(u"C/电子处方数据库/数据库.dat"_qs);
    const QByteArray content("这不是数据库\r\n");
    QVERIFY(writeTestFile(path, content));
    const StartupResult result = StartupRoutine::run(drives(), QString(), u"TEST"_qs);
    QVERIFY(!result.canRun());
    QVERIFY2(result.fatalError.contains(QDir::toNativeSeparators(path)), qPrintable(result.fatalError));
    QCOMPARE(readTestFile(path), content);
}

void TestStartup::damagedLockedAndForbiddenFiles_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<bool>("retryable");
    QTest::addColumn<QString>("message");
    QTest::newRow("locked by another connection") << u"locked"_qs << false << false << true << u"正被其他电脑使用"_qs;
    QTest::newRow("remote file locked") << u"locked"_qs << true << false << true << u"正被其他电脑使用"_qs;
    QTest::newRow("permission denied") << u"forbidden"_qs << false << false << false << u"权限"_qs;
    QTest::newRow("remote file not ours") << u"foreign"_qs << true << false << false << u"不是本程序的数据库"_qs;
    QTest::newRow("damaged settings page") << u"settings page"_qs << false << false << false << u"无法读取登录密码"_qs;
    QTest::newRow("damaged catalogue page") << u"catalogue page"_qs << false << true << false << u"损坏"_qs;
    // SQLite itself refuses a file shorter than its header says: start-up stops before any write.
    QTest::newRow("file cut short") << u"truncated"_qs << false << false << false << u"损坏"_qs;
}

void TestStartup::damagedLockedAndForbiddenFiles()
{
    QFETCH(QString, fault);
    QFETCH(bool, remote);
    QFETCH(bool, runs);
    QFETCH(bool, retryable);
    QFETCH(QString, message);
    if (fault == u"forbidden"_qs && rerunUnprivileged())
        return;
    QString path = m_root->filePath(u"C/电子处方数据库/数据库.dat"_qs);
    if (remote) {
        DriveLayout other;
        other.cRoot = m_root->filePath(u"net/前台电脑"_qs);
        QVERIFY(StartupRoutine::run(other, QString(), u"HOST"_qs).canRun());
        QVERIFY(writeTestFile(m_root->filePath(u"C/电子处方数据库/计算机名.txt"_qs), "前台电脑"));
        path = m_root->filePath(u"net/前台电脑/电子处方数据库/数据库.dat"_qs);
    } else {
        QVERIFY(StartupRoutine::run(drives(), QString(), u"TEST"_qs).canRun());
    }
    if (fault == u"foreign"_qs)
        QVERIFY(writeTestFile(path, "别人的文件"));
    else if (fault == u"forbidden"_qs)
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
    else if (fault == u"settings page"_qs)
        QVERIFY(damageTablePage(path, u"设置"_qs));
    else if (fault == u"catalogue page"_qs)
        QVERIFY(damageTablePage(path, u"商品"_qs));
    else if (fault == u"truncated"_qs)
        QVERIFY(QFile::resize(path, QFileInfo(path).size() - 4096));
    const QByteArray before = fault == u"forbidden"_qs ? QByteArray() : readTestFile(path);

    std::unique_ptr<Database> holder;
    if (fault == u"locked"_qs) {
        // Another computer in the middle of a long write.
        holder = std::make_unique<Database>(path);
        QVERIFY(holder->exec(u"BEGIN EXCLUSIVE"_qs).ok);
    }
    const StartupResult result = StartupRoutine::run(drives(), QString(), u"TEST"_qs, 100);
    QVERIFY2(result.canRun() == runs, qPrintable(result.fatalError));
    QCOMPARE(result.retryable, retryable);
    const QString shown = runs ? result.warnings.join(u'\n') : result.fatalError;
    QVERIFY2(shown.contains(message), qPrintable(shown));
    QVERIFY2(shown.contains(QDir::toNativeSeparators(path)), qPrintable(shown));
    if (fault != u"forbidden"_qs)
        QCOMPARE(readTestFile(path), before);
    if (holder) {
        // Once the other computer is done, trying again succeeds.
        QVERIFY(holder->exec(u"ROLLBACK"_qs).ok);
        QVERIFY(StartupRoutine::run(drives(), QString(), u"TEST"_qs, 100).canRun());
    }
}

void TestStartup::passwordFailsClosed_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<QString>("password");
    QTest::newRow("no settings row") << u"delete from 设置"_qs << false << QString();
    QTest::newRow("no password in the row") << u"update 设置 set 密码 = null"_qs << false << QString();
    QTest::newRow("an empty password stored on purpose") << u"update 设置 set 密码 = ''"_qs << true << QString(u""_qs);
}

void TestStartup::passwordFailsClosed()
{
    QFETCH(QString, change);
    QFETCH(bool, runs);
    QFETCH(QString, password);
    const StartupResult first = StartupRoutine::run(drives(), QString(), u"TEST"_qs);
    QVERIFY(first.canRun());
    {
        Database main(first.values.mainDataPath);
        QVERIFY(main.exec(change).ok);
    }
    const StartupResult result = StartupRoutine::run(drives(), QString(), u"TEST"_qs);
    QCOMPARE(result.canRun(), runs);
    if (runs)
        QCOMPARE(result.values.password, password);
    else
        QVERIFY2(result.fatalError.contains(u"无法读取登录密码"_qs), qPrintable(result.fatalError));
}

void TestStartup::leftoversOfAnInterruptedStartAreRemoved()
{
    const QString folder = m_root->filePath(u"C/电子处方数据库"_qs);
    QVERIFY(writeTestFile(folder + u"/.数据库.dat.4711.creating"_qs, QByteArray(229 * 1024, 'x')));
    QVERIFY(writeTestFile(folder + u"/.数据库.dat.4711.creating-journal"_qs, QByteArray(512, 'x')));
    QVERIFY(writeTestFile(folder + u"/.用药统计.dat.4712.creating"_qs, "x"));
    QVERIFY(writeTestFile(folder + u"/病人照片.jpg"_qs, "keep"));
    const StartupResult result = StartupRoutine::run(drives(), QString(), u"TEST"_qs);
    QVERIFY(result.canRun());
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
             (QStringList{u"数据库.dat"_qs, u"用药统计.dat"_qs, u"病人照片.jpg"_qs}));
}

void TestStartup::unusableDataFolderStops()
{
    // A file where the data folder should be: the folder cannot be created.
    QVERIFY(writeTestFile(m_root->filePath(u"C/电子处方数据库"_qs), "blocking"));
    const StartupResult result = StartupRoutine::run(drives(), QString(), u"TEST"_qs);
    QVERIFY(!result.canRun());
    QVERIFY(result.fatalError.contains(u"无法创建数据文件夹"_qs));
    QCOMPARE(readTestFile(m_root->filePath(u"C/电子处方数据库"_qs)), QByteArray("blocking"));
}

void TestStartup::installationPrefixIsStable()
{
    QCOMPARE(installationPrefix("machine-1"), installationPrefix("machine-1"));
    QVERIFY(installationPrefix("machine-1") != installationPrefix("machine-2"));
    QCOMPARE(installationPrefix().size(), 4);
    QCOMPARE(installationPrefix(), installationPrefix());
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
