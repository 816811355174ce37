#include "spreadsheetfixtures.h"
#include "xlrdscript.h"

#include <functional>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "spreadsheet/compoundfilewriter.h"
#include "spreadsheet/spreadsheetreader.h"
#include "spreadsheet/xlsworkbookwriter.h"

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#endif

// The spreadsheet layer: what the .xls writer writes, read back by two independent readers
// (FreeXL cell by cell, xlrd for formats and structure), the .xlsx reader, and damaged files.
class TestSpreadsheet : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void roundTrip_data();
    void roundTrip();
    void sharedStringsAcrossRecords_data();
    void sharedStringsAcrossRecords();
    void lastRowAndColumnOfTheFormat();
    void bigCatalogue();
    void containerSizes_data();
    void containerSizes();
    void largeFileListsFatInDifat();

    void rowFormatsAndColumnWidths();
    void displayWidth_data();
    void displayWidth();

    void saveReplacesOldFile();
    void saveFailure_data();
    void saveFailure();
    void saveFailureWhenDiskFills();

    void xlsx();
    void contentDecidesTheFormat();
    void numberText_data();
    void numberText();

    void damagedFile_data();
    void damagedFile();
    void randomDamageNeverCrashes_data();
    void randomDamageNeverCrashes();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

// Cells as a plain grid: a null variant is a cell not written, a double a number, else text.
using Grid = QList<QVariantList>;

void writeGrid(XlsWorkbookWriter &writer, const Grid &grid)
{
    for (int row = 0; row < grid.size(); ++row) {
        for (int column = 0; column < grid.at(row).size(); ++column) {
            const QVariant &value = grid.at(row).at(column);
            if (value.isNull())
                continue;
            if (value.typeId() == QMetaType::Double)
                writer.setNumber(row, column, value.toDouble());
            else
                writer.setText(row, column, value.toString());
        }
    }
}

#define REQUIRE_XLRD()                                                                                  \
    do {                                                                                                \
        if (pythonWithXlrd().isEmpty())                                                                 \
            QSKIP("python3 with xlrd (Debian python3-xlrd) is not installed");                          \
    } while (false)

QString structureScript()
{
    return QFINDTESTDATA("spreadsheet/xls_structure.py");
}

QString cellsScript()
{
    return QFINDTESTDATA("spreadsheet/xlrd_cells.py");
}

// As QCOMPARE compares numbers.
bool sameNumber(double read, double written)
{
    return read == written || qFuzzyCompare(read, written);
}

// Compares what FreeXL and our own reader read with the grid written: the first difference, or
// nothing when both read the grid.
QString compareReadBack(const QString &file, const Grid &grid)
{
    const FreeXlSheet sheet = readWithFreeXl(file);
    if (sheet.status != FREEXL_OK)
        return QStringLiteral("FreeXL status %1").arg(sheet.status);
    const SpreadsheetTable table = SpreadsheetReader::read(file);
    if (!table.ok())
        return table.errorMessage();
    for (int row = 0; row < grid.size(); ++row) {
        for (int column = 0; column < grid.at(row).size(); ++column) {
            const QVariant &written = grid.at(row).at(column);
            const QVariant read = sheet.cells.value({row, column});
            const SpreadsheetCell &ours = table.cell(row, column);
            bool same = true;
            if (written.isNull())
                same = read.isNull() && ours.isEmpty();
            else if (written.typeId() == QMetaType::Double)
                same = sameNumber(read.toDouble(), written.toDouble()) && ours.kind == SpreadsheetCell::Kind::Number
                    && sameNumber(ours.number, written.toDouble());
            else
                same = read.toString() == written.toString() && ours.text == written.toString();
            if (!same)
                return QStringLiteral("cell %1,%2: written %3, FreeXL read %4, ours %5")
                    .arg(row)
                    .arg(column)
                    .arg(written.toString(), read.toString(), ours.kind == SpreadsheetCell::Kind::Number ? QString::number(ours.number) : ours.text);
        }
    }
    return {};
}

QString repeated(const QString &piece, int length)
{
    QString text;
    while (text.size() < length)
        text += piece;
    return text.left(length);
}

// A distributor's drug list: rich text and phonetic runs in shared strings, inline strings,
// numbers as Excel writes them (17 digits), a boolean, cells without a reference, gaps.
bool writeDrugListXlsx(const QString &file)
{
    const QByteArray workbook = QByteArrayLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="药品" sheetId="2" r:id="rId7"/><sheet name="说明" sheetId="1" r:id="rId1"/></sheets>
</workbook>)");
    const QByteArray workbookRelationships = QByteArrayLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
<Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/sheet2.xml"/>
<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>
</Relationships>)");
    const QByteArray sharedStrings = QByteArrayLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="5" uniqueCount="5">
