#include "testdatabase.h"

#include "data/archiverepository.h"
#include "data/cataloguelookup.h"
#include "data/databaseupgrade.h"
#include "data/patientrepository.h"
#include "data/sqltransaction.h"
#include "data/statisticsrepository.h"
#include "data/tables.h"
#include "prescription/patientkey.h"
#include "prescription/prescriptionhistory.h"
#include "prescription/prescriptionlifecycle.h"
#include "prescription/prescriptionpricer.h"
#include "prescription/prescriptionsaver.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/settlement.h"
#include "prescription/settlementrepair.h"

namespace {

// What a prescription window works with, on a connection of its own to the main file (with the
// statistics file attached) that waits only briefly for another computer's lock.
struct Desk
{
    Desk(const DatabaseLocation &main, const DatabaseLocation &stats, PrescriptionSheet &sheet, int busyTimeoutMs = 300)
        : db(main, busyTimeoutMs)
        , archive(db)
        , patients(db)
        , statistics(db, stats)
        , lookup(db)
        , pricer(lookup)
        , saver(archive, patients, [] { return QDate(2024, 3, 1); })
        , settlement(sheet, pricer, saver, statistics)
        , history(archive, statistics, lookup)
    {
    }

    Database db;
    ArchiveRepository archive;
    PatientRepository patients;
    StatisticsRepository statistics;
    CatalogueLookup lookup;
    PrescriptionPricer pricer;
    PrescriptionSaver saver;
    Settlement settlement;
    PrescriptionHistory history;
};

// A statement of that table that always fails, as a full disk or a damaged page would make it.
void injectFailure(Database &db, const QString &table, const QString &verbs)
{
    if (db.location().isServer()) {
        QVERIFY(db.exec(u"CREATE FUNCTION injected_failure() RETURNS trigger LANGUAGE plpgsql AS "
                        "$$BEGIN RAISE EXCEPTION 'injected failure'; END$$"_qs).ok);
        QVERIFY(db.exec(u"CREATE TRIGGER injected BEFORE %1 ON %2 FOR EACH ROW EXECUTE FUNCTION injected_failure()"_qs
                            .arg(QString(verbs).replace(u',', u" OR "_qs), quotedName(table)))
                    .ok);
        return;
    }
    for (const QString &verb : verbs.split(u',')) {
        QVERIFY(db.exec(u"CREATE TRIGGER %1 BEFORE %2 ON %3 BEGIN SELECT RAISE(ABORT, 'injected failure'); END"_qs
                            .arg(quotedName(u"injected_"_qs + verb), verb, quotedName(table)))
                    .ok);
    }
}

} // namespace

// A prescription's life in the archive: saved, reopened exactly, renewed, copied, settled,
// cancelled and deleted; nothing half-written, no two with one id.
class TestPrescriptionStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void saveAndReopenExactly_data();
    void saveAndReopenExactly();
    void patientRow_data();
    void patientRow();
    void refusedSaveLeavesNothing();
    void longPatientFieldsShortenedInTheRegisterOnly_data();
    void longPatientFieldsShortenedInTheRegisterOnly();
    void renewAndCopy();
    void idsNeverRepeat();
    void settleTwiceThenCancel();
    void thirtySevenItemsGiveThirtySix();
    void longQuantityIsStored_data();
    void longQuantityIsStored();
    void allOrNothingAcrossBothFiles_data();
    void allOrNothingAcrossBothFiles();
    void failedReadStopsTheSettlement_data();
    void failedReadStopsTheSettlement();
    void leftoversOfEarlierVersionsAreMended();
    void tooLongFieldIsNamedAsTyped_data();
    void tooLongFieldIsNamedAsTyped();
    void historyListAndDelete();
    void kindSwitchStartsAFreshPrescriptionOnce();
    void patientListFollowsSavesHereAndElsewhere();

private:
    void fillWestern();
    void fillChinese();
    // The archive row and the statistics lines of a prescription, as one comparable text.
    QStringList stored(const QString &id);

    TestDatabase *m_main = nullptr;
    TestDatabase *m_stats = nullptr;
    QDateTime m_now;
    std::unique_ptr<ArchiveRepository> m_archive;
    std::unique_ptr<PatientRepository> m_patients;
    std::unique_ptr<StatisticsRepository> m_statistics;
    std::unique_ptr<CatalogueLookup> m_lookup;
    std::unique_ptr<PrescriptionPricer> m_pricer;
    std::unique_ptr<PrescriptionSaver> m_saver;
    std::unique_ptr<PrescriptionSheet> m_sheet;
    std::unique_ptr<PrescriptionLifecycle> m_lifecycle;
};

