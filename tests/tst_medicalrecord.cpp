#include "messageboxcatcher.h"
#include "namedcontrol.h"
#include "popplertools.h"
#include "scriptedprintuser.h"
#include "testdatabase.h"
#include "teststartupvalues.h"
#include "widgetdriving.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>

#include "app/clinicservices.h"
#include "app/widgets/mainwindow.h"
#include "data/templaterepository.h"
#include "prescription/prescriptiondocument.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/widgets/prescriptiontoolbar.h"
#include "prescription/widgets/prescriptionwindow.h"
#include "print/cjkfonts.h"
#include "print/printerselection.h"
#include "records/medicalrecordtext.h"
#include "records/recordheader.h"
#include "records/widgets/medicalrecordwindow.h"
#include "settings/clinicsettings.h"

namespace {

QStringList nineSections(int index, const QString &text)
{
    QStringList sections(MedicalRecordText::SectionCount);
    sections[index] = text;
    return sections;
}

} // namespace

// The outpatient medical record: its stored form, its header, and the window beside the
// prescription window as the physician uses it, offscreen, on a fresh database.
class TestMedicalRecord : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void split_data();
    void split();
    void join_data();
    void join();
    void visitTime_data();
    void visitTime();
    void title_data();
    void title();

    void newPrescriptionShowsItsDiagnosis();
    void storedRecordFillsTheSections_data();
    void storedRecordFillsTheSections();
    void closingKeepsTheTextsWithThePrescription();
    void lookingAtTheRecordLeavesNothingToSave();
    void saveStoresTheRecordAndHistoryBringsItBack();
    void toolbarSaveStoresTheRecordTypedMeanwhile();
    void quotingThePrescription();
    void templateSearchAndInsertion_data();
    void templateSearchAndInsertion();
    void printsToPdfWithoutAPrinter();
    void overfullSectionsAreAnnounced_data();
    void overfullSectionsAreAnnounced();
    void withoutPrescriptionWindow();
    void mainWindowOpensAndClosesTheRecord();
    void deletingThePrescriptionDropsItsRecord();

private:
    MedicalRecordWindow *openRecord(PrescriptionDocument *prescription);
    QTextEdit *section(int index) const;
    void typeInto(QWidget *box, const QString &text);
    template<typename T>
    T *child(const QString &name) const { return namedControl<T>(m_record, name); }

    TestDatabase *m_main = nullptr;
    TestDatabase *m_stats = nullptr;
    ClinicServices *m_services = nullptr;
    PrescriptionDocument *m_document = nullptr;
    PrescriptionWindow *m_prescription = nullptr;
    QPointer<MedicalRecordWindow> m_record;
    QDateTime m_now;
};

void TestMedicalRecord::initTestCase()
{
    CjkFonts::installSubstitutions();
}

void TestMedicalRecord::init()
{
    m_main = new TestDatabase(DatabaseKind::Main);
    m_stats = new TestDatabase(DatabaseKind::Stats);
    m_now = QDateTime(QDate(2024, 3, 1), QTime(9, 30, 5));
    StartupValues values = testStartupValues(*m_main, m_stats);
    values.installationPrefix = u"TEST"_qs;
    m_services = new ClinicServices(values, m_main->folder());
    PrescriptionServices services = m_services->prescriptionServices();
    services.now = [this] { return m_now; };
    m_document = new PrescriptionDocument(services);
    m_prescription = new PrescriptionWindow(*m_document);
    m_prescription->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_prescription));
}

void TestMedicalRecord::cleanup()
{
    delete m_record;
    delete m_prescription;
    delete m_document;
    delete m_services;
    delete m_stats;
    delete m_main;
}

MedicalRecordWindow *TestMedicalRecord::openRecord(PrescriptionDocument *prescription)
{
    delete m_record;
    m_record = new MedicalRecordWindow(prescription, m_services->templates(), m_services->settings());
    m_record->show();
    if (!QTest::qWaitForWindowExposed(m_record))
        qFatal("record window not shown");
    return m_record;
}