<si><t>药品名称</t></si>
<si><r><rPr><b/></rPr><t>阿莫西林</t></r><r><t xml:space="preserve"> 胶囊</t></r></si>
<si><t>规格</t><rPh sb="0" eb="2"><t>ぐいげ</t></rPh></si>
<si><t>0.25g*24粒{盒}</t></si>
<si><t>line_x000D_break &amp; _x005F_x0041_</t></si>
</sst>)");
    const QByteArray firstSheet = QByteArrayLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>
<row r="1"><c r="A1" t="inlineStr"><is><t>not the first sheet</t></is></c></row>
</sheetData></worksheet>)");
    const QByteArray drugSheet = QByteArrayLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><dimension ref="A1:E12"/><sheetData>
<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>2</v></c><c r="D1" t="inlineStr"><is><t>单价</t></is></c></row>
<row r="2"><c r="A2" t="s" s="3"><v>1</v></c><c r="B2" t="s"><v>3</v></c><c r="D2"><v>12.5</v></c><c r="E2"><v>1001</v></c></row>
<row r="4"><c t="s"><v>4</v></c><c><v>0.10000000000000001</v></c><c t="b"><v>1</v></c><c t="str"><f>A1</f><v>药品名称</v></c></row>
<row r="5"><c r="C5"><v>1E-3</v></c><c r="D5" t="e"><v>#N/A</v></c><c r="E5" t="inlineStr"><is><r><t>富</t></r><r><t>文本</t></r></is></c></row>
<row r="9" customHeight="1" ht="30"/>
<row r="12"><c r="F12" s="2"/><c r="A12"><f>1+1</f></c></row>
</sheetData></worksheet>)");
    return writeZip(file, {{QStringLiteral("[Content_Types].xml"), xlsxContentTypes()},
                           {QStringLiteral("_rels/.rels"), xlsxPackageRelationships()},
                           {QStringLiteral("xl/workbook.xml"), workbook},
                           {QStringLiteral("xl/_rels/workbook.xml.rels"), workbookRelationships},
                           {QStringLiteral("xl/sharedStrings.xml"), sharedStrings},
                           {QStringLiteral("xl/worksheets/sheet1.xml"), firstSheet},
                           {QStringLiteral("xl/worksheets/sheet2.xml"), drugSheet}});
}

// Rewrites records of a workbook written by our writer, whose stream lies in one run from
// offset 512: edit gets each record's type and body and may change them in place.
QByteArray withRecords(QByteArray xls, const std::function<void(quint16 &type, char *body, quint16 length)> &edit)
{
    const qsizetype streamEnd = 512 + qFromLittleEndian<quint32>(xls.constData() + 48) * 512;
    for (qsizetype at = 512; at + 4 <= streamEnd;) {
        quint16 type = qFromLittleEndian<quint16>(xls.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(xls.constData() + at + 2);
        if (type == 0 && length == 0)
            break;
        edit(type, xls.data() + at + 4, length);
        qToLittleEndian(type, xls.data() + at);
        at += 4 + length;
    }
    return xls;
}

Grid catalogueGrid(int rows)
{
    static const QStringList headings{u"药品编码"_qs, u"药品名称"_qs, u"规格"_qs, u"单位"_qs,
                                      u"进价"_qs,     u"售价"_qs,     u"拼音码"_qs, u"备注"_qs};
    Grid grid;
    QVariantList headingRow;
    for (const QString &heading : headings)
        headingRow.append(heading);
    grid.append(headingRow);
    for (int i = 1; i <= rows; ++i) {
        grid.append({QString::number(100000 + i), u"阿莫西林胶囊%1号"_qs.arg(i), u"0.25g*24粒{盒}"_qs,
                     i % 3 ? u"盒"_qs : u"瓶"_qs, double(i % 500) / 8, u"%1.50"_qs.arg(i % 97),
                     u"amxljn"_qs, i % 10 ? QVariant() : QVariant(u"备注 %1"_qs.arg(i))});
    }
    return grid;
}

} // namespace

void TestSpreadsheet::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSpreadsheet::roundTrip_data()
{
    QTest::addColumn<Grid>("grid");
    QTest::newRow("CJK texts") << Grid{{u"药品名称"_qs, u"规格"_qs}, {u"阿莫西林胶囊"_qs, u"0.25g×24粒"_qs}};
    QTest::newRow("braces and quotes") << Grid{{u"{煎}"_qs, u"先煎{包}\"'"_qs, u"}{"_qs}};
    QTest::newRow("empty text and cells not written")
        << Grid{{QString(), QVariant(), u"C1"_qs}, {QVariant(), QVariant(), QVariant()}, {QVariant(), u"B3"_qs}};
    QTest::newRow("same text in many cells") << Grid{{u"盒"_qs, u"盒"_qs}, {u"盒"_qs, u"瓶"_qs}};
    QTest::newRow("numbers") << Grid{{12.5, 1001.0, 0.1, -3.75, 0.0, 1e15, 123456789.125}};
    QTest::newRow("long ASCII text crossing records") << Grid{{repeated(u"Amoxicillin "_qs, 16000)}};
    QTest::newRow("long CJK text crossing records") << Grid{{u"first"_qs, repeated(u"阿莫西林胶囊"_qs, 8000), u"next"_qs}};
    QTest::newRow("characters outside the BMP") << Grid{{u"𠀀𪚥😀 药"_qs}};
    QTest::newRow("Latin-1 and control characters") << Grid{{u"café µg ±5%"_qs, u"tab\there\nnew line"_qs}};
}

