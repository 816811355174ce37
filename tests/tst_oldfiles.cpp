#include "oldfilefixtures.h"
#include "testdatabase.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "data/databasefilecheck.h"
#include "data/oldfileconversion.h"
#include "data/oldjetfile.h"
#include "data/sqlrow.h"
#include "data/tables.h"

namespace {

const QString MainName = QStringLiteral("数据库.dat");
const QString StatsName = QStringLiteral("用药统计.dat");

// What a reason in expected.json looks like in the conversion's own words.
QString reasonWords(const QString &kind)
{
    if (kind == QLatin1String("duplicate"))
        return QStringLiteral("重复");
    if (kind == QLatin1String("width"))
        return QStringLiteral("超过");
    return QStringLiteral("不是有效的日期");
}

// A value the reader gave against the one the fixture wrote: NULL and "" apart, dates to the second.
QString mismatch(const QVariant &got, const QJsonValue &want)
{
    if (want.isNull())
        return got.isNull() ? QString() : QStringLiteral("expected NULL, got %1").arg(got.toString());
    if (got.isNull() || (got.typeId() == QMetaType::QString && got.toString().isNull()))
        return QStringLiteral("expected %1, got NULL").arg(want.toVariant().toString());
    if (want.isObject()) {
        const double days = want.toObject().value(QStringLiteral("days")).toDouble();
        return got.typeId() == QMetaType::Double && got.toDouble() == days ? QString() : QStringLiteral("expected raw days %1").arg(days);
    }
    if (got.typeId() == QMetaType::QDateTime) {
        const QString text = want.toString();
        const QDateTime when = got.toDateTime();
        const QString shown = text.size() == 10 && when.time() == QTime(0, 0) ? when.date().toString(Qt::ISODate)
                                                                              : when.toString(QStringLiteral("yyyy-MM-ddThh:mm:ss"));
        return shown == text ? QString() : QStringLiteral("expected %1, got %2").arg(text, shown);
    }
    return got.toString() == want.toString() ? QString()
                                              : QStringLiteral("expected %1, got %2").arg(want.toString().left(60), got.toString().left(60));
}

// Zeroes the first data page of a table in an old file, as a failing disk sector would.
bool damageFirstDataPage(const QString &path, int tdefPage)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    for (qsizetype page = 0; page * 4096 < bytes.size(); ++page) {
        const char *head = bytes.constData() + page * 4096;
        if (head[0] == 1 && qFromLittleEndian<quint32>(head + 4) == quint32(tdefPage)) {
            file.seek(page * 4096);
            return file.write(QByteArray(4096, '\0')) == 4096;
        }
    }
    return false;
}

QStringList folderContent(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

// Reading the old program's Jet files and bringing them over into ours.
class TestOldFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readerGivesBackEveryValue();
    void recognisesOldFiles_data();
    void recognisesOldFiles();
    void conversion_data();
    void conversion();
    void importIntoClinicInUse();
    void importIntoEmptyClinic();

private:
    QTemporaryDir m_fixtures;
    QJsonObject m_expected;
};

void TestOldFiles::initTestCase()
{
    if (!OldJetFile::readerAvailable())
        QSKIP("built without libmdb: old files cannot be read");
    QVERIFY(writeOldFixtures(m_fixtures.path()));
    m_expected = oldFixtureExpectations(m_fixtures.path());
    QVERIFY(!m_expected.isEmpty());
}

void TestOldFiles::readerGivesBackEveryValue()
{
    const QJsonObject files = m_expected.value(QStringLiteral("files")).toObject();
    for (auto file = files.begin(); file != files.end(); ++file) {
        OldJetFile old(m_fixtures.filePath(file.key()));
        QVERIFY2(old.isOpen(), qPrintable(old.error()));
        const QJsonObject tables = file.value().toObject();
        QStringList present = old.tables();
        QStringList written = tables.keys();
        present.sort();
        written.sort();
        QCOMPARE(present, written);
        for (auto table = tables.begin(); table != tables.end(); ++table) {
            const QJsonObject content = table.value().toObject();
            QStringList columns;
            for (const QJsonValue &column : content.value(QStringLiteral("columns")).toArray())
                columns.append(column.toString());
            QCOMPARE(old.columns(table.key()), columns);
            const QJsonArray rows = content.value(QStringLiteral("rows")).toArray();
            QList<QVariantList> read;
            QVERIFY2(old.readRows(table.key(), [&](const QVariantList &values) {
                read.append(values);
                return true;
            }), qPrintable(old.error()));
            QCOMPARE(read.size(), rows.size());
            for (int r = 0; r < rows.size(); ++r) {
                const QJsonArray want = rows.at(r).toArray();
                for (int c = 0; c < columns.size(); ++c) {
                    const QString problem = mismatch(read.at(r).at(c), want.at(c));
                    QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("%1 row %2 column %3: %4").arg(table.key()).arg(r + 1).arg(columns.at(c), problem)));
                }
            }
        }
    }
}

