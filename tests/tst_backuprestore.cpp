#include "messageboxcatcher.h"
#include "teststartupvalues.h"
#include "widgetdriving.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileInfo>
#include <QMessageBox>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include "app/backupcatalogue.h"
#include "app/backupservice.h"
#include "app/clinicservices.h"
#include "app/exitbackup.h"
#include "app/secondbackupplace.h"
#include "app/startuproutine.h"
#include "app/widgets/backuprestorewindow.h"
#include "app/widgets/mainwindow.h"
#include "app/widgets/settingswindow.h"
#include "data/databasebackup.h"
#include "data/databasecreator.h"
#include "data/databasefilecheck.h"
#include "data/databaserepair.h"
#include "data/databaserestore.h"

// Backups put back from the program, offered at start-up, and copied to a second place.
class TestBackupRestore : public QObject
{
    Q_OBJECT

private slots:
    void restore_data();
    void restore();
    void listShowsEveryBackupWithItsCheck();
    void startupOffersTheNewestSoundBackup_data();
    void startupOffersTheNewestSoundBackup();
    void interruptedRestoreIsPutRightAtStart_data();
    void interruptedRestoreIsPutRightAtStart();
    void secondPlace_data();
    void secondPlace();
    void exitBackupReachesTheSecondPlace();
    void windowRestoresTheChosenBackup();
};

namespace {

const QString Main = u"数据库.dat"_qs;
const QString Stats = u"用药统计.dat"_qs;
const QString StatsCopy = u"药物统计.dat"_qs;

// A pair of fresh files in `folder`, the main one marked by its physician and holding `prescriptions`.
void makePair(const QString &folder, const QString &statsName, const QString &physician, int prescriptions = 0)
{
    QDir().mkpath(folder);
    const QString main = QDir(folder).filePath(Main);
    QVERIFY(DatabaseCreator().create(main, DatabaseKind::Main).ok);
    QVERIFY(DatabaseCreator().create(QDir(folder).filePath(statsName), DatabaseKind::Stats).ok);
    Database db(main);
    QVERIFY(db.exec(u"update 设置 set 医师 = ?"_qs, {physician}).ok);
    for (int i = 0; i < prescriptions; ++i)
        QVERIFY(db.exec(u"insert into 档案 (序号) values (?)"_qs, {u"T2026120%1"_qs.arg(i)}).ok);
}

QString physicianIn(const QString &main)
{
    Database db(main);
    return column(db, u"select 医师 from 设置"_qs).value(0);
}

void setTime(const QString &folder, const QDateTime &time)
{
    for (const QString &name : QDir(folder).entryList(QDir::Files)) {
        QFile file(QDir(folder).filePath(name));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
    }
}

// Drives in `dir` with a clinic started on them once, its physician set to `physician`.
DriveLayout startedClinic(const QTemporaryDir &dir, const QString &physician, StartupResult &first)
{
    DriveLayout drives;
    drives.cRoot = dir.path();
    drives.networkRoot = dir.filePath(u"net"_qs);
    first = StartupRoutine::run(drives, QString(), u"TEST"_qs);
    if (first.canRun()) {
        Database db(first.values.mainDataPath);
        db.exec(u"update 设置 set 医师 = ?"_qs, {physician});
    }
    return drives;
}

// Fails every copy from the n-th on (counting from 1), as a disk that fills up would.
DatabaseRestore::CopyFile failingFrom(int n)
{
    auto calls = std::make_shared<int>(0);
    return [calls, n](const QString &from, const QString &to) {
        if (++*calls < n)
            return DatabaseRestore::copyToDisk(from, to);
        writeTestFile(to, readTestFile(from).left(100));
        QFile::remove(to);
        return WriteResult::failure(u"写入“%1”失败，磁盘可能已满"_qs.arg(to), u"No space left on device"_qs);
    };
}

// Answers the next message box by the button of that caption, keeping its text.
class AnswerByCaption : public QObject
{
public:
    explicit AnswerByCaption(const QString &caption)
        : m_caption(caption)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(widget);
                if (!box || !box->isVisible())
                    continue;
                for (QAbstractButton *button : box->buttons()) {
                    if (button->text() == m_caption) {
                        texts.append(box->text());
                        button->click();
                        return;
                    }
                }
            }
        });
        m_timer.start(10);
    }
    QStringList texts;

