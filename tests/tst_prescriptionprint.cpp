#include "popplertools.h"

#include <QLineF>
#include <QTemporaryDir>
#include <QTest>

#include "prescription/infusioncardform.h"
#include "prescription/prescriptionform.h"
#include "prescription/prescriptionsheet.h"
#include "print/cjkfonts.h"
#include "print/pdfexport.h"
#include "print/recordingcanvas.h"
#include "print/units.h"

using Placement = SheetGeometry::BodyPlacement;

Q_DECLARE_METATYPE(PrescriptionKind)
Q_DECLARE_METATYPE(SheetGeometry::BodyPlacement)

namespace {

const QString BodyFont = QStringLiteral("仿宋");

// A sheet as the physician leaves it before printing; the hidden fields hold values too.
void fillSheet(PrescriptionSheet &sheet, PrescriptionKind kind, Placement placement)
{
    const PrescriptionSheet::LoadingScope loading(sheet);
    const QStringList values = {
        QStringLiteral("张三"), QStringLiteral("男"), QStringLiteral("35岁"), QStringLiteral("内科"),
        QStringLiteral("青山镇东街12号"), QStringLiteral("2024-03-01"), QStringLiteral("感冒"), QStringLiteral("李明"),
        QStringLiteral("王芳"), QStringLiteral("12.00"), QStringLiteral("2024-03-02"), QStringLiteral("13900000000"),
        QStringLiteral("20240301093005"), QStringLiteral("未发现"), QStringLiteral("自费"), QStringLiteral("5.00"),
        QStringLiteral("17.00"), QStringLiteral("赵敏"),
    };
    for (int i = 0; i < PrescriptionSheet::FieldCount; ++i)
        sheet.setField(i, values.at(i));
    sheet.setKind(kind, placement);
    sheet.setDoses(QStringLiteral("6"));
}

PrescriptionForm::Settings formSettings(const QString &left = QStringLiteral("10"), const QString &top = QStringLiteral("10"),
                                        const QString &fontSize = QStringLiteral("14"))
{
    return {QStringLiteral("青山镇卫生院"), Margins::fromTexts(left, top), FontSpec::fromTexts(BodyFont, fontSize)};
}

QString describe(const RecordingCanvas::Text &text)
{
    return QStringLiteral("%1 @ %2,%3 %4pt")
        .arg(text.text)
        .arg(text.at.x(), 0, 'f', 1)
        .arg(text.at.y(), 0, 'f', 1)
        .arg(text.font.pointSize);
}

// The body's texts: those in the body font, and the notes in 宋体 8 pt.
QStringList bodyTexts(const RecordingCanvas &canvas)
{
    QStringList texts;
    for (const RecordingCanvas::Text &text : canvas.texts()) {
        if (text.font.name == BodyFont || text.font.pointSize == PrescriptionForm::NoteFontSize)
            texts.append(describe(text));
    }
    return texts;
}

const RecordingCanvas::Line *findLine(const RecordingCanvas &canvas, const QPointF &from)
{
    for (const RecordingCanvas::Line &line : canvas.lines()) {
        if (qFuzzyCompare(line.from.x(), from.x()) && qFuzzyCompare(line.from.y(), from.y()))
            return &line;
    }
    return nullptr;
}

} // namespace

// The printed prescription and the infusion card, drawn on the recording canvas.
class TestPrescriptionPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void headerFields_data();
    void headerFields();
    void titleLabelsAndLines();
    void hiddenFieldsAreNotPrinted();
    void marginsMoveTheForm_data();
    void marginsMoveTheForm();
    void dosesOnlyOnChinesePrescriptions_data();
    void dosesOnlyOnChinesePrescriptions();

    void bodyLines_data();
    void bodyLines();
    void wrappedParagraphPrintsAsSeveralLines();
    void bodyTooLong_data();
    void bodyTooLong();
    void secondSignatureUnderTheBody();

    void cardFrame();
    void cardLines_data();
    void cardLines();
    void cardMargins_data();
    void cardMargins();

    void pdfHoldsOnePageWithTheTexts();
};

void TestPrescriptionPrint::initTestCase()
{
    CjkFonts::installSubstitutions();
}

