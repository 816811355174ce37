#include "popplertools.h"

#include <cmath>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include "print/cjkfonts.h"
#include "print/paintercanvas.h"
#include "print/pdfexport.h"
#include "print/pdftextrepair.h"
#include "print/recordingcanvas.h"
#include "print/units.h"

using Units = PrinterCanvas::Units;
using LineFeed = PrinterCanvas::LineFeed;

Q_DECLARE_METATYPE(PrinterCanvas::Units)
Q_DECLARE_METATYPE(PrinterCanvas::LineFeed)
Q_DECLARE_METATYPE(PrintLayout)

namespace {

// The prescription form's origin from its margins in millimetres.
void setFormMargins(PrinterCanvas &canvas, double left, double top)
{
    canvas.setScaleLeft(567 - left * TwipsPerMillimetre);
    canvas.setScaleTop(567 - top * TwipsPerMillimetre);
}

// 144 dpi, so 10 twips make one pixel.
QImage whitePage()
{
    QImage image(1000, 1000, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(144 / 0.0254));
    image.setDotsPerMeterY(qRound(144 / 0.0254));
    image.fill(Qt::white);
    return image;
}

// The smallest rectangle holding every pixel that is not white.
QRect inkRect(const QImage &image)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(row[x]) < 160)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestPrintCanvas : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void originFromMargins_data();
    void originFromMargins();
    void printAdvances_data();
    void printAdvances();
    void textFollowsOnOneLine();
    void millimetreModeAndBack();
    void pages();
    void orientationPerPage();
    void invalidSettingsKeepTheLastGood();

    void painterPlacesLineAndText_data();
    void painterPlacesLineAndText();
    void painterMeasuresWithTheRealFont();
    void imageHoldsOnlyOnePage();

    void pdfHoldsChineseTexts();
    void pdfPagesKeepTheirOrientation();
    void pdfFailureLeavesTheOldFile_data();
    void pdfFailureLeavesTheOldFile();
    void pdfTextRepair_data();
    void pdfTextRepair();

    void windowsFontsResolveToCjkFonts_data();
    void windowsFontsResolveToCjkFonts();
};

void TestPrintCanvas::initTestCase()
{
    CjkFonts::installSubstitutions();
}

void TestPrintCanvas::originFromMargins_data()
{
    QTest::addColumn<double>("leftMm");
    QTest::addColumn<double>("topMm");
    QTest::addColumn<QPointF>("layout");
    QTest::addColumn<QPointF>("expectedTwips");
    QTest::newRow("10 mm margins leave coordinates unshifted") << 10.0 << 10.0 << QPointF(1000, 2000) << QPointF(1000, 2000);
    QTest::newRow("5 mm shifts 283.5 twips left and up") << 5.0 << 5.0 << QPointF(1000, 2000) << QPointF(716.5, 1716.5);
    QTest::newRow("15 mm shifts right and down") << 15.0 << 15.0 << QPointF(1000, 2000) << QPointF(1283.5, 2283.5);
    QTest::newRow("left and top apart") << 0.0 << 20.0 << QPointF(0, 0) << QPointF(-567, 567);
}

void TestPrintCanvas::originFromMargins()
{
    QFETCH(double, leftMm);
    QFETCH(double, topMm);
    QFETCH(QPointF, layout);
    QFETCH(QPointF, expectedTwips);

    RecordingCanvas canvas;
    setFormMargins(canvas, leftMm, topMm);
    canvas.setCurrentX(layout.x());
    canvas.setCurrentY(layout.y());
    canvas.print(QStringLiteral("处方笺"), LineFeed::No);
    canvas.line(layout.x(), layout.y(), layout.x() + 1000, layout.y() + 500);

    QCOMPARE(canvas.texts().size(), 1);
    QCOMPARE(canvas.texts().first().at, layout);
    QCOMPARE(canvas.texts().first().atTwips, expectedTwips);
    QCOMPARE(canvas.lines().size(), 1);
    QCOMPARE(canvas.lines().first().fromTwips, expectedTwips);
    QCOMPARE(canvas.lines().first().toTwips, expectedTwips + QPointF(1000, 500));
    // A line leaves the position at its end, as the forms' next print expects.
    QCOMPARE(canvas.currentX(), layout.x() + 1000);
    QCOMPARE(canvas.currentY(), layout.y() + 500);
}