QTextEdit *TestMedicalRecord::section(int index) const
{
    return child<QTextEdit>(u"Text2_%1"_qs.arg(index));
}

void TestMedicalRecord::typeInto(QWidget *box, const QString &text)
{
    box->setFocus();
    commitText(box, text);
}

void TestMedicalRecord::split_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("sections");
    QTest::newRow("nine sections") << u"咳嗽$受凉后咳嗽$体健$无$无$咽红$血常规正常$感冒$口服药物$"_qs
                                   << QStringList{u"咳嗽"_qs, u"受凉后咳嗽"_qs, u"体健"_qs, u"无"_qs, u"无"_qs,
                                                  u"咽红"_qs, u"血常规正常"_qs, u"感冒"_qs, u"口服药物"_qs};
    QTest::newRow("empty sections") << u"$$$$$$$感冒$$"_qs << nineSections(7, u"感冒"_qs);
    QTest::newRow("reading stops at the ninth $")
        << u"1$2$3$4$5$6$7$8$9$10$11"_qs
        << QStringList{u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs, u"5"_qs, u"6"_qs, u"7"_qs, u"8"_qs, u"9"_qs};
    QTest::newRow("fewer $ give fewer sections") << u"头痛$反复头痛三年$"_qs << QStringList{u"头痛"_qs, u"反复头痛三年"_qs};
    QTest::newRow("text after the last $ is no section") << u"头痛$未写完"_qs << QStringList{u"头痛"_qs};
    QTest::newRow("no $ at all") << u"头痛"_qs << QStringList();
    QTest::newRow("empty record") << QString() << QStringList();
    QTest::newRow("line breaks stay in their section") << u"头痛\r\n头晕$乏力$"_qs << QStringList{u"头痛\r\n头晕"_qs, u"乏力"_qs};
    QTest::newRow("full-width dollar is text") << u"收费＄5$"_qs << QStringList{u"收费＄5"_qs};
}

void TestMedicalRecord::split()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, sections);
    QCOMPARE(MedicalRecordText::split(stored), sections);
}

void TestMedicalRecord::join_data()
{
    QTest::addColumn<QStringList>("sections");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("readBack");
    const QStringList nine = {u"咳嗽"_qs, u"受凉后咳嗽"_qs, u"体健"_qs, u"无"_qs, u"无"_qs,
                              u"咽红"_qs, u"血常规正常"_qs, u"感冒"_qs, u"口服药物"_qs};
    QTest::newRow("nine sections") << nine << u"咳嗽$受凉后咳嗽$体健$无$无$咽红$血常规正常$感冒$口服药物$"_qs << nine;
    QTest::newRow("missing sections are empty") << QStringList{u"头痛"_qs} << u"头痛$$$$$$$$$"_qs << nineSections(0, u"头痛"_qs);
    QTest::newRow("a tenth section is dropped") << (QStringList(nine) << u"多余"_qs)
                                                << u"咳嗽$受凉后咳嗽$体健$无$无$咽红$血常规正常$感冒$口服药物$"_qs << nine;
    QTest::newRow("a $ typed into a section is stored full-width")
        << nineSections(4, u"对$过敏，另收$5"_qs) << u"$$$$对＄过敏，另收＄5$$$$$"_qs << nineSections(4, u"对＄过敏，另收＄5"_qs);
    QTest::newRow("line breaks stay") << nineSections(8, u"\r\n阿莫西林\r\n口服"_qs) << u"$$$$$$$$\r\n阿莫西林\r\n口服$"_qs
                                      << nineSections(8, u"\r\n阿莫西林\r\n口服"_qs);
}

void TestMedicalRecord::join()
{
    QFETCH(QStringList, sections);
    QFETCH(QString, stored);
    QFETCH(QStringList, readBack);
    QCOMPARE(MedicalRecordText::join(sections), stored);
    QCOMPARE(MedicalRecordText::split(stored), readBack);
}