void TestPrescriptionPrint::headerFields_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QPointF>("captionAt");
    QTest::addColumn<QPointF>("valueAt");
    QTest::addColumn<QLineF>("underline");

    QTest::newRow("0 姓名") << 0 << QPointF(360, 1296) << QPointF(1080, 1260) << QLineF(1008, 1524, 2394, 1524);
    QTest::newRow("1 性别") << 1 << QPointF(2448, 1296) << QPointF(3168, 1260) << QLineF(3096, 1524, 3546, 1524);
    QTest::newRow("2 年龄") << 2 << QPointF(3600, 1296) << QPointF(4320, 1260) << QLineF(4248, 1524, 5418, 1524);
    QTest::newRow("3 科别") << 3 << QPointF(5472, 1296) << QPointF(6192, 1260) << QLineF(6120, 1524, 7218, 1524);
    QTest::newRow("4 住址（电话）") << 4 << QPointF(360, 1656) << QPointF(2016, 1620) << QLineF(1944, 1884, 5058, 1884);
    QTest::newRow("5 日期") << 5 << QPointF(5112, 1656) << QPointF(5832, 1620) << QLineF(5760, 1884, 7218, 1884);
    QTest::newRow("6 诊断") << 6 << QPointF(360, 2016) << QPointF(1080, 1980) << QLineF(1008, 2244, 5058, 2244);
    QTest::newRow("13 过敏史") << 13 << QPointF(5112, 2016) << QPointF(6066, 1980) << QLineF(5994, 2244, 7218, 2244);
    QTest::newRow("7 医师") << 7 << QPointF(360, 9504) << QPointF(1080, 9468) << QLineF(1008, 9732, 2466, 9732);
    QTest::newRow("8 配药") << 8 << QPointF(2736, 9504) << QPointF(3456, 9468) << QLineF(3384, 9732, 4842, 9732);
    QTest::newRow("17 复核") << 17 << QPointF(5112, 9504) << QPointF(5832, 9468) << QLineF(5760, 9732, 7218, 9732);
    QTest::newRow("9 药费") << 9 << QPointF(360, 9864) << QPointF(1080, 9828) << QLineF(1008, 10092, 2466, 10092);
    QTest::newRow("15 其他") << 15 << QPointF(2736, 9864) << QPointF(3456, 9828) << QLineF(3384, 10092, 4842, 10092);
    QTest::newRow("16 合计") << 16 << QPointF(5112, 9864) << QPointF(5832, 9828) << QLineF(5760, 10092, 7218, 10092);
}

void TestPrescriptionPrint::headerFields()
{
    QFETCH(int, field);
    QFETCH(QPointF, captionAt);
    QFETCH(QPointF, valueAt);
    QFETCH(QLineF, underline);

    PrescriptionSheet sheet;
    fillSheet(sheet, PrescriptionKind::Western, Placement::Western);
    RecordingCanvas canvas;
    PrescriptionForm(sheet, formSettings()).draw(canvas);

    const RecordingCanvas::Text *caption = canvas.findText(SheetGeometry::headerFields().at(field).caption);
    QVERIFY(caption);
    QCOMPARE(caption->at, captionAt);
    QCOMPARE(caption->font.name, QStringLiteral("宋体"));
    QCOMPARE(caption->font.pointSize, 11.0);
    QVERIFY(caption->font.bold);

    const RecordingCanvas::Text *value = canvas.findText(sheet.field(field));
    QVERIFY(value);
    QCOMPARE(value->at, valueAt);
    QCOMPARE(value->font.pointSize, 11.75);
    QVERIFY(!value->font.bold);

    const RecordingCanvas::Line *line = findLine(canvas, underline.p1());
    QVERIFY(line);
    QCOMPARE(line->to, underline.p2());
    QCOMPARE(line->drawWidth, 1);
}