void TestPrintCanvas::printAdvances_data()
{
    QTest::addColumn<double>("pointSize");
    QTest::addColumn<QString>("text");
    QTest::addColumn<LineFeed>("lineFeed");
    QTest::addColumn<QPointF>("expected");

    // Every row starts at (2000, 3000) with the left edge at x = 283.5 (a 5 mm margin).
    QTest::newRow("line feed returns to the left edge one line lower")
        << 12.0 << QStringLiteral("处方笺") << LineFeed::Yes << QPointF(283.5, 3240);
    QTest::newRow("fractional size gives a fractional line") << 14.25 << QStringLiteral("处方笺") << LineFeed::Yes
                                                             << QPointF(283.5, 3285);
    QTest::newRow("without line feed x moves a full cell per Chinese character")
        << 12.0 << QStringLiteral("处方笺") << LineFeed::No << QPointF(2720, 3000);
    QTest::newRow("ASCII takes half a cell") << 10.0 << QStringLiteral("Rp:12") << LineFeed::No << QPointF(2500, 3000);
    QTest::newRow("full-width punctuation takes a full cell") << 10.0 << QStringLiteral("（：）") << LineFeed::No
                                                              << QPointF(2600, 3000);
    QTest::newRow("mixed text") << 9.0 << QStringLiteral("0.9%氯化钠") << LineFeed::No << QPointF(2000 + 4 * 90 + 3 * 180, 3000);
    QTest::newRow("empty text with line feed only drops a line") << 10.0 << QString() << LineFeed::Yes << QPointF(283.5, 3200);
    QTest::newRow("empty text without line feed stays") << 10.0 << QString() << LineFeed::No << QPointF(2000, 3000);
    QTest::newRow("line break inside the text feeds a line") << 10.0 << QStringLiteral("姓名\r\n年龄") << LineFeed::No
                                                             << QPointF(283.5 + 400, 3200);
}

void TestPrintCanvas::printAdvances()
{
    QFETCH(double, pointSize);
    QFETCH(QString, text);
    QFETCH(LineFeed, lineFeed);
    QFETCH(QPointF, expected);

    RecordingCanvas canvas;
    setFormMargins(canvas, 5, 10);
    canvas.setFontSize(pointSize);
    canvas.setCurrentX(2000);
    canvas.setCurrentY(3000);
    canvas.print(text, lineFeed);
    QCOMPARE(canvas.currentX(), expected.x());
    QCOMPARE(canvas.currentY(), expected.y());
}

void TestPrintCanvas::textFollowsOnOneLine()
{
    RecordingCanvas canvas;
    setFormMargins(canvas, 5, 5);
    canvas.setFontName(CjkFonts::hei());
    canvas.setFontSize(12);
    canvas.setCurrentX(1000);
    canvas.setCurrentY(1500);
    canvas.print(QStringLiteral("姓名："), LineFeed::No);
    canvas.setFontName(CjkFonts::song());
    canvas.setFontBold(true);
    canvas.print(QStringLiteral("张三"));
    canvas.print(QStringLiteral("诊断\n感冒"));

    const QList<RecordingCanvas::Text> &texts = canvas.texts();
    QCOMPARE(texts.size(), 4);
    QCOMPARE(texts.at(0).font.name, CjkFonts::hei());
    QCOMPARE(texts.at(1).text, QStringLiteral("张三"));
    QCOMPARE(texts.at(1).at, QPointF(1000 + 3 * 240, 1500));
    QCOMPARE(texts.at(1).font.name, CjkFonts::song());
    QVERIFY(texts.at(1).font.bold);
    QCOMPARE(texts.at(2).at, QPointF(283.5, 1740));
    QCOMPARE(texts.at(2).atTwips, QPointF(0, 1740 - 283.5));
    QCOMPARE(texts.at(3).text, QStringLiteral("感冒"));
    QCOMPARE(texts.at(3).at, QPointF(283.5, 1980));
    QCOMPARE(canvas.currentY(), 2220.0);
}

