#include "messageboxcatcher.h"
#include "namedcontrol.h"
#include "testdatabase.h"
#include "teststartupvalues.h"
#include "widgetdriving.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QSignalSpy>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>

#include "app/clinicservices.h"
#include "data/archiverepository.h"
#include "prescription/bodytext.h"
#include "prescription/prescriptiondocument.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/widgets/drugpickerpanel.h"
#include "prescription/widgets/prescriptionwindow.h"
#include "prescription/widgets/safetystrip.h"
#include "print/printerselection.h"
#include "print/widgets/printprompts.h"

// The prescription window as the physician uses it, offscreen, on a fresh database.
class TestPrescriptionWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void controlsCarryTheirNames();
    void enterFollowsTheReadingOrder_data();
    void enterFollowsTheReadingOrder();
    void tabLeavesTheBody();
    void patientLookupAndPick();
    void diagnosisCompletesTheLastOne();
    void pickingDrugsAndHerbs();
    void doubleClickOnAHerbKeepsIt();
    void herbPickedAfterAChargeItemGoesInFront();
    void chineseButtonTwiceStartsFreshOnce();
    void settleSaveAndReopenFromHistory();
    void deleteAsksThenResets();
    void deleteFromTheMenuOfAnotherRow();
    void deletedPrescriptionComesBackFromTheMenu();
    void longAllergyNeverBlocksTheSave();
    void settledMarkShownAndCleared();
    void typedQuantityRecomputes();
    void reopenedFeesSplitByTheirOwnLines();
    void printingWithoutAPrinterOffersAPdf();
    void safetyStripFollowsEdits();
    void safetyStripCountsWhatDoesNotFit();
    void missingDiagnosisShownOnSavedPrescriptions();
    void unsavedTypingIsOfferedBeforeANewPrescription_data();
    void unsavedTypingIsOfferedBeforeANewPrescription();
    void historyDayPaging_data();
    void historyDayPaging();
    void printingAsksOnlyForRedWarnings_data();
    void printingAsksOnlyForRedWarnings();
    void printingFromPreviewAsksAndKeepsTheOverride();

private:
    template<typename T>
    T *child(const QString &name) const { return namedControl<T>(m_window, name); }
    void type(const QString &field, const QString &text);
    void clickCategory(int index);
    // Types the search text and picks the listed item with Enter.
    void pickItem(const QString &typed, const QString &item);
    // 当归 and 山药, then the charge item 煎药费 below them.
    void pickTwoHerbsAndTheDecoctionFee();
    QStringList results() const;

    TestDatabase *m_main = nullptr;
    TestDatabase *m_stats = nullptr;
    ClinicServices *m_services = nullptr;
    PrescriptionDocument *m_document = nullptr;
    PrescriptionWindow *m_window = nullptr;
    QDateTime m_now;
};

void TestPrescriptionWindow::init()
{
    m_main = new TestDatabase(DatabaseKind::Main);
    m_stats = new TestDatabase(DatabaseKind::Stats);
    m_now = QDateTime(QDate(2026, 12, 10), QTime(9, 0));
    StartupValues values = testStartupValues(*m_main, m_stats);
    values.installationPrefix = u"TEST"_qs;
    m_services = new ClinicServices(values, m_main->folder());
    PrescriptionServices services = m_services->prescriptionServices();
    services.now = [this] { return m_now; };
    m_document = new PrescriptionDocument(services);
    m_window = new PrescriptionWindow(*m_document);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestPrescriptionWindow::cleanup()
{
    delete m_window;
    delete m_document;
    delete m_services;
    delete m_stats;
    delete m_main;
}

void TestPrescriptionWindow::enterFollowsTheReadingOrder_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("姓名 to 性别") << u"Text5_0"_qs << u"Text5_1"_qs;
    QTest::newRow("性别 to 年龄") << u"Text5_1"_qs << u"Text5_2"_qs;
    QTest::newRow("年龄 to 科别") << u"Text5_2"_qs << u"Text5_3"_qs;
    QTest::newRow("科别 to 住址") << u"Text5_3"_qs << u"Text5_4"_qs;
    QTest::newRow("住址 to 日期") << u"Text5_4"_qs << u"Text5_5"_qs;
    QTest::newRow("日期 to 诊断") << u"Text5_5"_qs << u"Text5_6"_qs;
    QTest::newRow("诊断 to 过敏史, past the fee fields") << u"Text5_6"_qs << u"Text5_13"_qs;
    QTest::newRow("过敏史 to the drug search") << u"Text5_13"_qs << u"Text1"_qs;
    QTest::newRow("配药 to 复核 at the foot") << u"Text5_8"_qs << u"Text5_17"_qs;
    QTest::newRow("复核 to 药费") << u"Text5_17"_qs << u"Text5_9"_qs;
}

void TestPrescriptionWindow::enterFollowsTheReadingOrder()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    // The caret waits in 姓名 when the window opens.
    QCOMPARE(QApplication::focusWidget(), child<QWidget>(u"Text5_0"_qs));
    auto *field = child<QLineEdit>(from);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Return);
    QVERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget()->objectName(), to);
    // Tab takes the same way through the header.
    if (from != u"Text5_13"_qs) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), to);
    }
}

void TestPrescriptionWindow::tabLeavesTheBody()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    auto *body = child<QPlainTextEdit>(u"R1"_qs);
    body->setFocus();
    QTest::keyClicks(body, u"Rp"_qs);
    QTest::keyClick(body, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != body);
    QCOMPARE(m_document->sheet().body(), u"Rp"_qs);
    // A tab pasted in is stored as a space.
    body->setFocus();
    body->moveCursor(QTextCursor::End);
    body->insertPlainText(u"\t阿莫西林\t0.25g"_qs);
    QCOMPARE(m_document->sheet().body(), u"Rp 阿莫西林 0.25g"_qs);
    QCOMPARE(body->toPlainText(), u"Rp 阿莫西林 0.25g"_qs);
}

void TestPrescriptionWindow::type(const QString &field, const QString &text)
{
    auto *box = child<QLineEdit>(field);
    box->setFocus();
    box->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    commitText(box, text);
}