void TestPrescriptionPrint::titleLabelsAndLines()
{
    PrescriptionSheet sheet;
    fillSheet(sheet, PrescriptionKind::Western, Placement::Western);
    RecordingCanvas canvas;
    PrescriptionForm(sheet, formSettings()).draw(canvas);

    // Centred on the sheet by the 14.25 pt cell: (6293 − 1710) / 2 = 2291 and (6293 − 1425) / 2 = 2434.
    const RecordingCanvas::Text *organisation = canvas.findText(QStringLiteral("青山镇卫生院"));
    QVERIFY(organisation);
    QCOMPARE(organisation->at, QPointF(2291 * 1.2, 144));
    QCOMPARE(organisation->font.name, QStringLiteral("黑体"));
    QCOMPARE(organisation->font.pointSize, 16.25);
    const RecordingCanvas::Text *title = canvas.findText(QStringLiteral("处  方  笺"));
    QVERIFY(title);
    QCOMPARE(title->at, QPointF(2434 * 1.2, 648));
    QCOMPARE(title->font.pointSize, 16.25);
    const RecordingCanvas::Text *kind = canvas.findText(QStringLiteral("普通"));
    QVERIFY(kind);
    QCOMPARE(kind->at, QPointF(6600, 288));
    QCOMPARE(kind->font.pointSize, 13.25);
    const RecordingCanvas::Text *rp = canvas.findText(QStringLiteral("Rp"));
    QVERIFY(rp);
    QCOMPARE(rp->at, QPointF(360, 2376));
    QCOMPARE(rp->font.pointSize, 20.0);
    QVERIFY(rp->font.bold);

    const RecordingCanvas::Line *rule = findLine(canvas, QPointF(360, 9360));
    QVERIFY(rule);
    QCOMPARE(rule->to, QPointF(7200, 9360));
    QCOMPARE(rule->drawWidth, 1);
    const QList<QLineF> kindBox = {QLineF(6552, 216, 7200, 216), QLineF(7200, 216, 7200, 612),
                                   QLineF(7200, 612, 6552, 612), QLineF(6552, 612, 6552, 216)};
    for (const QLineF &side : kindBox) {
        const RecordingCanvas::Line *line = findLine(canvas, side.p1());
        QVERIFY(line);
        QCOMPARE(line->to, side.p2());
        QCOMPARE(line->drawWidth, 2);
    }
    // The rule, the kind box and the 14 underlines; everything on one page.
    QCOMPARE(canvas.lines().size(), 1 + 4 + 14);
    QCOMPARE(canvas.pages().size(), 1);
}

void TestPrescriptionPrint::hiddenFieldsAreNotPrinted()
{
    PrescriptionSheet sheet;
    fillSheet(sheet, PrescriptionKind::Western, Placement::Western);
    RecordingCanvas canvas;
    PrescriptionForm(sheet, formSettings()).draw(canvas);

    for (const int hidden : {10, 11, 12, 14})
        QVERIFY2(!canvas.findText(sheet.field(hidden)), qPrintable(sheet.field(hidden)));
    QVERIFY(!canvas.findText(QStringLiteral("电话：")));
    QVERIFY(!canvas.findText(QStringLiteral("病历号：")));
    QVERIFY(!canvas.findText(QStringLiteral("费别：")));
    int dateCaptions = 0;
    for (const RecordingCanvas::Text &text : canvas.texts())
        dateCaptions += text.text == QStringLiteral("日期：");
    QCOMPARE(dateCaptions, 1);
}

void TestPrescriptionPrint::marginsMoveTheForm_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("top");
    QTest::addColumn<QPointF>("shift");

    QTest::newRow("10 mm leaves the form where it was drawn") << u"10"_qs << u"10"_qs << QPointF(0, 0);
    QTest::newRow("5 mm moves it 283.5 twips left and up") << u"5"_qs << u"5"_qs << QPointF(-283.5, -283.5);
    QTest::newRow("left and top apart") << u"15"_qs << u"7.5"_qs << QPointF(283.5, -141.75);
    QTest::newRow("a number followed by a unit reads as the number") << u"12mm"_qs << u" 10"_qs << QPointF(113.4, 0);
    QTest::newRow("a margin that is not a number counts as 0") << QString() << u"左"_qs << QPointF(-567, -567);
}

void TestPrescriptionPrint::marginsMoveTheForm()
{
    QFETCH(QString, left);
    QFETCH(QString, top);
    QFETCH(QPointF, shift);

    PrescriptionSheet sheet;
    fillSheet(sheet, PrescriptionKind::Western, Placement::Western);
    sheet.setBody(u"阿莫西林胶囊 0.25g×24粒"_qs);
    RecordingCanvas canvas;
    PrescriptionForm(sheet, formSettings(left, top)).draw(canvas);

    QCOMPARE(canvas.findText(u"姓名："_qs)->atTwips, QPointF(360, 1296) + shift);
    QCOMPARE(canvas.findText(u"阿莫西林胶囊 0.25g×24粒"_qs)->atTwips, QPointF(1380, 3144) + shift);
    QCOMPARE(findLine(canvas, QPointF(360, 9360))->fromTwips, QPointF(360, 9360) + shift);
}

void TestPrescriptionPrint::dosesOnlyOnChinesePrescriptions_data()
{
    QTest::addColumn<PrescriptionKind>("kind");
    QTest::addColumn<Placement>("placement");
    QTest::addColumn<bool>("printed");
    QTest::newRow("Western") << PrescriptionKind::Western << Placement::Western << false;
    QTest::newRow("Chinese, narrow body") << PrescriptionKind::Chinese << Placement::ChineseNarrow << true;
    QTest::newRow("Chinese, wide body") << PrescriptionKind::Chinese << Placement::ChineseWide << true;
}