void TestPrintCanvas::millimetreModeAndBack()
{
    RecordingCanvas canvas;
    canvas.setScaleLeft(283.5);
    canvas.setCurrentX(1134);
    canvas.setCurrentY(567);

    canvas.setUnits(Units::Millimetres);
    QCOMPARE(canvas.scaleLeft(), 0.0);
    // The position stays on the paper: 1134 - 283.5 twips from the edge is 15 mm.
    QCOMPARE(canvas.currentX(), 15.0);
    QCOMPARE(canvas.currentY(), 10.0);
    QCOMPARE(canvas.scaleWidth(), 210.0);
    QCOMPARE(canvas.scaleHeight(), 297.0);

    canvas.setFontSize(10);
    QCOMPARE(canvas.textHeight(), 200 / TwipsPerMillimetre);
    QCOMPARE(canvas.textWidth(QStringLiteral("门诊")), 400 / TwipsPerMillimetre);
    canvas.setScaleLeft(-5);
    canvas.line(10, 20, 40, 20);
    canvas.setCurrentX(10);
    canvas.setCurrentY(30);
    canvas.print(QStringLiteral("门诊日志"));
    QCOMPARE(canvas.currentX(), -5.0);
    QCOMPARE(canvas.currentY(), 30 + 200 / TwipsPerMillimetre);

    QCOMPARE(canvas.lines().first().fromTwips, QPointF(15 * 56.7, 20 * 56.7));
    QCOMPARE(canvas.lines().first().toTwips, QPointF(45 * 56.7, 20 * 56.7));
    QCOMPARE(canvas.texts().first().at, QPointF(10, 30));
    QCOMPARE(canvas.texts().first().atTwips, QPointF(15 * 56.7, 30 * 56.7));

    canvas.setUnits(Units::Twips);
    QCOMPARE(canvas.scaleLeft(), 0.0);
    QCOMPARE(canvas.currentX(), 0.0);
    QCOMPARE(canvas.currentY(), 30 * 56.7 + 200);
    canvas.print(QStringLiteral("合计"));
    QCOMPARE(canvas.texts().last().atTwips, QPointF(0, 30 * 56.7 + 200));
}

void TestPrintCanvas::pages()
{
    RecordingCanvas canvas;
    setFormMargins(canvas, 5, 5);
    canvas.setCurrentX(1000);
    canvas.setCurrentY(1000);
    canvas.print(QStringLiteral("第一页"));
    canvas.newPage();
    QCOMPARE(canvas.page(), 2);
    // A new page starts at the printable area's corner.
    QCOMPARE(canvas.currentX(), 283.5);
    QCOMPARE(canvas.currentY(), 283.5);
    canvas.line(1000, 1000, 2000, 1000);
    canvas.newPage();
    canvas.newPage();
    canvas.print(QStringLiteral("第四页"));
    canvas.newPage();
    canvas.endDocument();
    canvas.print(QStringLiteral("结束以后"));

    QCOMPARE(canvas.texts().size(), 2);
    QCOMPARE(canvas.texts().at(0).page, 1);
    QCOMPARE(canvas.lines().first().page, 2);
    QCOMPARE(canvas.texts().at(1).page, 4);
    // The blank third page is printed; the break just before the end adds no page.
    QCOMPARE(canvas.pages().size(), 4);
    QCOMPARE(canvas.pages().at(2).number, 3);
    QCOMPARE(canvas.pagesStarted(), 4);
    QVERIFY(canvas.isEnded());
    QVERIFY(canvas.outputAfterEnd());
}