private:
    QString m_caption;
    QTimer m_timer;
};

} // namespace

void TestBackupRestore::restore_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("restored");
    QTest::addColumn<QString>("message");
    QTest::newRow("good pair") << QString() << true << QString();
    QTest::newRow("statistics copy missing") << u"no statistics copy"_qs << false << u"缺少"_qs;
    QTest::newRow("statistics copy damaged") << u"statistics copy damaged"_qs << false << u"没有通过检查"_qs;
    QTest::newRow("main copy fails its check") << u"main copy damaged"_qs << false << u"没有通过检查"_qs;
    QTest::newRow("live file busy") << u"busy"_qs << false << u"正被其他电脑或程序使用"_qs;
    QTest::newRow("disk full copying the backup") << u"full at first copy"_qs << false << u"原来的数据没有改动"_qs;
    QTest::newRow("disk full keeping the live pair") << u"full at third copy"_qs << false << u"原来的数据没有改动"_qs;
}

void TestBackupRestore::restore()
{
    QFETCH(QString, fault);
    QFETCH(bool, restored);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString liveFolder = dir.filePath(u"电子处方数据库"_qs);
    const QString backupFolder = dir.filePath(u"电子处方数据库备份/ 星期三"_qs);
    makePair(liveFolder, Stats, u"现在"_qs, 3);
    makePair(backupFolder, StatsCopy, u"备份"_qs, 1);
    const DatabaseRestore::Pair live{QDir(liveFolder).filePath(Main), QDir(liveFolder).filePath(Stats)};
    const DatabaseRestore::Pair backup{QDir(backupFolder).filePath(Main), QDir(backupFolder).filePath(StatsCopy)};
    if (fault == u"no statistics copy"_qs)
        QVERIFY(QFile::remove(backup.stats));
    else if (fault == u"statistics copy damaged"_qs)
        QVERIFY(damageTablePage(backup.stats, u"统计"_qs));
    else if (fault == u"main copy damaged"_qs)
        QVERIFY(damageTablePage(backup.main, u"档案"_qs));
    // What the last exit backup's check found in the live file.
    QVERIFY(DatabaseRepair::recordDamage(live.main, u"索引损坏"_qs));
    const QByteArray liveMain = readTestFile(live.main);
    const QByteArray liveStats = readTestFile(live.stats);

    std::unique_ptr<Database> holder;
    if (fault == u"busy"_qs) {
        // Another computer in the middle of a write.
        holder = std::make_unique<Database>(live.main);
        QVERIFY(holder->exec(u"BEGIN IMMEDIATE"_qs).ok);
    }
    DatabaseRestore::CopyFile copy = DatabaseRestore::copyToDisk;
    if (fault == u"full at first copy"_qs)
        copy = failingFrom(1);
    else if (fault == u"full at third copy"_qs)
        copy = failingFrom(3);

    // Another computer trying to save while the live pair is being kept must wait.
    QStringList writtenMeanwhile;
    const DatabaseRestore::CopyFile watched = [&](const QString &from, const QString &to) {
        if (to.contains(u"恢复前的数据"_qs)) {
            Database other(live.main, 0);
            if (other.exec(u"update 设置 set 医师 = '其他电脑'"_qs).ok)
                writtenMeanwhile.append(to);
        }
        return copy(from, to);
    };
    QString kept;
    const WriteResult result = DatabaseRestore::restore(backup, live, QDateTime(QDate(2026, 12, 10), QTime(9, 30, 5)), &kept, watched, 100);
    QCOMPARE(writtenMeanwhile, QStringList());
    QVERIFY2(result.ok == restored, qPrintable(result.fullText()));
    QVERIFY2(result.message.contains(message), qPrintable(result.message));
    if (holder)
        QVERIFY(holder->exec(u"ROLLBACK"_qs).ok);
    holder.reset();

    // Nothing is left half-made beside the live files.
    const QString record = QFileInfo(DatabaseRepair::recordPath(live.main)).fileName();
    QCOMPARE(QDir(liveFolder).entryList(QDir::Files), restored ? (QStringList{Main, Stats}) : (QStringList{Main, record, Stats}));
    if (restored) {
        // The damage told of the replaced file goes with it.
        QVERIFY(DatabaseRepair::recordedDamage(live.main).isEmpty());
        QCOMPARE(DatabaseRepair::recordedDamage(QDir(kept).filePath(Main)), u"索引损坏"_qs);
        QCOMPARE(physicianIn(live.main), u"备份"_qs);
        QCOMPARE(readTestFile(live.stats), readTestFile(backup.stats));
        // The live pair as it was, in the dated folder, under the live names.
        QCOMPARE(kept, QDir(liveFolder).filePath(u"恢复前的数据/2026-12-10_093005"_qs));
        QCOMPARE(readTestFile(QDir(kept).filePath(Main)), liveMain);
        QCOMPARE(readTestFile(QDir(kept).filePath(Stats)), liveStats);
        // The backup itself is only read.
        QCOMPARE(physicianIn(backup.main), u"备份"_qs);
    } else {
        QCOMPARE(readTestFile(live.main), liveMain);
        QCOMPARE(readTestFile(live.stats), liveStats);
        QVERIFY(!QFileInfo::exists(QDir(liveFolder).filePath(u"恢复前的数据/2026-12-10_093005"_qs)));
    }
}

