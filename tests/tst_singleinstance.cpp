#include <memory>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/singleinstance.h"

namespace {

// Another copy of the program holding `folder`, in a process of its own.
class Holder
{
public:
    explicit Holder(const QString &folder)
    {
        m_process.start(QStringLiteral(QUILLON_HOLDER), {folder});
    }
    ~Holder()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    // Waits for the next line the holder prints.
    QByteArray nextLine(int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!m_process.canReadLine() && !deadline.hasExpired())
            m_process.waitForReadyRead(100);
        return m_process.readLine().trimmed();
    }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
};

} // namespace

// One copy of the program per data folder; copies on other folders run side by side.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void secondStartOnTheSameFolderAsksTheRunningCopy_data();
    void secondStartOnTheSameFolderAsksTheRunningCopy();
    void otherFolderRunsSideBySide();
    void crashedCopyDoesNotBlockTheFolder();
    void silentHolderIsNotWaitedForEndlessly();
    void releasedOnExit();

private:
    QTemporaryDir *m_root = nullptr;
    QString m_folder;
};

void TestSingleInstance::init()
{
    m_root = new QTemporaryDir;
    m_folder = m_root->filePath(u"电子处方数据库"_qs);
    QVERIFY(QDir().mkpath(m_folder));
}

void TestSingleInstance::cleanup()
{
    delete m_root;
}

void TestSingleInstance::secondStartOnTheSameFolderAsksTheRunningCopy_data()
{
    QTest::addColumn<QString>("spelling");
    QTest::newRow("same path") << u"电子处方数据库"_qs;
    QTest::newRow("trailing slash and dots") << u"电子处方数据库/./"_qs;
    QTest::newRow("through a link") << u"链接"_qs;
}

void TestSingleInstance::secondStartOnTheSameFolderAsksTheRunningCopy()
{
    QFETCH(QString, spelling);
    if (spelling == u"链接"_qs) {
#ifdef Q_OS_WIN
        QSKIP("A Windows shortcut is no folder link");
#endif
        QVERIFY(QFile::link(m_folder, m_root->filePath(spelling)));
    }
    Holder running(m_folder);
    QCOMPARE(running.nextLine(), QByteArray("claimed"));

    SingleInstance second(m_root->filePath(spelling));
    QCOMPARE(second.claim(), SingleInstance::Claim::RunningElsewhereAsked);
    QCOMPARE(running.nextLine(), QByteArray("activated"));
    // Asked twice, answered twice: the running copy keeps listening.
    QCOMPARE(SingleInstance(m_folder).claim(), SingleInstance::Claim::RunningElsewhereAsked);
    QCOMPARE(running.nextLine(), QByteArray("activated"));
}

void TestSingleInstance::otherFolderRunsSideBySide()
{
    Holder running(m_folder);
    QCOMPARE(running.nextLine(), QByteArray("claimed"));
    const QString other = m_root->filePath(u"第二诊所"_qs);
    QVERIFY(QDir().mkpath(other));

    SingleInstance second(other);
    QCOMPARE(second.claim(), SingleInstance::Claim::Claimed);
    QVERIFY(SingleInstance::serverName(other) != SingleInstance::serverName(m_folder));
    // And the holder was not disturbed.
    QVERIFY(!running.process().waitForReadyRead(300));
}

void TestSingleInstance::crashedCopyDoesNotBlockTheFolder()
{
    {
        Holder crashed(m_folder);
        QCOMPARE(crashed.nextLine(), QByteArray("claimed"));
        crashed.process().kill();
        QVERIFY(crashed.process().waitForFinished());
    }
    QVERIFY(QFile::exists(QDir(m_folder).filePath(SingleInstance::lockFileName())));
    SingleInstance next(m_folder);
    QCOMPARE(next.claim(), SingleInstance::Claim::Claimed);
    // The new copy answers on the name the crashed one left behind.
    QSignalSpy asked(&next, &SingleInstance::activationRequested);
    Holder third(m_folder);
    QTRY_COMPARE(asked.count(), 1);
    QCOMPARE(third.nextLine(), QByteArray("refused"));
}

void TestSingleInstance::silentHolderIsNotWaitedForEndlessly()
{
    // Held by a live process that does not answer (here: this one, without listening).
    QLockFile lock(QDir(m_folder).filePath(SingleInstance::lockFileName()));
    QVERIFY(lock.tryLock(0));
    SingleInstance second(m_folder);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(second.claim(500), SingleInstance::Claim::RunningElsewhereSilent);
    QVERIFY(timer.elapsed() < 5000);
}

void TestSingleInstance::releasedOnExit()
{
    {
        auto first = std::make_unique<SingleInstance>(m_folder);
        QCOMPARE(first->claim(), SingleInstance::Claim::Claimed);
    }
    Holder next(m_folder);
    QCOMPARE(next.nextLine(), QByteArray("claimed"));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