void TestSpreadsheet::roundTrip()
{
    QFETCH(Grid, grid);
    XlsWorkbookWriter writer;
    writeGrid(writer, grid);
    const QString file = path(u"往返.xls"_qs);
    const WriteResult saved = writer.save(file);
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(compareReadBack(file, grid), QString());
    if (!pythonWithXlrd().isEmpty()) {
        const std::optional<QJsonObject> structure = runXlrdScript(structureScript(), file);
        QVERIFY(structure);
        QCOMPARE(structure->value(u"problems"_qs).toArray(), QJsonArray());
    }
}

void TestSpreadsheet::sharedStringsAcrossRecords_data()
{
    QTest::addColumn<QStringList>("texts");
    // FreeXL cannot read a string continued more than once, so longer texts are checked by xlrd only.
    QTest::addColumn<bool>("freeXlReads");
    QStringList narrow, wide, pairs, many;
    for (int length = 1; length <= 220; ++length)
        narrow.append(repeated(u"%1-abcdefghij"_qs.arg(length), length));
    for (int length = 1; length <= 160; ++length)
        wide.append(repeated(u"%1甘草黄芪当归"_qs.arg(length), length));
    for (int k = 0; k < 300; ++k)
        pairs.append(repeated(u"x"_qs, k % 7) + u"😀"_qs.repeated(40 + k % 11));
    for (int k = 0; k < 5000; ++k)
        many.append(u"药%1"_qs.arg(k));
    // The SST record holds 8224 bytes: 8 of counts, 3 of string header, then 4106 UTF-16 units.
    const QString boundary = repeated(u"a"_qs, 4105) + u"😀b"_qs;

    QTest::newRow("ASCII strings of every length") << narrow << true;
    QTest::newRow("CJK strings of every length") << wide << true;
    QTest::newRow("surrogate pairs everywhere") << pairs << true;
    QTest::newRow("surrogate pair at the record boundary") << QStringList{boundary, u"after"_qs} << true;
    QTest::newRow("5000 strings, more than 128 index buckets") << many << true;
    QTest::newRow("empty strings between long ones")
        << QStringList{repeated(u"长"_qs, 4110), QString(), repeated(u"z"_qs, 8219), QString(), u"end"_qs} << true;
    QTest::newRow("longest texts in two records, after others")
        << QStringList{repeated(u"a"_qs, 5000), repeated(u"阿"_qs, 8221), repeated(u"b"_qs, 16440), u"end"_qs} << true;
    QTest::newRow("texts of the cell limit span five records")
        << QStringList{u"start"_qs, repeated(u"阿莫西林"_qs, XlsWorkbookWriter::MaxTextLength),
                       repeated(u"z"_qs, XlsWorkbookWriter::MaxTextLength), u"end"_qs}
        << false;
}

void TestSpreadsheet::sharedStringsAcrossRecords()
{
    REQUIRE_XLRD();
    QFETCH(QStringList, texts);
    QFETCH(bool, freeXlReads);
    XlsWorkbookWriter writer;
    Grid grid;
    for (const QString &text : texts)
        grid.append({text});
    writeGrid(writer, grid);
    const QString file = path(u"strings.xls"_qs);
    QVERIFY(writer.save(file).ok);

    const std::optional<QJsonObject> structure = runXlrdScript(structureScript(), file);
    QVERIFY(structure);
    QCOMPARE(structure->value(u"problems"_qs).toArray(), QJsonArray());
    QStringList stored;
    for (const QJsonValue &value : structure->value(u"strings"_qs).toArray())
        stored.append(value.toString());
    QStringList distinct;
    for (const QString &text : texts) {
        if (!text.isEmpty() && !distinct.contains(text))
            distinct.append(text);
    }
    QCOMPARE(stored, distinct);
    if (freeXlReads)
        QCOMPARE(compareReadBack(file, grid), QString());
}

