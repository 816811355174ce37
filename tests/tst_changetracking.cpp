#include "testdatabase.h"

#include "data/archiverepository.h"
#include "data/changecounters.h"
#include "data/databaseupgrade.h"
#include "data/patientrepository.h"
#include "data/picklistrepository.h"

// The lists held in memory follow the file per table: another computer's write to one table
// reloads only the lists of that table, rows added elsewhere are fetched alone, and the lists read
// at login are not read a second time by an early keystroke.
class TestChangeTracking : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listsFollowOtherComputersWrites_data();
    void listsFollowOtherComputersWrites();
    void ownRollbackLeavesNoStaleRow();
    void olderFileGetsCountersAndStillFollowsWrites();
    void earlyKeystrokeWaitsForThePreload();
    void historyNamesFollowSavesWithoutRereading();

private:
    std::unique_ptr<TestDatabase> m_main;
    std::unique_ptr<Database> m_other;
};

namespace {

const QString AddPatient = u"insert into 患者信息 (序号, 姓名, 年龄) values (?, ?, '1970')"_qs;

int triggers(Database &db)
{
    return count(db, u"select count(*) from sqlite_master where type = 'trigger'"_qs);
}

} // namespace

void TestChangeTracking::init()
{
    m_main = std::make_unique<TestDatabase>(DatabaseKind::Main);
    m_other = std::make_unique<Database>(m_main->location());
    QVERIFY(m_main->database().exec(AddPatient, {u"张三zs1970"_qs, u"张三"_qs}).ok);
    QVERIFY(m_main->database().exec(AddPatient, {u"张二ze1970"_qs, u"张二"_qs}).ok);
}

void TestChangeTracking::cleanup()
{
    m_other.reset();
    m_main.reset();
}

void TestChangeTracking::listsFollowOtherComputersWrites_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("patientsFound");
    QTest::addColumn<int>("patientReloads");
    QTest::addColumn<int>("catalogueReloads");
    QTest::newRow("prescription saved") << u"insert into 档案 (序号, \"0\") values ('X1', '张三')"_qs << 2 << 0 << 0;
    QTest::newRow("patient added") << u"insert into 患者信息 (序号, 姓名, 年龄) values ('张四zs1970', '张四', '1970')"_qs << 3 << 0 << 0;
    // One row rewritten is read alone, by its row id.
    QTest::newRow("returning patient saved") << u"update 患者信息 set 电话 = '139' where 姓名 = '张二'"_qs << 2 << 0 << 0;
    QTest::newRow("patient renamed") << u"update 患者信息 set 姓名 = '李二', 序号 = '李二le1970' where 姓名 = '张二'"_qs << 1 << 0 << 0;
    QTest::newRow("patient deleted") << u"delete from 患者信息 where 姓名 = '张二'"_qs << 1 << 0 << 0;
    QTest::newRow("patient added and another renamed")
        << u"insert into 患者信息 (序号, 姓名, 年龄) values ('张四zs1970', '张四', '1970'); "
           "update 患者信息 set 姓名 = '李三', 序号 = '李三ls1970' where 姓名 = '张三'"_qs
        << 2 << 0 << 0;
    // Several rows rewritten: which is not known, so the list is read again.
    QTest::newRow("every patient rewritten") << u"update 患者信息 set 序号 = 序号 || 'x'"_qs << 2 << 1 << 0;
    QTest::newRow("drug added") << u"insert into 商品 (名称, 查询, 分类) values ('张氏膏', 'zsg张氏膏', '西成药·其他')"_qs << 2 << 0 << 1;
    QTest::newRow("setting changed") << u"update 设置 set 备用1 = 'x'"_qs << 2 << 0 << 0;
}

void TestChangeTracking::listsFollowOtherComputersWrites()
{
    QFETCH(QString, sql);
    QFETCH(int, patientsFound);
    QFETCH(int, patientReloads);
    QFETCH(int, catalogueReloads);
    PatientRepository patients(m_main->database());
    PickListRepository catalogue(m_main->database());
    QCOMPARE(patients.find(u"张"_qs).size(), 2);
    const qsizetype drugs = catalogue.findOutsideCategory(u"中药"_qs, u"zsg"_qs).size();
    QCOMPARE(patients.wholeLoads(), 1);
    QCOMPARE(catalogue.wholeLoads(), 1);

    for (const QString &statement : sql.split(u"; "_qs))
        QVERIFY(m_other->exec(statement).ok);
    QCOMPARE(patients.find(u"张"_qs).size(), patientsFound);
    QCOMPARE(patients.wholeLoads(), 1 + patientReloads);
    QCOMPARE(catalogue.findOutsideCategory(u"中药"_qs, u"zsg"_qs).size(), drugs + catalogueReloads);
    QCOMPARE(catalogue.wholeLoads(), 1 + catalogueReloads);
    // Nothing changed since: nothing is read again.
    patients.find(u"张"_qs);
    QCOMPARE(patients.wholeLoads(), 1 + patientReloads);
}