void TestPrescriptionStore::init()
{
    m_main = new TestDatabase(DatabaseKind::Main);
    m_stats = new TestDatabase(DatabaseKind::Stats);
    m_now = QDateTime(QDate(2024, 3, 1), QTime(9, 30, 5));
    m_archive = std::make_unique<ArchiveRepository>(m_main->database());
    m_patients = std::make_unique<PatientRepository>(m_main->database());
    m_statistics = std::make_unique<StatisticsRepository>(m_main->database(), m_stats->location());
    m_lookup = std::make_unique<CatalogueLookup>(m_main->database());
    m_pricer = std::make_unique<PrescriptionPricer>(*m_lookup);
    m_saver = std::make_unique<PrescriptionSaver>(*m_archive, *m_patients, [this] { return m_now.date(); });
    m_sheet = std::make_unique<PrescriptionSheet>();
    m_lifecycle = std::make_unique<PrescriptionLifecycle>(
        *m_sheet, [this] { return m_now; }, [this](const QDateTime &now) { return m_archive->freshId(u"ABCD"_qs, now); },
        [] { return SheetDefaults{u"李明"_qs, u"王芳"_qs, u"内儿科"_qs, u"自费"_qs}; });
    m_lifecycle->start();
}

void TestPrescriptionStore::cleanup()
{
    m_lifecycle.reset();
    m_sheet.reset();
    m_saver.reset();
    m_pricer.reset();
    m_lookup.reset();
    m_statistics.reset();
    m_patients.reset();
    m_archive.reset();
    delete m_stats;
    delete m_main;
}

void TestPrescriptionStore::fillWestern()
{
    m_sheet->setField(PrescriptionSheet::Name, u"张三"_qs);
    m_sheet->setField(PrescriptionSheet::Sex, u"1"_qs);
    m_sheet->setField(PrescriptionSheet::Age, u"35岁"_qs);
    m_sheet->setField(PrescriptionSheet::Address, u"青山镇 13800000000"_qs);
    m_sheet->setField(PrescriptionSheet::Diagnosis, u"急性咽炎 发热待查"_qs);
    m_sheet->setBody(u"阿莫西林胶囊 0.25g×24粒\r\n    用法：2粒 每日3次 口服\r\n\r\n注射费 1次\r\n"_qs);
    m_sheet->setMedicalRecord(u"咽痛三天$$$$$$$急性咽炎$对症治疗$"_qs);
}

void TestPrescriptionStore::fillChinese()
{
    m_sheet->setCurrentCategory(DrugCategories::Herbs);
    m_lifecycle->selectCategory(DrugCategories::Herbs);
    m_sheet->setField(PrescriptionSheet::Name, u"李四"_qs);
    m_sheet->setField(PrescriptionSheet::Age, u"50"_qs);
    m_sheet->setDoses(u"7"_qs);
    m_sheet->setBody(u"当归 10g      川芎 6g\r\n\r\n煎药费 1次"_qs);
}

void TestPrescriptionStore::saveAndReopenExactly_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<bool>("settle");
    QTest::newRow("Western, unsettled") << false << false;
    QTest::newRow("Western, settled") << false << true;
    QTest::newRow("Chinese, settled") << true << true;
}

void TestPrescriptionStore::saveAndReopenExactly()
{
    QFETCH(bool, chinese);
    QFETCH(bool, settle);
    chinese ? fillChinese() : fillWestern();
    if (settle) {
        Settlement settlement(*m_sheet, *m_pricer, *m_saver, *m_statistics);
        const Settlement::Result result = settlement.settle();
        QVERIFY2(result.messages().isEmpty(), qPrintable(result.messages().join(u'\n')));
    } else {
        QVERIFY(m_saver->save(*m_sheet).saved());
    }
    const ArchiveRecord saved = PrescriptionSaver::recordOf(*m_sheet);
    const QList<ArchiveRepository::HistoryEntry> listed = m_archive->history(QString(), m_now.date(), m_now.date());
    QCOMPARE(listed.size(), 1);

    PrescriptionSheet reopened;
    PrescriptionHistory history(*m_archive, *m_statistics, *m_lookup);
    QVERIFY(history.reopen(listed.at(0).rowId, reopened));
    const ArchiveRecord again = PrescriptionSaver::recordOf(reopened);
    QCOMPARE(again.fields, saved.fields);
    QCOMPARE(again.body, saved.body);
    QCOMPARE(again.cardText, saved.cardText);
    QCOMPARE(again.kind, saved.kind);
    QCOMPARE(again.settledMark, settle ? u"-已结算"_qs : QString());
    QCOMPARE(again.doses, saved.doses);
    QCOMPARE(again.medicalRecord, saved.medicalRecord);
    QCOMPARE(again.pricedSheet, saved.pricedSheet);
    QCOMPARE(again.id, saved.id);
    QCOMPARE(reopened.kind(), m_sheet->kind());
    QCOMPARE(reopened.grandTotal(), m_sheet->field(PrescriptionSheet::Total));
    if (settle)
        QVERIFY(!reopened.line(0).isEmpty());
    // Saving it again rewrites the same row.
    QVERIFY(m_saver->save(reopened).saved());
    QCOMPARE(count(m_main->database(), u"select count(*) from 档案"_qs), 1);
}