void TestBackupRestore::listShowsEveryBackupWithItsCheck()
{
    QTemporaryDir dir;
    const QDir root(dir.filePath(u"备份"_qs));
    const QDir place(dir.filePath(u"U盘"_qs));
    makePair(root.filePath(u" 星期一"_qs), StatsCopy, u"一"_qs, 2);
    makePair(root.filePath(u" 星期三"_qs), StatsCopy, u"三"_qs, 4);
    makePair(place.filePath(u"2026-12-09"_qs), StatsCopy, u"二"_qs, 3);
    // Not ours: a folder of other names, and a weekday folder without files.
    makePair(place.filePath(u"照片"_qs), StatsCopy, u"别的"_qs);
    QVERIFY(root.mkpath(u" 星期五"_qs));
    // With the data on a server the weekday folder holds the two dumps.
    QVERIFY(writeTestFile(root.filePath(u" 星期二/数据库.sql"_qs), "create schema quillon_main;"));
    QVERIFY(writeTestFile(root.filePath(u" 星期二/药物统计.sql"_qs), "create schema quillon_stats;"));
    setTime(root.filePath(u" 星期二"_qs), QDateTime(QDate(2026, 12, 1), QTime(18, 0)));
    QVERIFY(damageTablePage(root.filePath(u" 星期三/数据库.dat"_qs), u"档案"_qs));
    setTime(root.filePath(u" 星期一"_qs), QDateTime(QDate(2026, 12, 7), QTime(18, 0)));
    setTime(place.filePath(u"2026-12-09"_qs), QDateTime(QDate(2026, 12, 9), QTime(18, 0)));
    setTime(root.filePath(u" 星期三"_qs), QDateTime(QDate(2026, 12, 10), QTime(18, 0)));

    QList<BackupEntry> entries = BackupCatalogue::list(root.path(), place.path());
    QStringList names;
    for (BackupEntry &entry : entries) {
        BackupCatalogue::inspect(entry);
        names.append(entry.place + entry.name.trimmed());
    }
    QCOMPARE(names, (QStringList{u"本机星期三"_qs, u"第二备份位置2026-12-09"_qs, u"本机星期一"_qs, u"本机星期二"_qs}));
    QVERIFY(entries.at(3).serverDump);
    QCOMPARE(entries.at(3).size, qint64(55));
    // A dump is not put back over the server from here: the window says how it is done.
    StartupValues values;
    values.dataFolder = dir.path();
    QCOMPARE(BackupService(values, root.path()).restoreRefusal(entries.at(3)), BackupService::serverRestoreText());
    QCOMPARE(entries.at(0).time, QDateTime(QDate(2026, 12, 10), QTime(18, 0)));
    QVERIFY(!entries.at(0).problem.isEmpty());
    QVERIFY(entries.at(1).problem.isEmpty());
    QCOMPARE(entries.at(1).prescriptions, 3);
    QCOMPARE(entries.at(1).patients, 0);
    QCOMPARE(entries.at(1).size, QFileInfo(entries.at(1).mainFile()).size() + QFileInfo(entries.at(1).statsFile()).size());
    QCOMPARE(entries.at(2).prescriptions, 2);

    // The newest one that passes, checked now: a copy damaged since the list was read is passed over.
    std::optional<BackupEntry> sound = BackupCatalogue::newestSound(root.path(), place.path());
    QVERIFY(sound);
    QCOMPARE(sound->folder, place.filePath(u"2026-12-09"_qs));
    QVERIFY(damageTablePage(place.filePath(u"2026-12-09/药物统计.dat"_qs), u"统计"_qs));
    sound = BackupCatalogue::newestSound(root.path(), place.path());
    QVERIFY(sound);
    QCOMPARE(sound->folder, root.filePath(u" 星期一"_qs));
}