void TestMedicalRecord::visitTime_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("line");
    QTest::newRow("morning visit") << u"TEST20240301093005"_qs << u"就诊时间：2024年03月01日09时30分"_qs;
    QTest::newRow("prefix with digits") << u"PC220241231235959"_qs << u"就诊时间：2024年12月31日23时59分"_qs;
    QTest::newRow("no prefix") << u"20240301000000"_qs << u"就诊时间：2024年03月01日00时00分"_qs;
    QTest::newRow("no id") << QString() << u"就诊时间："_qs;
    QTest::newRow("too short for a stamp") << u"2024030109"_qs << u"就诊时间："_qs;
    QTest::newRow("not a date") << u"TEST20241332093005"_qs << u"就诊时间："_qs;
}

void TestMedicalRecord::visitTime()
{
    QFETCH(QString, id);
    QFETCH(QString, line);
    QCOMPARE(RecordHeader::visitTime(id), line);
}

void TestMedicalRecord::title_data()
{
    QTest::addColumn<QString>("organisation");
    QTest::addColumn<QString>("title");
    QTest::newRow("ends in 处方笺") << u"青山镇卫生院处方笺"_qs << u"青山镇卫生院门诊病历"_qs;
    QTest::newRow("处方笺 anywhere, every one") << u"处方笺青山镇处方笺卫生院"_qs << u"青山镇卫生院门诊病历"_qs;
    QTest::newRow("without it") << u"青山镇卫生院"_qs << u"青山镇卫生院门诊病历"_qs;
    QTest::newRow("no name") << QString() << u"门诊病历"_qs;
}

void TestMedicalRecord::title()
{
    QFETCH(QString, organisation);
    QFETCH(QString, title);
    QCOMPARE(RecordHeader::title(organisation), title);
}

void TestMedicalRecord::newPrescriptionShowsItsDiagnosis()
{
    m_services->settings().setValue(Setting::OrganisationName, u"青山镇卫生院处方笺"_qs);
    PrescriptionSheet &sheet = m_prescription->sheet();
    sheet.setField(PrescriptionSheet::Name, u"张三"_qs);
    sheet.setField(PrescriptionSheet::Sex, u"男"_qs);
    sheet.setField(PrescriptionSheet::Age, u"35岁"_qs);
    sheet.setField(PrescriptionSheet::Department, u"内科"_qs);
    sheet.setField(PrescriptionSheet::Address, u"青山镇东街12号"_qs);
    sheet.setField(PrescriptionSheet::Diagnosis, u"感冒"_qs);
    QCOMPARE(sheet.id(), u"TEST20240301093005"_qs);
    QCOMPARE(sheet.medicalRecord(), QString());
    openRecord(m_document);

    QCOMPARE(m_record->objectName(), u"Form14"_qs);
    QCOMPARE(m_record->windowTitle(), u"门诊病历"_qs);
    for (const QString &name : {u"Picture1"_qs, u"Label24"_qs, u"Text1"_qs, u"List1"_qs, u"Label2_7"_qs, u"Label2_15"_qs,
                                u"编辑病历模板"_qs, u"引用处方"_qs, u"打印病历"_qs, u"保存"_qs, u"关闭"_qs})
        QVERIFY2(m_record->findChild<QWidget *>(name), qPrintable(name));
    QCOMPARE(child<QLabel>(u"Label2_12"_qs)->text(), u"体  检："_qs);
    const QList<QPair<QString, QString>> header = {
        {u"Label2_0"_qs, u"青山镇卫生院门诊病历"_qs}, {u"Label2_1"_qs, u"就诊时间：2024年03月01日09时30分"_qs},
        {u"Label2_2"_qs, u"姓名：张三"_qs},           {u"Label2_3"_qs, u"性别：男"_qs},
        {u"Label2_4"_qs, u"年龄：35岁"_qs},           {u"Label2_5"_qs, u"科别：内科"_qs},
        {u"Label2_6"_qs, u"住址/电话：青山镇东街12号"_qs}, {u"Label24"_qs, u"张三"_qs}};
    for (const auto &[name, text] : header)
        QCOMPARE(child<QLabel>(name)->text(), text);

    QCOMPARE(m_record->sections(), nineSections(7, u"感冒"_qs));
    // The first section is the current one: typing and templates go there.
    QCOMPARE(m_record->currentSection(), 0);
    QCOMPARE(QApplication::focusWidget(), section(0));
    // The treatment section scrolls; the sections print as wide as their boxes wrap.
    QCOMPARE(section(8)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(section(1)->height() > section(0)->height());
}

void TestMedicalRecord::storedRecordFillsTheSections_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("nine sections, no diagnosis put in") << u"咳嗽$$$$$$$$$"_qs << nineSections(0, u"咳嗽"_qs);
    QTest::newRow("fewer $ fill what they have") << u"$受凉后咳嗽\r\n三天$"_qs << nineSections(1, u"受凉后咳嗽\r\n三天"_qs);
}