void TestOldFiles::recognisesOldFiles_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("verdict");
    QByteArray jet3(4096, '\0');
    jet3.replace(4, 15, "Standard Jet DB");
    QByteArray jet4 = jet3;
    jet4[0x14] = 1;
    QByteArray accdb = jet3;
    accdb.replace(4, 15, "Standard ACE DB");
    accdb[0x14] = 2;
    using Verdict = DatabaseFileCheck::Verdict;
    QTest::newRow("Jet 3") << jet3 << int(OldJetFile::Version::Jet3) << int(Verdict::OldProgram);
    QTest::newRow("Jet 4") << jet4 << int(OldJetFile::Version::Jet4) << int(Verdict::OldProgram);
    QTest::newRow("a later Access file") << accdb << int(OldJetFile::Version::NotJet) << int(Verdict::NotOurs);
    QTest::newRow("a SQLite file without our tables") << QByteArray("SQLite format 3\0", 16) + QByteArray(100, '\0') << int(OldJetFile::Version::NotJet)
                                                        << int(Verdict::NotOurs);
    QTest::newRow("too short") << QByteArray("\0\1\0\0Standard Jet", 16) << int(OldJetFile::Version::NotJet) << int(Verdict::NotOurs);
}

void TestOldFiles::recognisesOldFiles()
{
    QFETCH(QByteArray, head);
    QFETCH(int, version);
    QFETCH(int, verdict);
    QTemporaryDir dir;
    const QString path = dir.filePath(MainName);
    QVERIFY(writeTestFile(path, head));
    QCOMPARE(int(OldJetFile::version(path)), version);
    // The file check (which judges another computer's files too) does not call them foreign.
    QCOMPARE(int(DatabaseFileCheck::check(path, DatabaseKind::Main)), verdict);
}

void TestOldFiles::conversion_data()
{
    QTest::addColumn<QString>("trouble");
    QTest::newRow("sound files") << QString();
    QTest::newRow("disk full") << QStringLiteral("full");
    QTest::newRow("damaged old file") << QStringLiteral("damaged");
    QTest::newRow("cancelled") << QStringLiteral("cancel");
}