void TestBackupRestore::startupOffersTheNewestSoundBackup_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("offered");
    QTest::newRow("file cut short") << u"truncated"_qs << true;
    QTest::newRow("damaged table page") << u"page"_qs << true;
    QTest::newRow("damaged settings page") << u"settings"_qs << true;
    QTest::newRow("foreign file") << u"foreign"_qs << false;
    QTest::newRow("busy file") << u"busy"_qs << false;
}

void TestBackupRestore::startupOffersTheNewestSoundBackup()
{
    QFETCH(QString, fault);
    QFETCH(bool, offered);
    QTemporaryDir dir;
    StartupResult first;
    const DriveLayout drives = startedClinic(dir, u"周一的"_qs, first);
    QVERIFY(first.canRun());
    const QString live = first.values.mainDataPath;
    const QString root = drives.backupRoot();
    QVERIFY(ExitBackup::run(live, first.values.statsDataPath, root, QDate(2026, 12, 7)).isEmpty());
    setTime(QDir(root).filePath(u" 星期一"_qs), QDateTime(QDate(2026, 12, 7), QTime(18, 0)));
    // A newer backup that no longer passes its check is not offered.
    QVERIFY(ExitBackup::run(live, first.values.statsDataPath, root, QDate(2026, 12, 9)).isEmpty());
    setTime(QDir(root).filePath(u" 星期三"_qs), QDateTime(QDate(2026, 12, 9), QTime(18, 0)));
    QVERIFY(damageTablePage(QDir(root).filePath(u" 星期三/数据库.dat"_qs), u"档案"_qs));

    if (fault == u"truncated"_qs)
        QVERIFY(QFile::resize(live, QFileInfo(live).size() - 4096));
    else if (fault == u"page"_qs)
        QVERIFY(damageTablePage(live, u"商品"_qs));
    else if (fault == u"settings"_qs)
        QVERIFY(damageTablePage(live, u"设置"_qs));
    else if (fault == u"foreign"_qs)
        QVERIFY(writeTestFile(live, "别人的文件"));
    std::unique_ptr<Database> holder;
    if (fault == u"busy"_qs) {
        holder = std::make_unique<Database>(live);
        QVERIFY(holder->exec(u"BEGIN EXCLUSIVE"_qs).ok);
    }
    const QByteArray damaged = readTestFile(live);

    const StartupResult result = StartupRoutine::run(drives, QString(), u"TEST"_qs, 100);
    holder.reset();
    QCOMPARE(bool(result.restoreOffer), offered);
    // Offering changes nothing.
    QCOMPARE(readTestFile(live), damaged);
    if (!offered)
        return;
    QCOMPARE(result.restoreOffer->folder, QDir(root).filePath(u" 星期一"_qs));
    QCOMPARE(result.damagedFile, live);
    const QString question = StartupRoutine::restoreOfferText(result);
    QVERIFY2(question.contains(u"2026-12-07 18:00"_qs), qPrintable(question));

    QString kept;
    const WriteResult restored = DatabaseRestore::restore({result.restoreOffer->mainFile(), result.restoreOffer->statsFile()}, result.restorePair,
                                                          QDateTime::currentDateTime(), &kept);
    QVERIFY2(restored.ok, qPrintable(restored.fullText()));
    QCOMPARE(readTestFile(QDir(kept).filePath(Main)), damaged);
    const StartupResult again = StartupRoutine::run(drives, QString(), u"TEST"_qs, 100);
    QVERIFY2(again.canRun(), qPrintable(again.fatalError));
    QVERIFY(again.warnings.isEmpty());
    QVERIFY(!again.restoreOffer);
    QCOMPARE(physicianIn(live), u"周一的"_qs);
}