void TestSpreadsheet::lastRowAndColumnOfTheFormat()
{
    XlsWorkbookWriter writer;
    writer.setText(0, 0, u"first"_qs);
    writer.setText(XlsWorkbookWriter::MaxRows - 1, XlsWorkbookWriter::MaxColumns - 1, u"最后"_qs);
    const QString file = path(u"corner.xls"_qs);
    QVERIFY(writer.save(file).ok);
    const SpreadsheetTable table = SpreadsheetReader::read(file);
    QVERIFY2(table.ok(), qPrintable(table.errorMessage()));
    QCOMPARE(table.rowCount(), XlsWorkbookWriter::MaxRows);
    QCOMPARE(table.columnCount(), XlsWorkbookWriter::MaxColumns);
    QCOMPARE(table.cell(XlsWorkbookWriter::MaxRows - 1, XlsWorkbookWriter::MaxColumns - 1).text, u"最后"_qs);
    QVERIFY(table.cell(1, 1).isEmpty());
}

void TestSpreadsheet::bigCatalogue()
{
    const Grid grid = catalogueGrid(10000);
    XlsWorkbookWriter writer(u"药品目录"_qs);
    writeGrid(writer, grid);
    writer.setRowFormat(0, {true, 0, 0});
    writer.autoFitColumns();
    const QString file = path(u"目录.xls"_qs);
    QVERIFY(writer.save(file).ok);
    QCOMPARE(compareReadBack(file, grid), QString());
    const SpreadsheetTable table = SpreadsheetReader::read(file);
    QCOMPARE(table.rowCount(), 10001);
    QCOMPARE(table.columnCount(), 8);
    QCOMPARE(table.cell(10000, 5).text, u"9.50"_qs);
    QCOMPARE(table.cell(3, 4).text, u"0.375"_qs);
}

void TestSpreadsheet::containerSizes_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("empty stream, padded to the cutoff") << 0;
    QTest::newRow("just under the mini stream cutoff") << 4095;
    QTest::newRow("one byte past the cutoff") << 4097;
    QTest::newRow("last size one FAT sector maps") << 126 * 512;
    QTest::newRow("first size needing a second FAT sector") << 126 * 512 + 1;
    QTest::newRow("109 FAT sectors, all in the header") << 13842 * 512;
    QTest::newRow("110 FAT sectors, one DIFAT sector") << 13842 * 512 + 1;
}

void TestSpreadsheet::containerSizes()
{
    REQUIRE_XLRD();
    QFETCH(int, size);
    QByteArray stream(size, Qt::Uninitialized);
    QRandomGenerator random(size);
    for (char &byte : stream)
        byte = char(random.bounded(256));
    const QString file = path(u"container.bin"_qs);
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(CompoundFileWriter::build(u"Workbook"_qs, stream));
    out.close();

    QProcess python;
    python.start(pythonWithXlrd(),
                 {u"-c"_qs, u"import sys, hashlib\nfrom xlrd import compdoc\n"
                            "doc = compdoc.CompDoc(open(sys.argv[1], 'rb').read(), logfile=sys.stderr)\n"
                            "s = bytes(doc.get_named_stream('Workbook'))\n"
                            "print(len(s), hashlib.sha1(s).hexdigest())"_qs,
                  file});
    QVERIFY(python.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(python.readAllStandardError()), QString());
    const QByteArray padded = stream + QByteArray(qMax(0, CompoundFileWriter::MiniStreamCutoff - size), '\0');
    const QString expected = u"%1 %2\n"_qs.arg(padded.size()).arg(
        QString::fromLatin1(QCryptographicHash::hash(padded, QCryptographicHash::Sha1).toHex()));
    QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()), expected);
}

void TestSpreadsheet::largeFileListsFatInDifat()
{
    REQUIRE_XLRD();
    Grid grid;
    for (int row = 0; row < 2000; ++row) {
        QVariantList cells;
        for (int column = 0; column < 8; ++column)
            cells.append(repeated(u"%1/%2 Amoxicillin capsules "_qs.arg(row).arg(column), 500));
        grid.append(cells);
    }
    XlsWorkbookWriter writer;
    writeGrid(writer, grid);
    const QString file = path(u"large.xls"_qs);
    QVERIFY(writer.save(file).ok);
    const std::optional<QJsonObject> structure = runXlrdScript(structureScript(), file);
    QVERIFY(structure);
    QCOMPARE(structure->value(u"problems"_qs).toArray(), QJsonArray());
    QVERIFY(structure->value(u"difatSectors"_qs).toInt() >= 1);
    QCOMPARE(compareReadBack(file, grid), QString());
}

