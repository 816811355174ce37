#include "testdatabase.h"
#include "teststartupvalues.h"

#include <QSignalSpy>
#include <QTest>

#include "app/clinicservices.h"
#include "data/archiverepository.h"
#include "prescription/drugcategories.h"
#include "prescription/prescriptiondocument.h"
#include "prescription/prescriptionhistory.h"
#include "prescription/prescriptionsheet.h"

// The prescription on screen as one document: whatever stores, lays out or reopens it, the
// infusion card follows one rule (a typed card stays until the body's infusion lines change), and
// the document knows whether it holds changes since it was last stored.
class TestPrescriptionDocument : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cardPolicy_data();
    void cardPolicy();
    void modifiedFollowsTheSheet();
    void printOverridesStayWithTheStoredPrescription();

private:
    // The archive rows of the day for the test patient.
    QList<ArchiveRepository::HistoryEntry> storedRows() const;

    TestDatabase *m_main = nullptr;
    TestDatabase *m_stats = nullptr;
    ClinicServices *m_services = nullptr;
    PrescriptionDocument *m_document = nullptr;
};

namespace {

enum class Step { Save, Settle, LayOut, Reopen, NewInfusionLine };

const QString TypedCard = QStringLiteral("青霉素皮试（-）\r\n护士：王芳\r\n");
// A herbal body as typed by hand, not yet laid out three herbs to a line.
const QString HerbsByHand = QStringLiteral("当归10g 川芎6g 白芍12g 熟地黄15g\r\n煎药费 1次");
const QString Infusion = QStringLiteral("5%葡萄糖注射液 250ml\r\n    用法：静滴 每日1次\r\n");
const QString InfusionCard = QStringLiteral("5%葡萄糖注射液 250ml\r\n    用法：静滴 每日1次\r\n");
const QString TwoInfusions = Infusion + QStringLiteral("0.9%氯化钠注射液 100ml\r\n    用法：静滴 每日1次\r\n");

} // namespace

void TestPrescriptionDocument::init()
{
    m_main = new TestDatabase(DatabaseKind::Main);
    m_stats = new TestDatabase(DatabaseKind::Stats);
    StartupValues values = testStartupValues(*m_main, m_stats);
    values.installationPrefix = u"TEST"_qs;
    m_services = new ClinicServices(values, m_main->folder());
    PrescriptionServices services = m_services->prescriptionServices();
    services.now = [] { return QDateTime(QDate(2024, 3, 1), QTime(9, 30, 5)); };
    m_document = new PrescriptionDocument(services);
    m_document->start();
}

void TestPrescriptionDocument::cleanup()
{
    delete m_document;
    delete m_services;
    delete m_stats;
    delete m_main;
}

QList<ArchiveRepository::HistoryEntry> TestPrescriptionDocument::storedRows() const
{
    return m_document->history().query(u"张三"_qs, u"2024-03-01"_qs, u"2024-03-01"_qs);
}

void TestPrescriptionDocument::cardPolicy_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("typed");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("card");

    const struct
    {
        const char *name;
        Step step;
    } steps[] = {{"save", Step::Save}, {"settle", Step::Settle}, {"lay out", Step::LayOut}, {"reopen", Step::Reopen}};
    for (const auto &entry : steps) {
        const QByteArray name(entry.name);
        QTest::newRow(name + ", herbs by hand, card typed") << true << HerbsByHand << true << int(entry.step) << TypedCard;
        QTest::newRow(name + ", herbs by hand, card not typed") << true << HerbsByHand << false << int(entry.step) << QString();
        QTest::newRow(name + ", infusion, card typed") << false << Infusion << true << int(entry.step) << TypedCard;
        QTest::newRow(name + ", infusion, card not typed") << false << Infusion << false << int(entry.step) << InfusionCard;
    }
    // The other half of the rule: new infusion lines give a new card, typed or not.
    QTest::newRow("infusion line added, card typed") << false << Infusion << true << int(Step::NewInfusionLine) << TwoInfusions;
    QTest::newRow("infusion line added, card not typed") << false << Infusion << false << int(Step::NewInfusionLine) << TwoInfusions;
}