void TestPrescriptionPrint::dosesOnlyOnChinesePrescriptions()
{
    QFETCH(PrescriptionKind, kind);
    QFETCH(Placement, placement);
    QFETCH(bool, printed);

    PrescriptionSheet sheet;
    fillSheet(sheet, kind, placement);
    sheet.setDoses(u"7"_qs);
    RecordingCanvas canvas;
    PrescriptionForm(sheet, formSettings()).draw(canvas);

    const RecordingCanvas::Text *caption = canvas.findText(u"中药剂数："_qs);
    const RecordingCanvas::Text *doses = canvas.findText(u"7"_qs);
    QCOMPARE(caption != nullptr, printed);
    QCOMPARE(doses != nullptr, printed);
    QCOMPARE(canvas.findText(printed ? u"中医"_qs : u"普通"_qs) != nullptr, true);
    if (!printed)
        return;
    QCOMPARE(caption->at, QPointF(360, 8928));
    QCOMPARE(caption->font.pointSize, 14.0);
    QVERIFY(!caption->font.bold);
    QCOMPARE(doses->at, QPointF(1728, 8928));
    QCOMPARE(doses->font.pointSize, 13.25);
    QVERIFY(doses->font.bold);
}

void TestPrescriptionPrint::bodyLines_data()
{
    QTest::addColumn<PrescriptionKind>("kind");
    QTest::addColumn<Placement>("placement");
    QTest::addColumn<QString>("fontSize");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("printed");
    // Where the next line would start.
    QTest::addColumn<double>("endY");

    const auto western = PrescriptionKind::Western;
    const auto chinese = PrescriptionKind::Chinese;
    const QString size = u"14"_qs;

    QTest::newRow("an empty body is one blank line that first moves up 200")
        << western << Placement::Western << size << QStringList{QString()} << QStringList() << 3024.0 - 200 + 280;
    QTest::newRow("Western lines each 120 below the previous line's end")
        << western << Placement::Western << size << QStringList{u"阿莫西林胶囊 0.25g×24粒"_qs, u"用法：每次2粒 每日3次"_qs}
        << QStringList{u"阿莫西林胶囊 0.25g×24粒 @ 1380.0,3144.0 14pt"_qs, u"用法：每次2粒 每日3次 @ 1380.0,3544.0 14pt"_qs}
        << 3824.0;
    QTest::newRow("an empty line between Western lines")
        << western << Placement::Western << size << QStringList{u"维生素C片 0.1g×100片"_qs, u"  "_qs, u"sig: 0.2 tid"_qs}
        << QStringList{u"维生素C片 0.1g×100片 @ 1380.0,3144.0 14pt"_qs, u"sig: 0.2 tid @ 1380.0,3624.0 14pt"_qs} << 3904.0;
    QTest::newRow("the size of the settings sets the line height")
        << western << Placement::Western << u"12"_qs << QStringList{u"甲"_qs, u"乙"_qs}
        << QStringList{u"甲 @ 1380.0,3144.0 12pt"_qs, u"乙 @ 1380.0,3504.0 12pt"_qs} << 3744.0;
    QTest::newRow("size 0 prints 14") << western << Placement::Western << u"0"_qs << QStringList{u"甲"_qs}
                                      << QStringList{u"甲 @ 1380.0,3144.0 14pt"_qs} << 3424.0;
    QTest::newRow("an empty size prints 14") << western << Placement::Western << QString() << QStringList{u"甲"_qs}
                                             << QStringList{u"甲 @ 1380.0,3144.0 14pt"_qs} << 3424.0;
    QTest::newRow("a size that is not a number prints 14") << western << Placement::Western << u"小四"_qs << QStringList{u"甲"_qs}
                                                           << QStringList{u"甲 @ 1380.0,3144.0 14pt"_qs} << 3424.0;

    QTest::newRow("three herbs in their columns on one baseline, the next row 420 lower")
        << chinese << Placement::ChineseNarrow << size << QStringList{u"当归10g      川芎6g       白芍10g"_qs, u"熟地15g"_qs}
        << QStringList{u"当归10g @ 840.0,3024.0 14pt"_qs, u"川芎6g @ 2994.6,3024.0 14pt"_qs, u"白芍10g @ 5149.2,3024.0 14pt"_qs,
                       u"熟地15g @ 840.0,3444.0 14pt"_qs}
        << 3864.0;
    QTest::newRow("the wide body starts further left") << chinese << Placement::ChineseWide << size << QStringList{u"当归10g"_qs}
                                                       << QStringList{u"当归10g @ 660.0,3024.0 14pt"_qs} << 3444.0;
    QTest::newRow("a note raised 170 in 8 pt, starting 200 back into the name")
        << chinese << Placement::ChineseNarrow << size << QStringList{u"当归[酒洗]10g"_qs}
        << QStringList{u"当归 @ 840.0,3024.0 14pt"_qs, u"[酒洗] @ 1200.0,2854.0 8pt"_qs, u"10g @ 1680.0,3024.0 14pt"_qs} << 3444.0;
    QTest::newRow("a noted item in the second column uses the noted pitch")
        << chinese << Placement::ChineseNarrow << size << QStringList{u"川芎6g 当归 [ 酒洗 ] 10g"_qs}
        << QStringList{u"川芎6g @ 840.0,3024.0 14pt"_qs, u"当归 @ 2997.9,3024.0 14pt"_qs, u"[酒洗] @ 3357.9,2854.0 8pt"_qs,
                       u"10g @ 3837.9,3024.0 14pt"_qs}
        << 3444.0;
    QTest::newRow("条, 枚 and 个 end items as g does")
        << chinese << Placement::ChineseNarrow << size << QStringList{u"蜈蚣2条 大枣5枚 荔枝核5个"_qs}
        << QStringList{u"蜈蚣2条 @ 840.0,3024.0 14pt"_qs, u"大枣5枚 @ 2994.6,3024.0 14pt"_qs, u"荔枝核5个 @ 5149.2,3024.0 14pt"_qs}
        << 3444.0;
    QTest::newRow("a Chinese line without unit marks is printed whole like a Western line")
        << chinese << Placement::ChineseNarrow << size << QStringList{u"每日一剂 水煎分两次服"_qs}
        << QStringList{u"每日一剂 水煎分两次服 @ 840.0,3144.0 14pt"_qs} << 3424.0;
    QTest::newRow("text after the last unit mark gets a row of its own")
        << chinese << Placement::ChineseNarrow << size << QStringList{u"大枣5枚 生姜3片"_qs, u"甘草6g"_qs}
        << QStringList{u"大枣5枚 @ 840.0,3024.0 14pt"_qs, u"生姜3片 @ 840.0,3444.0 14pt"_qs, u"甘草6g @ 840.0,3864.0 14pt"_qs}
        << 4284.0;
    QTest::newRow("an empty line between herb rows")
        << chinese << Placement::ChineseNarrow << size << QStringList{u"当归10g"_qs, QString(), u"川芎6g"_qs}
        << QStringList{u"当归10g @ 840.0,3024.0 14pt"_qs, u"川芎6g @ 840.0,3524.0 14pt"_qs} << 3944.0;
}