void TestMedicalRecord::storedRecordFillsTheSections()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, shown);
    m_prescription->sheet().setField(PrescriptionSheet::Diagnosis, u"感冒"_qs);
    m_prescription->sheet().setMedicalRecord(stored);
    openRecord(m_document);
    QCOMPARE(m_record->sections(), shown);
    QCOMPARE(section(1)->toPlainText(), QString(shown.at(1)).replace(u"\r\n"_qs, u"\n"_qs));
}

void TestMedicalRecord::closingKeepsTheTextsWithThePrescription()
{
    PrescriptionSheet &sheet = m_prescription->sheet();
    openRecord(m_document);
    typeInto(section(0), u"咳嗽三天"_qs);
    typeInto(section(5), u"咽红\n双肺呼吸音粗"_qs);
    QTest::mouseClick(child<QPushButton>(u"关闭"_qs), Qt::LeftButton);
    QVERIFY(!m_record->isVisible());
    const QString expected = u"咳嗽三天$$$$$咽红\r\n双肺呼吸音粗$$$$"_qs;
    QCOMPARE(sheet.medicalRecord(), expected);
    // Only in the prescription: nothing was saved.
    QCOMPARE(count(m_main->database(), u"select count(*) from 档案"_qs), 0);

    openRecord(m_document);
    QCOMPARE(section(0)->toPlainText(), u"咳嗽三天"_qs);
    QCOMPARE(section(5)->toPlainText(), u"咽红\n双肺呼吸音粗"_qs);
    QCOMPARE(m_record->sections().join(QString()), u"咳嗽三天咽红\r\n双肺呼吸音粗"_qs);
    // Closing by the window frame (or the main window closing it) keeps the texts the same way.
    typeInto(section(2), u"体健"_qs);
    m_record->close();
    QCOMPARE(sheet.medicalRecord(), u"咳嗽三天$$体健$$$咽红\r\n双肺呼吸音粗$$$$"_qs);
}

// Opening the record of a saved prescription and closing it without typing must not leave the
// prescription with changes to save: the question on 新建 would then come after every look.
void TestMedicalRecord::lookingAtTheRecordLeavesNothingToSave()
{
    PrescriptionSheet &sheet = m_prescription->sheet();
    sheet.setField(PrescriptionSheet::Name, u"周八"_qs);
    sheet.setField(PrescriptionSheet::Diagnosis, u"感冒"_qs);
    QVERIFY(m_prescription->saveWithLayout());
    openRecord(m_document);
    QCOMPARE(m_record->sections(), nineSections(7, u"感冒"_qs));
    QTest::mouseClick(child<QPushButton>(u"关闭"_qs), Qt::LeftButton);
    QCOMPARE(sheet.medicalRecord(), QString());
    QVERIFY(!m_prescription->hasUnsavedChanges());

    // Typing is a change, kept with the prescription, even when it is typed away again.
    openRecord(m_document);
    typeInto(section(0), u"咳"_qs);
    QCOMPARE(sheet.medicalRecord(), u"咳$$$$$$$感冒$$"_qs);
    section(0)->clear();
    QTest::mouseClick(child<QPushButton>(u"关闭"_qs), Qt::LeftButton);
    QCOMPARE(sheet.medicalRecord(), u"$$$$$$$感冒$$"_qs);
    QVERIFY(m_prescription->hasUnsavedChanges());
}

