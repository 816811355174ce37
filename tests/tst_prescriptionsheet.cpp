#include <QSignalSpy>
#include <QTest>

#include "prescription/infusioncardlines.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/pricedsheettext.h"

// The sheet's own rules: totals, the stored priced sheet, the drawer sort, the header shortcuts and
// the infusion-card lines the body gives.
class TestPrescriptionSheet : public QObject
{
    Q_OBJECT

private slots:
    void totals_data();
    void totals();
    void frozenTotalsWaitForTheEnd();
    void pricedSheetText();
    void pricedSheetRestoresWhatIsThere();
    void drawerSort();
    void headerShortcuts();
    void cardLines_data();
    void cardLines();
    void bodyHookRespectsLoading();
};

namespace {

DrugLine line(const QString &name, const QString &quantity, const QString &price, const QString &category = QString(),
              const QString &drawer = QString())
{
    DrugLine l;
    l.name = name;
    l.quantity = quantity;
    l.unitPrice = price;
    l.category = category;
    l.drawer = drawer;
    return l;
}

} // namespace

void TestPrescriptionSheet::totals_data()
{
    QTest::addColumn<QList<DrugLine>>("lines");
    QTest::addColumn<QStringList>("amounts");
    QTest::addColumn<QStringList>("totals"); // grand, 药费, 其他, 合计
    QTest::newRow("two at 1.235") << QList<DrugLine>{line(u"甲"_qs, u"2"_qs, u"1.235"_qs)} << QStringList{u"2.470"_qs}
                                  << QStringList{u"2.47"_qs, u"2.47"_qs, QString(), u"2.47"_qs};
    QTest::newRow("empty quantity gives an empty amount") << QList<DrugLine>{line(u"甲"_qs, QString(), u"3.5"_qs)} << QStringList{QString()}
                                                          << QStringList{QString(), QString(), QString(), QString()};
    QTest::newRow("charge item and drug")
        << QList<DrugLine>{line(u"注射费"_qs, u"1"_qs, u"5"_qs, u"收费项目"_qs), line(u"乙"_qs, u"4"_qs, u"3"_qs, u"西成药·抗生素"_qs)}
        << QStringList{u"5.000"_qs, u"12.000"_qs} << QStringList{u"17.00"_qs, u"12.00"_qs, u"5.00"_qs, u"17.00"_qs};
    // 0.1 + 0.2 is 0.30 exactly.
    QTest::newRow("tenths") << QList<DrugLine>{line(u"甲"_qs, u"1"_qs, u"0.1"_qs), line(u"乙"_qs, u"1"_qs, u"0.2"_qs)}
                            << QStringList{u"0.100"_qs, u"0.200"_qs} << QStringList{u"0.30"_qs, u"0.30"_qs, QString(), u"0.30"_qs};
    QTest::newRow("quantity typed with its unit") << QList<DrugLine>{line(u"甲"_qs, u"3盒"_qs, u"2.5"_qs)} << QStringList{u"7.500"_qs}
                                                  << QStringList{u"7.50"_qs, u"7.50"_qs, QString(), u"7.50"_qs};
}

void TestPrescriptionSheet::totals()
{
    QFETCH(QList<DrugLine>, lines);
    QFETCH(QStringList, amounts);
    QFETCH(QStringList, totals);
    PrescriptionSheet sheet;
    for (int row = 0; row < lines.size(); ++row)
        sheet.setLine(row, lines.at(row));
    for (int row = 0; row < amounts.size(); ++row)
        QCOMPARE(sheet.line(row).amount, amounts.at(row));
    QCOMPARE((QStringList{sheet.grandTotal(), sheet.field(PrescriptionSheet::DrugFee), sheet.field(PrescriptionSheet::OtherFee),
                          sheet.field(PrescriptionSheet::Total)}),
             totals);
}