void TestPrescriptionWindow::clickCategory(int index)
{
    child<QPushButton>(u"Command1_%1"_qs.arg(index))->click();
}

void TestPrescriptionWindow::pickItem(const QString &typed, const QString &item)
{
    child<QLineEdit>(u"Text1"_qs)->setText(typed);
    const int row = int(results().indexOf(item));
    QVERIFY2(row >= 0, qPrintable(results().join(u'|')));
    auto *list = child<QListView>(u"List1"_qs);
    list->setCurrentIndex(list->model()->index(row, 0));
    QTest::keyClick(list, Qt::Key_Return);
}

void TestPrescriptionWindow::pickTwoHerbsAndTheDecoctionFee()
{
    clickCategory(DrugCategories::Herbs);
    pickItem(u"dg"_qs, u"当归 10g"_qs);
    pickItem(u"sy"_qs, u"山药 10g"_qs);
    clickCategory(DrugCategories::ChargeItems);
    pickItem(u"jyf"_qs, u"煎药费 1次"_qs);
}

QStringList TestPrescriptionWindow::results() const
{
    return m_window->findChild<DrugPickerPanel *>()->resultTexts();
}

void TestPrescriptionWindow::controlsCarryTheirNames()
{
    QCOMPARE(m_window->objectName(), u"Form2"_qs);
    QVERIFY(m_window->windowTitle().endsWith(u"处方录入"_qs));
    for (const QString &name : {u"Text1"_qs, u"R1"_qs, u"Text6"_qs, u"VScroll1"_qs, u"Label16"_qs, u"Label17"_qs, u"Text5_0"_qs,
                                u"Text5_17"_qs, u"Command1_16"_qs, u"Command8_7"_qs, u"Label2_4"_qs, u"Lb2_0"_qs, u"Lb8_35"_qs,
                                u"Toolbar_0"_qs, u"Toolbar_9"_qs, u"List1"_qs, u"List2"_qs, u"List3"_qs, u"List4"_qs, u"List5"_qs,
                                u"划价结算"_qs, u"撤消结算"_qs, u"按斗位排序"_qs, u"自动划价帮助"_qs, u"打印输液卡"_qs, u"静脉滴注"_qs, u"text9"_qs})
        QVERIFY2(m_window->findChild<QWidget *>(name), qPrintable(name));
    QCOMPARE(child<QLineEdit>(u"Text5_7"_qs)->text(), u"李明"_qs);
    QCOMPARE(child<QLineEdit>(u"Text5_17"_qs)->text(), u"王芳"_qs);
    QCOMPARE(child<QLineEdit>(u"Text5_5"_qs)->text(), u"2026-12-10"_qs);
    QCOMPARE(child<QLineEdit>(u"Text5_13"_qs)->text(), u"未发现"_qs);
    QCOMPARE(child<QLineEdit>(u"Text5_12"_qs)->text(), u"20261210090000"_qs);
    QVERIFY(!child<QWidget>(u"Picture7_12"_qs)->isVisible());
    QCOMPARE(child<QLineEdit>(u"Text5_3"_qs)->maxLength(), 10);
    QCOMPARE(child<QLabel>(u"Label2_0"_qs)->text(), u"青山镇卫生院"_qs);
    // The toolbar stands in its on-screen order.
    QList<int> order;
    for (int i = 0; i < 10; ++i)
        order.append(child<QToolButton>(u"Toolbar_%1"_qs.arg(i))->x());
    QVERIFY(order[0] < order[1] && order[1] < order[9] && order[9] < order[2] && order[2] < order[3]);
}

void TestPrescriptionWindow::patientLookupAndPick()
{
    PrescriptionSheet &sheet = m_window->sheet();
    // A returning patient saved once.
    type(u"Text5_0"_qs, u"王小明"_qs);
    type(u"Text5_2"_qs, u"45岁"_qs);
    child<QLineEdit>(u"Text5_1"_qs)->setFocus();
    sheet.setField(PrescriptionSheet::Sex, u"1"_qs);
    sheet.setField(PrescriptionSheet::Telephone, u"13900000000"_qs);
    sheet.setField(PrescriptionSheet::Allergy, u"青霉素"_qs);
    QVERIFY(m_window->saveWithLayout());
    m_window->runToolbarAction(0);

    auto *patients = child<QListWidget>(u"List3"_qs);
    type(u"Text5_0"_qs, u"w"_qs);
    QVERIFY(!patients->isVisible());
    type(u"Text5_0"_qs, u"wx"_qs);
    QVERIFY(patients->isVisible());
    QCOMPARE(patients->item(0)->text(), u"王小明[45岁]"_qs);
    QTest::keyClick(child<QLineEdit>(u"Text5_0"_qs), Qt::Key_Down);
    QCOMPARE(patients->currentRow(), 0);
    QTest::keyClick(patients, Qt::Key_Return);
    QCOMPARE(sheet.field(PrescriptionSheet::Name), u"王小明"_qs);
    QCOMPARE(sheet.field(PrescriptionSheet::Sex), u"男"_qs);
    QCOMPARE(sheet.field(PrescriptionSheet::Age), u"45岁"_qs);
    QCOMPARE(sheet.field(PrescriptionSheet::Allergy), u"青霉素"_qs);
    QCOMPARE(sheet.field(PrescriptionSheet::Telephone), u"13900000000"_qs);
    QVERIFY(!patients->isVisible());
    QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(u"Text5_6"_qs));
}

void TestPrescriptionWindow::diagnosisCompletesTheLastOne()
{
    type(u"Text5_6"_qs, u"高血压病 bm"_qs);
    auto *diagnoses = child<QListWidget>(u"List4"_qs);
    QVERIFY(diagnoses->isVisible());
    QCOMPARE(diagnoses->item(0)->text(), u"便秘"_qs);
    diagnoses->setCurrentRow(0);
    QTest::keyClick(diagnoses, Qt::Key_Return);
    QCOMPARE(m_window->sheet().field(PrescriptionSheet::Diagnosis), u"高血压病 便秘"_qs);
    // The sex shortcut and the Enter key.
    type(u"Text5_1"_qs, u"2"_qs);
    QCOMPARE(child<QLineEdit>(u"Text5_1"_qs)->text(), u"女"_qs);
    QTest::keyClick(child<QLineEdit>(u"Text5_1"_qs), Qt::Key_Return);
    QVERIFY(QApplication::focusWidget() != child<QLineEdit>(u"Text5_1"_qs));
}