void TestPrescriptionStore::patientRow_data()
{
    QTest::addColumn<QString>("age");
    QTest::addColumn<QString>("birthYear");
    QTest::newRow("35 years") << u"35岁"_qs << u"1989"_qs;
    QTest::newRow("letters removed") << u"35Y"_qs << u"1989"_qs;
    QTest::newRow("months count as no years") << u"3月"_qs << u"2024"_qs;
    QTest::newRow("empty age leaves the register alone") << QString() << QString();
}

void TestPrescriptionStore::patientRow()
{
    QFETCH(QString, age);
    QFETCH(QString, birthYear);
    fillWestern();
    m_sheet->setField(PrescriptionSheet::Age, age);
    QVERIFY(m_saver->save(*m_sheet).saved());
    QCOMPARE(count(m_main->database(), u"select count(*) from 档案"_qs), 1);
    if (birthYear.isEmpty()) {
        QCOMPARE(count(m_main->database(), u"select count(*) from 患者信息"_qs), 0);
        return;
    }
    QCOMPARE(column(m_main->database(), u"select 序号 || '|' || 年龄 || '|' || 性别 || '|' || 医疗证号 || '|' || 备用1 from 患者信息"_qs),
             QStringList{u"张三zs"_qs + birthYear + u"|"_qs + birthYear + u"|男|未发现|"_qs});
    QCOMPARE(PatientKey::ageText(birthYear, 2024), QString::number(2024 - birthYear.toInt()) + u"岁"_qs);
}

void TestPrescriptionStore::refusedSaveLeavesNothing()
{
    fillWestern();
    // A fee too long for its column: neither the archive row nor the patient row is written.
    m_sheet->setField(PrescriptionSheet::Department, QString(11, u'科'));
    const PrescriptionSaver::Result result = m_saver->save(*m_sheet);
    QVERIFY(!result.saved());
    QVERIFY2(result.write.message.contains(u"科别"_qs), qPrintable(result.write.message));
    QCOMPARE(count(m_main->database(), u"select count(*) from 档案"_qs), 0);
    QCOMPARE(count(m_main->database(), u"select count(*) from 患者信息"_qs), 0);

    m_sheet->setField(PrescriptionSheet::Department, u"内科"_qs);
    m_sheet->setField(PrescriptionSheet::Date, u"2024-02-30"_qs);
    const PrescriptionSaver::Result badDate = m_saver->save(*m_sheet);
    QVERIFY(!badDate.saved());
    QVERIFY(badDate.write.message.contains(u"2024-02-30"_qs));

    m_sheet->setField(PrescriptionSheet::Date, u"2024-3-1"_qs);
    m_sheet->setField(PrescriptionSheet::DrugFee, u"12.5"_qs);
    QVERIFY(m_saver->save(*m_sheet).saved());
    QCOMPARE(m_sheet->field(PrescriptionSheet::Date), u"2024-03-01"_qs);
    QCOMPARE(m_sheet->field(PrescriptionSheet::DrugFee), u"12.50"_qs);

    m_sheet->setField(PrescriptionSheet::Name, u"  "_qs);
    QCOMPARE(m_saver->save(*m_sheet).outcome, PrescriptionSaver::Outcome::NameMissing);
}

void TestPrescriptionStore::longPatientFieldsShortenedInTheRegisterOnly_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("registerColumn");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("note");
    const QString allergy = u"青霉素、头孢类、磺胺类、阿司匹林、碘造影剂及海鲜均过敏"_qs;
    QTest::newRow("27-character allergy") << int(PrescriptionSheet::Allergy) << u"过敏史"_qs << allergy << allergy.left(20)
                                          << u"过敏史过长，患者信息中只保存了前20个字"_qs;
    const QString name = u"阿卜杜热合曼·买买提艾力·阿卜杜拉·艾尔肯江"_qs;
    QTest::newRow("long name") << int(PrescriptionSheet::Name) << u"姓名"_qs << name << name.left(20)
                               << u"姓名过长，患者信息中只保存了前20个字"_qs;
    QTest::newRow("two telephone numbers") << int(PrescriptionSheet::Telephone) << u"电话"_qs << u"13800000000 0571-88886666"_qs
                                           << u"13800000000 0571-888"_qs << u"电话过长，患者信息中只保存了前20个字"_qs;
    QTest::newRow("fee class of 12") << int(PrescriptionSheet::FeeClass) << u"费别"_qs << u"新型农村合作医疗（门诊统筹）"_qs
                                     << u"新型农村合作医疗（门"_qs << u"费别过长，患者信息中只保存了前10个字"_qs;
    QTest::newRow("allergy of exactly 20 fits") << int(PrescriptionSheet::Allergy) << u"过敏史"_qs << allergy.left(20)
                                                << allergy.left(20) << QString();
}