void TestPrintCanvas::orientationPerPage()
{
    RecordingCanvas canvas;
    QCOMPARE(canvas.scaleWidth(), 210 * 56.7);
    canvas.setOrientation(QPageLayout::Landscape);
    QCOMPARE(canvas.scaleWidth(), 297 * 56.7);
    canvas.print(QStringLiteral("横向"));
    // Too late for the first page, which already holds text.
    canvas.setOrientation(QPageLayout::Portrait);
    canvas.print(QStringLiteral("仍在第一页"));
    canvas.newPage();
    canvas.print(QStringLiteral("纵向"));

    QCOMPARE(canvas.pages().size(), 2);
    QCOMPARE(canvas.pages().at(0).orientation, QPageLayout::Landscape);
    QCOMPARE(canvas.pages().at(1).orientation, QPageLayout::Portrait);
}

void TestPrintCanvas::invalidSettingsKeepTheLastGood()
{
    RecordingCanvas canvas;
    canvas.setFontName(CjkFonts::hei());
    canvas.setFontSize(14.25);
    canvas.setFontName(QStringLiteral(" "));
    canvas.setFontSize(0);
    canvas.setFontSize(-3);
    canvas.setFontSize(std::nan(""));
    canvas.setDrawWidth(0);
    QCOMPARE(canvas.font().name, CjkFonts::hei());
    QCOMPARE(canvas.font().pointSize, 14.25);
    QCOMPARE(canvas.drawWidth(), 1);
}

void TestPrintCanvas::painterPlacesLineAndText_data()
{
    QTest::addColumn<Units>("units");
    QTest::addColumn<double>("scaleLeft");
    QTest::addColumn<double>("scaleTop");
    QTest::addColumn<QPointF>("layout");
    QTest::addColumn<QPoint>("expectedPixel");
    QTest::newRow("twips from the corner") << Units::Twips << 0.0 << 0.0 << QPointF(1440, 2880) << QPoint(144, 288);
    QTest::newRow("5 mm margin origin") << Units::Twips << 283.5 << 283.5 << QPointF(1723.5, 3163.5) << QPoint(144, 288);
    QTest::newRow("10 mm margin keeps the corner as origin") << Units::Twips << 0.0 << 0.0 << QPointF(567, 567) << QPoint(57, 57);
    QTest::newRow("millimetres") << Units::Millimetres << 0.0 << 0.0 << QPointF(50, 100) << QPoint(284, 567);
    QTest::newRow("millimetres with an origin") << Units::Millimetres << -10.0 << 5.0 << QPointF(40, 105) << QPoint(284, 567);
}

void TestPrintCanvas::painterPlacesLineAndText()
{
    QFETCH(Units, units);
    QFETCH(double, scaleLeft);
    QFETCH(double, scaleTop);
    QFETCH(QPointF, layout);
    QFETCH(QPoint, expectedPixel);

    QImage linePage = whitePage();
    {
        PainterCanvas canvas(&linePage);
        canvas.setUnits(units);
        canvas.setScaleLeft(scaleLeft);
        canvas.setScaleTop(scaleTop);
        // One inch to the right.
        const double inch = units == Units::Millimetres ? 1440 / TwipsPerMillimetre : 1440;
        canvas.line(layout.x(), layout.y(), layout.x() + inch, layout.y());
        canvas.endDocument();
        QVERIFY2(canvas.ok(), qPrintable(canvas.errorMessage()));
    }
    const QRect line = inkRect(linePage);
    QVERIFY(qAbs(line.left() - expectedPixel.x()) <= 1);
    QVERIFY(qAbs(line.top() - expectedPixel.y()) <= 1);
    QVERIFY(qAbs(line.width() - 144) <= 2);
    QVERIFY(line.height() <= 2);

    // 36 pt at 144 dpi: a cell of 72 pixels, the baseline 63 pixels below the top.
    QImage textPage = whitePage();
    {
        PainterCanvas canvas(&textPage);
        canvas.setUnits(units);
        canvas.setScaleLeft(scaleLeft);
        canvas.setScaleTop(scaleTop);
        canvas.setFontSize(36);
        canvas.setCurrentX(layout.x());
        canvas.setCurrentY(layout.y());
        canvas.print(QStringLiteral("田"));
        canvas.endDocument();
        QVERIFY2(canvas.ok(), qPrintable(canvas.errorMessage()));
    }
    const QRect glyph = inkRect(textPage);
    const QRect cell(expectedPixel, QSize(72, 72));
    QVERIFY2(cell.adjusted(-2, -2, 2, 2).contains(glyph),
             qPrintable(QStringLiteral("glyph %1,%2 %3x%4 outside its cell").arg(glyph.x()).arg(glyph.y()).arg(glyph.width()).arg(glyph.height())));
    // The ideograph fills most of its cell, so it is really drawn and not a stray mark.
    QVERIFY(glyph.width() > 50 && glyph.height() > 50);
}