void TestPrescriptionWindow::pickingDrugsAndHerbs()
{
    PrescriptionSheet &sheet = m_window->sheet();
    auto *search = child<QLineEdit>(u"Text1"_qs);
    search->setFocus();
    QTest::keyClicks(search, u"amxljn"_qs);
    QVERIFY2(results().contains(u"阿莫西林胶囊 0.25g×24粒"_qs), qPrintable(results().join(u'|')));
    // Enter with one item listed picks it.
    QCOMPARE(results().size(), 1);
    QTest::keyClick(search, Qt::Key_Return);
    QCOMPARE(sheet.body(), u"阿莫西林胶囊 0.25g×24粒\r\n    用法：2粒 每日3次 口服\r\n\r\n"_qs);
    QCOMPARE(search->text(), QString());
    // The keypad: ABCD, MNOP, ← leaves "1".
    child<QPushButton>(u"Command8_0"_qs)->click();
    child<QPushButton>(u"Command8_3"_qs)->click();
    child<QPushButton>(u"Command8_7"_qs)->click();
    QCOMPARE(search->text(), u"1"_qs);
    // A usage button appends its line.
    child<QPushButton>(u"静脉滴注"_qs)->click();
    QVERIFY(sheet.body().endsWith(u"    用法：静脉滴注  每日1次\r\n\r\n"_qs));

    clickCategory(DrugCategories::Herbs);
    QCOMPARE(sheet.kind(), PrescriptionKind::Chinese);
    QVERIFY(child<QLineEdit>(u"Text6"_qs)->isVisible());
    QCOMPARE(child<QLabel>(u"Label2_4"_qs)->text(), u"中医"_qs);
    QCOMPARE(sheet.body(), QString());
    for (const QString &herb : {u"当归 10g"_qs, u"川芎 10g"_qs}) {
        // Typed by initials (当归 dg, 川芎 cx), picked from the list by Enter.
        search->setText(herb == u"当归 10g"_qs ? u"dg"_qs : u"cx"_qs);
        const int row = int(results().indexOf(herb));
        QVERIFY2(row >= 0, qPrintable(results().join(u'|')));
        auto *list = child<QListView>(u"List1"_qs);
        list->setCurrentIndex(list->model()->index(row, 0));
        QTest::keyClick(list, Qt::Key_Return);
    }
    QVERIFY2(sheet.body().startsWith(u"当归 10g     "_qs), qPrintable(sheet.body()));
    QVERIFY(sheet.body().contains(u"川芎 10g"_qs));
    QCOMPARE(child<QLabel>(u"Label17"_qs)->text(), u"中药剂数：6"_qs);
}

void TestPrescriptionWindow::doubleClickOnAHerbKeepsIt()
{
    PrescriptionSheet &sheet = m_window->sheet();
    pickTwoHerbsAndTheDecoctionFee();
    // A double-click on 当归 lays the herbs out again; the word is not left selected for the
    // next pick to replace.
    auto *body = child<QPlainTextEdit>(u"R1"_qs);
    QTextCursor onDanggui(body->document());
    onDanggui.setPosition(1);
    QTest::mouseDClick(body->viewport(), Qt::LeftButton, {}, body->cursorRect(onDanggui).center());
    QVERIFY(!body->textCursor().hasSelection());
    clickCategory(DrugCategories::Herbs);
    pickItem(u"bz"_qs, u"白术 10g"_qs);
    const QString herbs = BodyText::padHerbItem(u"当归 10g"_qs) + BodyText::padHerbItem(u"山药 10g"_qs) + BodyText::padHerbItem(u"白术 10g"_qs);
    QCOMPARE(sheet.body(), herbs + u"\r\n\r\n煎药费 1次\r\n"_qs);
    // Double-clicking empty space below the text leaves the caret between the herbs and the tail.
    QTest::mouseDClick(body->viewport(), Qt::LeftButton, {}, QPoint(body->viewport()->width() / 2, body->viewport()->height() - 5));
    QVERIFY(!body->textCursor().hasSelection());
    QCOMPARE(body->textCursor().position(), int(herbs.size()));

    type(u"Text5_0"_qs, u"吴十"_qs);
    child<QPushButton>(u"划价结算"_qs)->click();
    QCOMPARE(child<QLabel>(u"Label16"_qs)->text(), u"31.40"_qs);
}

void TestPrescriptionWindow::herbPickedAfterAChargeItemGoesInFront()
{
    PrescriptionSheet &sheet = m_window->sheet();
    pickTwoHerbsAndTheDecoctionFee();
    clickCategory(DrugCategories::Herbs);
    pickItem(u"bz"_qs, u"白术 10g"_qs);
    QCOMPARE(sheet.body(), BodyText::padHerbItem(u"当归 10g"_qs) + BodyText::padHerbItem(u"山药 10g"_qs)
                               + BodyText::padHerbItem(u"白术 10g"_qs) + u"\r\n\r\n煎药费 1次\r\n"_qs);
    type(u"Text5_0"_qs, u"郑一"_qs);
    child<QPushButton>(u"划价结算"_qs)->click();
    // 当归 13.20, 山药 7.20, 白术 9.00 and 煎药费 2.00.
    QCOMPARE(child<QLabel>(u"Label16"_qs)->text(), u"31.40"_qs);
    QCOMPARE(child<QLineEdit>(u"Text5_15"_qs)->text(), u"2.00"_qs);
}

void TestPrescriptionWindow::chineseButtonTwiceStartsFreshOnce()
{
    PrescriptionSheet &sheet = m_window->sheet();
    const QString first = sheet.id();
    clickCategory(DrugCategories::Herbs);
    const QString second = sheet.id();
    QVERIFY(second != first);
    sheet.setBody(u"当归 10g"_qs);
    clickCategory(DrugCategories::Herbs);
    QCOMPARE(sheet.id(), second);
    QCOMPARE(sheet.body(), u"当归 10g"_qs);
    clickCategory(DrugCategories::ChargeItems);
    QCOMPARE(sheet.kind(), PrescriptionKind::Chinese);
    clickCategory(0);
    QCOMPARE(sheet.kind(), PrescriptionKind::Western);
    QVERIFY(!child<QLineEdit>(u"Text6"_qs)->isVisible());
}