void TestPrescriptionDocument::cardPolicy()
{
    QFETCH(bool, chinese);
    QFETCH(QString, body);
    QFETCH(bool, typed);
    QFETCH(int, step);
    QFETCH(QString, card);

    PrescriptionSheet &sheet = m_document->sheet();
    if (chinese) {
        sheet.setCurrentCategory(DrugCategories::Herbs);
        m_document->selectCategory(DrugCategories::Herbs);
    }
    sheet.setField(PrescriptionSheet::Name, u"张三"_qs);
    sheet.setBody(body);
    if (typed)
        sheet.setCardText(TypedCard);

    switch (Step(step)) {
    case Step::Save:
        QVERIFY(m_document->save().saved());
        break;
    case Step::Settle:
        QVERIFY(m_document->settle().save.saved());
        break;
    case Step::LayOut:
        sheet.layOutHerbs();
        break;
    case Step::Reopen: {
        QVERIFY(m_document->save().saved());
        const QString id = sheet.id();
        m_document->newPrescription();
        QCOMPARE(sheet.cardText(), QString());
        const QList<ArchiveRepository::HistoryEntry> entries = storedRows();
        QCOMPARE(entries.size(), 1);
        QVERIFY(m_document->reopen(entries.first().rowId));
        QCOMPARE(sheet.id(), id);
        break;
    }
    case Step::NewInfusionLine:
        sheet.setBody(TwoInfusions);
        break;
    }
    // A herbal body by hand is laid out by every step that stores it.
    if (chinese && Step(step) != Step::NewInfusionLine)
        QVERIFY(sheet.body() != body);

    QCOMPARE(sheet.cardText(), card);
    if (Step(step) == Step::Save || Step(step) == Step::Settle || Step(step) == Step::Reopen) {
        const QList<ArchiveRepository::HistoryEntry> entries = storedRows();
        QCOMPARE(entries.size(), 1);
        const std::optional<ArchiveRecord> stored = m_services->archive().byRowId(entries.first().rowId);
        QVERIFY(stored);
        QCOMPARE(stored->cardText, card);
    }
}

void TestPrescriptionDocument::modifiedFollowsTheSheet()
{
    QSignalSpy changes(m_document, &PrescriptionDocument::modifiedChanged);
    QVERIFY(!m_document->isModified());
    QVERIFY(!m_document->holdsTyping());

    m_document->sheet().setField(PrescriptionSheet::Name, u"张三"_qs);
    QVERIFY(m_document->isModified());
    QVERIFY(m_document->holdsTyping());
    QVERIFY(!m_document->isStored());
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.takeFirst().at(0).toBool(), true);

    QVERIFY(m_document->save().saved());
    QVERIFY(!m_document->isModified());
    QVERIFY(m_document->isStored());
    QCOMPARE(m_document->savedId(), m_document->sheet().id());
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.takeFirst().at(0).toBool(), false);

    // A fresh prescription is neither changed nor stored.
    QSignalSpy replacing(m_document, &PrescriptionDocument::replacing);
    m_document->newPrescription();
    QCOMPARE(replacing.size(), 1);
    QVERIFY(!m_document->isModified());
    QVERIFY(!m_document->isStored());
}

// Printing despite red warnings is kept with the stored prescription: later saves keep it, a copy
// does not carry it, and an unsaved prescription has nowhere to keep it.
void TestPrescriptionDocument::printOverridesStayWithTheStoredPrescription()
{
    ArchiveRepository archive(m_main->database());
    PrescriptionSheet &sheet = m_document->sheet();
    sheet.setField(PrescriptionSheet::Name, u"张三"_qs);
    sheet.setBody(u"阿莫西林胶囊 0.25g×24粒\r\n"_qs);
    QVERIFY(!m_document->keepPrintOverride(u"未保存时"_qs).ok);

    QVERIFY(m_document->save().saved());
    const QString id = sheet.id();
    QVERIFY(m_document->keepPrintOverride(u"2024-03-01 09:30:05 仍打印：【过敏】甲"_qs).ok);
    sheet.setBody(u"阿莫西林胶囊 0.25g×12粒\r\n"_qs);
    QVERIFY(m_document->save().saved());
    QVERIFY(m_document->keepPrintOverride(u"2024-03-01 09:40:00 仍打印：【过敏】乙"_qs).ok);
    QCOMPARE(archive.printOverrides(id),
             (QStringList{u"2024-03-01 09:30:05 仍打印：【过敏】甲"_qs, u"2024-03-01 09:40:00 仍打印：【过敏】乙"_qs}));

    m_document->copy();
    QVERIFY(m_document->save().saved());
    QVERIFY(sheet.id() != id);
    QCOMPARE(archive.printOverrides(sheet.id()), QStringList());
}

QTEST_MAIN(TestPrescriptionDocument)
#include "tst_prescriptiondocument.moc"
