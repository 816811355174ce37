#include "messageboxcatcher.h"
#include "namedcontrol.h"
#include "scriptedfiles.h"
#include "testdatabase.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>

#include "data/cataloguerepository.h"
#include "maintenance/widgets/cataloguewindow.h"
#include "ui/widgets/rowgrid.h"

namespace {

const QColor Cyan(0, 255, 255);

} // namespace

// The window "药物维护" offscreen, driven as a user drives it: options, filter, grid, editor.
class TestCatalogueWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensOnTheWesternCategory();
    void optionsRearrangeTheEditor_data();
    void optionsRearrangeTheEditor();
    void filterSetsThePrefix_data();
    void filterSetsThePrefix();
    void scrollBarFollowsTheResults_data();
    void scrollBarFollowsTheResults();
    void scrollingDropsTheSelection();
    void selectingLoadsTheEditor();
    void clickOnBlankRowOnlyRecolours();
    void typingRules();
    void herbUnitMessage();
    void saveRefusals_data();
    void saveRefusals();
    void newEntrySavedTwiceIsOneRow();
    void twoEntriesAddedWithinOneSecond();
    void subcategoryChangeUpdatesTheSameRow();
    void savingKeepsScrollAndSelection();
    void deleteRemovesTheSelectedEntry();
    void typingInTheSearchBoxStartsAfresh();
    void clearedSearchShowsCurrentRows();
    void searchTextIsLiteral_data();
    void searchTextIsLiteral();
    void symbolsGoToTheLastBox();
    void enterMovesToTheNextBox();
    void helpOpensTheCatalogueSection();
    void clearAsksThenDeletesThePrefix_data();
    void clearAsksThenDeletesThePrefix();

private:
    template<typename T>
    T *child(const QString &name) const { return namedControl<T>(m_window, name); }
    QPushButton *button(const QString &name) const { return child<QPushButton>(name); }
    QLineEdit *edit(const QString &name) const { return child<QLineEdit>(name); }
    void chooseOption(const QString &caption);
    // False when the filter does not list the item.
    bool chooseFilter(const QString &item);
    int rowsOf(const QString &prefix);
    QColor rowColour(int row) const;
    WriteResult addWestern(const QString &name, const QString &category);

    TestDatabase *m_file = nullptr;
    CatalogueRepository *m_catalogue = nullptr;
    ScriptedFiles *m_files = nullptr;
    CatalogueWindow *m_window = nullptr;
};

