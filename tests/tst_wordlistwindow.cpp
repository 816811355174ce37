#include "messageboxcatcher.h"
#include "namedcontrol.h"
#include "testdatabase.h"
#include "teststartupvalues.h"
#include "widgetdriving.h"

#include <optional>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include "app/clinicservices.h"
#include "app/widgets/mainwindow.h"
#include "data/sqltransaction.h"
#include "data/tables.h"
#include "data/wordlistrepository.h"
#include "maintenance/widgets/wordlistwindow.h"
#include "print/units.h"

namespace {

QListWidget *nameList(QWidget *window)
{
    return namedControl<QListWidget>(window, u"列表"_qs);
}

QStringList shownNames(QWidget *window)
{
    return listTexts(nameList(window));
}

void clickRow(QWidget *window, int row)
{
    clickListRow(nameList(window), row);
}

} // namespace

// The twin windows of the diagnosis and address lists, driven through their controls' names.
class TestWordListWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void twins_data();
    void twins();
    void searchAsTyped_data();
    void searchAsTyped();
    void addKeepsTheNameAsTyped_data();
    void addKeepsTheNameAsTyped();
    void onlySpacesAddNothing();
    void refusedAddKeepsInput();
    void deleteInFilteredList();
    void deleteAfterAnotherComputerChangedTheList();

private:
    WordListWindow *diagnosisWindow();

    TestDatabase *m_file = nullptr;
    WordListRepository *m_diagnoses = nullptr;
    WordListWindow *m_window = nullptr;
};

void TestWordListWindow::init()
{
    m_file = new TestDatabase;
    m_diagnoses = new WordListRepository(m_file->database(), Tables::diagnoses());
    m_window = new WordListWindow(*m_diagnoses, WordListWindow::List::Diagnoses);
    m_window->show();
}

void TestWordListWindow::cleanup()
{
    delete m_window;
    delete m_diagnoses;
    delete m_file;
}

void TestWordListWindow::twins_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("nameBox");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("rows");
    QTest::newRow("diagnoses") << u"添加常用诊断"_qs << u"Form5"_qs << u"诊断名称维护"_qs << u"诊断名称"_qs << twipsSize(5865, 4410)
                               << u"诊断"_qs << 88;
    QTest::newRow("addresses") << u"添加常用地址"_qs << u"Form6"_qs << u"添加常用地址"_qs << u"地址名称"_qs << twipsSize(5880, 4395)
                               << u"地址"_qs << 3;
}

void TestWordListWindow::twins()
{
    QFETCH(QString, menu);
    QFETCH(QString, form);
    QFETCH(QString, title);
    QFETCH(QString, nameBox);
    QFETCH(QSize, size);
    QFETCH(QString, table);
    QFETCH(int, rows);
    TestDatabase file;
    QTemporaryDir backup;
    ClinicServices services(testStartupValues(file), backup.path());
    MainWindow main(services);
    main.show();
    main.findChild<QAction *>(menu)->trigger();
    QWidget *window = main.childWindow(form);
    QVERIFY(qobject_cast<WordListWindow *>(window));
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(window->size(), size);
    // Centred in the main window's client area, not raised like the other working windows.
    QMdiSubWindow *frame = main.mdiArea()->activeSubWindow();
    const QSize area = main.mdiArea()->viewport()->size();
    QCOMPARE(frame->pos(), QPoint((area.width() - frame->width()) / 2, (area.height() - frame->height()) / 2));
    QCOMPARE(shownNames(window).size(), rows);
    QCOMPARE(namedControl<QLineEdit>(window, u"查询"_qs)->text(), QString());

    namedControl<QLineEdit>(window, nameBox)->setText(u"青山镇东坡村"_qs);
    QCOMPARE(namedControl<QLineEdit>(window, u"拼音代码"_qs)->text(), u"qszdpc"_qs);
    clickButton(window, u"保存"_qs);
    QCOMPARE(count(file.database(), u"select count(*) from \"%1\" where 名称 = '青山镇东坡村'"_qs.arg(table)), 1);
    QCOMPARE(shownNames(window).size(), rows + 1);
}

void TestWordListWindow::searchAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("includes");
    QTest::addColumn<QStringList>("excludes");
    QTest::addColumn<int>("rows");
    QTest::newRow("initials") << u"bm"_qs << QStringList{u"便秘"_qs} << QStringList{u"便血"_qs} << -1;
    QTest::newRow("characters") << u"便"_qs << QStringList{u"便秘"_qs, u"便血"_qs} << QStringList{u"鼻衄"_qs} << 2;
    QTest::newRow("nothing typed") << QString() << QStringList{u"白细胞减少症"_qs, u"座疮"_qs} << QStringList() << 88;
    // A wildcard typed is a character like any other.
    QTest::newRow("percent sign") << u"%"_qs << QStringList() << QStringList() << 0;
    QTest::newRow("apostrophe") << u"'"_qs << QStringList() << QStringList() << 0;
}

void TestWordListWindow::searchAsTyped()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, includes);
    QFETCH(QStringList, excludes);
    QFETCH(int, rows);
    auto *search = namedControl<QLineEdit>(m_window, u"查询"_qs);
    // Typed one character after the other, each refilling the list.
    for (const QChar c : typed)
        search->insert(c);
    const QStringList names = shownNames(m_window);
    for (const QString &name : includes)
        QVERIFY2(names.contains(name), qPrintable(name));
    for (const QString &name : excludes)
        QVERIFY2(!names.contains(name), qPrintable(name));
    if (rows >= 0)
        QCOMPARE(names.size(), rows);
}