void TestPrescriptionWindow::settleSaveAndReopenFromHistory()
{
    PrescriptionSheet &sheet = m_window->sheet();
    MessageBoxCatcher catcher;
    sheet.setBody(u"注射费 2次\r\n"_qs);
    child<QPushButton>(u"划价结算"_qs)->click();
    // Without a name the sheet is priced but nothing is stored.
    QCOMPARE(catcher.texts(), QStringList{u"请输入患者姓名！"_qs});
    QCOMPARE(child<QLabel>(u"Lb2_0"_qs)->text(), u"注射费"_qs);
    QCOMPARE(child<QLabel>(u"Label16"_qs)->text(), u"6.00"_qs);

    type(u"Text5_0"_qs, u"赵六"_qs);
    child<QPushButton>(u"划价结算"_qs)->click();
    auto *history = child<QListWidget>(u"List2"_qs);
    QCOMPARE(history->count(), 1);
    QCOMPARE(history->item(0)->text(), u"赵六[,,2026-12-10]-已结算"_qs);
    const QString id = sheet.id();

    m_window->runToolbarAction(0);
    QVERIFY(sheet.id() != id);
    QCOMPARE(sheet.body(), QString());
    QTest::mouseClick(history->viewport(), Qt::LeftButton, {}, history->visualItemRect(history->item(0)).center());
    QCOMPARE(sheet.id(), id);
    QCOMPARE(sheet.settledMark(), u"-已结算"_qs);
    QCOMPARE(child<QLabel>(u"Lb2_0"_qs)->text(), u"注射费"_qs);
    QCOMPARE(child<QLabel>(u"Label16"_qs)->text(), u"6.00"_qs);

    child<QPushButton>(u"撤消结算"_qs)->click();
    QCOMPARE(history->item(0)->text(), u"赵六[,,2026-12-10]"_qs);
    QCOMPARE(child<QLabel>(u"Lb2_0"_qs)->text(), QString());
}

void TestPrescriptionWindow::deleteAsksThenResets()
{
    PrescriptionSheet &sheet = m_window->sheet();
    type(u"Text5_0"_qs, u"钱七"_qs);
    QVERIFY(m_window->saveWithLayout());
    auto *history = child<QListWidget>(u"List2"_qs);
    QCOMPARE(history->count(), 1);
    const QPoint row = history->visualItemRect(history->item(0)).center();
    QTest::mouseRelease(history->viewport(), Qt::RightButton, {}, row);
    QVERIFY(child<QWidget>(u"Picture6"_qs)->isVisible());
    // Cancel in the question changes nothing.
    {
        QTimer::singleShot(50, [] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Cancel)->click();
        });
        QTest::mouseClick(child<QLabel>(u"Label9_0"_qs), Qt::LeftButton);
    }
    QCOMPARE(history->count(), 1);
    QCOMPARE(sheet.field(PrescriptionSheet::Name), u"钱七"_qs);
    QTest::mouseRelease(history->viewport(), Qt::RightButton, {}, row);
    MessageBoxCatcher catcher;
    QTest::mouseClick(child<QLabel>(u"Label9_0"_qs), Qt::LeftButton);
    QCOMPARE(catcher.texts(), QStringList{u"确实要永久删除该档案吗？\n\n将删除的是处方笺上的这张处方：钱七，2026-12-10"_qs});
    QCOMPARE(history->count(), 0);
    QCOMPARE(sheet.field(PrescriptionSheet::Name), QString());
    QCOMPARE(count(m_main->database(), u"select count(*) from 档案"_qs), 0);
}

void TestPrescriptionWindow::deleteFromTheMenuOfAnotherRow()
{
    for (const QString &name : {u"甲一"_qs, u"乙二"_qs, u"丙三"_qs}) {
        m_window->runToolbarAction(0);
        type(u"Text5_0"_qs, name);
        QVERIFY(m_window->saveWithLayout());
    }
    auto *history = child<QListWidget>(u"List2"_qs);
    QCOMPARE(listTexts(history), (QStringList{u"丙三[,,2026-12-10]"_qs, u"乙二[,,2026-12-10]"_qs, u"甲一[,,2026-12-10]"_qs}));
    // Reopen row 2, then open the menu on row 0: the prescription on screen is the one deleted,
    // the question says which, and its row leaves the list.
    clickListRow(history, 2);
    QCOMPARE(m_window->sheet().field(PrescriptionSheet::Name), u"甲一"_qs);
    QTest::mouseRelease(history->viewport(), Qt::RightButton, {}, history->visualItemRect(history->item(0)).center());
    MessageBoxCatcher catcher;
    QTest::mouseClick(child<QLabel>(u"Label9_0"_qs), Qt::LeftButton);
    QCOMPARE(catcher.texts(), QStringList{u"确实要永久删除该档案吗？\n\n将删除的是处方笺上的这张处方：甲一，2026-12-10"_qs});
    QCOMPARE(listTexts(history), (QStringList{u"丙三[,,2026-12-10]"_qs, u"乙二[,,2026-12-10]"_qs}));
    QCOMPARE(column(m_main->database(), u"select \"0\" from 档案 order by 序号 desc"_qs), (QStringList{u"丙三"_qs, u"乙二"_qs}));
}