void TestPrescriptionPrint::bodyLines()
{
    QFETCH(PrescriptionKind, kind);
    QFETCH(Placement, placement);
    QFETCH(QString, fontSize);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, printed);
    QFETCH(double, endY);

    PrescriptionSheet sheet;
    fillSheet(sheet, kind, placement);
    sheet.setBody(lines.join(u"\r\n"_qs));
    const PrescriptionForm form(sheet, formSettings(u"10"_qs, u"10"_qs, fontSize));
    // Short lines: the box shows them as they are.
    QCOMPARE(form.bodyLines(), lines);

    RecordingCanvas canvas;
    form.draw(canvas);
    QCOMPARE(bodyTexts(canvas), printed);
    QCOMPARE(canvas.currentY(), endY);
    for (const RecordingCanvas::Text &text : canvas.texts()) {
        if (text.font.name == BodyFont)
            QVERIFY(!text.font.bold);
    }
}

void TestPrescriptionPrint::wrappedParagraphPrintsAsSeveralLines()
{
    const QString paragraph = u"复方甘草口服溶液 100ml×1瓶 每次10ml 每日三次 饭后服用 服药期间忌食辛辣油腻食物 如有不适及时复诊"_qs;
    PrescriptionSheet sheet;
    fillSheet(sheet, PrescriptionKind::Western, Placement::Western);
    sheet.setBody(paragraph + u"\r\n"_qs + u"sig: 10ml tid"_qs);
    PrescriptionForm form(sheet, formSettings());

    // The box wraps the paragraph: its display lines together make it whole.
    const QStringList lines = form.bodyLines();
    QVERIFY2(lines.size() >= 3, qPrintable(lines.join(u'|')));
    QCOMPARE(lines.last(), u"sig: 10ml tid"_qs);
    QCOMPARE(QStringList(lines.mid(0, lines.size() - 1)).join(QString()), paragraph);
    QCOMPARE(lines, PrescriptionForm::bodyDisplayLines(sheet.body(), Placement::Western));
    // The wide Chinese box holds more of a line than the Western one.
    QVERIFY(PrescriptionForm::bodyDisplayLines(paragraph, Placement::ChineseWide).first().size() > lines.first().size());

    RecordingCanvas canvas;
    form.draw(canvas);
    const QStringList printed = bodyTexts(canvas);
    QCOMPARE(printed.size(), lines.size());
    for (qsizetype k = 0; k < lines.size(); ++k)
        QCOMPARE(printed.at(k), u"%1 @ 1380.0,%2 14pt"_qs.arg(lines.at(k)).arg(3144.0 + 400 * k, 0, 'f', 1));

    // The lines the window's box shows replace the computed ones.
    form.setBodyLines({u"第一行"_qs, u"第二行"_qs});
    RecordingCanvas handed;
    form.draw(handed);
    QCOMPARE(bodyTexts(handed), (QStringList{u"第一行 @ 1380.0,3144.0 14pt"_qs, u"第二行 @ 1380.0,3544.0 14pt"_qs}));
    // A line break inside a handed-over line starts a line of its own at the body's left.
    form.setBodyLines({u"第一行\r\n第二行"_qs});
    RecordingCanvas broken;
    form.draw(broken);
    QCOMPARE(bodyTexts(broken), (QStringList{u"第一行 @ 1380.0,3144.0 14pt"_qs, u"第二行 @ 1380.0,3544.0 14pt"_qs}));
}