void TestMedicalRecord::saveStoresTheRecordAndHistoryBringsItBack()
{
    PrescriptionSheet &sheet = m_prescription->sheet();
    sheet.setField(PrescriptionSheet::Name, u"李四"_qs);
    sheet.setField(PrescriptionSheet::Diagnosis, u"高血压病"_qs);
    openRecord(m_document);
    typeInto(section(0), u"头晕"_qs);
    // A $ typed into a section must not shift the later sections when the record is read back.
    typeInto(section(6), u"心电图$20"_qs);
    QTest::mouseClick(child<QPushButton>(u"保存"_qs), Qt::LeftButton);
    QVERIFY(m_record->isVisible());
    const QString stored = u"头晕$$$$$$心电图＄20$高血压病$$"_qs;
    QCOMPARE(column(m_main->database(), u"select 病历 from 档案 where 序号 = ?"_qs, {sheet.id()}), QStringList{stored});
    const QString id = sheet.id();
    m_record->close();

    // Another prescription, then the saved one reopened from the history.
    m_prescription->runToolbarAction(PrescriptionToolbar::New);
    QCOMPARE(sheet.medicalRecord(), QString());
    auto *history = m_prescription->findChild<QListWidget *>(u"List2"_qs);
    QCOMPARE(history->count(), 1);
    QTest::mouseClick(history->viewport(), Qt::LeftButton, {}, history->visualItemRect(history->item(0)).center());
    QCOMPARE(sheet.id(), id);
    openRecord(m_document);
    QCOMPARE(m_record->sections(),
             (QStringList{u"头晕"_qs, {}, {}, {}, {}, {}, u"心电图＄20"_qs, u"高血压病"_qs, {}}));
}

void TestMedicalRecord::toolbarSaveStoresTheRecordTypedMeanwhile()
{
    PrescriptionSheet &sheet = m_prescription->sheet();
    sheet.setField(PrescriptionSheet::Name, u"王五"_qs);
    openRecord(m_document);
    typeInto(section(0), u"腹痛"_qs);
    // The record window still open, the prescription saved from its own toolbar.
    m_prescription->runToolbarAction(PrescriptionToolbar::Save);
    QCOMPARE(column(m_main->database(), u"select 病历 from 档案 where 序号 = ?"_qs, {sheet.id()}),
             QStringList{u"腹痛$$$$$$$$$"_qs});
}

void TestMedicalRecord::quotingThePrescription()
{
    m_prescription->sheet().setBody(u"阿莫西林胶囊 0.25g×24粒\r\n    用法：2粒 每日3次 口服\r\n\r\n维生素C片 0.1g×100片\r\n"_qs);
    QCOMPARE(m_document->bodyDisplayLines().size(), 5);
    openRecord(m_document);
    typeInto(section(8), u"多饮水"_qs);
    // The caret is elsewhere: the quote still goes to the treatment.
    typeInto(section(0), u"咳嗽"_qs);
    QTest::mouseClick(child<QPushButton>(u"引用处方"_qs), Qt::LeftButton);
    QCOMPARE(m_record->sections().at(8),
             u"多饮水\r\n阿莫西林胶囊 0.25g×24粒\r\n    用法：2粒 每日3次 口服\r\n维生素C片 0.1g×100片"_qs);
    QCOMPARE(m_record->sections().at(0), u"咳嗽"_qs);
    QCOMPARE(QApplication::focusWidget(), section(8));

    // An empty body quotes nothing.
    m_prescription->sheet().setBody(QString());
    const QStringList before = m_record->sections();
    QTest::mouseClick(child<QPushButton>(u"引用处方"_qs), Qt::LeftButton);
    QCOMPARE(m_record->sections(), before);
}