void TestPrescriptionStore::longPatientFieldsShortenedInTheRegisterOnly()
{
    QFETCH(int, field);
    QFETCH(QString, registerColumn);
    QFETCH(QString, text);
    QFETCH(QString, kept);
    QFETCH(QString, note);
    fillWestern();
    m_sheet->setField(field, text);
    const PrescriptionSaver::Result result = m_saver->save(*m_sheet);
    QVERIFY2(result.saved(), qPrintable(result.write.fullText()));
    QCOMPARE(result.notes, note.isEmpty() ? QStringList() : QStringList{note});
    // The prescription is stored whole.
    QCOMPARE(column(m_main->database(), u"select \"%1\" from 档案"_qs.arg(field)), QStringList{text});
    QCOMPARE(column(m_main->database(), u"select \"%1\" from 患者信息"_qs.arg(registerColumn)), QStringList{kept});

    // Picked from the register and saved again, the patient keeps one row.
    m_sheet->setField(field, kept);
    QVERIFY(m_saver->save(*m_sheet).saved());
    QCOMPARE(count(m_main->database(), u"select count(*) from 患者信息"_qs), 1);
}

void TestPrescriptionStore::renewAndCopy()
{
    fillWestern();
    Settlement(*m_sheet, *m_pricer, *m_saver, *m_statistics).settle();
    const QString firstId = m_sheet->id();
    const QString total = m_sheet->field(PrescriptionSheet::Total);
    QVERIFY(!total.isEmpty());

    m_now = m_now.addSecs(5);
    m_lifecycle->copy();
    QVERIFY(m_sheet->id() != firstId);
    QCOMPARE(m_sheet->settledMark(), QString());
    QCOMPARE(m_sheet->field(PrescriptionSheet::Total), total);
    QVERIFY(m_sheet->body().startsWith(u"阿莫西林胶囊"_qs));
    QVERIFY(m_sheet->line(0).isEmpty());
    QCOMPARE(m_sheet->field(PrescriptionSheet::RecordNumber), u"20240301093010"_qs);

    const QString copyId = m_sheet->id();
    m_lifecycle->renew();
    QVERIFY(m_sheet->id() != copyId);
    QCOMPARE(m_sheet->field(PrescriptionSheet::Name), u"张三"_qs);
    QCOMPARE(m_sheet->field(PrescriptionSheet::Diagnosis), u"急性咽炎 发热待查"_qs);
    QCOMPARE(m_sheet->field(PrescriptionSheet::Total), QString());
    QCOMPARE(m_sheet->field(PrescriptionSheet::DrugFee), QString());
    QCOMPARE(m_sheet->body(), QString());
    QCOMPARE(m_sheet->medicalRecord(), u"咽痛三天$$$$$$$急性咽炎$对症治疗$"_qs);

    m_lifecycle->newPrescription();
    QCOMPARE(m_sheet->field(PrescriptionSheet::Name), QString());
    QCOMPARE(m_sheet->field(PrescriptionSheet::Physician), u"李明"_qs);
    QCOMPARE(m_sheet->field(PrescriptionSheet::Checker), u"王芳"_qs);
    QCOMPARE(m_sheet->field(PrescriptionSheet::Allergy), u"未发现"_qs);
    QCOMPARE(m_sheet->medicalRecord(), QString());
}

void TestPrescriptionStore::idsNeverRepeat()
{
    // Many prescriptions started within one second, some saved: no id twice.
    QSet<QString> ids;
    for (int i = 0; i < 20; ++i) {
        m_lifecycle->newPrescription();
        QVERIFY(!ids.contains(m_sheet->id()));
        ids.insert(m_sheet->id());
        if (i % 3 == 0) {
            m_sheet->setField(PrescriptionSheet::Name, u"病人"_qs + QString::number(i));
            QVERIFY(m_saver->save(*m_sheet).saved());
        }
    }
    // Another program run (a fresh generator) in the same second still avoids the stored ones.
    ArchiveRepository other(m_main->database());
    const QString next = other.freshId(u"ABCD"_qs, m_now);
    QVERIFY(!column(m_main->database(), u"select 序号 from 档案"_qs).contains(next));
    QVERIFY(next.startsWith(u"ABCD2024030109"_qs));
}

void TestPrescriptionStore::settleTwiceThenCancel()
{
    fillWestern();
    Settlement settlement(*m_sheet, *m_pricer, *m_saver, *m_statistics);
    QVERIFY(settlement.settle().statisticsWritten);
    QVERIFY(settlement.settle().statisticsWritten);
    QCOMPARE(m_statistics->countFor(m_sheet->id()), 2);
    QCOMPARE(column(m_stats->database(), u"select 名称 || '|' || 数量 || '|' || 金额 || '|' || 日期 from 统计 order by rowid"_qs),
             (QStringList{u"阿莫西林胶囊|24|2.880|2024-03-01"_qs, u"注射费|1|3.000|2024-03-01"_qs}));
    QCOMPARE(m_sheet->field(PrescriptionSheet::DrugFee), u"2.88"_qs);
    QCOMPARE(m_sheet->field(PrescriptionSheet::OtherFee), u"3.00"_qs);
    QCOMPARE(m_sheet->field(PrescriptionSheet::Total), u"5.88"_qs);

    QVERIFY(settlement.cancel().messages().isEmpty());
    QCOMPARE(m_statistics->countFor(m_sheet->id()), 0);
    QCOMPARE(m_sheet->field(PrescriptionSheet::Total), QString());
    QCOMPARE(m_sheet->field(PrescriptionSheet::DrugFee), QString());
    QCOMPARE(column(m_main->database(), u"select 发药 || '|' || 计价 from 档案"_qs), QStringList{u"|$$$$$$"_qs});
}