void TestPrescriptionWindow::deletedPrescriptionComesBackFromTheMenu()
{
    type(u"Text5_0"_qs, u"孙八"_qs);
    m_window->sheet().setBody(u"注射费 2次\r\n"_qs);
    child<QPushButton>(u"划价结算"_qs)->click();
    auto *history = child<QListWidget>(u"List2"_qs);
    QCOMPARE(listTexts(history), QStringList{u"孙八[,,2026-12-10]-已结算"_qs});
    const QString id = m_window->sheet().id();
    const QStringList archived = column(m_main->database(), u"select \"序号\" || '|' || \"0\" || '|' || \"T1\" || '|' || \"计价\" from 档案"_qs);
    const QStringList lines = column(m_stats->database(), u"select 名称 || '|' || 数量 || '|' || 金额 from 统计 where ID号 = ?"_qs, {id});
    QCOMPARE(lines.size(), 1);
    {
        MessageBoxCatcher catcher;
        QTest::mouseRelease(history->viewport(), Qt::RightButton, {}, history->visualItemRect(history->item(0)).center());
        QTest::mouseClick(child<QLabel>(u"Label9_0"_qs), Qt::LeftButton);
    }
    QCOMPARE(history->count(), 0);
    QCOMPARE(count(m_stats->database(), u"select count(*) from 统计"_qs), 0);

    // The list is empty now, yet its menu still offers the deletions of the last days.
    QTest::mouseRelease(history->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QVERIFY(child<QWidget>(u"Picture6"_qs)->isVisible());
    QVERIFY(!child<QLabel>(u"Label9_0"_qs)->isVisible());
    QStringList listed;
    QStringList questions;
    QTimer::singleShot(50, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), u"最近删除"_qs);
        auto *table = namedControl<QTableWidget>(dialog, u"删除列表"_qs);
        for (int row = 0; row < table->rowCount(); ++row)
            listed.append(table->item(row, 0)->text() + u' ' + table->item(row, 1)->text() + u' ' + table->item(row, 2)->text());
        table->selectRow(0);
        // The question is answered by its button's caption.
        QTimer::singleShot(50, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            questions.append(box->text());
            for (QAbstractButton *button : box->buttons()) {
                if (button->text() == u"恢复"_qs)
                    button->click();
            }
        });
        namedControl<QPushButton>(dialog, u"恢复"_qs)->click();
        QCOMPARE(table->rowCount(), 0);
        namedControl<QPushButton>(dialog, u"关闭"_qs)->click();
    });
    QTest::mouseClick(child<QLabel>(u"最近删除"_qs), Qt::LeftButton);
    QCOMPARE(listed, QStringList{u"2026-12-10 09:00:00 处方 孙八 2026-12-10"_qs});
    QCOMPARE(questions, QStringList{u"要恢复处方“孙八 2026-12-10”吗？"_qs});
    QCOMPARE(listTexts(history), QStringList{u"孙八[,,2026-12-10]-已结算"_qs});
    QCOMPARE(column(m_main->database(), u"select \"序号\" || '|' || \"0\" || '|' || \"T1\" || '|' || \"计价\" from 档案"_qs), archived);
    QCOMPARE(column(m_stats->database(), u"select 名称 || '|' || 数量 || '|' || 金额 from 统计 where ID号 = ?"_qs, {id}), lines);
}

void TestPrescriptionWindow::longAllergyNeverBlocksTheSave()
{
    QSignalSpy status(m_window, &PrescriptionWindow::statusMessage);
    type(u"Text5_0"_qs, u"冯二"_qs);
    type(u"Text5_2"_qs, u"40岁"_qs);
    const QString allergy = u"青霉素、头孢类、磺胺类、阿司匹林及碘造影剂均过敏，海鲜也过敏"_qs;
    QCOMPARE(allergy.size(), 30);
    type(u"Text5_13"_qs, allergy);
    MessageBoxCatcher catcher;
    QTest::mouseClick(child<QToolButton>(u"Toolbar_2"_qs), Qt::LeftButton);
    QCOMPARE(catcher.texts(), QStringList());
    // The prescription keeps the whole text; the register what fits, and the status line says so.
    QCOMPARE(column(m_main->database(), u"select \"13\" from 档案"_qs), QStringList{allergy});
    QCOMPARE(column(m_main->database(), u"select 过敏史 from 患者信息"_qs), QStringList{allergy.left(20)});
    QCOMPARE(status.size(), 1);
    QCOMPARE(status.at(0).at(0).toString(), u"过敏史过长，患者信息中只保存了前20个字"_qs);
    // Settling stores it as well.
    m_window->sheet().setBody(u"注射费 2次\r\n"_qs);
    child<QPushButton>(u"划价结算"_qs)->click();
    QCOMPARE(catcher.texts(), QStringList());
    QCOMPARE(column(m_main->database(), u"select 发药 from 档案"_qs), QStringList{u"-已结算"_qs});
}

void TestPrescriptionWindow::settledMarkShownAndCleared()
{
    auto *mark = child<QLabel>(u"Label5"_qs);
    QCOMPARE(mark->text(), QString());
    m_window->sheet().setBody(u"注射费 2次\r\n"_qs);
    {
        // Without a name nothing is stored, yet the sheet is priced and settled.
        MessageBoxCatcher catcher;
        child<QPushButton>(u"划价结算"_qs)->click();
        QCOMPARE(mark->text(), u"-已结算"_qs);
        QVERIFY(mark->isVisible());
        child<QPushButton>(u"撤消结算"_qs)->click();
        QCOMPARE(mark->text(), QString());
    }
    type(u"Text5_0"_qs, u"陈三"_qs);
    child<QPushButton>(u"划价结算"_qs)->click();
    QCOMPARE(mark->text(), u"-已结算"_qs);
    // 复制处方 and 新建 give unsettled prescriptions; reopening the settled one shows it again.
    m_window->runToolbarAction(9);
    QCOMPARE(mark->text(), QString());
    child<QPushButton>(u"划价结算"_qs)->click();
    QCOMPARE(mark->text(), u"-已结算"_qs);
    m_window->runToolbarAction(0);
    QCOMPARE(mark->text(), QString());
    auto *history = child<QListWidget>(u"List2"_qs);
    QCOMPARE(history->count(), 2);
    clickListRow(history, 1);
    QCOMPARE(mark->text(), u"-已结算"_qs);
}

void TestPrescriptionWindow::typedQuantityRecomputes()
{
    PrescriptionSheet &sheet = m_window->sheet();
    sheet.setBody(u"注射费 2次\r\n"_qs);
    type(u"Text5_0"_qs, u"孙八"_qs);
    m_window->settle();
    auto *quantity = child<QLineEdit>(u"Lb3_0"_qs);
    quantity->selectAll();
    QTest::keyClicks(quantity, u"3"_qs);
    QCOMPARE(child<QLabel>(u"Lb6_0"_qs)->text(), u"9.000"_qs);
    QCOMPARE(child<QLabel>(u"Label16"_qs)->text(), u"9.00"_qs);
    QCOMPARE(child<QLineEdit>(u"Text5_15"_qs)->text(), u"9.00"_qs);
}