void TestBackupRestore::interruptedRestoreIsPutRightAtStart_data()
{
    // How far the killed restore got: copies beside the live files (whole or cut short), live
    // files set aside, copies already moved into place.
    QTest::addColumn<bool>("copiesWhole");
    QTest::addColumn<QStringList>("setAside");
    QTest::addColumn<QStringList>("placed");
    QTest::addColumn<QString>("physician");
    QTest::addColumn<QString>("told");
    QTest::newRow("while copying the backup") << false << QStringList() << QStringList() << u"现在的"_qs << u"没有改动"_qs;
    QTest::newRow("copies whole, nothing replaced") << true << QStringList() << QStringList() << u"现在的"_qs << u"没有改动"_qs;
    QTest::newRow("main file set aside") << true << QStringList{Main} << QStringList() << u"备份的"_qs << u"做完"_qs;
    QTest::newRow("both set aside") << true << QStringList{Main, Stats} << QStringList() << u"备份的"_qs << u"做完"_qs;
    QTest::newRow("main file in place") << true << QStringList{Main, Stats} << QStringList{Main} << u"备份的"_qs << u"做完"_qs;
    QTest::newRow("both in place") << true << QStringList{Main, Stats} << QStringList{Main, Stats} << u"备份的"_qs << u"做完"_qs;
}

void TestBackupRestore::interruptedRestoreIsPutRightAtStart()
{
    QFETCH(bool, copiesWhole);
    QFETCH(QStringList, setAside);
    QFETCH(QStringList, placed);
    QFETCH(QString, physician);
    QFETCH(QString, told);
    QTemporaryDir dir;
    StartupResult first;
    const DriveLayout drives = startedClinic(dir, u"现在的"_qs, first);
    QVERIFY(first.canRun());
    const QDir data(first.values.dataFolder);
    const QString backup = dir.filePath(u"backup"_qs);
    makePair(backup, Stats, u"备份的"_qs);
    for (const QString &name : {Main, Stats}) {
        QByteArray bytes = readTestFile(QDir(backup).filePath(name));
        if (!copiesWhole)
            bytes.truncate(100);
        writeTestFile(data.filePath(name + u".restoring"_qs), bytes);
    }
    for (const QString &name : setAside)
        QVERIFY(QFile::rename(data.filePath(name), DatabaseBackup::setAsidePath(data.filePath(name))));
    for (const QString &name : placed)
        QVERIFY(QFile::rename(data.filePath(name + u".restoring"_qs), data.filePath(name)));

    const StartupResult next = StartupRoutine::run(drives, QString(), u"TEST"_qs);
    QVERIFY2(next.canRun(), qPrintable(next.fatalError));
    QCOMPARE(physicianIn(data.filePath(Main)), physician);
    QVERIFY(next.notices.join(u'\n').contains(told));
    QCOMPARE(data.entryList({u"*.restoring"_qs, u"*.previous"_qs}, QDir::Files), QStringList());
    QCOMPARE(DatabaseFileCheck::check(data.filePath(Stats), DatabaseKind::Stats), DatabaseFileCheck::Verdict::Ours);
}