void TestMedicalRecord::templateSearchAndInsertion_data()
{
    QTest::addColumn<int>("entered");
    QTest::addColumn<QString>("existing");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionEnd");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("expected");
    const QString allergy = u"否认药物及食物过敏史。"_qs;
    QTest::newRow("into the first section when none was entered")
        << -1 << QString() << 0 << 0 << u"gms"_qs << QStringList{u"过敏史"_qs} << allergy;
    QTest::newRow("at the caret of the section entered last")
        << 4 << u"青霉素过敏。"_qs << 3 << 3 << u"过敏"_qs << QStringList{u"过敏史"_qs} << u"青霉素"_qs + allergy + u"过敏。"_qs;
    QTest::newRow("replacing the selection")
        << 4 << u"待补充"_qs << 0 << 3 << u"gms"_qs << QStringList{u"过敏史"_qs} << allergy;
    QTest::newRow("typed initials find both")
        << 0 << QString() << 0 << 0 << u"gxy"_qs << QStringList{u"高血压主诉"_qs, u"高血压现病史"_qs}
        << u"反复头晕、头痛X年，加重X天。"_qs;
}

void TestMedicalRecord::templateSearchAndInsertion()
{
    QFETCH(int, entered);
    QFETCH(QString, existing);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionEnd);
    QFETCH(QString, search);
    QFETCH(QStringList, listed);
    QFETCH(QString, expected);
    openRecord(m_document);
    auto *list = child<QListWidget>(u"List1"_qs);
    // Every record template, in its order, before anything is typed.
    QCOMPARE(list->count(), m_services->templates().count(u"病历模板"_qs));
    QCOMPARE(list->item(0)->text(), u"高血压主诉"_qs);

    const int target = entered < 0 ? 0 : entered;
    if (entered >= 0) {
        QTextEdit *box = section(entered);
        box->setPlainText(existing);
        QTest::mouseClick(box->viewport(), Qt::LeftButton);
        QTextCursor cursor = box->textCursor();
        cursor.setPosition(selectionStart);
        cursor.setPosition(selectionEnd, QTextCursor::KeepAnchor);
        box->setTextCursor(cursor);
    }
    auto *search_ = child<QLineEdit>(u"Text1"_qs);
    search_->setFocus();
    typeInto(search_, search);
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->item(i)->text();
    QCOMPARE(shown, listed);

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QCOMPARE(m_record->sections().at(target), expected);
    QCOMPARE(m_record->currentSection(), target);
    QCOMPARE(QApplication::focusWidget(), section(target));
    for (int i = 0; i < MedicalRecordText::SectionCount; ++i) {
        if (i != target)
            QCOMPARE(m_record->sections().at(i), QString());
    }
}

void TestMedicalRecord::printsToPdfWithoutAPrinter()
{
    QTemporaryDir folder;
    ScriptedPrintUser user;
    user.pdfPath = folder.filePath(u"病历.pdf"_qs);
    PrescriptionSheet &sheet = m_prescription->sheet();
    sheet.setField(PrescriptionSheet::Name, u"张三"_qs);
    sheet.setField(PrescriptionSheet::Physician, u"李明"_qs);
    openRecord(m_document);
    m_record->setPrinting(PrinterSelection({}, QString()), user.prompts());
    typeInto(section(0), u"咳嗽三天"_qs);
    // Ten treatment lines: nine on the first page, the tenth on a second.
    QString treatment;
    for (int k = 1; k <= 10; ++k)
        treatment += u"处理第%1行\n"_qs.arg(k);
    typeInto(section(8), treatment);
    QCOMPARE(m_record->form().pageCount(), 2);

    QTest::mouseClick(child<QPushButton>(u"打印病历"_qs), Qt::LeftButton);
    // No printer: the one question is whether to save a PDF instead.
    QCOMPARE(user.questions.size(), 1);
    QVERIFY2(user.questions.at(0).contains(u"PDF"_qs), qPrintable(user.questions.at(0)));
    QVERIFY(QFileInfo::exists(user.pdfPath));
    QCOMPARE(user.messages, QStringList());
    if (!hasPoppler())
        QSKIP("poppler-utils (pdftotext, pdfinfo) is not installed");
    QCOMPARE(pdfPageCount(user.pdfPath), 2);
    const QString text = pdfTextWithoutBlanks(user.pdfPath);
    for (const QString &expected : {u"青山镇卫生院门诊病历"_qs, u"就诊时间：2024年03月01日09时30分"_qs, u"姓名：张三"_qs,
                                    u"咳嗽三天"_qs, u"处理第9行"_qs, u"处理第10行"_qs, u"医师：李明"_qs, u"第2页"_qs})
        QVERIFY2(text.contains(expected), qPrintable(expected + u" in "_qs + text));
}