void TestPrescriptionWindow::reopenedFeesSplitByTheirOwnLines()
{
    PrescriptionSheet &sheet = m_window->sheet();
    type(u"Text5_0"_qs, u"褚四"_qs);
    sheet.setBody(u"挂号费 1次\r\n"_qs);
    child<QPushButton>(u"划价结算"_qs)->click();
    m_window->runToolbarAction(0);
    type(u"Text5_0"_qs, u"卫五"_qs);
    sheet.setBody(u"阿莫西林胶囊 0.25g×24粒\r\n"_qs);
    child<QPushButton>(u"划价结算"_qs)->click();
    QVERIFY(!child<QLineEdit>(u"Text5_9"_qs)->text().isEmpty());

    // Reopen the first: its registration fee is an other charge, whatever the row held before.
    auto *history = child<QListWidget>(u"List2"_qs);
    QCOMPARE(history->item(1)->text(), u"褚四[,,2026-12-10]-已结算"_qs);
    clickListRow(history, 1);
    QCOMPARE(child<QLabel>(u"Lb2_0"_qs)->text(), u"挂号费"_qs);
    auto *quantity = child<QLineEdit>(u"Lb3_0"_qs);
    quantity->setFocus();
    quantity->selectAll();
    QTest::keyClicks(quantity, u"2"_qs);
    QCOMPARE(child<QLineEdit>(u"Text5_9"_qs)->text(), QString());
    QCOMPARE(child<QLineEdit>(u"Text5_15"_qs)->text(), u"30.00"_qs);
    QCOMPARE(child<QLabel>(u"Label16"_qs)->text(), u"30.00"_qs);
    QTest::mouseClick(child<QToolButton>(u"Toolbar_2"_qs), Qt::LeftButton);
    QCOMPARE(column(m_main->database(), u"select \"9\" || '|' || \"15\" || '|' || \"16\" from 档案 where \"0\" = '褚四'"_qs),
             QStringList{u"|30.00|30.00"_qs});
}

void TestPrescriptionWindow::printingWithoutAPrinterOffersAPdf()
{
    QTemporaryDir folder;
    QStringList asked;
    QStringList told;
    PrintPrompts prompts;
    prompts.confirm = [&](const QString &question) {
        asked.append(question);
        return true;
    };
    prompts.pdfPath = [&](const QString &) { return folder.filePath(u"处方.pdf"_qs); };
    prompts.inform = [&](const QString &message) { told.append(message); };
    m_window->setPrinting(PrinterSelection({}, QString()), prompts);
    type(u"Text5_0"_qs, u"周九"_qs);
    m_window->sheet().setBody(u"阿莫西林胶囊 0.25g×24粒\r\n"_qs);
    m_window->printPrescription();
    // No printer: the user is asked, and the page is saved as a PDF instead.
    QCOMPARE(asked.size(), 1);
    QVERIFY(QFileInfo::exists(folder.filePath(u"处方.pdf"_qs)));

    // A body longer than the paper is announced before anything is printed.
    asked.clear();
    QString body;
    for (int i = 0; i < 60; ++i)
        body += u"注射费 1次\r\n"_qs;
    m_window->sheet().setBody(body);
    prompts.confirm = [&](const QString &question) {
        asked.append(question);
        return false;
    };
    m_window->setPrinting(PrinterSelection({}, QString()), prompts);
    QFile::remove(folder.filePath(u"处方.pdf"_qs));
    m_window->printPrescription();
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked.at(0).contains(u"超出"_qs), qPrintable(asked.at(0)));
    QVERIFY(!QFileInfo::exists(folder.filePath(u"处方.pdf"_qs)));
}

void TestPrescriptionWindow::safetyStripFollowsEdits()
{
    PrescriptionSheet &sheet = m_window->sheet();
    SafetyStrip *strip = m_window->safetyStrip();
    QCOMPARE(strip->objectName(), u"safetyWarnings"_qs);
    sheet.setField(PrescriptionSheet::Diagnosis, u"急性咽炎"_qs);
    sheet.setField(PrescriptionSheet::Allergy, u"青霉素过敏"_qs);
    sheet.setBody(u"阿莫西林胶囊 0.25g×24粒\r\n"_qs);
    QTRY_COMPARE(strip->warnings().size(), 1);
    QCOMPARE(strip->entries().at(0)->property("severity").toString(), u"red"_qs);
    QVERIFY(strip->entries().at(0)->toolTip().contains(u"来源"_qs));
    sheet.setField(PrescriptionSheet::Allergy, u"未发现"_qs);
    QTRY_COMPARE(strip->warnings().size(), 0);
    // Six Western drugs: amber; charge items never count.
    QString body;
    for (const QString &drug : {u"阿莫西林胶囊"_qs, u"左氧氟沙星片"_qs, u"阿莫西林颗粒"_qs, u"阿莫西林克拉维酸钾片"_qs, u"头孢克肟胶囊"_qs})
        body += drug + u" 1盒\r\n"_qs;
    sheet.setBody(body + u"注射费 1次\r\n"_qs);
    QTest::qWait(10);
    QCOMPARE(strip->warnings().size(), 0);
    sheet.setBody(body + u"头孢克洛胶囊 1盒\r\n"_qs);
    QTRY_COMPARE(strip->warnings().size(), 1);
    QCOMPARE(strip->entries().at(0)->property("severity").toString(), u"amber"_qs);
    // Warnings change nothing: the prescription prices as it would without them.
    type(u"Text5_0"_qs, u"吴十"_qs);
    m_window->settle();
    QCOMPARE(child<QLabel>(u"Lb2_5"_qs)->text(), u"头孢克洛胶囊"_qs);
}