void TestCatalogueWindow::init()
{
    m_file = new TestDatabase;
    m_catalogue = new CatalogueRepository(m_file->database());
    m_files = new ScriptedFiles;
    m_window = new CatalogueWindow(*m_catalogue, *m_files);
    m_window->show();
    QApplication::setActiveWindow(m_window);
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestCatalogueWindow::cleanup()
{
    delete m_window;
    delete m_files;
    delete m_catalogue;
    delete m_file;
}

void TestCatalogueWindow::chooseOption(const QString &caption)
{
    child<QRadioButton>(caption)->click();
}

bool TestCatalogueWindow::chooseFilter(const QString &item)
{
    auto *filter = child<QComboBox>(u"filterCombo"_qs);
    const int index = filter->findText(item);
    if (index < 0)
        return false;
    filter->setCurrentIndex(index);
    emit filter->activated(index);
    return true;
}

int TestCatalogueWindow::rowsOf(const QString &prefix)
{
    return count(m_file->database(), u"select count(*) from 商品 where 分类 like ? || '%'"_qs, {prefix});
}

QColor TestCatalogueWindow::rowColour(int row) const
{
    return m_window->grid()->cell(row, 0)->parentWidget()->palette().color(QPalette::Window);
}

WriteResult TestCatalogueWindow::addWestern(const QString &name, const QString &category)
{
    CatalogueRepository::Entry entry;
    entry.name = name;
    entry.category = category;
    entry.searchKey = name;
    return m_catalogue->add(entry);
}

void TestCatalogueWindow::opensOnTheWesternCategory()
{
    QCOMPARE(m_window->objectName(), u"Form3"_qs);
    QCOMPARE(m_window->windowTitle(), u"药物维护"_qs);
    QVERIFY(child<QRadioButton>(u"西成药"_qs)->isChecked());
    QCOMPARE(m_window->categoryPrefix(), u"西成药"_qs);
    auto *filter = child<QComboBox>(u"filterCombo"_qs);
    QCOMPARE(filter->count(), 13);
    QCOMPARE(filter->currentText(), u"西成药·全部"_qs);
    QCOMPARE(filter->itemText(12), u"西成药·其他"_qs);
    auto *category = child<QComboBox>(u"categoryCombo"_qs);
    QCOMPARE(category->count(), 12);
    QCOMPARE(category->currentText(), u"西成药·抗生素"_qs);
    QCOMPARE(child<QComboBox>(u"unitCombo"_qs)->currentText(), u"片"_qs);
    for (const QString &name : {u"药物维护帮助"_qs, u"查询"_qs, u"添加"_qs, u"保存"_qs, u"删除"_qs, u"导出到Excel"_qs, u"导入"_qs, u"清空"_qs})
        QVERIFY2(m_window->findChild<QPushButton *>(name), qPrintable(name));
    QVERIFY(!button(u"删除"_qs)->isEnabled());

    const int western = rowsOf(u"西成药"_qs);
    QCOMPARE(m_window->results().size(), western);
    QCOMPARE(m_window->grid()->verticalBar()->maximum(), western - 19);
    QVERIFY(m_window->grid()->verticalBar()->isEnabled());
    // Ordered by name, shown as name, one space and 常用量; the last column stays blank.
    const QStringList first = column(m_file->database(),
                                     u"select replace(replace(名称, '{', '['), '}', ']') || ' ' || 常用量 from 商品 "
                                     "where 分类 like '西成药%' order by 名称, rowid limit 1"_qs);
    QCOMPARE(m_window->grid()->cellText(0, 0), first.value(0));
    QCOMPARE(m_window->grid()->cellText(0, 7), QString());
    QCOMPARE(rowColour(0), QColor(249, 248, 245));
    QCOMPARE(rowColour(1), QColor(Qt::white));
}

void TestCatalogueWindow::optionsRearrangeTheEditor_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("units");
    // 常用量, 单价, 斗位, 用法用量, unit, subcategory
    QTest::addColumn<QList<bool>>("enabled");
    QTest::addColumn<QString>("category");
    QTest::newRow("herbs") << u"中药"_qs << u"中药"_qs << QStringList{u"g"_qs, u"枚"_qs, u"条"_qs, u"个"_qs}
                           << QList<bool>{true, true, true, false, true, false} << u"中药"_qs;
    QTest::newRow("charge items") << u"收费项目"_qs << u"收费项目"_qs << QStringList{u"次"_qs, u"枚"_qs, u"条"_qs, u"个"_qs}
                                  << QList<bool>{true, true, false, false, true, false} << u"收费项目"_qs;
    QTest::newRow("usage terms") << u"用法"_qs << u"用法"_qs << QStringList{}
                                 << QList<bool>{false, false, false, false, false, false} << u"用法"_qs;
    QTest::newRow("back to Western") << u"西成药"_qs << u"西成药·"_qs
                                     << QStringList{u"片"_qs, u"粒"_qs, u"支"_qs, u"包"_qs, u"袋"_qs, u"盒"_qs, u"瓶"_qs, u"个"_qs, u"枚"_qs}
                                     << QList<bool>{true, true, false, true, true, true} << u"西成药·抗生素"_qs;
}