void TestWordListWindow::addKeepsTheNameAsTyped_data()
{
    QTest::addColumn<QString>("enterIn");
    QTest::newRow("save button") << QString();
    QTest::newRow("Enter in the name box") << u"诊断名称"_qs;
    QTest::newRow("Enter in the initials box") << u"拼音代码"_qs;
}

void TestWordListWindow::addKeepsTheNameAsTyped()
{
    QFETCH(QString, enterIn);
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    auto *search = namedControl<QLineEdit>(m_window, u"查询"_qs);
    auto *name = namedControl<QLineEdit>(m_window, u"诊断名称"_qs);
    auto *initials = namedControl<QLineEdit>(m_window, u"拼音代码"_qs);
    search->insert(u"炎"_qs);
    name->insert(u" 胃痛"_qs);
    QCOMPARE(initials->text(), u"wt"_qs);
    if (enterIn.isEmpty())
        clickButton(m_window, u"保存"_qs);
    else
        QTest::keyClick(namedControl<QLineEdit>(m_window, enterIn), Qt::Key_Return);
    QCOMPARE(column(m_file->database(), u"select 名称 || '|' || 拼音 || '|' || 序号 from 诊断 where 名称 like '%胃痛'"_qs),
             QStringList{u" 胃痛|wt| 胃痛wt"_qs});
    QCOMPARE(search->text(), QString());
    QCOMPARE(shownNames(m_window).size(), 89);
    QCOMPARE(shownNames(m_window).last(), u" 胃痛"_qs);
    QCOMPARE(name->text(), QString());
    QCOMPARE(initials->text(), QString());
    QVERIFY(name->hasFocus());
}

void TestWordListWindow::onlySpacesAddNothing()
{
    auto *name = namedControl<QLineEdit>(m_window, u"诊断名称"_qs);
    auto *search = namedControl<QLineEdit>(m_window, u"查询"_qs);
    search->setText(u"bm"_qs);
    name->setText(u"   "_qs);
    clickButton(m_window, u"保存"_qs);
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(count(m_file->database(), u"select count(*) from 诊断"_qs), 88);
    QCOMPARE(name->text(), u"   "_qs);
    QCOMPARE(search->text(), u"bm"_qs);
}

void TestWordListWindow::refusedAddKeepsInput()
{
    Database impatient(m_file->location(), 100);
    WordListRepository addresses(impatient, Tables::addresses());
    WordListWindow window(addresses, WordListWindow::List::Addresses);
    window.show();
    namedControl<QLineEdit>(&window, u"地址名称"_qs)->setText(u"青山镇南岭村"_qs);
    Database other(m_file->location());
    std::optional<SqlTransaction> held(std::in_place, other);
    QVERIFY(held->isActive());
    MessageBoxCatcher catcher;
    clickButton(&window, u"保存"_qs);
    QCOMPARE(catcher.texts().size(), 1);
    QVERIFY2(catcher.texts().at(0).contains(u"其他电脑"_qs), qPrintable(catcher.texts().at(0)));
    QCOMPARE(namedControl<QLineEdit>(&window, u"地址名称"_qs)->text(), u"青山镇南岭村"_qs);
    QCOMPARE(namedControl<QLineEdit>(&window, u"拼音代码"_qs)->text(), u"qsznlc"_qs);
    held.reset();
}

void TestWordListWindow::deleteInFilteredList()
{
    // Nothing selected: nothing deleted.
    clickButton(m_window, u"删除"_qs);
    QCOMPARE(count(m_file->database(), u"select count(*) from 诊断"_qs), 88);

    namedControl<QLineEdit>(m_window, u"查询"_qs)->insert(u"肺"_qs);
    QCOMPARE(shownNames(m_window), (QStringList{u"肺结核"_qs, u"肺气肿"_qs, u"肺心病"_qs, u"肺炎"_qs}));
    clickRow(m_window, 1);
    clickButton(m_window, u"删除"_qs);
    Database &db = m_file->database();
    QCOMPARE(count(db, u"select count(*) from 诊断 where 名称 = '肺气肿'"_qs), 0);
    // The entry at that position of the whole table stays.
    QCOMPARE(count(db, u"select count(*) from 诊断 where 名称 = '鼻衄'"_qs), 1);
    QCOMPARE(count(db, u"select count(*) from 诊断"_qs), 87);
    QCOMPARE(shownNames(m_window), (QStringList{u"肺结核"_qs, u"肺心病"_qs, u"肺炎"_qs}));
}

void TestWordListWindow::deleteAfterAnotherComputerChangedTheList()
{
    clickRow(m_window, 4);
    QCOMPARE(namedControl<QListWidget>(m_window, u"列表"_qs)->currentItem()->text(), u"便秘"_qs);
    // Another computer removes an entry above it while the list is shown.
    Database other(m_file->location());
    QVERIFY(other.exec(u"delete from 诊断 where 名称 = '白细胞减少症'"_qs).ok);
    clickButton(m_window, u"删除"_qs);
    Database &db = m_file->database();
    QCOMPARE(count(db, u"select count(*) from 诊断 where 名称 = '便秘'"_qs), 0);
    QCOMPARE(count(db, u"select count(*) from 诊断 where 名称 = '便血'"_qs), 1);
    QCOMPARE(count(db, u"select count(*) from 诊断"_qs), 86);
    QCOMPARE(shownNames(m_window).size(), 86);
}

QTEST_MAIN(TestWordListWindow)
#include "tst_wordlistwindow.moc"