void TestPrescriptionPrint::bodyTooLong_data()
{
    QTest::addColumn<PrescriptionKind>("kind");
    QTest::addColumn<QString>("fontSize");
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<double>("bottom");
    QTest::addColumn<bool>("tooLong");

    // Western lines at 3144 + 400 k, each 280 high, above the footer rule at 9360.
    QTest::newRow("15 Western lines end above the footer rule") << PrescriptionKind::Western << u"14"_qs << 15 << 9024.0 << false;
    QTest::newRow("a 16th Western line crosses it") << PrescriptionKind::Western << u"14"_qs << 16 << 9424.0 << true;
    QTest::newRow("a larger font crosses it sooner") << PrescriptionKind::Western << u"18"_qs << 14 << 9744.0 << true;
    // Herb rows at 3024 + 420 k, above the doses line at 8928.
    QTest::newRow("14 herb rows end above the doses line") << PrescriptionKind::Chinese << u"14"_qs << 14 << 8764.0 << false;
    QTest::newRow("a 15th herb row runs into it") << PrescriptionKind::Chinese << u"14"_qs << 15 << 9184.0 << true;
}

void TestPrescriptionPrint::bodyTooLong()
{
    QFETCH(PrescriptionKind, kind);
    QFETCH(QString, fontSize);
    QFETCH(int, lineCount);
    QFETCH(double, bottom);
    QFETCH(bool, tooLong);

    PrescriptionSheet sheet;
    fillSheet(sheet, kind, kind == PrescriptionKind::Chinese ? Placement::ChineseNarrow : Placement::Western);
    PrescriptionForm form(sheet, formSettings(u"10"_qs, u"10"_qs, fontSize));
    const QString line = kind == PrescriptionKind::Chinese ? u"当归10g  川芎6g  白芍10g"_qs : u"阿莫西林胶囊 0.25g×24粒"_qs;
    // Blank lines at the end print nothing and do not count.
    form.setBodyLines(QStringList(lineCount, line) << QString() << QString());

    QCOMPARE(form.bodyBottom(), bottom);
    QCOMPARE(form.bodyTooLong(), tooLong);
    QCOMPARE(form.bodyLimit(), kind == PrescriptionKind::Chinese ? 8928.0 : 9360.0);
}

// A prescription printed despite red warnings asks for the physician's second signature on a line
// of its own under the last body line, and counts as body when the body is measured.
void TestPrescriptionPrint::secondSignatureUnderTheBody()
{
    PrescriptionSheet sheet;
    fillSheet(sheet, PrescriptionKind::Chinese, Placement::ChineseNarrow);
    PrescriptionForm form(sheet, formSettings());
    form.setBodyLines({u"附子[制]9g     半夏[法]9g"_qs});
    RecordingCanvas plain;
    form.draw(plain);
    QVERIFY(!plain.findText(u"超量/配伍禁忌，医师再次签名：______"_qs));
    const double bottomWithout = form.bodyBottom();

    form.setSecondSignature(true);
    RecordingCanvas signed_;
    form.draw(signed_);
    const RecordingCanvas::Text *line = signed_.findText(u"超量/配伍禁忌，医师再次签名：______"_qs);
    QVERIFY(line);
    const RecordingCanvas::Text *herb = signed_.findText(u"附子"_qs);
    QVERIFY(herb);
    QVERIFY(line->at.y() > herb->at.y());
    QCOMPARE(line->font.name, BodyFont);
    QVERIFY(form.bodyBottom() > bottomWithout);
}