void TestSpreadsheet::rowFormatsAndColumnWidths()
{
    REQUIRE_XLRD();
    XlsWorkbookWriter writer(u"药品目录"_qs);
    const QStringList headings{u"药品名称"_qs, u"规格"_qs, u"单价"_qs, u"备注"_qs};
    for (int column = 0; column < headings.size(); ++column)
        writer.setText(0, column, headings.at(column));
    writer.setText(1, 0, u"复方甘草口服溶液"_qs);
    writer.setText(1, 1, u"100ml"_qs);
    writer.setNumber(1, 2, 12.5);
    writer.setText(2, 0, u"维生素C片"_qs);
    writer.setText(2, 3, u"两行\n备注文字很长的一行"_qs);
    writer.setText(3, 1, u"小字"_qs);
    writer.setRowFormat(0, {true, 14, 24});
    writer.setRowFormat(2, {false, 0, 30});
    writer.setRowFormat(3, {false, 9, 0});
    writer.setRowFormat(5, {true, 0, 0}); // a formatted row without cells
    writer.autoFitColumns();
    writer.setColumnWidth(3, 20.5);
    const QString file = path(u"formats.xls"_qs);
    QVERIFY(writer.save(file).ok);

    const std::optional<QJsonObject> ran = runXlrdScript(cellsScript(), file);
    QVERIFY(ran);
    const QJsonObject &read = *ran;
    QCOMPARE(read.value(u"warnings"_qs).toString(), QString());
    QCOMPARE(read.value(u"sheetName"_qs).toString(), u"药品目录"_qs);
    for (const QJsonValue &value : read.value(u"cells"_qs).toArray()) {
        const QJsonObject cell = value.toObject();
        const int row = cell.value(u"row"_qs).toInt();
        QCOMPARE(cell.value(u"fontName"_qs).toString(), u"宋体"_qs);
        QCOMPARE(cell.value(u"bold"_qs).toBool(), row == 0);
        QCOMPARE(cell.value(u"fontTwips"_qs).toInt(), row == 0 ? 280 : row == 3 ? 180 : 240);
    }
    const QJsonObject heights = read.value(u"rowHeights"_qs).toObject();
    QCOMPARE(heights.value(u"0"_qs).toObject().value(u"twips"_qs).toInt(), 480);
    QVERIFY(heights.value(u"0"_qs).toObject().value(u"custom"_qs).toBool());
    QCOMPARE(heights.value(u"2"_qs).toObject().value(u"twips"_qs).toInt(), 600);
    QVERIFY(heights.value(u"2"_qs).toObject().value(u"custom"_qs).toBool());
    QVERIFY(!heights.value(u"1"_qs).toObject().value(u"custom"_qs).toBool());
    QVERIFY(!heights.value(u"3"_qs).toObject().value(u"custom"_qs).toBool());
    QVERIFY(heights.contains(u"5"_qs));

    const QJsonObject widths = read.value(u"columnWidths"_qs).toObject();
    // 复方甘草口服溶液: 8 CJK characters count 16, plus the margin.
    QCOMPARE(widths.value(u"0"_qs).toInt(), (16 + XlsWorkbookWriter::AutoFitMargin) * 256);
    QCOMPARE(widths.value(u"1"_qs).toInt(), (5 + XlsWorkbookWriter::AutoFitMargin) * 256);
    QCOMPARE(widths.value(u"2"_qs).toInt(), (4 + XlsWorkbookWriter::AutoFitMargin) * 256);
    QCOMPARE(widths.value(u"3"_qs).toInt(), int(20.5 * 256));
}

void TestSpreadsheet::displayWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("ASCII") << u"0.25g*24"_qs << 8;
    QTest::newRow("CJK counts 2") << u"阿莫西林"_qs << 8;
    QTest::newRow("mixed") << u"维生素C片100mg"_qs << 14;
    QTest::newRow("full-width digits and brackets") << u"（１２）"_qs << 8;
    QTest::newRow("CJK punctuation") << u"煎服，每日一剂。"_qs << 16;
    QTest::newRow("half-width katakana counts 1") << u"ｱｲｳ"_qs << 3;
    QTest::newRow("Latin-1 counts 1") << u"µg±5"_qs << 4;
    QTest::newRow("extension B character is one wide character") << u"𠀀"_qs << 2;
    QTest::newRow("widest of several lines") << u"ab\n阿莫西林\r\nabc"_qs << 8;
}

void TestSpreadsheet::displayWidth()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QCOMPARE(XlsWorkbookWriter::displayWidth(text), width);
}

void TestSpreadsheet::saveReplacesOldFile()
{
    const QString file = path(u"目录.xls"_qs);
    QFile old(file);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older export");
    old.close();

    XlsWorkbookWriter writer;
    writer.setText(0, 0, u"新的"_qs);
    const WriteResult saved = writer.save(file);
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(SpreadsheetReader::read(file).cell(0, 0).text, u"新的"_qs);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"目录.xls"_qs});
}

void TestSpreadsheet::saveFailure_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("textLength");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder missing") << u"没有的文件夹/目录.xls"_qs << 0 << 0 << 4 << u"不存在"_qs;
    QTest::newRow("name taken by a folder") << u"folder.xls"_qs << 0 << 0 << 4 << u"文件夹"_qs;
    QTest::newRow("row past 65536") << u"目录.xls"_qs << 65536 << 0 << 4 << u"65536行"_qs;
    QTest::newRow("column past 256") << u"目录.xls"_qs << 0 << 256 << 4 << u"256列"_qs;
    QTest::newRow("negative row") << u"目录.xls"_qs << -1 << 0 << 4 << u"第0行"_qs;
    QTest::newRow("text past 32767 characters") << u"目录.xls"_qs << 0 << 0 << 32768 << u"32767"_qs;
}

