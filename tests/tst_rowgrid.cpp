#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "ui/widgets/rowgrid.h"

// The grid the long lists share: what each visible row shows as the list scrolls.
class TestRowGrid : public QObject
{
    Q_OBJECT

private slots:
    void scrollRange_data();
    void scrollRange();
    void scrollingShowsLaterResults();
    void clickAndSelection();
    void cutValueShownWholeOnHovering();
};

namespace {

QList<QStringList> numbered(int count)
{
    QList<QStringList> results;
    for (int i = 1; i <= count; ++i)
        results.append({QStringLiteral("结果%1").arg(i), QString::number(i)});
    return results;
}

RowGrid *grid(int rows)
{
    return new RowGrid({{u"名称"_qs, 0, 2000}, {u"数量"_qs, 2000, 600, Qt::AlignRight}}, rows, 0);
}

} // namespace

void TestRowGrid::scrollRange_data()
{
    QTest::addColumn<int>("results");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("maximum");
    QTest::newRow("fewer than the rows") << 5 << false << 0;
    QTest::newRow("exactly the rows") << 19 << false << 0;
    QTest::newRow("one more") << 20 << true << 1;
    QTest::newRow("none") << 0 << false << 0;
}

void TestRowGrid::scrollRange()
{
    QFETCH(int, results);
    QFETCH(bool, enabled);
    QFETCH(int, maximum);
    std::unique_ptr<RowGrid> list(grid(19));
    list->setResults(numbered(results));
    QCOMPARE(list->verticalBar()->isEnabled(), enabled);
    QCOMPARE(list->verticalBar()->maximum(), maximum);
    QCOMPARE(list->scrollValue(), 0);
    QCOMPARE(list->cellText(0, 0), results ? u"结果1"_qs : QString());
    QCOMPARE(list->resultAt(18), results >= 19 ? 18 : -1);
}

void TestRowGrid::scrollingShowsLaterResults()
{
    std::unique_ptr<RowGrid> list(grid(19));
    list->setResults(numbered(20));
    QSignalSpy scrolled(list.get(), &RowGrid::scrolled);
    list->setScrollValue(1);
    QCOMPARE(scrolled.count(), 1);
    QCOMPARE(list->cellText(0, 0), u"结果2"_qs);
    QCOMPARE(list->cellText(18, 0), u"结果20"_qs);
    QCOMPARE(list->cellText(18, 1), u"20"_qs);
    // New results start again at the top.
    list->setResults(numbered(3));
    QCOMPARE(list->scrollValue(), 0);
    QCOMPARE(list->cellText(2, 0), u"结果3"_qs);
    QCOMPARE(list->cellText(3, 0), QString());
}

void TestRowGrid::clickAndSelection()
{
    std::unique_ptr<RowGrid> list(grid(5));
    list->resize(300, 200);
    list->show();
    list->setResults(numbered(8));
    QSignalSpy clicked(list.get(), &RowGrid::rowClicked);
    QTest::mouseClick(list->cell(2, 1), Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).toInt(), 2);
    list->setSelectedRow(2);
    QCOMPARE(list->selectedRow(), 2);
    // Scrolling recolours, which drops the highlight.
    list->setScrollValue(1);
    QCOMPARE(list->selectedRow(), -1);
}

void TestRowGrid::cutValueShownWholeOnHovering()
{
    std::unique_ptr<RowGrid> list(grid(3));
    list->resize(300, 200);
    list->show();
    const QString longName = u"5%葡萄糖氯化钠注射液[250ml] 250ml×1瓶 静脉滴注"_qs;
    list->setResults({{longName, u"1"_qs}, {u"短名"_qs, u"2"_qs}});
    QCOMPARE(list->cellText(0, 0), longName);
    QCOMPARE(list->cell(0, 0)->toolTip(), longName);
    QCOMPARE(list->cell(1, 0)->toolTip(), QString());
    // Scrolled away, the row that now shows a short value offers nothing.
    list->setResults({{u"短名"_qs, u"2"_qs}});
    QCOMPARE(list->cell(0, 0)->toolTip(), QString());
}

QTEST_MAIN(TestRowGrid)
#include "tst_rowgrid.moc"