void TestPrintCanvas::painterMeasuresWithTheRealFont()
{
    QImage page = whitePage();
    PainterCanvas canvas(&page);
    canvas.setFontSize(12);
    // CJK faces advance an ideograph by exactly one em, as the cell model assumes.
    QVERIFY(qAbs(canvas.textWidth(QStringLiteral("田田")) - 480) < 480 * 0.02);
    const double latin = canvas.textWidth(QStringLiteral("Rp 0.25g"));
    QVERIFY(latin > 0 && latin < RecordingCanvas::cellWidthTwips(QStringLiteral("Rp 0.25g"), 12) * 1.5);
    canvas.setCurrentX(100);
    canvas.print(QStringLiteral("Rp 0.25g"), LineFeed::No);
    QCOMPARE(canvas.currentX(), 100 + latin);
    canvas.endDocument();
}

void TestPrintCanvas::imageHoldsOnlyOnePage()
{
    QImage page = whitePage();
    PainterCanvas canvas(&page);
    canvas.print(QStringLiteral("第一页"));
    canvas.newPage();
    canvas.print(QStringLiteral("第二页"));
    canvas.endDocument();
    QVERIFY(!canvas.ok());
    QVERIFY(canvas.errorMessage().contains(QStringLiteral("第2页")));
}

void TestPrintCanvas::pdfHoldsChineseTexts()
{
    if (!hasPoppler())
        QSKIP("pdfinfo and pdftotext (poppler-utils) are needed");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("处方.pdf"));
    PrintJob job;
    job.title = QStringLiteral("处方笺");
    job.layout = [](PrinterCanvas &canvas) {
        setFormMargins(canvas, 5, 5);
        canvas.setFontName(CjkFonts::hei());
        canvas.setFontSize(18);
        canvas.setCurrentX(1701);
        canvas.setCurrentY(1134);
        canvas.print(QStringLiteral("门诊处方笺"));
        canvas.setFontName(CjkFonts::song());
        canvas.setFontSize(10.5);
        canvas.setCurrentX(1701);
        canvas.print(QStringLiteral("姓名：张三"), LineFeed::No);
        canvas.print(QStringLiteral("  性别：男"));
        canvas.setDrawWidth(2);
        canvas.line(1134, 2500, 10000, 2500);
        canvas.setCurrentX(1701);
        canvas.print(QStringLiteral("阿莫西林胶囊 0.25g×24粒"));
    };

    const WriteResult written = PdfExport::write(path, job);
    QVERIFY2(written.ok, qPrintable(written.message));
    QCOMPARE(pdfPageCount(path), 1);
    const QString text = pdfPageText(path, 1);
    for (const QString &expected : {QStringLiteral("门诊处方笺"), QStringLiteral("姓名：张三"), QStringLiteral("性别：男"),
                                    QStringLiteral("阿莫西林胶囊 0.25g×24粒")})
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" missing in: ") + text));

    // 1701 - 283.5 twips from the sheet's edge is 70.875 pt; the 18 pt cell starts 42.525 pt down,
    // its baseline 0.875 em lower. The reader's box spans the font's ascent and descent around it.
    const QRectF title = pdfWordBox(path, QStringLiteral("门诊处方笺"));
    QVERIFY(!title.isNull());
    QVERIFY2(qAbs(title.left() - 70.875) < 0.5, qPrintable(QString::number(title.left())));
    const double baseline = 42.525 + 0.875 * 18;
    QVERIFY2(title.top() < baseline && title.bottom() > baseline && title.bottom() < baseline + 0.5 * 18,
             qPrintable(QStringLiteral("%1..%2").arg(title.top()).arg(title.bottom())));
    // The name line lies one 18 pt line lower (1494 twips), the drug where the line left the
    // position (2500 twips); both in the same font, so their boxes are 1006 twips apart.
    const QRectF name = pdfWordBox(path, QStringLiteral("姓名：张三"));
    const QRectF drug = pdfWordBox(path, QStringLiteral("阿莫西林胶囊"));
    QVERIFY(!name.isNull() && !drug.isNull());
    QVERIFY2(qAbs(name.top() - title.top() - 18) < 18 * 0.4, qPrintable(QString::number(name.top())));
    QVERIFY2(qAbs(drug.top() - name.top() - (2500 - 1494) / 20.0) < 0.05, qPrintable(QString::number(drug.top() - name.top())));
    QVERIFY2(qAbs(drug.left() - name.left()) < 0.05, qPrintable(QString::number(drug.left())));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