void TestCatalogueWindow::optionsRearrangeTheEditor()
{
    QFETCH(QString, option);
    QFETCH(QString, prefix);
    QFETCH(QStringList, units);
    QFETCH(QList<bool>, enabled);
    QFETCH(QString, category);
    MessageBoxCatcher catcher;
    edit(u"nameEdit"_qs)->setText(u"草稿"_qs);
    chooseOption(u"中药"_qs == option ? u"用法"_qs : u"中药"_qs);
    chooseOption(option);
    QCOMPARE(m_window->categoryPrefix(), prefix);
    auto *unit = child<QComboBox>(u"unitCombo"_qs);
    QStringList offered;
    for (int i = 0; i < unit->count(); ++i)
        offered.append(unit->itemText(i));
    QCOMPARE(offered, units);
    QCOMPARE(unit->currentText(), units.value(0));
    const QList<QWidget *> controls = {edit(u"quantityEdit"_qs), edit(u"priceEdit"_qs), edit(u"drawerEdit"_qs),
                                       edit(u"usageEdit"_qs), unit, child<QComboBox>(u"categoryCombo"_qs)};
    for (int i = 0; i < controls.size(); ++i) {
        QCOMPARE(controls.at(i)->isEnabled(), enabled.at(i));
        const QColor base = controls.at(i)->palette().color(QPalette::Disabled, QPalette::Base);
        QCOMPARE(base == QColor(0xE0, 0xE0, 0xE0), !enabled.at(i));
    }
    QCOMPARE(child<QComboBox>(u"categoryCombo"_qs)->currentText(), category);
    QCOMPARE(child<QComboBox>(u"filterCombo"_qs)->isEnabled(), option == u"西成药"_qs);
    QCOMPARE(m_window->results().size(), rowsOf(prefix));
    // A switch starts a new entry, and raises no herb-unit message on the way.
    QCOMPARE(edit(u"nameEdit"_qs)->text(), QString());
    QCOMPARE(m_window->currentKey(), QString());
    QCOMPARE(catcher.texts(), QStringList());
}

void TestCatalogueWindow::filterSetsThePrefix_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("one subcategory") << u"西成药·抗生素"_qs << u"西成药·抗生素"_qs;
    QTest::newRow("all") << u"西成药·全部"_qs << u"西成药·"_qs;
}

void TestCatalogueWindow::filterSetsThePrefix()
{
    QFETCH(QString, item);
    QFETCH(QString, prefix);
    QVERIFY(chooseFilter(u"西成药·输液"_qs));
    QVERIFY(chooseFilter(item));
    QCOMPARE(m_window->categoryPrefix(), prefix);
    QCOMPARE(m_window->results().size(), rowsOf(prefix));
    for (const CatalogueRepository::Entry &entry : m_window->results())
        QVERIFY(entry.category.startsWith(prefix));
}

void TestCatalogueWindow::scrollBarFollowsTheResults_data()
{
    QTest::addColumn<int>("added");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("maximum");
    // The seed holds 19 infusions.
    QTest::newRow("19 results") << 0 << false << 0;
    QTest::newRow("20 results") << 1 << true << 1;
}

void TestCatalogueWindow::scrollBarFollowsTheResults()
{
    QFETCH(int, added);
    QFETCH(bool, enabled);
    QFETCH(int, maximum);
    for (int i = 0; i < added; ++i)
        QVERIFY(addWestern(u"灭菌注射用水"_qs, u"西成药·输液"_qs).ok);
    QVERIFY(chooseFilter(u"西成药·输液"_qs));
    QScrollBar *bar = m_window->grid()->verticalBar();
    QCOMPARE(bar->isEnabled(), enabled);
    QCOMPARE(bar->maximum(), maximum);
    QCOMPARE(bar->value(), 0);
    const auto shown = [this](int index) { return CatalogueEditorRules::displayName(m_window->results().at(index)); };
    bar->setValue(maximum);
    QCOMPARE(m_window->grid()->cellText(0, 0), shown(maximum));
    QCOMPARE(m_window->grid()->cellText(18, 0), shown(18 + maximum));
}

void TestCatalogueWindow::scrollingDropsTheSelection()
{
    m_window->xz(2);
    QCOMPARE(rowColour(2), Cyan);
    QVERIFY(button(u"删除"_qs)->isEnabled());
    m_window->grid()->verticalBar()->setValue(3);
    QVERIFY(rowColour(2) != Cyan);
    QVERIFY(!button(u"删除"_qs)->isEnabled());
}

