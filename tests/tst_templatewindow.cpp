#include "messageboxcatcher.h"
#include "namedcontrol.h"
#include "testdatabase.h"
#include "teststartupvalues.h"
#include "widgetdriving.h"

#include <optional>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "app/clinicservices.h"
#include "app/widgets/mainwindow.h"
#include "data/sqltransaction.h"
#include "data/templaterepository.h"
#include "maintenance/widgets/templatewindow.h"

namespace {

QListWidget *nameList(QWidget *window)
{
    return namedControl<QListWidget>(window, u"名称列表"_qs);
}

QStringList shownNames(QWidget *window)
{
    return listTexts(nameList(window));
}

void clickRow(QWidget *window, int row)
{
    clickListRow(nameList(window), row);
}

QString box(QWidget *window, const QString &name)
{
    if (name == u"内容"_qs)
        return namedControl<QPlainTextEdit>(window, name)->toPlainText();
    return namedControl<QLineEdit>(window, name)->text();
}

const QStringList PersonalSets = {u"阿齐霉素组套"_qs, u"肺炎组套"_qs, u"牙周炎"_qs, u"小儿上呼吸道感染"_qs};
const QString Pad7 = QString(7, u' ');
const QString Pad6 = QString(6, u' ');

} // namespace

// The template window driven as the user drives it, through its controls' names.
class TestTemplateWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void kindSwitch_data();
    void kindSwitch();
    void selectLoadsStoredValues();
    void actsOnTheClickedTemplateWhenTheTableChanged();
    void savingNewFormula_data();
    void savingNewFormula();
    void savingAgainUpdatesTheSameTemplate();
    void thousandthTemplateProposesZeroOrder();
    void dollarStoredFullWidth();
    void nameRequired_data();
    void nameRequired();
    void refusedSaveKeepsInput();
    void presetContentFromThePrescription();
    void unsavedEditsOnClosing_data();
    void unsavedEditsOnClosing();

private:
    TemplateWindow *openWindow();

    TestDatabase *m_file = nullptr;
    TemplateRepository *m_templates = nullptr;
    TemplateWindow *m_window = nullptr;
};

void TestTemplateWindow::init()
{
    m_file = new TestDatabase;
    m_templates = new TemplateRepository(m_file->database());
    m_window = openWindow();
}

void TestTemplateWindow::cleanup()
{
    delete m_window;
    delete m_templates;
    delete m_file;
}

TemplateWindow *TestTemplateWindow::openWindow()
{
    auto *window = new TemplateWindow(*m_templates);
    window->show();
    return window;
}

void TestTemplateWindow::kindSwitch_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("order");
    QTest::newRow("personal sets") << u"个人组套"_qs << PersonalSets << u"005"_qs;
    QTest::newRow("formulas") << u"中药方剂"_qs << QStringList{u"桂枝汤"_qs, u"麻杏石甘汤"_qs, u"龙胆泻肝汤"_qs, u"白头翁汤"_qs} << u"005"_qs;
    QTest::newRow("record phrases") << u"病历模板"_qs
                                    << QStringList{u"高血压主诉"_qs, u"高血压现病史"_qs, u"既往史"_qs, u"个人史"_qs, u"过敏史"_qs, u"体格检查"_qs}
                                    << u"007"_qs;
}

void TestTemplateWindow::kindSwitch()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, names);
    QFETCH(QString, order);
    QCOMPARE(m_window->objectName(), u"Form4"_qs);
    QCOMPARE(m_window->windowTitle(), u"个人组套/中药方剂/病历模板维护"_qs);
    QCOMPARE(m_window->kind(), u"个人组套"_qs);
    // A half-typed template of the other kind does not survive the switch.
    clickRow(m_window, 1);
    namedControl<QLineEdit>(m_window, u"名称"_qs)->setText(u"改了一半"_qs);
    namedControl<QRadioButton>(m_window, kind == u"中药方剂"_qs ? u"病历模板"_qs : u"中药方剂"_qs)->click();
    namedControl<QRadioButton>(m_window, kind)->click();
    QCOMPARE(m_window->property("category").toString(), kind);
    QCOMPARE(namedControl<QGroupBox>(m_window, u"分类"_qs)->title(), kind);
    QCOMPARE(shownNames(m_window), names);
    QCOMPARE(box(m_window, u"序号"_qs), order);
    for (const QString &empty : {u"名称"_qs, u"拼音"_qs, u"内容"_qs})
        QCOMPARE(box(m_window, empty), QString());
    QVERIFY(!m_window->isModified());
}