void TestBackupRestore::secondPlace_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("place missing") << u"missing"_qs;
    QTest::newRow("place full") << u"full"_qs;
    QTest::newRow("rotating") << QString();
}

void TestBackupRestore::secondPlace()
{
    QFETCH(QString, fault);
    QTemporaryDir dir;
    const QString weekday = dir.filePath(u"备份/ 星期四"_qs);
    makePair(weekday, StatsCopy, u"今天"_qs);
    const QByteArray weekdayMain = readTestFile(QDir(weekday).filePath(Main));
    const QDate today(2026, 12, 10);
    const QDir place(dir.filePath(u"U盘"_qs));
    if (fault != u"missing"_qs) {
        // Forty days of older copies, a day folder where someone kept a note, and a folder of their own.
        for (int age = 1; age <= 40; ++age)
            QVERIFY(writeTestFile(place.filePath(SecondBackupPlace::dayFolderName(today.addDays(-age)) + u"/数据库.dat"_qs), "旧的"));
        QVERIFY(writeTestFile(place.filePath(u"2026-10-01/说明.txt"_qs), "别删"));
        QVERIFY(writeTestFile(place.filePath(u"照片/2026-01-01.jpg"_qs), "jpg"));
        QVERIFY(writeTestFile(place.filePath(u"2026-99-99/数据库.dat"_qs), "不是日期"));
    }

    const QStringList warnings = SecondBackupPlace::copy(weekday, place.path(), today, 30,
                                                         fault == u"full"_qs ? failingFrom(2) : DatabaseRestore::CopyFile(DatabaseRestore::copyToDisk));
    // The backup on this computer is never touched.
    QCOMPARE(readTestFile(QDir(weekday).filePath(Main)), weekdayMain);
    if (fault == u"missing"_qs) {
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings.first().contains(u"不存在"_qs), qPrintable(warnings.first()));
        QVERIFY(!place.exists());
        return;
    }
    const QString day = place.filePath(u"2026-12-10"_qs);
    if (fault == u"full"_qs) {
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings.first().contains(u"磁盘已满"_qs), qPrintable(warnings.first()));
        QVERIFY(!QFileInfo::exists(day));
    } else {
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(u'\n')));
        QCOMPARE(QDir(day).entryList(QDir::Files), (QStringList{Main, StatsCopy}));
        QCOMPARE(readTestFile(QDir(day).filePath(Main)), weekdayMain);
    }
    // Today and the 29 days before it stay; older day folders go, with only our files.
    QStringList days;
    for (const QString &name : place.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (SecondBackupPlace::isDayFolderName(name))
            days.append(name);
    }
    QCOMPARE(days.first(), u"2026-10-01"_qs);
    QCOMPARE(QDir(place.filePath(u"2026-10-01"_qs)).entryList(QDir::Files), QStringList{u"说明.txt"_qs});
    QCOMPARE(days.at(1), SecondBackupPlace::dayFolderName(today.addDays(-29)));
    QCOMPARE(days.last(), fault == u"full"_qs ? u"2026-12-09"_qs : u"2026-12-10"_qs);
    QCOMPARE(days.size(), fault == u"full"_qs ? 30 : 31);
    QVERIFY(QFileInfo::exists(place.filePath(u"照片/2026-01-01.jpg"_qs)));
    QVERIFY(QFileInfo::exists(place.filePath(u"2026-99-99/数据库.dat"_qs)));
}