void TestCatalogueWindow::selectingLoadsTheEditor()
{
    // Initials that differ from the proposed ones: selecting shows the stored ones.
    CatalogueRepository::Entry entry{QString(), u"辛夷花"_qs, u"10"_qs, u"g"_qs, u"0.800"_qs, u"xh"_qs, QString(),
                                     u"中药"_qs, u"C7"_qs, u"辛夷花xh"_qs};
    QVERIFY(m_catalogue->add(entry).ok);
    chooseOption(u"中药"_qs);
    edit(u"searchEdit"_qs)->setText(u"辛夷花"_qs);
    QCOMPARE(m_window->results().size(), 1);
    QTest::mouseClick(m_window->grid()->cell(0, 2), Qt::LeftButton);
    QCOMPARE(edit(u"nameEdit"_qs)->text(), u"辛夷花"_qs);
    QCOMPARE(edit(u"quantityEdit"_qs)->text(), u"10"_qs);
    QCOMPARE(child<QComboBox>(u"unitCombo"_qs)->currentText(), u"g"_qs);
    QCOMPARE(edit(u"priceEdit"_qs)->text(), u"0.800"_qs);
    QCOMPARE(edit(u"drawerEdit"_qs)->text(), u"C7"_qs);
    QCOMPARE(edit(u"initialsEdit"_qs)->text(), u"xh"_qs);
    QCOMPARE(child<QComboBox>(u"categoryCombo"_qs)->currentText(), u"中药"_qs);
    QCOMPARE(m_window->currentKey(), entry.key);
    QCOMPARE(rowColour(0), Cyan);
    QVERIFY(button(u"删除"_qs)->isEnabled());
    QCOMPARE(QApplication::focusWidget(), edit(u"nameEdit"_qs));
    QCOMPARE(edit(u"nameEdit"_qs)->cursorPosition(), 3);

    // Brackets come back from braces; a usage term is loaded whole.
    edit(u"searchEdit"_qs)->setText(u"阿胶"_qs);
    m_window->xz(0);
    QCOMPARE(edit(u"nameEdit"_qs)->text(), u"阿胶[烊化]"_qs);
    chooseOption(u"用法"_qs);
    edit(u"searchEdit"_qs)->setText(u"静脉滴注 每日1次"_qs);
    m_window->xz(0);
    QCOMPARE(edit(u"nameEdit"_qs)->text(), u"用法：静脉滴注 每日1次 "_qs);
    QCOMPARE(edit(u"quantityEdit"_qs)->text(), QString());
}

void TestCatalogueWindow::clickOnBlankRowOnlyRecolours()
{
    QVERIFY(chooseFilter(u"西成药·内分泌"_qs)); // 11 entries
    m_window->xz(1);
    const QString key = m_window->currentKey();
    QTest::mouseClick(m_window->grid()->cell(15, 0), Qt::LeftButton);
    QVERIFY(rowColour(1) != Cyan);
    QVERIFY(rowColour(15) != Cyan);
    QCOMPARE(m_window->currentKey(), key);
}

void TestCatalogueWindow::typingRules()
{
    QLineEdit *name = edit(u"nameEdit"_qs);
    name->setFocus();
    name->insert(u"阿胶"_qs);
    QTest::keyClicks(name, u"(x)"_qs);
    QCOMPARE(name->text(), u"阿胶[x]"_qs);
    QCOMPARE(name->cursorPosition(), 5);
    QCOMPARE(edit(u"initialsEdit"_qs)->text(), u"ajx"_qs);
    name->setCursorPosition(2);
    name->insert(u"（"_qs);
    QCOMPARE(name->text(), u"阿胶[[x]"_qs);
    QCOMPARE(name->cursorPosition(), 3);

    QLineEdit *quantity = edit(u"quantityEdit"_qs);
    quantity->setFocus();
    QTest::keyClicks(quantity, u"0.25g*24"_qs);
    quantity->insert(u"粒"_qs);
    QCOMPARE(quantity->text(), u"0.25g×24粒"_qs);
    QCOMPARE(child<QComboBox>(u"unitCombo"_qs)->currentText(), u"粒"_qs);
    quantity->setText(u"100ml×1瓶"_qs);
    QCOMPARE(child<QComboBox>(u"unitCombo"_qs)->currentText(), u"瓶"_qs);

    QLineEdit *price = edit(u"priceEdit"_qs);
    price->setFocus();
    QTest::keyClicks(price, u"12"_qs);
    price->insert(u"。"_qs);
    QTest::keyClicks(price, u"5"_qs);
    QCOMPARE(price->text(), u"12.5"_qs);
}