void TestTemplateWindow::selectLoadsStoredValues()
{
    // Initials the user set by hand stay as stored, not recomputed from the name.
    TemplateRepository::Template own{QString(), u"桂枝加葛根汤"_qs, u"桂枝 9g      葛根12g      "_qs, u"gzjgg"_qs, u"中药方剂"_qs, u"010"_qs};
    QVERIFY(m_templates->add(own).ok);
    namedControl<QRadioButton>(m_window, u"中药方剂"_qs)->click();
    clickRow(m_window, 0);
    QCOMPARE(box(m_window, u"名称"_qs), u"桂枝汤"_qs);
    QCOMPARE(box(m_window, u"拼音"_qs), u"gzt"_qs);
    QCOMPARE(box(m_window, u"序号"_qs), u"001"_qs);
    QCOMPARE(box(m_window, u"内容"_qs), u"桂枝 9g      白芍[炒]10g  甘草 6g      \n\n生姜 9g      大枣 9g      "_qs);
    clickRow(m_window, 4);
    QCOMPARE(box(m_window, u"名称"_qs), u"桂枝加葛根汤"_qs);
    QCOMPARE(box(m_window, u"拼音"_qs), u"gzjgg"_qs);
    QVERIFY(!m_window->isModified());
    // Typing in the name proposes its initials again.
    namedControl<QLineEdit>(m_window, u"名称"_qs)->setText(u" 葛根汤"_qs);
    QCOMPARE(box(m_window, u"拼音"_qs), u"ggt"_qs);
    QVERIFY(m_window->isModified());
}

void TestTemplateWindow::actsOnTheClickedTemplateWhenTheTableChanged()
{
    QCOMPARE(shownNames(m_window), PersonalSets);
    // Another computer adds a template that sorts first while the list is shown.
    Database other(m_file->location());
    TemplateRepository otherTemplates(other);
    TemplateRepository::Template first{QString(), u"新组套"_qs, u"内容"_qs, u"xzt"_qs, u"个人组套"_qs, u"000"_qs};
    QVERIFY(otherTemplates.add(first).ok);

    clickRow(m_window, 1);
    QCOMPARE(box(m_window, u"名称"_qs), u"肺炎组套"_qs);
    clickButton(m_window, u"删除"_qs);
    Database &db = m_file->database();
    QCOMPARE(count(db, u"select count(*) from 个人模板 where 名称 = '肺炎组套'"_qs), 0);
    for (const QString &kept : {u"新组套"_qs, u"阿齐霉素组套"_qs, u"牙周炎"_qs})
        QCOMPARE(count(db, u"select count(*) from 个人模板 where 名称 = ?"_qs, {kept}), 1);
    QCOMPARE(shownNames(m_window), (QStringList{u"新组套"_qs, u"阿齐霉素组套"_qs, u"牙周炎"_qs, u"小儿上呼吸道感染"_qs}));
    QCOMPARE(box(m_window, u"名称"_qs), QString());
    QCOMPARE(box(m_window, u"序号"_qs), u"005"_qs);

    // A template another computer deleted is reported, not replaced by its neighbour.
    QVERIFY(otherTemplates.remove(first.key, first.kind).ok);
    MessageBoxCatcher catcher;
    clickRow(m_window, 0);
    QCOMPARE(catcher.texts().size(), 1);
    QCOMPARE(box(m_window, u"名称"_qs), QString());
    QCOMPARE(shownNames(m_window), (QStringList{u"阿齐霉素组套"_qs, u"牙周炎"_qs, u"小儿上呼吸道感染"_qs}));
}