void TestBackupRestore::exitBackupReachesTheSecondPlace()
{
    TestDatabase main;
    QTemporaryDir dir;
    StartupValues values = testStartupValues(main);
    values.dataFolder = main.folder();
    BackupService backups(values, dir.filePath(u"备份"_qs));
    QVERIFY(backups.secondPlace().save(dir.filePath(u"U盘"_qs), 7).ok);
    QCOMPARE(SecondBackupPlace(SecondBackupPlace::settingsFileIn(values.dataFolder)).keepDays(), 7);

    // Not plugged in: a warning, and the backup on this computer is made.
    BackupService::Outcome outcome = backups.backUp(QDate(2026, 12, 10), QString());
    QVERIFY(outcome.failures.isEmpty());
    QCOMPARE(outcome.warnings.size(), 1);
    QVERIFY(QFileInfo::exists(dir.filePath(u"备份/ 星期四/数据库.dat"_qs)));

    QVERIFY(QDir().mkpath(dir.filePath(u"U盘"_qs)));
    outcome = backups.backUp(QDate(2026, 12, 10), QString());
    QVERIFY2(outcome.warnings.isEmpty(), qPrintable(outcome.warnings.join(u'\n')));
    QCOMPARE(readTestFile(dir.filePath(u"U盘/2026-12-10/数据库.dat"_qs)), readTestFile(dir.filePath(u"备份/ 星期四/数据库.dat"_qs)));
    QCOMPARE(backups.list().size(), 2);
}

void TestBackupRestore::windowRestoresTheChosenBackup()
{
    auto file = std::make_unique<TestDatabase>();
    QTemporaryDir backupRoot;
    StartupValues values = testStartupValues(*file);
    values.dataFolder = file->folder();
    QVERIFY(DatabaseCreator().create(values.statsDataPath, DatabaseKind::Stats).ok);
    QVERIFY(file->database().exec(u"update 设置 set 医师 = '备份时'"_qs).ok);
    auto services = std::make_unique<ClinicServices>(values, backupRoot.path());
    QVERIFY(services->backups().backUp(QDate::currentDate(), QString()).failures.isEmpty());
    QVERIFY(file->database().exec(u"update 设置 set 医师 = '之后'"_qs).ok);

    auto main = std::make_unique<MainWindow>(*services);
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    main->findChild<QAction *>(u"综合设置(S)"_qs)->trigger();
    QPointer<SettingsWindow> settings = main->settingsWindow();
    QVERIFY(settings);
    QCOMPARE(namedControl<QSpinBox>(settings, u"保留天数"_qs)->value(), 30);
    clickButton(settings, u"数据备份与恢复"_qs);
    auto *window = main->findChild<BackupRestoreWindow *>(u"数据备份与恢复"_qs);
    QVERIFY(window);
    auto *list = namedControl<QTableWidget>(window, u"backupList"_qs);
    QCOMPARE(list->rowCount(), 1);
    // Listed at once, checked behind the list.
    QTRY_COMPARE(list->item(0, 6)->text(), u"完好"_qs);

    // Nothing chosen: nothing happens but the hint.
    {
        MessageBoxCatcher catcher;
        clickButton(window, u"恢复"_qs);
        QCOMPARE(catcher.texts().size(), 1);
        QVERIFY2(catcher.texts().first().contains(u"请先"_qs), qPrintable(catcher.texts().first()));
    }
    QSignalSpy requested(main.get(), &MainWindow::restoreRequested);
    QSignalSpy finished(main.get(), &MainWindow::finished);
    list->selectRow(0);
    {
        AnswerByCaption answer(u"恢复"_qs);
        clickButton(window, u"恢复"_qs);
        QCOMPARE(answer.texts.size(), 1);
        QVERIFY2(answer.texts.first().contains(u"恢复前的数据"_qs), qPrintable(answer.texts.first()));
    }
    QCOMPARE(requested.size(), 1);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toInt(), MainWindow::RestartExitCode);
    const BackupEntry entry = requested.first().first().value<BackupEntry>();
    QVERIFY(main->isHidden());

    // As the program does once every window and connection is closed.
    main.reset();
    services.reset();
    QString kept;
    const WriteResult restored = BackupService(values, backupRoot.path()).restore(entry, QDateTime::currentDateTime(), &kept);
    QVERIFY2(restored.ok, qPrintable(restored.fullText()));
    QCOMPARE(physicianIn(values.mainDataPath), u"备份时"_qs);
    QCOMPARE(physicianIn(QDir(kept).filePath(Main)), u"之后"_qs);
}

QTEST_MAIN(TestBackupRestore)
#include "tst_backuprestore.moc"
