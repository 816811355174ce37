#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QTemporaryDir>
#include <QTest>

#include "app/logfile.h"
#include "app/messagelog.h"
#include "data/writeresult.h"

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

// The log in the data folder: its lines, its rotation, what reaches it and what must not.
class TestLogFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void lineCarriesTimeComputerAndLevel();
    void rotatesIntoAFewFilesOfBoundedSize();
    void qtMessagesReachTheLogWhileInstalled();
    void refusedWritesAreLoggedWithoutTypedValues_data();
    void refusedWritesAreLoggedWithoutTypedValues();

private:
    QTemporaryDir *m_dataFolder = nullptr;
};

void TestLogFile::init()
{
    m_dataFolder = new QTemporaryDir;
}

void TestLogFile::cleanup()
{
    delete m_dataFolder;
}

void TestLogFile::lineCarriesTimeComputerAndLevel()
{
    LogFile log(m_dataFolder->path(), u"诊室电脑"_qs);
    QCOMPARE(log.path(), m_dataFolder->filePath(u"日志/quillon.log"_qs));
    QVERIFY(log.write(u"警告"_qs, u"第一行\n第二行\r\n第三行"_qs, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))));
    QVERIFY(log.write(u"错误"_qs, u"再一条"_qs, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 8))));
    QCOMPARE(readText(log.path()),
             u"2026-03-04 05:06:07 诊室电脑 [警告] 第一行 ⏎ 第二行 ⏎ 第三行\n"
             "2026-03-04 05:06:08 诊室电脑 [错误] 再一条\n"_qs);
}

void TestLogFile::rotatesIntoAFewFilesOfBoundedSize()
{
    const qint64 maxBytes = 300;
    LogFile log(m_dataFolder->path(), u"pc"_qs, maxBytes, 2);
    for (int i = 0; i < 60; ++i)
        QVERIFY(log.write(u"警告"_qs, u"事件 %1"_qs.arg(i, 3, 10, QLatin1Char('0'))));

    const QDir folder(LogFile::folderOf(m_dataFolder->path()));
    QCOMPARE(folder.entryList(QDir::Files, QDir::Name), (QStringList{u"quillon.log"_qs, u"quillon.log.1"_qs, u"quillon.log.2"_qs}));
    QStringList lines;
    for (const QString &name : {u"quillon.log.2"_qs, u"quillon.log.1"_qs, u"quillon.log"_qs}) {
        QVERIFY(QFileInfo(folder.filePath(name)).size() <= maxBytes);
        lines += readText(folder.filePath(name)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // The newest lines, in order and without gaps; the oldest went with the file dropped.
    QVERIFY(lines.size() > 10 && lines.size() < 60);
    QVERIFY(lines.last().endsWith(u"事件 059"_qs));
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(lines.at(i).endsWith(u"事件 %1"_qs.arg(60 - lines.size() + i, 3, 10, QLatin1Char('0'))), qPrintable(lines.at(i)));
}

void TestLogFile::qtMessagesReachTheLogWhileInstalled()
{
    LogFile log(m_dataFolder->path(), u"pc"_qs);
    {
        const MessageLog installed(log);
        qDebug("调试：不进日志");
        qInfo("启动");
        qWarning("备份失败");
        qCritical("无法写入");
    }
    qWarning("卸下之后");
    const QStringList lines = readText(log.path()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).endsWith(u"pc [信息] 启动"_qs));
    QVERIFY(lines.at(1).endsWith(u"pc [警告] 备份失败"_qs));
    QVERIFY(lines.at(2).endsWith(u"pc [错误] 无法写入"_qs));
}

void TestLogFile::refusedWritesAreLoggedWithoutTypedValues_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("databaseText");
    QTest::addColumn<QString>("logged");
    QTest::addColumn<QString>("typed");

    QTest::newRow("server repeats the refused row")
        << u"23514"_qs << u"ERROR:  new row violates check constraint \"len_姓名\"\nDETAIL:  Failing row contains (张三丰, 男)."_qs
        << u"check constraint \"len_姓名\""_qs << u"张三丰"_qs;
    QTest::newRow("server names the duplicate key's value")
        << u"23505"_qs << u"ERROR:  duplicate key value violates unique constraint \"处方_pkey\"\nDETAIL:  Key (编号)=(李四0315) already exists."_qs
        << u"unique constraint \"处方_pkey\""_qs << u"李四0315"_qs;
    QTest::newRow("server quotes a typed value it cannot read")
        << u"22P02"_qs << u"ERROR:  invalid input syntax for type numeric: \"王五的过敏史\""_qs
        << u"invalid input syntax for type numeric"_qs << u"王五的过敏史"_qs;
    QTest::newRow("SQLite names the column only")
        << u"275"_qs << u"CHECK constraint failed: length(\"姓名\") <= 20"_qs
        << u"length(\"姓名\") <= 20"_qs << QString();
}

void TestLogFile::refusedWritesAreLoggedWithoutTypedValues()
{
    QFETCH(QString, code);
    QFETCH(QString, databaseText);
    QFETCH(QString, logged);
    QFETCH(QString, typed);

    LogFile log(m_dataFolder->path(), u"pc"_qs);
    {
        const MessageLog installed(log);
        QVERIFY(!writeResultOf(QSqlError(QString(), databaseText, QSqlError::StatementError, code)).ok);
    }
    const QString text = readText(log.path());
    QVERIFY2(text.contains(u"[警告] 保存失败：数据库代码 "_qs + code), qPrintable(text));
    QVERIFY2(text.contains(logged), qPrintable(text));
    if (!typed.isEmpty())
        QVERIFY2(!text.contains(typed), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_logfile.moc"