void TestCatalogueWindow::herbUnitMessage()
{
    chooseOption(u"中药"_qs);
    MessageBoxCatcher catcher;
    auto *unit = child<QComboBox>(u"unitCombo"_qs);
    unit->setEditText(u"g"_qs);
    QCOMPARE(catcher.texts(), QStringList());
    unit->setEditText(u"盒"_qs);
    QCOMPARE(catcher.texts(), QStringList{u"中药的单位仅限于“g”，“枚”，“条”，“个”4种！"_qs});
    QCOMPARE(unit->currentText(), QString());

    // A herb stored with another unit (an imported one) keeps it when selected.
    CatalogueRepository::Entry boxed{QString(), u"三七粉胶囊"_qs, u"10"_qs, u"盒"_qs, u"30.000"_qs, u"sqfjn"_qs, QString(),
                                     u"中药"_qs, QString(), u"三七粉胶囊sqfjn"_qs};
    QVERIFY(m_catalogue->add(boxed).ok);
    edit(u"searchEdit"_qs)->setText(u"三七粉胶囊"_qs);
    m_window->xz(0);
    QCOMPARE(unit->currentText(), u"盒"_qs);
    QCOMPARE(catcher.texts().size(), 1);
}

void TestCatalogueWindow::saveRefusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("drawer");
    QTest::addColumn<QString>("message");
    QTest::newRow("no name") << u"  "_qs << QString() << u"请输入药物名称！"_qs;
    QTest::newRow("space in the name") << u"当归 尾"_qs << QString() << u"不能有空格"_qs;
    QTest::newRow("dollar in the drawer") << u"当归尾"_qs << u"B$3"_qs << u"“斗位”中不能有“@”或“$”"_qs;
}

void TestCatalogueWindow::saveRefusals()
{
    QFETCH(QString, name);
    QFETCH(QString, drawer);
    QFETCH(QString, message);
    chooseOption(u"中药"_qs);
    const int before = rowsOf(u""_qs);
    edit(u"nameEdit"_qs)->setText(name);
    edit(u"drawerEdit"_qs)->setText(drawer);
    MessageBoxCatcher catcher;
    button(u"保存"_qs)->click();
    QCOMPARE(catcher.texts().size(), 1);
    QVERIFY2(catcher.texts().first().contains(message), qPrintable(catcher.texts().first()));
    QCOMPARE(rowsOf(u""_qs), before);
    // What the user typed stays for correcting.
    QCOMPARE(edit(u"nameEdit"_qs)->text(), name);
    QCOMPARE(edit(u"drawerEdit"_qs)->text(), drawer);
}

void TestCatalogueWindow::newEntrySavedTwiceIsOneRow()
{
    chooseOption(u"中药"_qs);
    button(u"添加"_qs)->click();
    edit(u"nameEdit"_qs)->setText(u"鹿角霜(煅)"_qs);
    edit(u"quantityEdit"_qs)->setText(u"10g"_qs);
    edit(u"priceEdit"_qs)->setText(u"0.5"_qs);
    button(u"保存"_qs)->click();
    const QString key = m_window->currentKey();
    QCOMPARE(key.size(), 14);
    // Boxes left empty are stored as empty texts, like every other row.
    QCOMPARE(column(m_file->database(), u"select 名称 || '|' || 常用量 || '|' || 单位 || '|' || 单价 || '|' || 分类 || '|' || 查询 "
                                         "|| '|' || 斗位 || '|' || 用法 from 商品 where \"ID号\" = ?"_qs, {key}),
             QStringList{u"鹿角霜{煅}|10g|g|0.500|中药|鹿角霜[煅]ljsd3351||"_qs});
    QCOMPARE(QApplication::focusWidget(), button(u"添加"_qs));
    QCOMPARE(m_window->grid()->scrollValue(), 0);

    edit(u"priceEdit"_qs)->setText(u"0.6"_qs);
    button(u"保存"_qs)->click();
    QCOMPARE(m_window->currentKey(), key);
    QCOMPARE(column(m_file->database(), u"select 单价 from 商品 where 名称 = '鹿角霜{煅}'"_qs), QStringList{u"0.600"_qs});
}

void TestCatalogueWindow::twoEntriesAddedWithinOneSecond()
{
    const QStringList names = {u"紫苏梗"_qs, u"荆芥穗炭"_qs, u"藿香梗"_qs};
    for (const QString &name : names) {
        button(u"添加"_qs)->click();
        edit(u"nameEdit"_qs)->setText(name);
        button(u"保存"_qs)->click();
    }
    const QStringList keys = column(m_file->database(), u"select \"ID号\" from 商品 where 名称 in (?, ?, ?)"_qs,
                                    {names.at(0), names.at(1), names.at(2)});
    QCOMPARE(keys.size(), 3);
    QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), 3);
}

