#include "messageboxcatcher.h"
#include "oldfilefixtures.h"
#include "scriptedfiles.h"
#include "testdatabase.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/drivelayout.h"
#include "app/startuproutine.h"
#include "app/widgets/olddataimportwindow.h"
#include "app/widgets/olddataoffer.h"
#include "data/databasefilecheck.h"
#include "data/oldfileconversion.h"
#include "data/oldjetfile.h"

namespace {

const QString MainName = QStringLiteral("数据库.dat");
const QString StatsName = QStringLiteral("用药统计.dat");

} // namespace

// The old program's files as the user meets them: the question at start-up, and the import
// window of 综合设置.
class TestOldFileWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startupAsks_data();
    void startupAsks();
    void importThroughTheWindow();

private:
    QTemporaryDir m_fixtures;
};

void TestOldFileWindows::initTestCase()
{
    QVERIFY(writeOldFixtures(m_fixtures.path()));
}

void TestOldFileWindows::startupAsks_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("declined") << false;
    QTest::newRow("accepted") << true;
}

void TestOldFileWindows::startupAsks()
{
    QFETCH(bool, accept);
    if (!OldJetFile::readerAvailable())
        QSKIP("built without libmdb: old files cannot be converted");
    QTemporaryDir root;
    DriveLayout drives;
    drives.cRoot = root.filePath(QStringLiteral("c"));
    QDir().mkpath(drives.cRoot);
    const QString data = QDir(drives.cRoot).filePath(QStringLiteral("电子处方数据库"));
    QVERIFY(copyOldFixtures(m_fixtures.path(), data));
    const QByteArray oldMain = readTestFile(QDir(data).filePath(MainName));

    // Not foreign: the start says what it found and touches nothing.
    const StartupResult startup = StartupRoutine::run(drives, QString(), QStringLiteral("PC1A"));
    QVERIFY(!startup.canRun());
    QVERIFY(startup.oldDataFound);
    QVERIFY(startup.fatalError.isEmpty());
    QVERIFY(startup.oldDataExplanation.contains(QStringLiteral("旧版")));
    QCOMPARE(QDir(data).entryList(QDir::Files | QDir::Hidden), QStringList({MainName, StatsName}));

    MessageBoxCatcher answers(accept ? QMessageBox::Yes : QMessageBox::No);
    QCOMPARE(OldDataOffer::run(startup.values.dataFolder, startup.oldDataExplanation), accept);
    QVERIFY(answers.texts().value(0).endsWith(QStringLiteral("发现旧版数据库，是否转换？")));
    if (!accept) {
        QCOMPARE(answers.texts().size(), 1);
        QCOMPARE(QDir(data).entryList(QDir::Files | QDir::Hidden), QStringList({MainName, StatsName}));
        QCOMPARE(readTestFile(QDir(data).filePath(MainName)), oldMain);
        return;
    }
    // The counts at the end, old beside new; then start-up goes on with the new files.
    QVERIFY2(answers.texts().value(1).contains(QStringLiteral("档案：6 → 3")), qPrintable(answers.texts().join('\n')));
    QCOMPARE(readTestFile(QDir(OldFileConversion::oldFilesFolder(data)).filePath(MainName)), oldMain);
    const StartupResult again = StartupRoutine::run(drives, QString(), QStringLiteral("PC1A"));
    QVERIFY2(again.canRun(), qPrintable(again.fatalError));
    QCOMPARE(again.values.password, QStringLiteral("905"));
}

void TestOldFileWindows::importThroughTheWindow()
{
    TestDatabase main(DatabaseKind::Main);
    TestDatabase stats(DatabaseKind::Stats);
    QTemporaryDir reports;
    ScriptedFiles files;
    files.openAnswer = m_fixtures.filePath(MainName);
    const DatabaseLocation mainLocation = main.location();
    const DatabaseLocation statsLocation = stats.location();
    const QString reportFolder = reports.path();
    OldFileConversion::Options chosen;
    auto *window = new OldDataImportWindow(
        [&](const QString &oldMain, const QString &oldStats, const OldFileConversion::Options &options, const OldFileConversion::Progress &progress) {
            chosen = options;
            return OldFileConversion::importInto(oldMain, oldStats, mainLocation, statsLocation, reportFolder, options, progress);
        },
        files);
    window->show();
    auto *importButton = window->findChild<QPushButton *>(QStringLiteral("导入"));
    QVERIFY(importButton);
    if (!OldJetFile::readerAvailable()) {
        // The window says what is missing instead of failing later.
        QVERIFY(!importButton->isEnabled());
        QVERIFY(window->findChild<QLabel *>(QStringLiteral("status"))->text().contains(QStringLiteral("libmdb")));
        delete window;
        return;
    }
    // Choosing the main file finds the statistics file beside it.
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("浏览数据库")), Qt::LeftButton);
    QCOMPARE(QDir::fromNativeSeparators(window->findChild<QLineEdit *>(QStringLiteral("旧版用药统计"))->text()), m_fixtures.filePath(StatsName));
    window->findChild<QCheckBox *>(QStringLiteral("药品目录"))->setChecked(true);
    {
        MessageBoxCatcher answers;
        QTest::mouseClick(importButton, Qt::LeftButton);
        QCOMPARE(answers.texts(), QStringList{QStringLiteral("旧版数据导入完成。")});
    }
    QVERIFY(chosen.catalogue);
    QVERIFY(!chosen.templates);
    QVERIFY(!chosen.lists);
    const QString shown = window->findChild<QPlainTextEdit *>(QStringLiteral("导入结果"))->toPlainText();
    QVERIFY2(shown.contains(QStringLiteral("档案：6 → 3，3行未转换")), qPrintable(shown));
    QCOMPARE(count(main.database(), QStringLiteral("select count(*) from \"档案\"")), 3);
    QCOMPARE(count(stats.database(), QStringLiteral("select count(*) from \"统计\"")), 2);
    delete window;
}

QTEST_MAIN(TestOldFileWindows)
#include "tst_oldfilewindows.moc"