void TestPrescriptionStore::thirtySevenItemsGiveThirtySix()
{
    fillWestern();
    QString body;
    for (int i = 0; i < 37; ++i)
        body += u"注射费 %1次\r\n"_qs.arg(i + 1);
    m_sheet->setBody(body);
    Settlement(*m_sheet, *m_pricer, *m_saver, *m_statistics).settle();
    QCOMPARE(m_sheet->line(35).quantity, u"36"_qs);
    QCOMPARE(m_statistics->countFor(m_sheet->id()), 36);
}

QStringList TestPrescriptionStore::stored(const QString &id)
{
    QStringList texts = column(m_main->database(), u"select 发药 || '|' || 计价 from 档案 where 序号 = ?"_qs, {id});
    texts += column(m_stats->database(), u"select 名称 || '|' || 数量 || '|' || 金额 || '|' || 分类 from 统计 where \"ID号\" = ? order by rowid"_qs, {id});
    texts.append(QString::number(count(m_stats->database(), u"select count(*) from 统计"_qs)));
    return texts;
}

void TestPrescriptionStore::longQuantityIsStored_data()
{
    QTest::addColumn<bool>("earlierFile");
    QTest::addColumn<bool>("upgraded");
    QTest::newRow("new file") << false << false;
    QTest::newRow("file of an earlier version, upgraded") << true << true;
    QTest::newRow("file of an earlier version, not upgraded") << true << false;
}

void TestPrescriptionStore::longQuantityIsStored()
{
    QFETCH(bool, earlierFile);
    QFETCH(bool, upgraded);
    Database &stats = m_stats->database();
    if (earlierFile) {
        // An earlier version's 统计 held five characters of quantity and ten of amount.
        QStringList statements = Tables::statistics().createStatements(stats.engine());
        for (QString &statement : statements) {
            statement.replace(u"\"数量\") <= 30"_qs, u"\"数量\") <= 5"_qs).replace(u"\"数量 <= 30\""_qs, u"\"数量 <= 5\""_qs);
            statement.replace(u"\"金额\") <= 30"_qs, u"\"金额\") <= 10"_qs).replace(u"\"金额 <= 30\""_qs, u"\"金额 <= 10\""_qs);
        }
        QVERIFY(stats.exec(u"drop table 统计"_qs).ok);
        for (const QString &statement : statements)
            QVERIFY(stats.exec(statement).ok);
        if (upgraded) {
            const WriteResult result = DatabaseUpgrade::apply(stats, DatabaseKind::Stats);
            QVERIFY2(result.ok, qPrintable(result.fullText()));
            // Once is enough: a second start changes nothing.
            QVERIFY(DatabaseUpgrade::widenColumns(stats, DatabaseKind::Stats).ok);
        }
    }
    fillChinese();
    m_sheet->setDoses(u"99"_qs);
    m_sheet->setBody(u"当归 12.5g"_qs);
    const Settlement::Result result = Settlement(*m_sheet, *m_pricer, *m_saver, *m_statistics).settle();
    if (earlierFile && !upgraded) {
        // Refused whole, naming the field; the prescription is not stored as settled either.
        QVERIFY(!result.save.saved());
        QVERIFY2(result.messages().join(u'\n').contains(u"数量"_qs), qPrintable(result.messages().join(u'\n')));
        QCOMPARE(m_sheet->settledMark(), QString());
        QCOMPARE(count(m_main->database(), u"select count(*) from 档案"_qs), 0);
        QCOMPARE(count(stats, u"select count(*) from 统计"_qs), 0);
        return;
    }
    QVERIFY2(result.messages().isEmpty(), qPrintable(result.messages().join(u'\n')));
    QCOMPARE(column(stats, u"select 名称 || '|' || 数量 from 统计"_qs), QStringList{u"当归|1237.5"_qs});
    // The longest figure the settlement can compute fits as well.
    const QString longest = u"-9223372036854.775807"_qs;
    QVERIFY(m_statistics->replace(u"X1"_qs, u"2024-03-01"_qs, {{u"当归"_qs, longest, u"g"_qs, u"0.5"_qs, longest}}).ok);
}

void TestPrescriptionStore::allOrNothingAcrossBothFiles_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("failure");
    for (const QString &operation : {u"settle"_qs, u"cancel"_qs, u"delete"_qs}) {
        for (const QString &failure : {u"none"_qs, u"main file locked"_qs, u"statistics file locked"_qs, u"archive statement fails"_qs,
                                       u"statistics statement fails"_qs})
            QTest::addRow("%s, %s", qPrintable(operation), qPrintable(failure)) << operation << failure;
    }
}