void TestTemplateWindow::savingNewFormula_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("caret");
    const QString threeHerbs = u"桂枝9g"_qs + Pad7 + u"白芍10g"_qs + Pad6 + u"甘草6g"_qs + Pad7;
    QTest::newRow("克 and 、") << u"桂枝9克、白芍10克、甘草6克\n\n"_qs << threeHerbs << int(threeHerbs.size());
    QTest::newRow("four herbs and an instruction")
        << u"桂枝9g 白芍10g 甘草6g 生姜9g\n水煎服"_qs << threeHerbs + u"\r\n\r\n生姜9g"_qs + Pad7 + u"\r\n水煎服"_qs
        << int(threeHerbs.size()) + 2 + 11;
}

void TestTemplateWindow::savingNewFormula()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(int, caret);
    namedControl<QRadioButton>(m_window, u"中药方剂"_qs)->click();
    namedControl<QLineEdit>(m_window, u"名称"_qs)->setText(u" 桂枝甘草汤"_qs);
    QCOMPARE(box(m_window, u"拼音"_qs), u"gzgct"_qs);
    namedControl<QPlainTextEdit>(m_window, u"内容"_qs)->setPlainText(typed);
    clickButton(m_window, u"保存"_qs);

    Database &db = m_file->database();
    const QString where = u" from 个人模板 where 名称 = ' 桂枝甘草汤'"_qs;
    QCOMPARE(column(db, u"select 内容"_qs + where), QStringList{stored});
    QCOMPARE(column(db, u"select 拼音 || '|' || 查询 || '|' || 分类 || '|' || 排序"_qs + where),
             QStringList{u"gzgct| 桂枝甘草汤gzgct27215|中药方剂|005"_qs});
    QCOMPARE(column(db, u"select 序号"_qs + where).value(0).size(), 14);
    auto *content = namedControl<QPlainTextEdit>(m_window, u"内容"_qs);
    QCOMPARE(content->toPlainText(), QString(stored).replace(u"\r\n"_qs, u"\n"_qs));
    // The next herb typed goes in front of the instruction.
    QCOMPARE(content->textCursor().position(), caret);
    auto *list = namedControl<QListWidget>(m_window, u"名称列表"_qs);
    QCOMPARE(shownNames(m_window).last(), u" 桂枝甘草汤"_qs);
    QCOMPARE(list->currentRow(), 4);
    QVERIFY(!m_window->isModified());
}

void TestTemplateWindow::savingAgainUpdatesTheSameTemplate()
{
    namedControl<QLineEdit>(m_window, u"名称"_qs)->setText(u"感冒组套"_qs);
    namedControl<QPlainTextEdit>(m_window, u"内容"_qs)->setPlainText(u"复方氨酚烷胺片 1片"_qs);
    clickButton(m_window, u"保存"_qs);
    namedControl<QPlainTextEdit>(m_window, u"内容"_qs)->setPlainText(u"复方氨酚烷胺片 2片\n    用法：口服 每日2次\n\n"_qs);
    namedControl<QLineEdit>(m_window, u"序号"_qs)->setText(u"000"_qs);
    clickButton(m_window, u"保存"_qs);
    Database &db = m_file->database();
    QCOMPARE(column(db, u"select 内容 || '|' || 排序 from 个人模板 where 名称 = '感冒组套'"_qs),
             QStringList{u"复方氨酚烷胺片 2片\r\n    用法：口服 每日2次|000"_qs});
    QCOMPARE(shownNames(m_window).first(), u"感冒组套"_qs);
    QCOMPARE(namedControl<QListWidget>(m_window, u"名称列表"_qs)->currentRow(), 0);
}

void TestTemplateWindow::thousandthTemplateProposesZeroOrder()
{
    Database &db = m_file->database();
    QVERIFY(db.exec(u"begin"_qs).ok);
    for (int i = 7; i <= 999; ++i) {
        const WriteResult added = db.exec(u"insert into 个人模板 (序号, 名称, 分类, 排序) values (?, ?, '病历模板', ?)"_qs,
                                          {u"2020"_qs + QString::number(i).rightJustified(10, u'0'), u"短语%1"_qs.arg(i), QString::number(i)});
        QVERIFY2(added.ok, qPrintable(added.fullText()));
    }
    QVERIFY(db.exec(u"commit"_qs).ok);
    namedControl<QRadioButton>(m_window, u"病历模板"_qs)->click();
    QCOMPARE(shownNames(m_window).size(), 999);
    QCOMPARE(box(m_window, u"序号"_qs), u"000"_qs);
}