void TestSpreadsheet::saveFailure()
{
    QFETCH(QString, target);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, textLength);
    QFETCH(QString, reason);
    QVERIFY(QDir(m_dir->path()).mkdir(u"folder.xls"_qs));
    const QString old = path(u"目录.xls"_qs);
    QFile oldFile(old);
    QVERIFY(oldFile.open(QIODevice::WriteOnly));
    oldFile.write("the previous export");
    oldFile.close();

    XlsWorkbookWriter writer;
    writer.setText(1, 1, u"正常"_qs);
    writer.setText(row, column, QString(textLength, u'药'));
    const QString file = path(target);
    const WriteResult saved = writer.save(file);
    QVERIFY(!saved.ok);
    QVERIFY2(saved.message.contains(QDir::toNativeSeparators(file)), qPrintable(saved.message));
    QVERIFY2(saved.message.contains(reason), qPrintable(saved.message));
    QVERIFY(oldFile.open(QIODevice::ReadOnly));
    QCOMPARE(oldFile.readAll(), QByteArray("the previous export"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{u"folder.xls"_qs, u"目录.xls"_qs}));
}

void TestSpreadsheet::saveFailureWhenDiskFills()
{
#ifdef Q_OS_LINUX
    // A file-size limit makes writes fail past 64 KiB as a full disk would, even for root.
    const QString file = path(u"目录.xls"_qs);
    QFile old(file);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("the previous export");
    old.close();
    XlsWorkbookWriter writer;
    writeGrid(writer, catalogueGrid(3000));

    rlimit saved;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const WriteResult result = writer.save(file);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!result.ok);
    QVERIFY2(result.message.contains(u"磁盘"_qs), qPrintable(result.message));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("the previous export"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"目录.xls"_qs});
#else
    QSKIP("needs a file-size limit");
#endif
}

void TestSpreadsheet::xlsx()
{
    const QString file = path(u"供应商药品.xlsx"_qs);
    QVERIFY(writeDrugListXlsx(file));
    const SpreadsheetTable table = SpreadsheetReader::read(file);
    QVERIFY2(table.ok(), qPrintable(table.errorMessage()));
    // Rows 9 and 12 hold no values, so the used range ends with row 5.
    QCOMPARE(table.rowCount(), 5);
    QCOMPARE(table.columnCount(), 5);
    using Kind = SpreadsheetCell::Kind;
    const struct
    {
        int row, column;
        Kind kind;
        QString text;
    } expected[] = {
        {0, 0, Kind::Text, u"药品名称"_qs},
        {0, 1, Kind::Text, u"规格"_qs}, // the phonetic guide is not part of the text
        {0, 2, Kind::Empty, QString()},
        {0, 3, Kind::Text, u"单价"_qs},
        {1, 0, Kind::Text, u"阿莫西林 胶囊"_qs},
        {1, 1, Kind::Text, u"0.25g*24粒{盒}"_qs},
        {1, 2, Kind::Empty, QString()},
        {1, 3, Kind::Number, u"12.5"_qs},
        {1, 4, Kind::Number, u"1001"_qs},
        {2, 0, Kind::Empty, QString()},
        {3, 0, Kind::Text, u"line\rbreak & _x0041_"_qs},
        {3, 1, Kind::Number, u"0.1"_qs},
        {3, 2, Kind::Text, u"TRUE"_qs},
        {3, 3, Kind::Text, u"药品名称"_qs},
        {4, 2, Kind::Number, u"0.001"_qs},
        {4, 3, Kind::Text, u"#N/A"_qs},
        {4, 4, Kind::Text, u"富文本"_qs},
    };
    for (const auto &cell : expected) {
        const QString where = u"cell %1,%2"_qs.arg(cell.row).arg(cell.column);
        QVERIFY2(table.cell(cell.row, cell.column).kind == cell.kind, qPrintable(where));
        QCOMPARE(table.cell(cell.row, cell.column).text, cell.text);
    }
    QCOMPARE(table.cell(1, 3).number, 12.5);
    QCOMPARE(table.rowTexts(1), (QStringList{u"阿莫西林 胶囊"_qs, u"0.25g*24粒{盒}"_qs, QString(), u"12.5"_qs, u"1001"_qs}));
}