void TestPrescriptionStore::allOrNothingAcrossBothFiles()
{
    QFETCH(QString, operation);
    QFETCH(QString, failure);
    // A settled prescription: archive row and two statistics lines; another prescription's lines
    // stay untouched throughout.
    fillWestern();
    QVERIFY(Settlement(*m_sheet, *m_pricer, *m_saver, *m_statistics).settle().statisticsWritten);
    QVERIFY(m_statistics->replace(u"OTHER1"_qs, u"2024-03-01"_qs, {{u"甲"_qs}}).ok);
    const QString id = m_sheet->id();
    // Settling again prices a changed body.
    m_sheet->setBody(m_sheet->body() + u"注射费 2次\r\n"_qs);
    const QStringList before = stored(id);
    const QString markBefore = m_sheet->settledMark();
    const QString totalBefore = m_sheet->field(PrescriptionSheet::Total);
    QCOMPARE(before.size(), 4);

    Desk desk(m_main->location(), m_stats->location(), *m_sheet);
    Database other(failure == u"main file locked"_qs ? m_main->location() : m_stats->location());
    std::optional<SqlTransaction> lock;
    if (failure.endsWith(u"locked"_qs)) {
        lock.emplace(other);
        QVERIFY(lock->isActive());
        // On the server the statistics are written through the main schema's connection: the table itself is held.
        if (other.location().isServer() && failure.startsWith(u"statistics"_qs))
            QVERIFY(other.exec(u"LOCK TABLE 统计 IN ACCESS EXCLUSIVE MODE"_qs).ok);
    } else if (failure == u"archive statement fails"_qs) {
        injectFailure(m_main->database(), u"档案"_qs, u"UPDATE,DELETE"_qs);
    } else if (failure == u"statistics statement fails"_qs) {
        injectFailure(m_stats->database(), u"统计"_qs, u"INSERT,DELETE"_qs);
    }

    QString message;
    bool done = false;
    if (operation == u"settle"_qs) {
        const Settlement::Result result = desk.settlement.settle();
        done = result.save.saved();
        message = result.messages().join(u'\n');
    } else if (operation == u"cancel"_qs) {
        const Settlement::Result result = desk.settlement.cancel();
        done = result.save.saved();
        message = result.messages().join(u'\n');
    } else {
        const WriteResult result = desk.history.remove(id);
        done = result.ok;
        message = result.fullText();
    }
    lock.reset();

    const QStringList after = stored(id);
    if (failure == u"none"_qs) {
        QVERIFY2(done, qPrintable(message));
        if (operation == u"settle"_qs) {
            QCOMPARE(after.value(0), u"-已结算|"_qs + m_sheet->pricedSheetText());
            QCOMPARE(after.mid(1), (QStringList{u"阿莫西林胶囊|24|2.880|西成药·抗生素"_qs, u"注射费|1|3.000|收费项目"_qs,
                                                u"注射费|2|6.000|收费项目"_qs, u"4"_qs}));
        } else if (operation == u"cancel"_qs) {
            QCOMPARE(after, (QStringList{u"|$$$$$$"_qs, u"1"_qs}));
        } else {
            QCOMPARE(after, QStringList{u"1"_qs});
        }
        return;
    }
    QVERIFY(!done);
    QCOMPARE(after, before);
    const QString expected = operation == u"settle"_qs ? u"划价结算未完成"_qs : operation == u"cancel"_qs ? u"撤消结算未完成"_qs : u"删除失败，处方未删除"_qs;
    QVERIFY2(message.startsWith(expected), qPrintable(message));
    if (failure.endsWith(u"locked"_qs))
        QVERIFY2(message.contains(u"数据库被占用"_qs), qPrintable(message));
    // The sheet shows what is stored.
    QCOMPARE(m_sheet->settledMark(), markBefore);
    QCOMPARE(m_sheet->field(PrescriptionSheet::Total), totalBefore);
}

void TestPrescriptionStore::failedReadStopsTheSettlement_data()
{
    QTest::addColumn<bool>("damaged");
    QTest::newRow("catalogue held by another computer") << false;
    QTest::newRow("catalogue damaged") << true;
}