void TestPrescriptionSheet::frozenTotalsWaitForTheEnd()
{
    PrescriptionSheet sheet;
    {
        PrescriptionSheet::FrozenTotals frozen(sheet);
        sheet.setLine(0, line(u"甲"_qs, u"2"_qs, u"3"_qs));
        sheet.setCell(0, DrugLine::Quantity, u"4"_qs);
        QCOMPARE(sheet.line(0).amount, QString());
        QCOMPARE(sheet.grandTotal(), QString());
    }
    sheet.recomputeTotals();
    QCOMPARE(sheet.line(0).amount, u"12.000"_qs);
    // Editing a quantity recomputes at once.
    sheet.setCell(0, DrugLine::Quantity, u"5"_qs);
    QCOMPARE(sheet.grandTotal(), u"15.00"_qs);
    QCOMPARE(sheet.field(PrescriptionSheet::Total), u"15.00"_qs);
}

void TestPrescriptionSheet::pricedSheetText()
{
    PrescriptionSheet sheet;
    DrugLine a = line(u"A"_qs, u"2"_qs, u"3.5"_qs);
    a.unit = u"盒"_qs;
    DrugLine b = line(u"B"_qs, u"1"_qs, u"1.2"_qs);
    b.unit = u"支"_qs;
    sheet.setLine(0, a);
    sheet.setLine(1, b);
    QCOMPARE(sheet.pricedSheetText(), u"A@B@$2@1@$盒@支@$3.5@1.2@$7.000@1.200@$@@$"_qs);
    // Rows after the first empty name are not stored.
    sheet.setLine(3, line(u"D"_qs, u"1"_qs, u"1"_qs));
    QCOMPARE(sheet.pricedSheetText().count(u'@'), 12);

    PrescriptionSheet restored;
    restored.restorePricedSheet(sheet.pricedSheetText());
    for (int row = 0; row < 2; ++row) {
        for (int cell = DrugLine::Name; cell <= DrugLine::Drawer; ++cell)
            QCOMPARE(restored.line(row).cell(cell), sheet.line(row).cell(cell));
    }
    // Restoring never recomputes: the totals come from the stored header.
    QCOMPARE(restored.grandTotal(), QString());
    QVERIFY(restored.line(2).isEmpty());
}

void TestPrescriptionSheet::pricedSheetRestoresWhatIsThere()
{
    PrescriptionSheet sheet;
    sheet.restorePricedSheet(u"甲@乙@$2@1@$$$$$"_qs);
    QCOMPARE(sheet.line(0).name, u"甲"_qs);
    QCOMPARE(sheet.line(1).name, u"乙"_qs);
    QCOMPARE(sheet.line(1).quantity, u"1"_qs);
    QCOMPARE(sheet.line(1).unit, QString());
    // A text cut short keeps what it holds.
    sheet.restorePricedSheet(u"甲@"_qs);
    QVERIFY(sheet.line(0).isEmpty());
    QCOMPARE(PricedSheetText::decode(u"a@b@c@$"_qs, 2).size(), 2);
}

void TestPrescriptionSheet::drawerSort()
{
    PrescriptionSheet sheet;
    sheet.setLine(0, line(u"桂枝"_qs, u"60"_qs, u"0.1"_qs, u"中药"_qs, u"B2"_qs));
    sheet.setLine(1, line(u"挂号费"_qs, u"1"_qs, u"15"_qs, u"收费项目"_qs));
    sheet.setLine(3, line(u"当归"_qs, u"60"_qs, u"0.2"_qs, u"中药"_qs, u"a1"_qs));
    const QString total = sheet.grandTotal();
    sheet.sortByDrawer();
    QCOMPARE(sheet.line(0).name, u"挂号费"_qs);
    QCOMPARE(sheet.line(1).name, u"当归"_qs);
    QCOMPARE(sheet.line(2).name, u"桂枝"_qs);
    QVERIFY(sheet.line(3).isEmpty());
    QCOMPARE(sheet.line(0).category, u"收费项目"_qs);
    QCOMPARE(sheet.grandTotal(), total);
}

