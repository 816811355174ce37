#include "testdatabase.h"

#include "data/archiverepository.h"
#include "data/cataloguelookup.h"
#include "data/patientrepository.h"
#include "data/statisticsrepository.h"
#include "prescription/patientkey.h"
#include "prescription/prescriptionhistory.h"
#include "prescription/prescriptionlifecycle.h"
#include "prescription/prescriptionpricer.h"
#include "prescription/prescriptionsaver.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/settlement.h"

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
    void refusedStatisticsAreReported();
    void historyListAndDelete();
    void kindSwitchStartsAFreshPrescriptionOnce();
    void patientListFollowsSavesHereAndElsewhere();

private:
    void fillWestern();
    void fillChinese();

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
    m_statistics = std::make_unique<StatisticsRepository>(m_stats->database());
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
    QVERIFY2(result.write.message.contains(u"3"_qs), qPrintable(result.write.message));
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

void TestPrescriptionStore::refusedStatisticsAreReported()
{
    fillWestern();
    // 数量 holds five characters: a quantity of six is refused and named, the archive is saved.
    m_sheet->setBody(u"注射费 123456次\r\n"_qs);
    const Settlement::Result result = Settlement(*m_sheet, *m_pricer, *m_saver, *m_statistics).settle();
    QVERIFY(result.save.saved());
    QVERIFY(!result.statistics.ok);
    QVERIFY2(result.messages().join(u'\n').contains(u"数量"_qs), qPrintable(result.messages().join(u'\n')));
    QCOMPARE(m_statistics->countFor(m_sheet->id()), 0);
    QCOMPARE(count(m_main->database(), u"select count(*) from 档案 where 发药 = '-已结算'"_qs), 1);
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