void TestSpreadsheet::contentDecidesTheFormat()
{
    XlsWorkbookWriter writer;
    writer.setText(0, 0, u"xls inside"_qs);
    QVERIFY(writer.save(path(u"named.xlsx"_qs)).ok);
    QVERIFY(writeDrugListXlsx(path(u"named.xls"_qs)));
    QCOMPARE(SpreadsheetReader::read(path(u"named.xlsx"_qs)).cell(0, 0).text, u"xls inside"_qs);
    QCOMPARE(SpreadsheetReader::read(path(u"named.xls"_qs)).cell(0, 0).text, u"药品名称"_qs);
}

void TestSpreadsheet::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("price") << 12.5 << u"12.5"_qs;
    QTest::newRow("whole number") << 1001.0 << u"1001"_qs;
    QTest::newRow("tenth, not 0.10000000000000001") << 0.1 << u"0.1"_qs;
    QTest::newRow("sum that is not 0.3") << 0.1 + 0.2 << u"0.30000000000000004"_qs;
    QTest::newRow("negative") << -3.75 << u"-3.75"_qs;
    QTest::newRow("negative zero") << -0.0 << u"0"_qs;
    QTest::newRow("large, no exponent") << 1e21 << u"1000000000000000000000"_qs;
    QTest::newRow("small, no exponent") << 1.5e-7 << u"0.00000015"_qs;
    QTest::newRow("three decimals") << 0.125 << u"0.125"_qs;
}

void TestSpreadsheet::numberText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    const SpreadsheetCell cell = SpreadsheetCell::fromNumber(value);
    QCOMPARE(cell.kind, SpreadsheetCell::Kind::Number);
    QCOMPARE(cell.text, text);
    QCOMPARE(cell.text.toDouble(), value);
}

void TestSpreadsheet::damagedFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");

    XlsWorkbookWriter writer;
    writeGrid(writer, catalogueGrid(300));
    const QByteArray xls = writer.toBytes();
    QTemporaryDir dir;
    QVERIFY(writeDrugListXlsx(dir.filePath(u"good.xlsx"_qs)));
    QFile xlsxFile(dir.filePath(u"good.xlsx"_qs));
    QVERIFY(xlsxFile.open(QIODevice::ReadOnly));
    const QByteArray xlsx = xlsxFile.readAll();

    auto flipped = [](QByteArray bytes, qsizetype at, int count) {
        for (int i = 0; i < count; ++i)
            bytes[at + i] = char(bytes.at(at + i) ^ 0xFF);
        return bytes;
    };
    auto with32 = [](QByteArray bytes, qsizetype at, quint32 value) {
        qToLittleEndian(value, bytes.data() + at);
        return bytes;
    };
    const quint32 streamSectors = qFromLittleEndian<quint32>(xls.constData() + 48);
    const qsizetype fatAt = 512 * (qsizetype(streamSectors) + 2);
    // The first text cell claims 11 bytes: every record after it is read out of step.
    const QByteArray longLabel = [&] {
        QByteArray bytes = xls;
        const qsizetype at = bytes.indexOf(QByteArray("\xFD\x00\x0A\x00", 4), 512);
        bytes[at + 2] = 0x0B;
        return bytes;
    }();
    const QByteArray hugeStringCount = withRecords(xls, [](quint16 &type, char *body, quint16) {
        if (type == 0x00FC)
            qToLittleEndian(quint32(0x7FFFFFFF), body + 4);
    });
    // The default cell format becomes a date and a price a day in the year 2.7 million.
    int xfCount = 0;
    const QByteArray farDate = withRecords(xls, [&xfCount](quint16 &type, char *body, quint16) {
        if (type == 0x00E0 && xfCount++ == 15)
            qToLittleEndian(quint16(14), body + 2);
        if (type == 0x0203)
            qToLittleEndian(1e9, body + 6);
    });
    const QByteArray password = withRecords(xls, [](quint16 &type, char *, quint16) {
        if (type == 0x005C)
            type = 0x002F;
    });
    const QByteArray hugeDimensions = withRecords(xls, [](quint16 &type, char *body, quint16) {
        if (type == 0x0200)
            qToLittleEndian(quint32(0x40000000), body + 4);
    });

    QTest::newRow("missing file") << u"不存在.xls"_qs << QByteArray() << u"不存在"_qs;
    QTest::newRow("zero-length file") << u"空.xls"_qs << QByteArray() << u"空的"_qs;
    QTest::newRow("text file renamed .xls") << u"目录.xls"_qs << u"名称,规格\n阿莫西林,0.25g\n"_qs.toUtf8()
                                            << u"文本"_qs;
    QTest::newRow("web page renamed .xls")
        << u"导出.xls"_qs << QByteArray("<html><table><tr><td>1</td></tr></table></html>") << u"网页"_qs;
    QTest::newRow("binary that is no spreadsheet")
        << u"图片.xls"_qs << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << u"不是Excel"_qs;
    QTest::newRow("xls cut to its header") << u"截断.xls"_qs << xls.left(512) << u"不完整"_qs;
    QTest::newRow("xls cut in half") << u"截断.xls"_qs << xls.left(xls.size() / 2) << u"不完整"_qs;
    QTest::newRow("xls with bytes flipped in the middle") << u"损坏.xls"_qs << flipped(xls, xls.size() / 2, 64)
                                                          << u"损坏"_qs;
    QTest::newRow("xls with its FAT flipped") << u"损坏.xls"_qs << flipped(xls, fatAt, 64) << u"损坏"_qs;
    QTest::newRow("xls whose stream loops back") << u"循环.xls"_qs << with32(xls, fatAt + 4 * 2, 1) << u"损坏"_qs;
    QTest::newRow("xls header naming a directory past the end")
        << u"损坏.xls"_qs << with32(xls, 48, 0x00FFFFFF) << u"损坏"_qs;
    QTest::newRow("xls signature then noise") << u"噪声.xls"_qs << xls.left(8) + QByteArray(4000, '\x5A')
                                              << u"损坏"_qs;
    QTest::newRow("xls record one byte longer than it is") << u"损坏.xls"_qs << longLabel << u"损坏"_qs;
    QTest::newRow("xls claiming two billion shared strings") << u"损坏.xls"_qs << hugeStringCount << u"共享文字"_qs;
    QTest::newRow("xls date in the year 2.7 million") << u"日期.xls"_qs << farDate << u"日期"_qs;
    QTest::newRow("xls sheet of a billion rows") << u"尺寸.xls"_qs << hugeDimensions << u"尺寸"_qs;
    QTest::newRow("xls with a password") << u"加密.xls"_qs << password << u"密码"_qs;
    QTest::newRow("xlsx with its zip cut off") << u"截断.xlsx"_qs << xlsx.left(xlsx.size() * 2 / 3) << u"不完整"_qs;
    QTest::newRow("xlsx cut to its first bytes") << u"截断.xlsx"_qs << xlsx.left(30) << u"不完整"_qs;
    QTest::newRow("xlsx with bytes flipped in the middle") << u"损坏.xlsx"_qs << flipped(xlsx, xlsx.size() / 2, 16)
                                                           << u"损坏"_qs;
}