// Four 十九畏 pairs and twelve 十八反 pairs: the strip shows whole entries with names as the user
// wrote them, counts the rest on its button, and the button lists them all.
void TestPrescriptionWindow::safetyStripCountsWhatDoesNotFit()
{
    PrescriptionSheet &sheet = m_window->sheet();
    SafetyStrip *strip = m_window->safetyStrip();
    clickCategory(DrugCategories::Herbs);
    sheet.setField(PrescriptionSheet::Diagnosis, u"痹证"_qs);
    sheet.setBody(u"附子[制]9g     川乌[制]3g     草乌[制]3g     \r\n\r\n"
                  u"半夏[法]9g     浙贝母 9g      瓜蒌 9g        白及 9g\r\n"_qs);
    QTRY_COMPARE(strip->warnings().size(), 12);
    QCOMPARE(strip->warnings().at(0).text, u"附子[制]与半夏[法]不宜同用"_qs);
    QCOMPARE(SafetyStrip::entryText(strip->warnings().at(0)), u"【十八反】附子[制]与半夏[法]不宜同用"_qs);
    int shown = 0;
    for (QLabel *entry : strip->entries()) {
        if (entry->isVisible()) {
            ++shown;
            QVERIFY(entry->geometry().right() < strip->moreButton()->geometry().left());
            QVERIFY2(!entry->text().contains(u'…'), qPrintable(entry->text()));
        }
    }
    QVERIFY(shown >= 1 && shown < 12);
    QVERIFY(strip->moreButton()->isVisible());
    QCOMPARE(strip->moreButton()->text(), u"另有%1条"_qs.arg(12 - shown));
    strip->moreButton()->click();
    QTRY_VERIFY(strip->fullList()->isVisible());
    QCOMPARE(strip->fullList()->findChildren<QLabel *>().size(), 12);
    strip->fullList()->hide();
    QVERIFY(!strip->moreButton()->isChecked());

    // Fewer warnings: all shown, no button.
    sheet.setBody(u"附子[制]9g     半夏[法]9g     \r\n"_qs);
    QTRY_COMPARE(strip->warnings().size(), 1);
    QVERIFY(strip->entries().at(0)->isVisible());
    QVERIFY(!strip->moreButton()->isVisible());

    // A body the check cannot read is said to be so, not passed as safe.
    sheet.setBody(u"甘草六钱 海藻三钱\r\n"_qs);
    QTRY_COMPARE(strip->entries().at(0)->text(), u"【未能检查】中药处方未能读出药味和用量"_qs);
    QCOMPARE(strip->warnings().size(), 1);
}

// The missing diagnosis shows as soon as something is prescribed, before saving and printing, and
// on a stored prescription whenever it is brought back from the history.
void TestPrescriptionWindow::missingDiagnosisShownOnSavedPrescriptions()
{
    PrescriptionSheet &sheet = m_window->sheet();
    SafetyStrip *strip = m_window->safetyStrip();
    const auto shown = [strip] {
        QStringList texts;
        for (const SafetyWarning &warning : strip->warnings())
            texts.append(warning.text);
        return texts;
    };
    type(u"Text5_0"_qs, u"陈九"_qs);
    sheet.setBody(u"布洛芬片 0.1g×24片\r\n"_qs);
    QTRY_COMPARE(shown(), QStringList{u"未写诊断"_qs});
    QCOMPARE(strip->entries().at(0)->text(), u"【未写诊断】"_qs);
    sheet.setBody(u"注射费 1次\r\n"_qs);
    QTRY_COMPARE(shown(), QStringList());
    QVERIFY(m_window->saveWithLayout());
    QTRY_COMPARE(shown(), QStringList{u"未写诊断"_qs});
    m_window->runToolbarAction(0);
    QTRY_COMPARE(shown(), QStringList());
    // Another prescription saved since, so the one reopened is not the last one saved.
    type(u"Text5_0"_qs, u"周十"_qs);
    type(u"Text5_6"_qs, u"头痛"_qs);
    QVERIFY(m_window->saveWithLayout());
    QTRY_COMPARE(shown(), QStringList());
    auto *history = child<QListWidget>(u"List2"_qs);
    const QList<QListWidgetItem *> rows = history->findItems(u"陈九"_qs, Qt::MatchStartsWith);
    QCOMPARE(rows.size(), 1);
    QTest::mouseClick(history->viewport(), Qt::LeftButton, {}, history->visualItemRect(rows.at(0)).center());
    QCOMPARE(sheet.field(PrescriptionSheet::Name), u"陈九"_qs);
    QTRY_COMPARE(shown(), QStringList{u"未写诊断"_qs});
}

void TestPrescriptionWindow::unsavedTypingIsOfferedBeforeANewPrescription_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("nameAfter");
    QTest::addColumn<int>("stored");
    QTest::newRow("保存") << u"保存"_qs << QString() << 1;
    QTest::newRow("不保存") << u"不保存"_qs << QString() << 0;
    QTest::newRow("取消") << u"取消"_qs << u"冯十二"_qs << 0;
}

void TestPrescriptionWindow::unsavedTypingIsOfferedBeforeANewPrescription()
{
    QFETCH(QString, answer);
    QFETCH(QString, nameAfter);
    QFETCH(int, stored);
    // Nothing typed: 新建 asks nothing.
    m_window->runToolbarAction(0);
    type(u"Text5_0"_qs, u"冯十二"_qs);
    QStringList asked;
    QTimer::singleShot(50, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        asked.append(box->text());
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == answer)
                button->click();
        }
    });
    m_window->runToolbarAction(0);
    QCOMPARE(asked, QStringList{u"当前处方还没有保存。要先保存吗？"_qs});
    QCOMPARE(m_window->sheet().field(PrescriptionSheet::Name), nameAfter);
    QCOMPARE(count(m_main->database(), u"select count(*) from 档案"_qs), stored);
}

void TestPrescriptionWindow::historyDayPaging_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("day");
    QTest::newRow("back over a leap day") << u"2024-03-01"_qs << u"Command5"_qs << u"2024-02-29"_qs;
    QTest::newRow("forward into a leap day") << u"2024-02-28"_qs << u"Command6"_qs << u"2024-02-29"_qs;
    QTest::newRow("forward over a month end") << u"2026-01-31"_qs << u"Command6"_qs << u"2026-02-01"_qs;
    QTest::newRow("back over a year end") << u"2026-01-01"_qs << u"Command5"_qs << u"2025-12-31"_qs;
}

