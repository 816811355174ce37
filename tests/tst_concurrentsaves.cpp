#include "testdatabase.h"

#include <QSet>
#include <QThread>
#include <QtTest>

#include "data/archiverepository.h"
#include "data/database.h"
#include "data/patientrepository.h"

// Two computers saving at the same time, played by two threads with connections of their own.
class ConcurrentSavesTest : public QObject
{
    Q_OBJECT

private slots:
    void parallelSavesLoseAndMixNothing();
};

namespace {

constexpr int SavesPerComputer = 1000;

struct Saver
{
    QString computer;
    QStringList storedIds;
    QStringList failures;
};

// One computer: a prescription per second of a shared clock, under the same installation prefix
// as the other (two copies of the program on one computer), so that the ids they are handed
// collide; every tenth save is of a patient both computers know.
void saveMany(const DatabaseLocation &location, Saver &saver)
{
    Database db(location, 30000);
    ArchiveRepository archive(db);
    PatientRepository patients(db);
    const QDateTime start(QDate(2024, 5, 6), QTime(8, 0));
    for (int i = 0; i < SavesPerComputer; ++i) {
        ArchiveRecord record;
        record.id = archive.freshId(QStringLiteral("P"), start.addSecs(i));
        const QString name = i % 10 == 0 ? QStringLiteral("共同患者") : QStringLiteral("%1患者%2").arg(saver.computer).arg(i);
        record.fields = QStringList(18, QString());
        record.fields[0] = name;
        record.fields[5] = QStringLiteral("2024-05-06");
        record.body = QStringLiteral("%1的第%2张处方").arg(saver.computer).arg(i);
        PatientRepository::Patient patient;
        patient.key = name + QStringLiteral("1980");
        patient.name = name;
        patient.birthYear = QStringLiteral("1980");
        QString stored;
        const WriteResult written = archive.save(record, patients, patient, &stored);
        if (written.ok)
            saver.storedIds.append(stored);
        else
            saver.failures.append(written.fullText());
    }
}

} // namespace

void ConcurrentSavesTest::parallelSavesLoseAndMixNothing()
{
    TestDatabase file;
    Saver first{QStringLiteral("甲")};
    Saver second{QStringLiteral("乙")};
    std::unique_ptr<QThread> one(QThread::create([&] { saveMany(file.location(), first); }));
    std::unique_ptr<QThread> two(QThread::create([&] { saveMany(file.location(), second); }));
    one->start();
    two->start();
    QVERIFY(one->wait(QDeadlineTimer(240000)));
    QVERIFY(two->wait(QDeadlineTimer(240000)));

    QCOMPARE(first.failures, QStringList());
    QCOMPARE(second.failures, QStringList());
    QCOMPARE(first.storedIds.size() + second.storedIds.size(), 2 * SavesPerComputer);
    Database &db = file.database();
    QCOMPARE(count(db, u"select count(*) from \"档案\""_qs), 2 * SavesPerComputer);
    QCOMPARE(count(db, u"select count(distinct \"序号\") from \"档案\""_qs), 2 * SavesPerComputer);
    // Each stored id holds the prescription of the computer that was told it stored it there.
    for (const Saver *saver : {&first, &second}) {
        const QStringList bodies = column(db, u"select \"T1\" from \"档案\" where \"T1\" like ? order by \"T1\""_qs,
                                          {saver->computer + u"的%"_qs});
        QCOMPARE(bodies.size(), SavesPerComputer);
        for (int i = 0; i < SavesPerComputer; i += 97) {
            QCOMPARE(column(db, u"select \"T1\" from \"档案\" where \"序号\" = ?"_qs, {saver->storedIds.at(i)}),
                     QStringList{u"%1的第%2张处方"_qs.arg(saver->computer).arg(i)});
        }
    }
    // One register row per patient, however the two computers interleaved.
    QCOMPARE(count(db, u"select count(*) from \"患者信息\""_qs), 2 * (SavesPerComputer - SavesPerComputer / 10) + 1);
    QCOMPARE(count(db, u"select count(*) from \"患者信息\" where \"姓名\" = '共同患者'"_qs), 1);
}

QTEST_GUILESS_MAIN(ConcurrentSavesTest)
#include "tst_concurrentsaves.moc"