void TestSpreadsheet::damagedFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString file = path(name);
    if (QByteArray(QTest::currentDataTag()) != "missing file") {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
        out.close();
    }

    QElapsedTimer clock;
    clock.start();
    const SpreadsheetTable table = SpreadsheetReader::read(file);
    QVERIFY(clock.elapsed() < 10000);
    QVERIFY(!table.ok());
    QCOMPARE(table.rowCount(), 0);
    QCOMPARE(table.columnCount(), 0);
    QVERIFY2(table.errorMessage().contains(QDir::toNativeSeparators(file)), qPrintable(table.errorMessage()));
    QVERIFY2(table.errorMessage().contains(reason), qPrintable(table.errorMessage()));
}

void TestSpreadsheet::randomDamageNeverCrashes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    XlsWorkbookWriter writer;
    writeGrid(writer, catalogueGrid(60));
    writer.setRowFormat(0, {true, 14, 20});
    QTemporaryDir dir;
    QVERIFY(writeDrugListXlsx(dir.filePath(u"good.xlsx"_qs)));
    QFile xlsx(dir.filePath(u"good.xlsx"_qs));
    QVERIFY(xlsx.open(QIODevice::ReadOnly));
    QTest::newRow("xls") << u"随机损坏.xls"_qs << writer.toBytes();
    QTest::newRow("xlsx") << u"随机损坏.xlsx"_qs << xlsx.readAll();
}

// Seeded damage of every kind the table above names, many times over: each read ends, and
// either reads or says why not. (FreeXL on its own crashed within the first few hundred.)
void TestSpreadsheet::randomDamageNeverCrashes()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QRandomGenerator random(20261210);
    const QString file = path(name);
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes = content;
        const int size = int(bytes.size());
        switch (round % 4) {
        case 0: {
            const int at = random.bounded(size);
            for (int k = at; k < qMin(size, at + 1 + random.bounded(64)); ++k)
                bytes[k] = char(random.bounded(256));
            break;
        }
        case 1:
            for (int k = 0; k < 1 + random.bounded(8); ++k)
                bytes[random.bounded(size)] = char(random.bounded(256));
            break;
        case 2:
            bytes.truncate(random.bounded(size));
            break;
        default: {
            const int at = 512 + random.bounded(size - 512);
            bytes[at] = char(bytes.at(at) ^ (1 << random.bounded(8)));
            break;
        }
        }
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
        const SpreadsheetTable table = SpreadsheetReader::read(file);
        if (!table.ok()) {
            QCOMPARE(table.rowCount(), 0);
            QVERIFY2(table.errorMessage().contains(QDir::toNativeSeparators(file)), qPrintable(table.errorMessage()));
        }
    }
}

QTEST_GUILESS_MAIN(TestSpreadsheet)
#include "tst_spreadsheet.moc"