void TestOldFiles::conversion()
{
    QFETCH(QString, trouble);
    QTemporaryDir root;
    const QString data = root.filePath(QStringLiteral("电子处方数据库"));
    QVERIFY(copyOldFixtures(m_fixtures.path(), data));
    // 档案's definition is the file's second table, on page 4.
    if (trouble == QLatin1String("damaged"))
        QVERIFY(damageFirstDataPage(QDir(data).filePath(MainName), 4));
    const QByteArray oldMain = readTestFile(QDir(data).filePath(MainName));
    const QByteArray oldStats = readTestFile(QDir(data).filePath(StatsName));

    OldFileConversion::Options options;
    if (trouble == QLatin1String("full"))
        options.targetPageLimit = 21; // room for the tables, not for the rows
    QStringList progress;
    const OldFileConversion::Result result = OldFileConversion::convertDataFolder(
        data,
        [&](const QString &table, qint64 rows) {
            progress.append(QStringLiteral("%1 %2").arg(table).arg(rows));
            return trouble != QLatin1String("cancel");
        },
        options);
    const QString kept = OldFileConversion::oldFilesFolder(data);

    if (!trouble.isEmpty()) {
        QVERIFY(!result.write.ok);
        QVERIFY(!result.write.message.isEmpty());
        QCOMPARE(result.cancelled, trouble == QLatin1String("cancel"));
        if (trouble == QLatin1String("damaged"))
            QVERIFY2(result.write.message.contains(QStringLiteral("损坏")), qPrintable(result.write.message));
        if (trouble == QLatin1String("full"))
            QVERIFY2(result.write.fullText().contains(QStringLiteral("满")), qPrintable(result.write.fullText()));
        // The old files where and as they were, nothing new beside them.
        QCOMPARE(folderContent(data), QStringList({MainName, StatsName}));
        QCOMPARE(readTestFile(QDir(data).filePath(MainName)), oldMain);
        QCOMPARE(readTestFile(QDir(data).filePath(StatsName)), oldStats);
        QVERIFY(folderContent(kept).isEmpty());
        return;
    }

    QVERIFY2(result.write.ok, qPrintable(result.write.fullText()));
    QVERIFY(progress.contains(QStringLiteral("档案 6")));
    // The old files moved unchanged; ours took their names.
    QCOMPARE(readTestFile(QDir(kept).filePath(MainName)), oldMain);
    QCOMPARE(readTestFile(QDir(kept).filePath(StatsName)), oldStats);
    QCOMPARE(DatabaseFileCheck::check(QDir(data).filePath(MainName), DatabaseKind::Main), DatabaseFileCheck::Verdict::Ours);
    QCOMPARE(DatabaseFileCheck::check(QDir(data).filePath(StatsName), DatabaseKind::Stats), DatabaseFileCheck::Verdict::Ours);

    const QJsonObject outcome = m_expected.value(QStringLiteral("outcome")).toObject();
    const QJsonObject converted = outcome.value(QStringLiteral("converted")).toObject();
    QCOMPARE(result.counts.size(), converted.size());
    for (const OldFileConversion::TableCount &count : result.counts) {
        QCOMPARE(count.newRows, converted.value(count.table).toInteger());
        QCOMPARE(count.oldRows, count.newRows + count.keptAside);
    }
    const QJsonArray keptAside = outcome.value(QStringLiteral("kept_aside")).toArray();
    QCOMPARE(result.kept.size(), keptAside.size());
    for (int i = 0; i < keptAside.size(); ++i) {
        const QJsonArray want = keptAside.at(i).toArray();
        QCOMPARE(result.kept.at(i).table, want.at(0).toString());
        QVERIFY2(result.kept.at(i).reason.contains(reasonWords(want.at(1).toString())), qPrintable(result.kept.at(i).reason));
        QCOMPARE(result.kept.at(i).row, want.at(2).toInteger());
    }
    // Set aside whole, beside the data, and named in the report.
    const QString keptRows = QString::fromUtf8(readTestFile(result.keptRowsPath));
    QVERIFY(keptRows.contains(QStringLiteral("\"中西医结合内科专科门诊部\"")));
    QVERIFY(keptRows.contains(QStringLiteral("\"54.000\"")));
    QCOMPARE(QFileInfo(result.keptRowsPath).absolutePath(), QFileInfo(data).absoluteFilePath());
    QVERIFY(OldFileConversion::summary(result).contains(QStringLiteral("档案：6 → 3，3行未转换")));
    QVERIFY(QString::fromUtf8(readTestFile(result.reportPath)).contains(QStringLiteral("14:20:05")));

    // Texts exactly, memo texts whole, NULL and empty apart, dates as dates.
    Database main(QDir(data).filePath(MainName));
    const QJsonObject table = m_expected.value(QStringLiteral("files")).toObject().value(MainName).toObject().value(QStringLiteral("档案")).toObject();
    const QJsonArray archive = table.value(QStringLiteral("rows")).toArray();
    const QStringList columns = table.value(QStringLiteral("columns")).toVariant().toStringList();
    const QString longRecord = archive.at(0).toArray().at(columns.indexOf(QStringLiteral("病历"))).toString();
    QCOMPARE(column(main, QStringLiteral("select \"病历\" from \"档案\" where \"0\" = '王堃'")), QStringList{longRecord});
    QVERIFY(longRecord.size() > 2100);
    QCOMPARE(count(main, QStringLiteral("select count(*) from \"档案\" where \"13\" is null and \"11\" = '' and \"0\" = '王堃'")), 1);
    QCOMPARE(column(main, QStringLiteral("select \"5\" from \"档案\" order by rowid")),
             QStringList({QStringLiteral("2008-03-01"), QStringLiteral("1899-12-30"), QStringLiteral("2008-03-05")}));
    QCOMPARE(column(main, QStringLiteral("select \"0\" from \"档案\" order by rowid")),
             QStringList({QStringLiteral("王堃"), QStringLiteral("赵瑄"), QStringLiteral("周全")}));
    QCOMPARE(column(main, QStringLiteral("select \"备用1\" is null from \"设置\"")), QStringList{QStringLiteral("1")});
    QCOMPARE(column(main, QStringLiteral("select \"单位名称\" from \"设置\"")), QStringList{QStringLiteral("青山村卫生室")});
}