void TestTemplateWindow::dollarStoredFullWidth()
{
    // The medical record ends its sections with "$": an inserted "$" must read back as typed.
    namedControl<QRadioButton>(m_window, u"病历模板"_qs)->click();
    namedControl<QLineEdit>(m_window, u"名称"_qs)->setText(u"血压$记录"_qs);
    namedControl<QPlainTextEdit>(m_window, u"内容"_qs)->setPlainText(u"血压 $ mmHg"_qs);
    clickButton(m_window, u"保存"_qs);
    QCOMPARE(column(m_file->database(), u"select 名称 || '|' || 内容 from 个人模板 where 分类 = '病历模板' and 排序 = '007'"_qs),
             QStringList{u"血压＄记录|血压 ＄ mmHg"_qs});
    QCOMPARE(box(m_window, u"名称"_qs), u"血压＄记录"_qs);
    QCOMPARE(box(m_window, u"内容"_qs), u"血压 ＄ mmHg"_qs);
    QVERIFY(!m_window->isModified());
}

void TestTemplateWindow::nameRequired_data()
{
    QTest::addColumn<bool>("stored");
    QTest::newRow("new template") << false;
    QTest::newRow("stored template whose name was cleared") << true;
}

void TestTemplateWindow::nameRequired()
{
    QFETCH(bool, stored);
    if (stored)
        clickRow(m_window, 2);
    namedControl<QLineEdit>(m_window, u"名称"_qs)->setText(u"   "_qs);
    namedControl<QPlainTextEdit>(m_window, u"内容"_qs)->setPlainText(u"甲硝唑片 0.2g×21片"_qs);
    MessageBoxCatcher catcher;
    clickButton(m_window, u"保存"_qs);
    QCOMPARE(catcher.texts(), QStringList{u"请输入药物名称！"_qs});
    QCOMPARE(count(m_file->database(), u"select count(*) from 个人模板 where 分类 = '个人组套'"_qs), 4);
    QCOMPARE(column(m_file->database(), u"select 名称 from 个人模板 where 分类 = '个人组套' and 排序 = '003'"_qs),
             QStringList{u"牙周炎"_qs});
    QCOMPARE(box(m_window, u"内容"_qs), u"甲硝唑片 0.2g×21片"_qs);
}

void TestTemplateWindow::refusedSaveKeepsInput()
{
    Database impatient(m_file->location(), 100);
    TemplateRepository templates(impatient);
    TemplateWindow window(templates);
    window.show();
    namedControl<QRadioButton>(&window, u"中药方剂"_qs)->click();
    namedControl<QLineEdit>(&window, u"名称"_qs)->setText(u"甘草汤"_qs);
    namedControl<QPlainTextEdit>(&window, u"内容"_qs)->setPlainText(u"甘草6克"_qs);

    // Another computer is writing to the file.
    Database other(m_file->location());
    std::optional<SqlTransaction> held(std::in_place, other);
    QVERIFY(held->isActive());
    MessageBoxCatcher catcher;
    clickButton(&window, u"保存"_qs);
    QCOMPARE(catcher.texts().size(), 1);
    QVERIFY2(catcher.texts().at(0).contains(u"其他电脑"_qs), qPrintable(catcher.texts().at(0)));
    QCOMPARE(box(&window, u"名称"_qs), u"甘草汤"_qs);
    QCOMPARE(box(&window, u"内容"_qs), u"甘草6克"_qs);
    QVERIFY(window.isModified());
    held.reset();
    QCOMPARE(count(other, u"select count(*) from 个人模板 where 名称 = '甘草汤'"_qs), 0);

    clickButton(&window, u"保存"_qs);
    QCOMPARE(catcher.texts().size(), 1);
    QCOMPARE(column(other, u"select 内容 from 个人模板 where 名称 = '甘草汤'"_qs), QStringList{u"甘草6g"_qs + Pad7});
}