void TestMedicalRecord::overfullSectionsAreAnnounced_data()
{
    QTest::addColumn<QString>("presentIllness");
    QTest::addColumn<QString>("chiefComplaint");
    QTest::addColumn<bool>("goOn");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<bool>("printed");
    const QString longLine = QString(40, u'咳');
    QTest::newRow("three lines fit") << u"一\n二\n三"_qs << u"咳嗽"_qs << true << QString() << true;
    QTest::newRow("a fourth line of 现病史, the user stops")
        << u"一\n二\n三\n四"_qs << u"咳嗽"_qs << false << u"现病史"_qs << false;
    QTest::newRow("wrapped past three lines, and 主诉 too wide, the user goes on")
        << QString(100, u'痛') << longLine << true << u"主诉、现病史"_qs << true;
}

void TestMedicalRecord::overfullSectionsAreAnnounced()
{
    QFETCH(QString, presentIllness);
    QFETCH(QString, chiefComplaint);
    QFETCH(bool, goOn);
    QFETCH(QString, warning);
    QFETCH(bool, printed);
    QTemporaryDir folder;
    ScriptedPrintUser user;
    user.pdfPath = folder.filePath(u"病历.pdf"_qs);
    user.answer = [goOn](const QString &question) { return !question.contains(u"仍要打印"_qs) || goOn; };
    openRecord(m_document);
    m_record->setPrinting(PrinterSelection({}, QString()), user.prompts());
    typeInto(section(0), chiefComplaint);
    typeInto(section(1), presentIllness);
    m_record->printRecord();

    QStringList warnings;
    for (const QString &question : std::as_const(user.questions)) {
        if (question.contains(u"仍要打印"_qs))
            warnings << question;
    }
    if (warning.isEmpty()) {
        QCOMPARE(warnings, QStringList());
    } else {
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings.at(0).contains(u"\n"_qs + warning + u"\n"_qs), qPrintable(warnings.at(0)));
    }
    QCOMPARE(QFileInfo::exists(user.pdfPath), printed);
}

void TestMedicalRecord::withoutPrescriptionWindow()
{
    openRecord(nullptr);
    ScriptedPrintUser user;
    m_record->setPrinting(PrinterSelection({}, QString()), user.prompts());
    QCOMPARE(m_record->sections(), QStringList(MedicalRecordText::SectionCount));
    QCOMPARE(child<QLabel>(u"Label2_1"_qs)->text(), u"就诊时间："_qs);
    typeInto(section(0), u"咳嗽"_qs);
    MessageBoxCatcher catcher;
    QTest::mouseClick(child<QPushButton>(u"引用处方"_qs), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(u"保存"_qs), Qt::LeftButton);
    QCOMPARE(catcher.texts(), QStringList{u"处方录入窗口没有打开，病历无法保存。"_qs});
    QTest::mouseClick(child<QPushButton>(u"打印病历"_qs), Qt::LeftButton);
    QCOMPARE(user.questions.size(), 1);
    QTest::mouseClick(child<QPushButton>(u"关闭"_qs), Qt::LeftButton);
    QVERIFY(!m_record->isVisible());
    QCOMPARE(m_prescription->sheet().medicalRecord(), QString());
}