void TestPrintCanvas::pdfPagesKeepTheirOrientation()
{
    if (!hasPoppler())
        QSKIP("pdfinfo and pdftotext (poppler-utils) are needed");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("日志.pdf"));
    PrintJob job;
    job.orientation = QPageLayout::Landscape;
    job.layout = [](PrinterCanvas &canvas) {
        QCOMPARE(canvas.orientation(), QPageLayout::Landscape);
        QVERIFY(canvas.scaleWidth() > canvas.scaleHeight());
        canvas.print(QStringLiteral("门诊日志"));
        canvas.newPage();
        canvas.setOrientation(QPageLayout::Portrait);
        canvas.setCurrentX(2000);
        canvas.setCurrentY(14000);
        canvas.print(QStringLiteral("处方统计"));
        canvas.newPage();
    };
    const WriteResult written = PdfExport::write(path, job);
    QVERIFY2(written.ok, qPrintable(written.message));

    QCOMPARE(pdfPageCount(path), 2);
    const QSizeF first = pdfPageSize(path, 1);
    const QSizeF second = pdfPageSize(path, 2);
    QVERIFY(qAbs(first.width() - 841.89) < 1 && qAbs(first.height() - 595.28) < 1);
    QVERIFY(qAbs(second.width() - 595.28) < 1 && qAbs(second.height() - 841.89) < 1);
    QVERIFY(pdfPageText(path, 1).contains(QStringLiteral("门诊日志")));
    // Low on the portrait page, 700 pt down, where a landscape page would already have ended.
    const QRectF low = pdfWordBox(path, QStringLiteral("处方统计"), 2);
    QVERIFY(!low.isNull());
    QVERIFY2(qAbs(low.left() - 100) < 0.5, qPrintable(QString::number(low.left())));
    const double baseline = 700 + 0.875 * 9;
    QVERIFY2(low.top() < baseline && low.bottom() > baseline, qPrintable(QString::number(low.top())));
}

void TestPrintCanvas::pdfFailureLeavesTheOldFile_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<PrintLayout>("layout");
    QTest::addColumn<QString>("expectedMessage");
    const PrintLayout oneText = [](PrinterCanvas &canvas) { canvas.print(QStringLiteral("处方")); };
    QTest::newRow("folder missing") << QStringLiteral("没有的文件夹/处方.pdf") << oneText << QStringLiteral("无法创建文件");
    QTest::newRow("nothing drawn") << QStringLiteral("处方.pdf") << PrintLayout([](PrinterCanvas &) {})
                                   << QStringLiteral("没有可保存的内容");
    QTest::newRow("output after the end") << QStringLiteral("处方.pdf") << PrintLayout([](PrinterCanvas &canvas) {
        canvas.print(QStringLiteral("处方"));
        canvas.endDocument();
        canvas.print(QStringLiteral("签名"));
    }) << QStringLiteral("打印结束后");
    QTest::newRow("no file name") << QString() << oneText << QStringLiteral("没有给出文件名");
}