void TestPrescriptionStore::failedReadStopsTheSettlement()
{
    QFETCH(bool, damaged);
    if (damaged && testsOnServer())
        QSKIP("a damaged page is a file's fault");
    fillWestern();
    QVERIFY(m_saver->save(*m_sheet).saved());
    const QString id = m_sheet->id();
    const QStringList before = stored(id);
    const QList<DrugLine> linesBefore = m_sheet->lines();
    const QString bodyBefore = m_sheet->body();

    Database other(m_main->location());
    std::optional<SqlTransaction> lock;
    if (damaged) {
        QVERIFY(damageTablePage(m_main->path(), u"商品"_qs));
    } else if (testsOnServer()) {
        lock.emplace(other);
        QVERIFY(other.exec(u"LOCK TABLE 商品 IN ACCESS EXCLUSIVE MODE"_qs).ok);
    } else {
        // Another computer in the middle of its commit: nobody can read the file.
        QVERIFY(other.exec(u"BEGIN EXCLUSIVE"_qs).ok);
    }
    Desk desk(m_main->location(), m_stats->location(), *m_sheet);
    const Settlement::Result result = desk.settlement.settle();
    if (!damaged && !testsOnServer())
        QVERIFY(other.exec(u"ROLLBACK"_qs).ok);
    lock.reset();

    QVERIFY(!result.save.saved());
    const QString message = result.messages().join(u'\n');
    QVERIFY2(message.startsWith(u"划价结算未完成：药品目录读取失败，处方没有改变。"_qs), qPrintable(message));
    QVERIFY2(message.contains(damaged ? u"损坏"_qs : u"数据库被占用"_qs), qPrintable(message));
    QCOMPARE(stored(id), before);
    QCOMPARE(m_sheet->settledMark(), QString());
    QCOMPARE(m_sheet->body(), bodyBefore);
    for (int row = 0; row < PrescriptionSheet::LineCount; ++row)
        QCOMPARE(m_sheet->line(row).name, linesBefore.value(row).name);
}

void TestPrescriptionStore::leftoversOfEarlierVersionsAreMended()
{
    // A: settled, its lines lost (an earlier version stopped between the files).
    fillWestern();
    QVERIFY(Settlement(*m_sheet, *m_pricer, *m_saver, *m_statistics).settle().statisticsWritten);
    const QString lost = m_sheet->id();
    const QStringList complete = stored(lost);
    QVERIFY(m_statistics->remove(lost).ok);
    // B: settled with nothing the catalogue knows: rightly without lines.
    m_now = m_now.addSecs(60);
    m_lifecycle->newPrescription();
    m_sheet->setField(PrescriptionSheet::Name, u"王五"_qs);
    m_sheet->setBody(u"不存在的药 1盒\r\n"_qs);
    QVERIFY(Settlement(*m_sheet, *m_pricer, *m_saver, *m_statistics).settle().save.saved());
    // Lines of a prescription deleted long ago.
    QVERIFY(m_statistics->replace(u"GONE1"_qs, u"2024-02-01"_qs, {{u"甲"_qs, u"1"_qs}, {u"乙"_qs, u"2"_qs}}).ok);

    SettlementRepair repair(*m_archive, *m_statistics, *m_lookup);
    QVERIFY(!repair.checkedBefore());
    const std::optional<SettlementRepair::Findings> findings = repair.find();
    QVERIFY(findings);
    QCOMPARE(findings->withoutLines.size(), 1);
    QCOMPARE(findings->withoutLines.at(0).id, lost);
    QCOMPARE(findings->orphanIds, QStringList{u"GONE1"_qs});
    const QString question = SettlementRepair::question(*findings);
    QVERIFY2(question.contains(u"张三  2024-03-01"_qs) && question.contains(u"1张已删除的处方"_qs), qPrintable(question));

    const WriteResult mended = repair.mend(*findings);
    QVERIFY2(mended.ok, qPrintable(mended.fullText()));
    QCOMPARE(stored(lost), complete);
    QCOMPARE(m_statistics->countFor(u"GONE1"_qs), 0);
    QVERIFY(repair.find()->isEmpty());
    // Mended once, the files are not walked again at every start.
    QVERIFY(repair.checkedBefore());
    QVERIFY(SettlementRepair(*m_archive, *m_statistics, *m_lookup).checkedBefore());
}

void TestPrescriptionStore::tooLongFieldIsNamedAsTyped_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("length");
    // Empty when the prescription is stored whole (the register keeping what fits of it).
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("note");
    // The register's key is built from the name; it must never be what the user is told about.
    QTest::newRow("name of 21") << int(PrescriptionSheet::Name) << 21 << QString() << u"姓名"_qs;
    QTest::newRow("name of 24") << int(PrescriptionSheet::Name) << 24 << QString() << u"姓名"_qs;
    QTest::newRow("name of 60") << int(PrescriptionSheet::Name) << 60 << u"“姓名”的内容超过了50个字符"_qs << QString();
    QTest::newRow("department") << int(PrescriptionSheet::Department) << 11 << u"“科别”的内容超过了10个字符"_qs << QString();
    QTest::newRow("allergy") << int(PrescriptionSheet::Allergy) << 21 << QString() << u"过敏史"_qs;
}

void TestPrescriptionStore::tooLongFieldIsNamedAsTyped()
{
    QFETCH(int, field);
    QFETCH(int, length);
    QFETCH(QString, refusal);
    QFETCH(QString, note);
    fillWestern();
    m_sheet->setField(field, QString(length, u'张'));
    const PrescriptionSaver::Result result = m_saver->save(*m_sheet);
    if (refusal.isEmpty()) {
        QVERIFY2(result.saved(), qPrintable(result.message()));
        QVERIFY2(result.notes.join(u'\n').contains(note), qPrintable(result.notes.join(u'\n')));
        QCOMPARE(count(m_main->database(), u"select count(*) from 档案"_qs), 1);
        return;
    }
    QVERIFY(!result.saved());
    QVERIFY2(result.write.message.contains(refusal), qPrintable(result.write.message));
    QCOMPARE(count(m_main->database(), u"select count(*) from 档案"_qs), 0);
}