void TestPrescriptionSheet::headerShortcuts()
{
    PrescriptionSheet sheet;
    sheet.setField(PrescriptionSheet::Sex, u"1"_qs);
    QCOMPARE(sheet.field(PrescriptionSheet::Sex), u"男"_qs);
    sheet.setField(PrescriptionSheet::Sex, u"2"_qs);
    QCOMPARE(sheet.field(PrescriptionSheet::Sex), u"女"_qs);
    sheet.setField(PrescriptionSheet::DrugFee, u"12.5"_qs);
    sheet.setField(PrescriptionSheet::OtherFee, u"3"_qs);
    QCOMPARE(sheet.field(PrescriptionSheet::Total), u"15.50"_qs);
    sheet.setField(PrescriptionSheet::DrugFee, QString());
    sheet.setField(PrescriptionSheet::OtherFee, QString());
    QCOMPARE(sheet.field(PrescriptionSheet::Total), QString());
    {
        PrescriptionSheet::LoadingScope loading(sheet);
        sheet.setField(PrescriptionSheet::DrugFee, u"4"_qs);
        QCOMPARE(sheet.field(PrescriptionSheet::Total), QString());
    }
}

void TestPrescriptionSheet::cardLines_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("card");
    QTest::newRow("two drugs and an ivgtt usage")
        << u"5%葡萄糖注射液 250ml\r\n维生素C注射液 1g\r\nsig: ivgtt qd"_qs
        << u"5%葡萄糖注射液 250ml\r\n维生素C注射液 1g\r\nsig: ivgtt qd\r\n"_qs;
    QTest::newRow("oral route without an h") << u"阿莫西林胶囊 0.25g×24粒\r\nsig: po tid"_qs << QString();
    QTest::newRow("用法 with 肌注") << u"青霉素 80万U\r\n    用法：肌注 每日2次"_qs << u"青霉素 80万U\r\n    用法：肌注 每日2次\r\n"_qs;
    QTest::newRow("q8h matches H") << u"头孢 1g\r\nSig: po q8h"_qs << u"头孢 1g\r\nSig: po q8h\r\n"_qs;
    QTest::newRow("empty lines neither copied nor ending a group")
        << u"甲 1支\r\n\r\n乙 1支\r\n用法：静脉滴注"_qs << u"甲 1支\r\n乙 1支\r\n用法：静脉滴注\r\n"_qs;
    QTest::newRow("two groups in body order")
        << u"甲 1支\r\n用法：皮试\r\n口服药 1盒\r\n用法：口服\r\n乙 1支\r\n用法：雾化吸入"_qs
        << u"甲 1支\r\n用法：皮试\r\n乙 1支\r\n用法：雾化吸入\r\n"_qs;
    QTest::newRow("lines after the last usage never appear") << u"甲 1支\r\n用法：静滴\r\n乙 1支"_qs << u"甲 1支\r\n用法：静滴\r\n"_qs;
    QTest::newRow("line feeds alone") << u"甲 1支\n用法：静推"_qs << u"甲 1支\r\n用法：静推\r\n"_qs;
}

void TestPrescriptionSheet::cardLines()
{
    QFETCH(QString, body);
    QFETCH(QString, card);
    QCOMPARE(InfusionCardLines::fromBody(body), card);
}

void TestPrescriptionSheet::bodyHookRespectsLoading()
{
    PrescriptionSheet sheet;
    sheet.setBody(u"甲 1支\r\n用法：静滴"_qs);
    QCOMPARE(sheet.cardText(), u"甲 1支\r\n用法：静滴\r\n"_qs);
    sheet.setCardText(u"护士改过"_qs);
    {
        PrescriptionSheet::LoadingScope loading(sheet);
        sheet.setBody(u"乙 1支\r\n用法：静滴"_qs);
    }
    QCOMPARE(sheet.cardText(), u"护士改过"_qs);
}

QTEST_APPLESS_MAIN(TestPrescriptionSheet)
#include "tst_prescriptionsheet.moc"