void TestPrintCanvas::pdfFailureLeavesTheOldFile()
{
    QFETCH(QString, fileName);
    QFETCH(PrintLayout, layout);
    QFETCH(QString, expectedMessage);

    QTemporaryDir dir;
    const QString path = fileName.isEmpty() ? QString() : dir.filePath(fileName);
    const QByteArray old("the older copy");
    const bool hasOldFile = !path.isEmpty() && QFileInfo(path).dir().exists();
    if (hasOldFile) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    PrintJob job;
    job.layout = layout;
    const WriteResult written = PdfExport::write(path, job);
    QVERIFY(!written.ok);
    QVERIFY2(written.message.contains(expectedMessage), qPrintable(written.message));
    if (hasOldFile)
        QCOMPARE(fileContents(path), old);
    // No temporary file stays behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), hasOldFile ? 1 : 0);
}

void TestPrintCanvas::pdfTextRepair_data()
{
    QTest::addColumn<QByteArray>("mappings");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("radical in a range array reads as its ideograph")
        << QByteArray("1 beginbfrange\n<0001> <0002> [<2ED4> <8BCA> ]\nendbfrange")
        << QByteArray("1 beginbfrange\n<0001> <0002> [<95E8> <8BCA> ]\nendbfrange");
    QTest::newRow("Kangxi radical of a single glyph")
        << QByteArray("1 beginbfchar\n<0003> <2F45>\nendbfchar") << QByteArray("1 beginbfchar\n<0003> <65B9>\nendbfchar");
    QTest::newRow("glyph codes are not names") << QByteArray("1 beginbfchar\n<2F45> <0041>\nendbfchar")
                                               << QByteArray("1 beginbfchar\n<2F45> <0041>\nendbfchar");
    QTest::newRow("range of one glyph") << QByteArray("1 beginbfrange\n<0004> <0004> <2F47>\nendbfrange")
                                        << QByteArray("1 beginbfrange\n<0004> <0004> <65E5>\nendbfrange");
    QTest::newRow("range onto consecutive codes stays") << QByteArray("1 beginbfrange\n<0004> <0006> <2F47>\nendbfrange")
                                                        << QByteArray("1 beginbfrange\n<0004> <0006> <2F47>\nendbfrange");
    QTest::newRow("tab named for the space glyph reads as a space, the missing glyph stays")
        << QByteArray("1 beginbfrange\n<0000> <0000> <0000>\nendbfrange 1 beginbfchar <0003> <0009> endbfchar")
        << QByteArray("1 beginbfrange\n<0000> <0000> <0000>\nendbfrange 1 beginbfchar <0003> <0020> endbfchar");
    QTest::newRow("character beyond the BMP stays") << QByteArray("1 beginbfchar\n<0005> <D840DC00>\nendbfchar")
                                                    << QByteArray("1 beginbfchar\n<0005> <D840DC00>\nendbfchar");
}

void TestPrintCanvas::pdfTextRepair()
{
    QFETCH(QByteArray, mappings);
    QFETCH(QByteArray, expected);
    const QByteArray head("stream\n/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                          "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n");
    const QByteArray tail("\nendcmap\nend\nend\nendstream\n");
    QCOMPARE(PdfTextRepair::repaired(head + mappings + tail), head + expected + tail);
    // Outside a CMap the same bytes are left alone.
    QCOMPARE(PdfTextRepair::repaired(mappings), mappings);
}

void TestPrintCanvas::windowsFontsResolveToCjkFonts_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("expected");
    QTest::newRow("宋体") << QStringLiteral("宋体") << QStringLiteral("Noto Serif CJK SC");
    QTest::newRow("黑体") << QStringLiteral("黑体") << QStringLiteral("Noto Sans CJK SC");
    QTest::newRow("SimSun") << QStringLiteral("SimSun") << QStringLiteral("Noto Serif CJK SC");
    QTest::newRow("SimHei") << QStringLiteral("SimHei") << QStringLiteral("Noto Sans CJK SC");
}

void TestPrintCanvas::windowsFontsResolveToCjkFonts()
{
    QFETCH(QString, family);
    QFETCH(QString, expected);
    QCOMPARE(QFontInfo(PainterCanvas::qtFont({family, 12, false})).family(), expected);
}

QTEST_MAIN(TestPrintCanvas)
#include "tst_printcanvas.moc"