void TestChangeTracking::ownRollbackLeavesNoStaleRow()
{
    Database &db = m_main->database();
    PatientRepository patients(db);
    QCOMPARE(patients.find(u"张"_qs).size(), 2);
    QVERIFY(db.exec(u"BEGIN IMMEDIATE"_qs).ok);
    QVERIFY(db.exec(AddPatient, {u"张五zw1970"_qs, u"张五"_qs}).ok);
    QCOMPARE(patients.find(u"张"_qs).size(), 3);
    QVERIFY(db.exec(u"ROLLBACK"_qs).ok);
    // The counters rolled back with the row; the list must not keep it.
    QCOMPARE(patients.find(u"张"_qs).size(), 2);
    QVERIFY(db.exec(AddPatient, {u"张六zl1970"_qs, u"张六"_qs}).ok);
    QCOMPARE(patients.find(u"张"_qs).size(), 3);
    QCOMPARE(patients.find(u"张六"_qs).size(), 1);
}

void TestChangeTracking::olderFileGetsCountersAndStillFollowsWrites()
{
    Database &db = m_main->database();
    const int made = triggers(db);
    QVERIFY(made >= 3 * 8);
    // A file as an earlier version made it: no counters at all.
    for (const QString &name : column(db, u"select name from sqlite_master where type = 'trigger'"_qs))
        QVERIFY(db.exec(u"drop trigger %1"_qs.arg(quotedName(name))).ok);
    QVERIFY(db.exec(u"drop table %1"_qs.arg(ChangeCounters::tableName())).ok);
    {
        // Without counters another computer's write is still seen (the whole file's version).
        Database plain(m_main->location());
        PatientRepository patients(plain);
        QCOMPARE(patients.find(u"张"_qs).size(), 2);
        QVERIFY(m_other->exec(AddPatient, {u"张七zq1970"_qs, u"张七"_qs}).ok);
        QCOMPARE(patients.find(u"张"_qs).size(), 3);
    }
    const int rowsBefore = count(db, u"select count(*) from 患者信息"_qs);
    QVERIFY(DatabaseUpgrade::ensureChangeCounters(db, DatabaseKind::Main).ok);
    QCOMPARE(triggers(db), made);
    QCOMPARE(count(db, u"select count(*) from 患者信息"_qs), rowsBefore);
    // A second start finds everything there and writes nothing.
    const QString version = column(*m_other, u"pragma data_version"_qs).value(0);
    QVERIFY(DatabaseUpgrade::ensureChangeCounters(db, DatabaseKind::Main).ok);
    QCOMPARE(column(*m_other, u"pragma data_version"_qs).value(0), version);

    Database upgraded(m_main->location());
    PatientRepository patients(upgraded);
    QCOMPARE(patients.find(u"张"_qs).size(), 3);
    QVERIFY(m_other->exec(u"insert into 档案 (序号, \"0\") values ('X2', '张三')"_qs).ok);
    patients.find(u"张"_qs);
    QCOMPARE(patients.wholeLoads(), 1);
}

void TestChangeTracking::earlyKeystrokeWaitsForThePreload()
{
    PatientRepository patients(m_main->database());
    patients.preload();
    // Another computer adds a patient between login and the first keystroke.
    QVERIFY(m_other->exec(AddPatient, {u"张八zb1970"_qs, u"张八"_qs}).ok);
    QCOMPARE(patients.find(u"张"_qs).size(), 3);
    QCOMPARE(patients.wholeLoads(), 1);
    patients.preload();
    QCOMPARE(patients.find(u"zb"_qs).size(), 1);
    QCOMPARE(patients.wholeLoads(), 1);
}

void TestChangeTracking::historyNamesFollowSavesWithoutRereading()
{
    ArchiveRepository archive(m_main->database());
    const QDate from(2026, 1, 1);
    const QDate to(2026, 12, 31);
    auto record = [](const QString &id, const QString &name) {
        ArchiveRecord made;
        made.id = id;
        made.fields = QStringList(18, QString(u""_qs));
        made.fields[0] = name;
        made.fields[5] = u"2026-12-10"_qs;
        made.kind = u"西"_qs;
        return made;
    };
    QVERIFY(archive.save(record(u"A1"_qs, u"张三"_qs)).ok);
    QCOMPARE(archive.history(u"张"_qs, from, to).size(), 1);
    const int reads = archive.nameLoads();

    QVERIFY(archive.save(record(u"A2"_qs, u"张新"_qs)).ok);
    QCOMPARE(archive.history(u"张新"_qs, from, to).size(), 1);
    QCOMPARE(archive.nameLoads(), reads);

    // Rewritten under another name here, and elsewhere: each name found where it now is.
    QVERIFY(archive.save(record(u"A2"_qs, u"王新"_qs)).ok);
    QCOMPARE(archive.history(u"王新"_qs, from, to).size(), 1);
    QCOMPARE(archive.history(u"张新"_qs, from, to).size(), 0);
    QVERIFY(m_other->exec(u"insert into 档案 (序号, \"0\", \"5\") values ('B1', '赵另', '2026-12-10')"_qs).ok);
    QCOMPARE(archive.history(u"赵另"_qs, from, to).size(), 1);
    QVERIFY(m_other->exec(u"update 档案 set \"0\" = '钱改' where 序号 = 'B1'"_qs).ok);
    QCOMPARE(archive.history(u"钱改"_qs, from, to).size(), 1);
    QCOMPARE(archive.history(u"赵另"_qs, from, to).size(), 0);
}

QTEST_GUILESS_MAIN(TestChangeTracking)
#include "tst_changetracking.moc"