void TestPrescriptionStore::historyListAndDelete()
{
    fillWestern();
    QVERIFY(m_saver->save(*m_sheet).saved());
    const QString firstId = m_sheet->id();
    m_now = m_now.addSecs(60);
    m_lifecycle->newPrescription();
    m_sheet->setField(PrescriptionSheet::Name, u"O'Neil"_qs);
    m_sheet->setField(PrescriptionSheet::Sex, u"2"_qs);
    QVERIFY(m_saver->save(*m_sheet).saved());

    PrescriptionHistory history(*m_archive, *m_statistics, *m_lookup);
    QStringList texts;
    for (const auto &entry : history.query(QString(), u"2024-03-01"_qs, u"2024-03-01"_qs))
        texts.append(PrescriptionHistory::rowText(entry));
    QCOMPARE(texts, (QStringList{u"O'Neil[女,,2024-03-01]"_qs, u"张三[男,35岁,2024-03-01]"_qs}));
    QCOMPARE(history.query(u"o'n"_qs, u"2014-03-01"_qs, u"2024-03-01"_qs).size(), 1);
    QCOMPARE(history.query(u"三"_qs, u"2024-03-02"_qs, u"2024-03-31"_qs).size(), 0);
    QCOMPARE(history.query(QString(), u"2024-13-01"_qs, u"2024-03-01"_qs).size(), 0);
    QCOMPARE(history.query(u"%"_qs, u"2014-03-01"_qs, u"2024-03-01"_qs).size(), 0);

    QVERIFY(m_statistics->replace(firstId, u"2024-03-01"_qs, {{u"甲"_qs}}).ok);
    QVERIFY(history.remove(firstId).ok);
    QCOMPARE(count(m_main->database(), u"select count(*) from 档案"_qs), 1);
    QCOMPARE(m_statistics->countFor(firstId), 0);
}

void TestPrescriptionStore::kindSwitchStartsAFreshPrescriptionOnce()
{
    fillWestern();
    m_sheet->setSettledMark(u"-已结算"_qs);
    const QString westernId = m_sheet->id();
    QVERIFY(m_lifecycle->selectCategory(DrugCategories::Herbs));
    QCOMPARE(m_sheet->kind(), PrescriptionKind::Chinese);
    QVERIFY(m_sheet->id() != westernId);
    QCOMPARE(m_sheet->body(), QString());
    QCOMPARE(m_sheet->doses(), u"6"_qs);
    QCOMPARE(m_sheet->settledMark(), QString());
    QCOMPARE(m_sheet->field(PrescriptionSheet::Name), u"张三"_qs);
    m_sheet->setBody(u"当归 10g"_qs);
    const QString chineseId = m_sheet->id();
    QVERIFY(!m_lifecycle->selectCategory(DrugCategories::Formulas));
    QCOMPARE(m_sheet->id(), chineseId);
    QCOMPARE(m_sheet->body(), u"当归 10g"_qs);
    QVERIFY(!m_lifecycle->selectCategory(DrugCategories::ChargeItems));
    QCOMPARE(m_sheet->kind(), PrescriptionKind::Chinese);
    QVERIFY(m_lifecycle->selectCategory(0));
    QCOMPARE(m_sheet->kind(), PrescriptionKind::Western);
}

void TestPrescriptionStore::patientListFollowsSavesHereAndElsewhere()
{
    QCOMPARE(m_patients->find(u"zs"_qs).size(), 0);
    fillWestern();
    QVERIFY(m_saver->save(*m_sheet).saved());
    // Our own save is known at once, without reading the register again, under its row id.
    QCOMPARE(m_patients->find(u"zs"_qs).size(), 1);
    QCOMPARE(m_patients->byRowId(m_patients->find(u"zs"_qs).at(0).rowId)->sex, u"男"_qs);
    m_sheet->setField(PrescriptionSheet::Sex, u"2"_qs);
    QVERIFY(m_saver->save(*m_sheet).saved());
    QCOMPARE(m_patients->find(u"zs"_qs).size(), 1);
    QCOMPARE(m_patients->byRowId(m_patients->find(u"zs"_qs).at(0).rowId)->sex, u"女"_qs);
    // Another computer's patient shows up too.
    Database other(m_main->location());
    QVERIFY(other.exec(u"insert into 患者信息 (序号, 姓名, 年龄) values ('张四zs1970', '张四', '1970')"_qs).ok);
    QCOMPARE(m_patients->find(u"zs"_qs).size(), 2);
}

QTEST_GUILESS_MAIN(TestPrescriptionStore)
#include "tst_prescriptionstore.moc"