void TestPrescriptionPrint::cardFrame()
{
    PrescriptionSheet sheet;
    fillSheet(sheet, PrescriptionKind::Western, Placement::Western);
    RecordingCanvas canvas;
    InfusionCardForm(sheet, {5, 5}).draw(canvas);

    const QList<QPair<QString, QPointF>> texts = {
        {u"输液注射卡"_qs, {50, 8}},
        {u"日期：2024-03-01"_qs, {0, 20}},
        {u"姓名：张三     性别：男      年龄：35岁"_qs, {0, 27}},
        {u"诊断：感冒"_qs, {0, 35}},
        {u"药物名称"_qs, {20, 43.5}},
        {u"滴速"_qs, {65, 43.5}},
        {u"执行时间"_qs, {82, 43.5}},
        {u"护士签名"_qs, {102, 43.5}},
    };
    for (const auto &[text, millimetres] : texts) {
        const RecordingCanvas::Text *printed = canvas.findText(text);
        QVERIFY2(printed, qPrintable(text));
        QCOMPARE(printed->at, millimetres * TwipsPerMillimetre);
        QCOMPARE(printed->font.name, u"宋体"_qs);
        QCOMPARE(printed->font.pointSize, text == u"输液注射卡"_qs ? 18.0 : 11.0);
        QCOMPARE(printed->font.bold, text == u"输液注射卡"_qs);
    }
    QCOMPARE(canvas.texts().size(), texts.size());

    // 21 rules across, 7 mm apart from 42 mm, then 5 down from 42 to 182 mm.
    QCOMPARE(canvas.lines().size(), 26);
    for (int i = 0; i <= 20; ++i) {
        const RecordingCanvas::Line &line = canvas.lines().at(i);
        QCOMPARE(line.from, QPointF(0, (42 + 7 * i) * TwipsPerMillimetre));
        QCOMPARE(line.to, QPointF(120 * TwipsPerMillimetre, (42 + 7 * i) * TwipsPerMillimetre));
    }
    const QList<double> columns = {0, 60, 80, 100, 120};
    for (int i = 0; i < 5; ++i) {
        const RecordingCanvas::Line &line = canvas.lines().at(21 + i);
        QCOMPARE(line.from, QPointF(columns.at(i) * TwipsPerMillimetre, 42 * TwipsPerMillimetre));
        QCOMPARE(line.to, QPointF(columns.at(i) * TwipsPerMillimetre, 182 * TwipsPerMillimetre));
    }
    QCOMPARE(canvas.pages().size(), 1);
}

void TestPrescriptionPrint::cardLines_data()
{
    QTest::addColumn<QString>("cardText");
    QTest::addColumn<QList<double>>("rowTops");
    QTest::addColumn<int>("rowsUsed");

    QTest::newRow("three lines fill rows 1 to 3")
        << u"5%葡萄糖注射液 250ml\r\n维生素C注射液 2g\r\nsig: ivgtt qd\r\n"_qs << QList<double>{50.5, 57.5, 64.5} << 3;
    QTest::newRow("blank lines use no row") << u"0.9%氯化钠注射液 100ml\r\n\r\n   \r\nsig: ivgtt bid\r\n"_qs
                                            << QList<double>{50.5, 57.5} << 2;
    QTest::newRow("an empty card prints the empty table") << QString() << QList<double>() << 0;
    QList<double> tops;
    QString many;
    for (int k = 1; k <= 22; ++k) {
        many += u"第%1行\r\n"_qs.arg(k);
        tops.append(43.5 + 7 * k);
    }
    QTest::newRow("lines past row 20 go on below the table") << many << tops << 22;
}

void TestPrescriptionPrint::cardLines()
{
    QFETCH(QString, cardText);
    QFETCH(QList<double>, rowTops);
    QFETCH(int, rowsUsed);

    PrescriptionSheet sheet;
    fillSheet(sheet, PrescriptionKind::Western, Placement::Western);
    sheet.setCardText(cardText);
    const InfusionCardForm card(sheet, {5, 5});
    QCOMPARE(card.rowsUsed(), rowsUsed);

    RecordingCanvas canvas;
    card.draw(canvas);
    // The eight texts of the header come first.
    const QList<RecordingCanvas::Text> lines = canvas.texts().mid(8);
    QCOMPARE(lines.size(), rowTops.size());
    for (qsizetype k = 0; k < lines.size(); ++k) {
        QCOMPARE(lines.at(k).at, QPointF(1, rowTops.at(k)) * TwipsPerMillimetre);
        QCOMPARE(lines.at(k).font.pointSize, 11.0);
    }
    QCOMPARE(canvas.pages().size(), 1);
}