void TestCatalogueWindow::subcategoryChangeUpdatesTheSameRow()
{
    QVERIFY(chooseFilter(u"西成药·抗生素"_qs));
    m_window->xz(0);
    const QString key = m_window->currentKey();
    const QString name = m_window->results().first().name;
    const int antibiotics = m_window->results().size();
    child<QComboBox>(u"categoryCombo"_qs)->setCurrentText(u"西成药·输液"_qs);
    button(u"保存"_qs)->click();
    // The filter no longer matches: the row left the grid.
    QCOMPARE(m_window->results().size(), antibiotics - 1);
    // Saving again after the change still finds the row by its key.
    edit(u"priceEdit"_qs)->setText(u"9.9"_qs);
    button(u"保存"_qs)->click();
    QCOMPARE(column(m_file->database(), u"select 名称 || '|' || 分类 || '|' || 单价 from 商品 where \"ID号\" = ?"_qs, {key}),
             QStringList{name + u"|西成药·输液|9.900"_qs});
}

void TestCatalogueWindow::savingKeepsScrollAndSelection()
{
    m_window->grid()->verticalBar()->setValue(5);
    m_window->xz(3);
    const QString key = m_window->currentKey();
    edit(u"usageEdit"_qs)->setText(u"1片 每日1次 口服"_qs);
    button(u"保存"_qs)->click();
    QCOMPARE(m_window->grid()->scrollValue(), 5);
    QCOMPARE(rowColour(3), Cyan);
    QVERIFY(!button(u"删除"_qs)->isEnabled());
    QCOMPARE(m_window->currentKey(), key);
    QCOMPARE(column(m_file->database(), u"select 用法 from 商品 where \"ID号\" = ?"_qs, {key}), QStringList{u"1片 每日1次 口服"_qs});
}

void TestCatalogueWindow::deleteRemovesTheSelectedEntry()
{
    QVERIFY(chooseFilter(u"西成药·神经"_qs));
    m_window->xz(4);
    const QString key = m_window->currentKey();
    const int before = m_window->results().size();
    button(u"删除"_qs)->click();
    QCOMPARE(count(m_file->database(), u"select count(*) from 商品 where \"ID号\" = ?"_qs, {key}), 0);
    QCOMPARE(m_window->results().size(), before - 1);
    QVERIFY(!button(u"删除"_qs)->isEnabled());
    QCOMPARE(edit(u"nameEdit"_qs)->text(), QString());
    QCOMPARE(m_window->currentKey(), QString());
    QCOMPARE(QApplication::focusWidget(), button(u"添加"_qs));
}

void TestCatalogueWindow::typingInTheSearchBoxStartsAfresh()
{
    chooseOption(u"中药"_qs);
    m_window->xz(0);
    m_window->grid()->verticalBar()->setValue(2);
    QLineEdit *search = edit(u"searchEdit"_qs);
    search->setFocus();
    QTest::keyClicks(search, u"dg"_qs);
    QVERIFY(!m_window->results().isEmpty());
    QCOMPARE(m_window->results(), m_catalogue->find(u"中药"_qs, u"dg"_qs));
    QCOMPARE(edit(u"nameEdit"_qs)->text(), QString());
    QCOMPARE(m_window->currentKey(), QString());
    QCOMPARE(m_window->grid()->scrollValue(), 0);
    QVERIFY(!button(u"删除"_qs)->isEnabled());
    QCOMPARE(QApplication::focusWidget(), search);
}

void TestCatalogueWindow::clearedSearchShowsCurrentRows()
{
    QLineEdit *search = edit(u"searchEdit"_qs);
    search->setText(u"a"_qs);
    search->clear();
    CatalogueRepository::Entry first = m_window->results().first();
    // Changed meanwhile by another window or computer.
    first.price = u"99.990"_qs;
    QVERIFY(m_catalogue->update(first).ok);
    search->setText(u"a"_qs);
    search->clear();
    QCOMPARE(m_window->results().first().price, u"99.990"_qs);
    QCOMPARE(m_window->grid()->cellText(0, 3), u"99.990"_qs);
}

void TestCatalogueWindow::searchTextIsLiteral_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("apostrophe") << u"'"_qs << QStringList{u"0.9%氯化钠注射液(O'Neil)"_qs};
    QTest::newRow("percent") << u"%"_qs << QStringList{u"0.9%氯化钠注射液(O'Neil)"_qs};
    QTest::newRow("underscore") << u"_"_qs << QStringList();
}