void TestOldFiles::importIntoClinicInUse()
{
    TestDatabase main(DatabaseKind::Main);
    TestDatabase stats(DatabaseKind::Stats);
    QVERIFY(main.database().insert(SqlRow(Tables::archive()).set(QStringLiteral("序号"), QStringLiteral("PC1A20080301093000"))
                                       .set(QStringLiteral("0"), QStringLiteral("本机的处方"))).ok);
    QVERIFY(stats.database().insert(SqlRow(Tables::statistics()).set(QStringLiteral("ID号"), QStringLiteral("PC1A20080301093000"))
                                        .set(QStringLiteral("名称"), QStringLiteral("本机的统计"))).ok);
    const int catalogue = count(main.database(), QStringLiteral("select count(*) from \"商品\""));
    const int addresses = count(main.database(), QStringLiteral("select count(*) from \"地址\""));
    const QStringList settings = column(main.database(), QStringLiteral("select \"单位名称\" from \"设置\""));

    QTemporaryDir reports;
    OldFileConversion::Options options;
    options.lists = true;
    const OldFileConversion::Result result =
        OldFileConversion::importInto(m_fixtures.filePath(MainName), m_fixtures.filePath(StatsName), main.location(), stats.location(),
                                      reports.path(), options);
    QVERIFY2(result.write.ok, qPrintable(result.write.fullText()));

    // The prescription the clinic has keeps its own content; the others come in.
    QCOMPARE(column(main.database(), QStringLiteral("select \"0\" from \"档案\" order by \"序号\"")),
             QStringList({QStringLiteral("本机的处方"), QStringLiteral("赵瑄"), QStringLiteral("周全")}));
    QCOMPARE(count(main.database(), QStringLiteral("select count(*) from \"患者信息\"")), 2);
    // Statistics of a prescription already present stay as they were; 桂枝's line is too wide.
    QCOMPARE(column(stats.database(), QStringLiteral("select \"名称\" from \"统计\"")), QStringList{QStringLiteral("本机的统计")});
    // Not ticked: the catalogue as it was; the settings never.
    QCOMPARE(count(main.database(), QStringLiteral("select count(*) from \"商品\"")), catalogue);
    QCOMPARE(column(main.database(), QStringLiteral("select \"单位名称\" from \"设置\"")), settings);
    // Ticked: only the address the clinic lacks.
    QCOMPARE(count(main.database(), QStringLiteral("select count(*) from \"地址\"")), addresses + 1);
    QCOMPARE(count(main.database(), QStringLiteral("select count(*) from \"诊断\" where \"名称\" = '头痛'")), 1);

    QStringList present;
    for (const OldFileConversion::TableCount &count : result.counts)
        present.append(QStringLiteral("%1 %2/%3/%4%5").arg(count.table).arg(count.newRows).arg(count.alreadyPresent).arg(count.keptAside).arg(count.skipped ? QStringLiteral(" skipped") : QString()));
    QCOMPARE(present, QStringList({QStringLiteral("设置 0/0/0 skipped"), QStringLiteral("档案 2/2/2"), QStringLiteral("患者信息 2/0/0"),
                                   QStringLiteral("商品 0/0/0 skipped"), QStringLiteral("个人模板 0/0/0 skipped"), QStringLiteral("诊断 0/2/0"),
                                   QStringLiteral("地址 1/0/0"), QStringLiteral("用户 0/0/0 skipped"), QStringLiteral("统计 0/2/1")}));
}

void TestOldFiles::importIntoEmptyClinic()
{
    TestDatabase main(DatabaseKind::Main);
    TestDatabase stats(DatabaseKind::Stats);
    QTemporaryDir reports;
    const OldFileConversion::Result result = OldFileConversion::importInto(m_fixtures.filePath(MainName), m_fixtures.filePath(StatsName),
                                                                           main.location(), stats.location(), reports.path());
    QVERIFY2(result.write.ok, qPrintable(result.write.fullText()));
    // Taken over whole, as at start-up: the seed rows give way to the clinic's own.
    QCOMPARE(column(main.database(), QStringLiteral("select \"单位名称\" from \"设置\"")), QStringList{QStringLiteral("青山村卫生室")});
    QCOMPARE(count(main.database(), QStringLiteral("select count(*) from \"商品\"")), 2);
    QCOMPARE(count(main.database(), QStringLiteral("select count(*) from \"档案\"")), 3);
    QCOMPARE(count(stats.database(), QStringLiteral("select count(*) from \"统计\"")), 2);
    QCOMPARE(column(main.database(), QStringLiteral("select \"5\" from \"档案\" where \"0\" = '赵瑄'")), QStringList{QStringLiteral("1899-12-30")});
    QCOMPARE(result.kept.size(), 4);
    QVERIFY(QFileInfo::exists(result.keptRowsPath));
}

QTEST_GUILESS_MAIN(TestOldFiles)
#include "tst_oldfiles.moc"