void TestTemplateWindow::presetContentFromThePrescription()
{
    TestDatabase file;
    QTemporaryDir backup;
    ClinicServices services(testStartupValues(file), backup.path());
    MainWindow main(services);
    main.show();
    TemplateWindow *window = main.openTemplates(u"中药方剂"_qs, u"桂枝9g\r\n白芍10g\r\n诊查费"_qs);
    QVERIFY(window);
    QCOMPARE(main.childWindow(u"Form4"_qs), window);
    QCOMPARE(window->property("category").toString(), u"中药方剂"_qs);
    QVERIFY(namedControl<QRadioButton>(window, u"中药方剂"_qs)->isChecked());
    QCOMPARE(box(window, u"内容"_qs), u"桂枝9g\n白芍10g\n诊查费"_qs);
    QCOMPARE(box(window, u"名称"_qs), QString());
    QCOMPARE(box(window, u"序号"_qs), u"005"_qs);
    QVERIFY(window->isModified());
    namedControl<QLineEdit>(window, u"名称"_qs)->setText(u"桂枝芍药方"_qs);
    clickButton(window, u"保存"_qs);
    QCOMPARE(column(file.database(), u"select 内容 from 个人模板 where 名称 = '桂枝芍药方'"_qs),
             QStringList{u"桂枝9g"_qs + Pad7 + u"白芍10g"_qs + Pad6 + u"\r\n诊查费"_qs});
}

void TestTemplateWindow::unsavedEditsOnClosing_data()
{
    QTest::addColumn<QString>("closedBy");
    QTest::addColumn<bool>("discard");
    for (const QString &closedBy : {u"menu"_qs, u"exit button"_qs, u"window frame"_qs}) {
        QTest::addRow("%s, edits kept", qPrintable(closedBy)) << closedBy << false;
        QTest::addRow("%s, edits discarded", qPrintable(closedBy)) << closedBy << true;
    }
}

void TestTemplateWindow::unsavedEditsOnClosing()
{
    QFETCH(QString, closedBy);
    QFETCH(bool, discard);
    TestDatabase file;
    QTemporaryDir backup;
    ClinicServices services(testStartupValues(file), backup.path());
    MainWindow main(services);
    main.show();
    const auto close = [&](QWidget *window) {
        if (closedBy == u"menu"_qs)
            main.findChild<QAction *>(u"人个组套\\中药方剂"_qs)->trigger();
        else if (closedBy == u"exit button"_qs)
            clickButton(window, u"退出"_qs);
        else
            qobject_cast<QMdiSubWindow *>(window->parentWidget())->close();
    };

    // Without edits it closes without a question.
    QPointer<TemplateWindow> window = main.openTemplates(u"病历模板"_qs);
    clickRow(window, 0);
    {
        MessageBoxCatcher answerer(QMessageBox::No);
        close(window);
        QTRY_VERIFY(!window);
        QCOMPARE(answerer.texts(), QStringList());
    }

    window = main.openTemplates(u"病历模板"_qs);
    namedControl<QPlainTextEdit>(window, u"内容"_qs)->setPlainText(u"头痛三天"_qs);
    MessageBoxCatcher answerer(discard ? QMessageBox::Yes : QMessageBox::No);
    close(window);
    QCOMPARE(answerer.texts().size(), 1);
    if (discard) {
        QTRY_VERIFY(!window);
        if (closedBy == u"menu"_qs)
            QCOMPARE(main.childWindow(u"Form4"_qs)->property("category").toString(), u"个人组套"_qs);
    } else {
        QVERIFY(window);
        QCOMPARE(main.childWindow(u"Form4"_qs), window.data());
        QCOMPARE(window->kind(), u"病历模板"_qs);
        QCOMPARE(box(window, u"内容"_qs), u"头痛三天"_qs);
    }
}

QTEST_MAIN(TestTemplateWindow)
#include "tst_templatewindow.moc"