void TestMedicalRecord::mainWindowOpensAndClosesTheRecord()
{
    MainWindow main(*m_services);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    PrescriptionWindow *prescription = main.prescriptionWindow();
    QVERIFY(prescription);
    prescription->sheet().setField(PrescriptionSheet::Diagnosis, u"胃炎"_qs);

    prescription->runToolbarAction(PrescriptionToolbar::MedicalRecord);
    QPointer<QWidget> first = main.childWindow(u"Form14"_qs);
    QVERIFY(first);
    QCOMPARE(first->findChild<QTextEdit *>(u"Text2_7"_qs)->toPlainText(), u"胃炎"_qs);
    typeInto(first->findChild<QTextEdit *>(u"Text2_0"_qs), u"胃痛"_qs);

    // The menu opens it afresh; the record typed stays with the prescription.
    main.findChild<QAction *>(u"门诊病历(B)"_qs)->trigger();
    QVERIFY(!first);
    QPointer<QWidget> second = main.childWindow(u"Form14"_qs);
    QVERIFY(second);
    QCOMPARE(second->findChild<QTextEdit *>(u"Text2_0"_qs)->toPlainText(), u"胃痛"_qs);

    // "编辑病历模板" closes the record and opens the record templates.
    QTest::mouseClick(second->findChild<QPushButton *>(u"编辑病历模板"_qs), Qt::LeftButton);
    QTRY_VERIFY(!second);
    QVERIFY(main.childWindow(u"Form4"_qs));
    QCOMPARE(main.childWindow(u"Form4"_qs)->property("category").toString(), u"病历模板"_qs);
    QCOMPARE(prescription->sheet().medicalRecord(), u"胃痛$$$$$$$胃炎$$"_qs);

    // A new prescription closes the record window and starts an empty record.
    prescription->runToolbarAction(PrescriptionToolbar::MedicalRecord);
    QPointer<QWidget> third = main.childWindow(u"Form14"_qs);
    QVERIFY(third);
    prescription->runToolbarAction(PrescriptionToolbar::New);
    QTRY_VERIFY(!third);
    QCOMPARE(prescription->sheet().medicalRecord(), QString());
}

void TestMedicalRecord::deletingThePrescriptionDropsItsRecord()
{
    MainWindow main(*m_services);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    PrescriptionWindow *prescription = main.prescriptionWindow();
    prescription->sheet().setField(PrescriptionSheet::Name, u"钱七"_qs);
    QVERIFY(prescription->saveWithLayout());
    prescription->runToolbarAction(PrescriptionToolbar::MedicalRecord);
    QPointer<QWidget> record = main.childWindow(u"Form14"_qs);
    QVERIFY(record);
    typeInto(record->findChild<QTextEdit *>(u"Text2_0"_qs), u"咽痛"_qs);

    auto *history = prescription->findChild<QListWidget *>(u"List2"_qs);
    QTest::mouseRelease(history->viewport(), Qt::RightButton, {}, history->visualItemRect(history->item(0)).center());
    MessageBoxCatcher catcher;
    QTest::mouseClick(prescription->findChild<QLabel *>(u"Label9_0"_qs), Qt::LeftButton);
    QCOMPARE(catcher.texts().size(), 1);
    QVERIFY(catcher.texts().first().startsWith(u"确实要永久删除该档案吗？"_qs));
    // The next patient's prescription must not carry the deleted one's record.
    QTRY_VERIFY(!record);
    QCOMPARE(prescription->sheet().medicalRecord(), QString());
    prescription->runToolbarAction(PrescriptionToolbar::MedicalRecord);
    QCOMPARE(main.childWindow(u"Form14"_qs)->findChild<QTextEdit *>(u"Text2_0"_qs)->toPlainText(), QString());
}

QTEST_MAIN(TestMedicalRecord)
#include "tst_medicalrecord.moc"