void TestCatalogueWindow::searchTextIsLiteral()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, names);
    QVERIFY(m_catalogue->clear(u"西成药·外用"_qs).ok);
    QVERIFY(addWestern(u"0.9%氯化钠注射液(O'Neil)"_qs, u"西成药·外用"_qs).ok);
    QVERIFY(addWestern(u"炉甘石洗剂"_qs, u"西成药·外用"_qs).ok);
    QVERIFY(chooseFilter(u"西成药·外用"_qs));
    edit(u"searchEdit"_qs)->setText(typed);
    QStringList shown;
    for (const CatalogueRepository::Entry &entry : m_window->results())
        shown.append(entry.name);
    QCOMPARE(shown, names);
}

void TestCatalogueWindow::symbolsGoToTheLastBox()
{
    QLineEdit *quantity = edit(u"quantityEdit"_qs);
    quantity->setFocus();
    quantity->setText(u"0.25g24粒"_qs);
    quantity->setCursorPosition(5);
    QLabel *times = m_window->findChild<QLabel *>(u"symbol_3"_qs);
    QCOMPARE(times->text(), u"×"_qs);
    QTest::mouseClick(times, Qt::LeftButton);
    QCOMPARE(quantity->text(), u"0.25g×24粒"_qs);

    QLineEdit *usage = edit(u"usageEdit"_qs);
    usage->setFocus();
    QCOMPARE(usage->cursorPosition(), 0);
    usage->setText(u"每日两次"_qs);
    usage->selectAll();
    QTest::mouseClick(m_window->findChild<QLabel *>(u"symbol_10"_qs), Qt::LeftButton);
    QCOMPARE(usage->text(), u"2粒 每日3次 口服"_qs);
    // The quantity box is untouched by a symbol meant for the usage box.
    QCOMPARE(quantity->text(), u"0.25g×24粒"_qs);
}

void TestCatalogueWindow::enterMovesToTheNextBox()
{
    QLineEdit *name = edit(u"nameEdit"_qs);
    name->setFocus();
    name->setText(u"布洛芬"_qs);
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(name->text(), u"布洛芬"_qs);
    QCOMPARE(QApplication::focusWidget(), edit(u"quantityEdit"_qs));
    // Gaining the focus puts the caret at the end.
    name->setCursorPosition(0);
    QTest::keyClick(edit(u"quantityEdit"_qs), Qt::Key_Enter);
    QVERIFY(QApplication::focusWidget() != name);
    name->setFocus();
    QCOMPARE(name->cursorPosition(), 3);
}

void TestCatalogueWindow::helpOpensTheCatalogueSection()
{
    QSignalSpy requested(m_window, &CatalogueWindow::linkRequested);
    button(u"药物维护帮助"_qs)->click();
    QCOMPARE(requested.count(), 1);
    const QUrl url = requested.first().first().toUrl();
    QCOMPARE(url.fragment(), u"drug"_qs);
    QFile page(u":/help/help.html"_qs);
    QVERIFY(page.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(page.readAll()).contains(u"<h2 id=\"drug\">"_qs));
}

void TestCatalogueWindow::clearAsksThenDeletesThePrefix_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestCatalogueWindow::clearAsksThenDeletesThePrefix()
{
    QFETCH(bool, yes);
    QVERIFY(chooseFilter(u"西成药·抗生素"_qs));
    const int all = rowsOf(u""_qs);
    const int antibiotics = rowsOf(u"西成药·抗生素"_qs);
    MessageBoxCatcher catcher(yes ? QMessageBox::Yes : QMessageBox::No);
    button(u"清空"_qs)->click();
    QCOMPARE(catcher.texts(), QStringList{u"在进行清空操作前，务必先将药品导出备份，否则不能恢复！"_qs});
    QCOMPARE(rowsOf(u""_qs), yes ? all - antibiotics : all);
    QCOMPARE(rowsOf(u"西成药·抗生素"_qs), yes ? 0 : antibiotics);
    QCOMPARE(m_window->results().size(), yes ? 0 : antibiotics);
}

QTEST_MAIN(TestCatalogueWindow)
#include "tst_cataloguewindow.moc"