void TestPrescriptionPrint::cardMargins_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("top");
    QTest::addColumn<QPointF>("titleTwips");
    QTest::newRow("5 mm: the title 50 mm from the left, 8 mm from the top")
        << u"5"_qs << u"5"_qs << QPointF(50, 8) * TwipsPerMillimetre;
    QTest::newRow("10 mm left moves everything 5 mm right") << u"10"_qs << u"5"_qs << QPointF(55, 8) * TwipsPerMillimetre;
    QTest::newRow("a margin that is not a number counts as 0") << u"x"_qs << u"7"_qs << QPointF(45, 10) * TwipsPerMillimetre;
}

void TestPrescriptionPrint::cardMargins()
{
    QFETCH(QString, left);
    QFETCH(QString, top);
    QFETCH(QPointF, titleTwips);

    PrescriptionSheet sheet;
    fillSheet(sheet, PrescriptionKind::Western, Placement::Western);
    RecordingCanvas canvas;
    InfusionCardForm(sheet, Margins::fromTexts(left, top)).draw(canvas);
    QCOMPARE(canvas.findText(u"输液注射卡"_qs)->atTwips, titleTwips);
    QCOMPARE(canvas.lines().first().fromTwips - canvas.lines().first().from,
             canvas.findText(u"输液注射卡"_qs)->atTwips - canvas.findText(u"输液注射卡"_qs)->at);
}

void TestPrescriptionPrint::pdfHoldsOnePageWithTheTexts()
{
    if (!hasPoppler())
        QSKIP("poppler-utils (pdftotext, pdfinfo) is not installed");

    PrescriptionSheet sheet;
    fillSheet(sheet, PrescriptionKind::Chinese, Placement::ChineseNarrow);
    sheet.setBody(u"当归[酒洗]10g  川芎6g       白芍10g\r\n\r\n熟地黄15g    大枣5枚\r\n每日一剂 水煎服"_qs);
    sheet.setCardText(u"5%葡萄糖注射液 250ml\r\nsig: ivgtt qd\r\n"_qs);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const PrescriptionForm form(sheet, {u"青山镇卫生院"_qs, {10, 20}, {u"宋体"_qs, 14}});
    const PrintJob prescription = form.printJob(u"处方打印机"_qs);
    QCOMPARE(prescription.title, u"处方 张三"_qs);
    QCOMPARE(prescription.printerName, u"处方打印机"_qs);
    const QString prescriptionPath = dir.filePath(u"处方.pdf"_qs);
    const WriteResult written = PdfExport::write(prescriptionPath, prescription);
    QVERIFY2(written.ok, qPrintable(written.fullText()));
    QCOMPARE(pdfPageCount(prescriptionPath), 1);
    const QString prescriptionText = pdfTextWithoutBlanks(prescriptionPath);
    for (const QString &expected : {u"青山镇卫生院"_qs, u"处方笺"_qs, u"中医"_qs, u"姓名："_qs, u"张三"_qs, u"感冒"_qs, u"当归"_qs,
                                    u"[酒洗]"_qs, u"川芎6g"_qs, u"熟地黄15g"_qs, u"每日一剂水煎服"_qs, u"中药剂数："_qs, u"合计："_qs,
                                    u"17.00"_qs})
        QVERIFY2(prescriptionText.contains(expected), qPrintable(expected + u" not in "_qs + prescriptionText));

    const InfusionCardForm card(sheet, {5, 5});
    const QString cardPath = dir.filePath(u"输液卡.pdf"_qs);
    const WriteResult cardWritten = PdfExport::write(cardPath, card.printJob(QString()));
    QVERIFY2(cardWritten.ok, qPrintable(cardWritten.fullText()));
    QCOMPARE(pdfPageCount(cardPath), 1);
    const QString cardText = pdfTextWithoutBlanks(cardPath);
    for (const QString &expected : {u"输液注射卡"_qs, u"日期：2024-03-01"_qs, u"姓名：张三"_qs, u"药物名称"_qs, u"护士签名"_qs,
                                    u"5%葡萄糖注射液250ml"_qs, u"sig:ivgttqd"_qs})
        QVERIFY2(cardText.contains(expected), qPrintable(expected + u" not in "_qs + cardText));
}

QTEST_MAIN(TestPrescriptionPrint)
#include "tst_prescriptionprint.moc"