void TestPrescriptionWindow::historyDayPaging()
{
    QFETCH(QString, to);
    QFETCH(QString, button);
    QFETCH(QString, day);
    child<QLineEdit>(u"Text2"_qs)->setText(u"某人"_qs);
    child<QLineEdit>(u"Text4"_qs)->setText(to);
    child<QPushButton>(button)->click();
    QCOMPARE(child<QLineEdit>(u"Text3"_qs)->text(), day);
    QCOMPARE(child<QLineEdit>(u"Text4"_qs)->text(), day);
    QCOMPARE(child<QLineEdit>(u"Text2"_qs)->text(), QString());
    // "今日患者" shows today's prescriptions; typing a name widens the range to ten years.
    child<QPushButton>(u"Command2"_qs)->click();
    QCOMPARE(child<QLineEdit>(u"Text3"_qs)->text(), u"2026-12-10"_qs);
    child<QLineEdit>(u"Text2"_qs)->setText(u"张"_qs);
    QCOMPARE(child<QLineEdit>(u"Text3"_qs)->text(), u"2016-12-10"_qs);
}

void TestPrescriptionWindow::printingAsksOnlyForRedWarnings_data()
{
    QTest::addColumn<QString>("allergy");
    QTest::addColumn<bool>("asked");
    QTest::newRow("allergy: asked") << u"青霉素"_qs << true;
    QTest::newRow("no warning: printed at once") << u"未发现"_qs << false;
}

void TestPrescriptionWindow::printingAsksOnlyForRedWarnings()
{
    QFETCH(QString, allergy);
    QFETCH(bool, asked);
    QStringList questions;
    QStringList risks;
    PrintPrompts prompts;
    prompts.confirm = [&](const QString &question) {
        questions.append(question);
        return false;
    };
    prompts.confirmRisk = [&](const QString &question) {
        risks.append(question);
        return false;
    };
    prompts.pdfPath = [](const QString &) { return QString(); };
    prompts.inform = [](const QString &) {};
    m_window->setPrinting(PrinterSelection({}, QString()), prompts);
    type(u"Text5_0"_qs, u"郑一"_qs);
    m_window->sheet().setField(PrescriptionSheet::Allergy, allergy);
    m_window->sheet().setBody(u"阿莫西林胶囊 0.25g×24粒\r\n"_qs);
    for (const bool card : {false, true}) {
        risks.clear();
        questions.clear();
        card ? m_window->printCard() : m_window->printPrescription();
        QCOMPARE(risks.size(), asked ? 1 : 0);
        if (asked) {
            // The question lists the warnings; answered 否, nothing is printed and nothing kept.
            QVERIFY2(risks.at(0).contains(u"【过敏】阿莫西林胶囊：患者对青霉素过敏"_qs), qPrintable(risks.at(0)));
            QCOMPARE(questions, QStringList());
        } else {
            QCOMPARE(questions.size(), 1);  // no printer: the PDF is offered
        }
    }
    QCOMPARE(count(m_main->database(), u"select count(*) from 档案"_qs), 0);
}

// Printing from the preview asks as 打印 does, with 否 as the default button; printing anyway
// saves the prescription, keeps the time and the warnings with it and asks for a second signature.
void TestPrescriptionWindow::printingFromPreviewAsksAndKeepsTheOverride()
{
    PrintPrompts prompts = PrintPrompts::dialogs(m_window);
    prompts.confirm = [](const QString &) { return false; };
    m_window->setPrinting(PrinterSelection({}, QString()), prompts);
    clickCategory(DrugCategories::Herbs);
    type(u"Text5_0"_qs, u"王二"_qs);
    m_window->sheet().setField(PrescriptionSheet::Diagnosis, u"痹证"_qs);
    m_window->sheet().setBody(u"附子[制]9g     半夏[法]9g     \r\n"_qs);

    for (const QMessageBox::StandardButton answer : {QMessageBox::NoButton, QMessageBox::Yes}) {
        QStringList asked;
        bool defaultIsNo = false;
        bool triggered = false;
        QTimer driver;
        connect(&driver, &QTimer::timeout, [&] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (!widget->isVisible())
                    continue;
                if (auto *box = qobject_cast<QMessageBox *>(widget)) {
                    asked.append(box->text());
                    defaultIsNo = box->defaultButton() == box->button(QMessageBox::No);
                    // NoButton: as the user pressing Enter, which takes the default button.
                    (answer == QMessageBox::NoButton ? box->defaultButton() : box->button(answer))->click();
                } else if (auto *dialog = qobject_cast<QPrintDialog *>(widget)) {
                    dialog->reject();
                } else if (auto *preview = qobject_cast<QPrintPreviewDialog *>(widget)) {
                    if (!asked.isEmpty()) {
                        preview->reject();
                        continue;
                    }
                    if (triggered)
                        continue;
                    QAction *print = nullptr;
                    for (QAction *action : preview->findChildren<QAction *>()) {
                        if (action->text() == QCoreApplication::translate("QPrintPreviewDialog", "Print"))
                            print = action;
                    }
                    QVERIFY(print);
                    // Later, so that this timer is free to answer the question meanwhile.
                    triggered = true;
                    QTimer::singleShot(0, print, &QAction::trigger);
                }
            }
        });
        driver.start(20);
        m_window->printPrescription(true);
        driver.stop();
        // Asked by the preview's own print button, not before the preview opened.
        QVERIFY(triggered);
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked.at(0).contains(u"【十八反】附子[制]与半夏[法]不宜同用"_qs), qPrintable(asked.at(0)));
        QVERIFY(defaultIsNo);
    }
    // Answered 否 first: nothing kept; then 是: the prescription is stored with one override line.
    ArchiveRepository archive(m_main->database());
    const QStringList overrides = archive.printOverrides(m_window->sheet().id());
    QCOMPARE(overrides.size(), 1);
    QVERIFY2(overrides.at(0).startsWith(u"2026-12-10 09:00:00 仍打印：【十八反】附子[制]与半夏[法]不宜同用"_qs),
             qPrintable(overrides.at(0)));
}

QTEST_MAIN(TestPrescriptionWindow)
#include "tst_prescriptionwindow.moc"
