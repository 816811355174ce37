#include "messageboxcatcher.h"
#include "scriptedfiles.h"
#include "spreadsheetfixtures.h"
#include "testdatabase.h"
#include "xlrdscript.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "data/cataloguerepository.h"
#include "maintenance/catalogueimportrules.h"
#include "maintenance/cataloguetransfer.h"
#include "maintenance/widgets/cataloguewindow.h"
#include "spreadsheet/xlsworkbookwriter.h"
#include "text/pinyininitials.h"

using Entry = CatalogueRepository::Entry;

namespace {

const QDateTime ImportTime(QDate(2024, 6, 3), QTime(9, 15, 42));

QStringList cells(const QString &name, const QString &usualQuantity, const QString &unit, const QString &usage,
                  const QString &price, const QString &drawer, const QString &initials, const QString &category)
{
    return {name, usualQuantity, unit, usage, price, drawer, initials, category};
}

// The eight exported fields of every entry, ordered by name.
QList<QStringList> exportedFields(CatalogueRepository &catalogue, const QString &prefix)
{
    QList<QStringList> rows;
    const QList<Entry> entries = catalogue.list(prefix).value();
    for (const Entry &entry : entries)
        rows.append(CatalogueImportRules::cellsOf(entry));
    return rows;
}

// A package of one worksheet named 药品 holding that sheet's XML.
bool writeOneSheetXlsx(const QString &file, const QByteArray &sheet)
{
    const QByteArray workbook = QByteArrayLiteral("<?xml version='1.0' encoding='UTF-8'?>"
        "<workbook xmlns='http://schemas.openxmlformats.org/spreadsheetml/2006/main' xmlns:r='http://schemas.openxmlformats.org/officeDocument/2006/relationships'><sheets><sheet name='药品' sheetId='1' r:id='rId1'/></sheets></workbook>");
    const QByteArray workbookRelationships = QByteArrayLiteral("<?xml version='1.0' encoding='UTF-8'?>"
        "<Relationships xmlns='http://schemas.openxmlformats.org/package/2006/relationships'><Relationship Id='rId1' Type='http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet' Target='worksheets/sheet1.xml'/></Relationships>");
    return writeZip(file, {{QStringLiteral("[Content_Types].xml"), xlsxContentTypes()},
                           {QStringLiteral("_rels/.rels"), xlsxPackageRelationships()},
                           {QStringLiteral("xl/workbook.xml"), workbook},
                           {QStringLiteral("xl/_rels/workbook.xml.rels"), workbookRelationships},
                           {QStringLiteral("xl/worksheets/sheet1.xml"), sheet}});
}

// A distributor's list saved by a newer spreadsheet program: inline strings, a price as a number.
bool writeDistributorXlsx(const QString &file)
{
    const QByteArray sheet = QByteArrayLiteral("<?xml version='1.0' encoding='UTF-8' standalone='yes'?>"
        "<worksheet xmlns='http://schemas.openxmlformats.org/spreadsheetml/2006/main'><sheetData>"
        "<row r='1'><c r='A1' t='inlineStr'><is><t>名称</t></is></c><c r='H1' t='inlineStr'><is><t>分类</t></is></c></row>"
        "<row r='2'><c r='A2' t='inlineStr'><is><t>蒲地蓝消炎片</t></is></c><c r='B2' t='inlineStr'><is><t>0.3g×48片</t></is></c><c r='C2' t='inlineStr'><is><t>盒</t></is></c><c r='E2'><v>18.5</v></c><c r='H2' t='inlineStr'><is><t>西成药·中成药</t></is></c></row>"
        "<row r='3'><c r='A3' t='inlineStr'><is><t>金银花</t></is></c><c r='B3'><v>10</v></c><c r='C3' t='inlineStr'><is><t>g</t></is></c><c r='E3'><v>0.35</v></c><c r='F3' t='inlineStr'><is><t>B4</t></is></c><c r='H3' t='inlineStr'><is><t>中药</t></is></c></row>"
        "</sheetData></worksheet>");
    return writeOneSheetXlsx(file, sheet);
}

// A tiny package whose only cells are a heading and one cell as far out as the format allows.
bool writeFarCellXlsx(const QString &file, const QString &reference)
{
    const QString row = reference.mid(reference.indexOf(QRegularExpression(QStringLiteral("[0-9]"))));
    const QByteArray sheet = QStringLiteral("<?xml version='1.0' encoding='UTF-8' standalone='yes'?>"
        "<worksheet xmlns='http://schemas.openxmlformats.org/spreadsheetml/2006/main'><sheetData>"
        "<row r='1'><c r='A1' t='inlineStr'><is><t>名称</t></is></c></row>"
        "<row r='%1'><c r='%2' t='inlineStr'><is><t>远</t></is></c></row>"
        "</sheetData></worksheet>").arg(row, reference).toUtf8();
    return writeOneSheetXlsx(file, sheet);
}

// The address space this process uses now, in bytes.
qint64 addressSpaceInUse()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE);
}

} // namespace

// The catalogue's spreadsheet files: the import rules row by row, the export read back by
// independent readers, round trips, and files or rows that keep a whole import out.
class TestCatalogueImport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void importRules_data();
    void importRules();
    void sheetRows();
    void exportPath_data();
    void exportPath();

    void roundTripKeepsEveryField();
    void herbsExportedAndImportedAgainAreDoubled();
    void writtenFileReadByIndependentReaders();
    void headingOnlySheetImportsNothing();
    void damagedFileImportsNothing_data();
    void damagedFileImportsNothing();
    void refusedRowImportsNothing_data();
    void refusedRowImportsNothing();
    void cancelledImportStoresNothing();
    void importsInOneSecondKeepKeysApart();
    void xlsxFromADistributor();
    void farCellUnderAMemoryLimit_data();
    void farCellUnderAMemoryLimit();

    void windowExport_data();
    void windowExport();
    void windowImport_data();
    void windowImport();

private:
    QString path(const QString &name) const { return m_file->folder() + QLatin1Char('/') + name; }
    int entries() { return count(m_file->database(), u"select count(*) from 商品"_qs); }
    QString exportOf(const QString &prefix, const QString &name);

    TestDatabase *m_file = nullptr;
    CatalogueRepository *m_catalogue = nullptr;
    CatalogueTransfer *m_transfer = nullptr;
};

void TestCatalogueImport::init()
{
    m_file = new TestDatabase;
    m_catalogue = new CatalogueRepository(m_file->database());
    m_transfer = new CatalogueTransfer(*m_catalogue);
}

void TestCatalogueImport::cleanup()
{
    delete m_transfer;
    delete m_catalogue;
    delete m_file;
}

QString TestCatalogueImport::exportOf(const QString &prefix, const QString &name)
{
    const QString file = path(name);
    const CatalogueTransfer::Result written = m_transfer->exportCategory(file, prefix);
    if (written.status != CatalogueTransfer::Status::Done)
        qWarning("%s", qPrintable(written.message));
    return file;
}

void TestCatalogueImport::importRules_data()
{
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("initials");
    QTest::addColumn<QString>("searchKey");
    QTest::addColumn<QString>("refusal"); // part of the reason; empty: imported

    const QString herb = u"中药"_qs;
    QTest::newRow("price 12.5") << cells(u"当归"_qs, u"10"_qs, u"g"_qs, {}, u"12.5"_qs, {}, u"dg"_qs, herb)
                                << u"12.500"_qs << u"dg"_qs << u"当归dg12"_qs << QString();
    QTest::newRow("price with blanks around") << cells(u"当归"_qs, u"10"_qs, u"g"_qs, {}, u" 0.35 "_qs, {}, u"dg"_qs, herb)
                                              << u"0.350"_qs << u"dg"_qs << u"当归dg12"_qs << QString();
    QTest::newRow("empty price") << cells(u"当归"_qs, u"10"_qs, u"g"_qs, {}, {}, {}, u"dg"_qs, herb)
                                 << QString() << u"dg"_qs << u"当归dg12"_qs << QString();
    QTest::newRow("empty initials computed") << cells(u"当归"_qs, u"10"_qs, u"g"_qs, {}, u"0.3"_qs, {}, {}, herb)
                                             << u"0.300"_qs << u"dg"_qs << u"当归dg12"_qs << QString();
    QTest::newRow("given initials kept, search key computed")
        << cells(u"辛夷花"_qs, u"10"_qs, u"g"_qs, {}, u"0.8"_qs, u"C7"_qs, u"xh"_qs, herb)
        << u"0.800"_qs << u"xh"_qs << u"辛夷花xyh672"_qs << QString();
    QTest::newRow("braces and outer blanks kept as they are")
        << cells(u"阿胶{烊化}"_qs, u" 10 "_qs, u"g"_qs, {}, u"1.2"_qs, u"A2"_qs, u"aj"_qs, herb)
        << u"1.200"_qs << u"aj"_qs << u"阿胶{烊化}ajyh1372"_qs << QString();
    QTest::newRow("usage term with spaces")
        << cells(u"用法：口服 每日4次"_qs, {}, {}, {}, {}, {}, {}, u"用法"_qs)
        << QString() << u"yfkf"_qs << u"用法：口服 每日4次yfkf7232"_qs << QString();
    QTest::newRow("price that is no number") << cells(u"川芎"_qs, u"10"_qs, u"g"_qs, {}, u"面议"_qs, {}, {}, herb)
                                             << QString() << QString() << QString() << u"“单价”不是数字（“面议”）"_qs;
    QTest::newRow("price with a thousands separator") << cells(u"当归"_qs, u"10"_qs, u"g"_qs, {}, u"1,280.00"_qs, {}, u"dg"_qs, herb)
                                                      << u"1280.000"_qs << u"dg"_qs << u"当归dg12"_qs << QString();
    QTest::newRow("price in full-width digits") << cells(u"当归"_qs, u"10"_qs, u"g"_qs, {}, u"１２．５"_qs, {}, u"dg"_qs, herb)
                                                << u"12.500"_qs << u"dg"_qs << u"当归dg12"_qs << QString();
    QTest::newRow("negative price") << cells(u"川芎"_qs, u"10"_qs, u"g"_qs, {}, u"-5"_qs, {}, {}, herb)
                                    << QString() << QString() << QString() << u"“单价”不能是负数"_qs;
    QTest::newRow("price with a unit") << cells(u"川芎"_qs, u"10"_qs, u"g"_qs, {}, u"5元"_qs, {}, {}, herb)
                                       << QString() << QString() << QString() << u"“单价”不是数字（“5元”）"_qs;
    QTest::newRow("category nobody lists") << cells(u"阿莫西林胶囊"_qs, u"0.25g×24粒"_qs, u"盒"_qs, {}, u"9"_qs, {}, {}, u"西药"_qs)
                                           << QString() << QString() << QString() << u"现在是“西药”"_qs;
    QTest::newRow("subcategory with a full stop") << cells(u"阿莫西林胶囊"_qs, {}, {}, {}, {}, {}, {}, u"西成药.抗生素"_qs)
                                                  << QString() << QString() << QString() << u"“分类”"_qs;
    QTest::newRow("no name") << cells({}, u"10"_qs, u"g"_qs, {}, u"1"_qs, {}, {}, herb)
                             << QString() << QString() << QString() << u"没有药物名称"_qs;
    QTest::newRow("space in a drug name") << cells(u"阿莫西林 胶囊"_qs, {}, {}, {}, {}, {}, {}, u"西成药·抗生素"_qs)
                                          << QString() << QString() << QString() << u"不能有空格"_qs;
    QTest::newRow("dollar in the drawer") << cells(u"川芎"_qs, u"10"_qs, u"g"_qs, {}, {}, u"$1"_qs, {}, herb)
                                          << QString() << QString() << QString() << u"“斗位”中不能有“@”或“$”"_qs;
    QTest::newRow("unit too long") << cells(u"川芎"_qs, u"10"_qs, u"每剂所用的克数（克）"_qs + u"g"_qs, {}, {}, {}, {}, herb)
                                   << QString() << QString() << QString() << u"“单位”的内容超过了10个字符"_qs;
    QTest::newRow("usage too long, named by its heading")
        << cells(u"川芎"_qs, u"10"_qs, u"g"_qs, QString(51, u'次'), {}, {}, {}, herb)
        << QString() << QString() << QString() << u"“用法用量”的内容超过了50个字符"_qs;
}

void TestCatalogueImport::importRules()
{
    QFETCH(QStringList, row);
    QFETCH(QString, price);
    QFETCH(QString, initials);
    QFETCH(QString, searchKey);
    QFETCH(QString, refusal);
    QString why;
    const std::optional<Entry> entry = CatalogueImportRules::entryOf(row, &why);
    if (!refusal.isEmpty()) {
        QVERIFY(!entry);
        QVERIFY2(why.contains(refusal), qPrintable(why));
        return;
    }
    QVERIFY2(entry, qPrintable(why));
    QCOMPARE(entry->price, price);
    QCOMPARE(entry->initials, initials);
    QCOMPARE(entry->searchKey, searchKey);
    // Everything else is copied unchanged.
    QCOMPARE(entry->name, row.at(0));
    QCOMPARE(entry->usualQuantity, row.at(1));
    QCOMPARE(entry->unit, row.at(2));
    QCOMPARE(entry->usage, row.at(3));
    QCOMPARE(entry->drawer, row.at(5));
    QCOMPARE(entry->category, row.at(7));
}

void TestCatalogueImport::sheetRows()
{
    const QStringList good = cells(u"川芎"_qs, u"10"_qs, u"g"_qs, {}, u"0.3"_qs, {}, {}, u"中药"_qs);
    const QStringList blank(8, u"  "_qs);
    const QStringList bad = cells(u"川芎"_qs, u"10"_qs, u"g"_qs, {}, u"三角"_qs, {}, {}, u"中药"_qs);
    // The heading row is never read; blank rows inside the sheet are passed over.
    const CatalogueImportRules::Outcome read = CatalogueImportRules::entries({bad, good, blank, QStringList(), good});
    QCOMPARE(read.refusal, QString());
    QCOMPARE(read.entries.size(), 2);
    QCOMPARE(read.sheetRows, (QList<int>{2, 5}));
    const CatalogueImportRules::Outcome refused = CatalogueImportRules::entries({good, good, blank, bad, good});
    QVERIFY2(refused.refusal.startsWith(u"第4行："_qs), qPrintable(refused.refusal));
    QVERIFY(refused.entries.isEmpty());
    QCOMPARE(CatalogueImportRules::entries({CatalogueImportRules::headings()}).entries.size(), 0);
}

void TestCatalogueImport::exportPath_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << u"/备份/中药"_qs << u"/备份/中药.xls"_qs;
    QTest::newRow("already .xls") << u"/备份/中药.xls"_qs << u"/备份/中药.xls"_qs;
    QTest::newRow("upper case") << u"/备份/中药.XLS"_qs << u"/备份/中药.XLS"_qs;
    QTest::newRow("another extension") << u"/备份/中药.xlsx"_qs << u"/备份/中药.xlsx.xls"_qs;
}

void TestCatalogueImport::exportPath()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QCOMPARE(CatalogueTransfer::exportPath(chosen), written);
}

void TestCatalogueImport::roundTripKeepsEveryField()
{
    // Beside the seed rows, values a spreadsheet program likes to change: a number-like
    // 常用量 with a leading zero, initials with digits, an empty price, a long usage.
    const QList<Entry> unusual = {
        {{}, u"鹿角胶{烊化}"_qs, u"010"_qs, u"g"_qs, u"2.000"_qs, u"ljj"_qs, {}, u"中药"_qs, u"A10"_qs, u"鹿角胶[烊化]ljjyh"_qs},
        {{}, u"0.9%氯化钠注射液"_qs, u"250ml×1瓶"_qs, u"瓶"_qs, {}, u"09lhnzsy"_qs, u"250ml 每日1次 静脉滴注"_qs, u"西成药·输液"_qs, {}, u"x"_qs},
        {{}, u"布洛芬缓释胶囊"_qs, u"0.3g × 20粒"_qs, u"粒"_qs, u"123456.789"_qs, u"blfhsjn"_qs, QString(50, u'服'), u"西成药·解热镇痛"_qs, {}, u"x"_qs},
        {{}, u"用法：口服 每晚1次"_qs, {}, {}, {}, u"yfkf"_qs, {}, u"用法"_qs, {}, u"x"_qs},
    };
    for (Entry entry : unusual)
        QVERIFY(m_catalogue->add(entry).ok);
    const QList<QStringList> before = exportedFields(*m_catalogue, u""_qs);
    const QString file = exportOf(u""_qs, u"全部.xls"_qs);
    QVERIFY(m_catalogue->clear(u""_qs).ok);
    QCOMPARE(entries(), 0);

    const CatalogueTransfer::Result imported = m_transfer->importFile(file, ImportTime);
    QCOMPARE(imported.message, QString());
    QCOMPARE(imported.count, before.size());
    QCOMPARE(exportedFields(*m_catalogue, u""_qs), before);
    const QStringList keys = column(m_file->database(), u"select \"ID号\" from 商品 order by rowid"_qs);
    QCOMPARE(keys.first(), u"202406030915421001"_qs);
    QCOMPARE(keys.at(1), u"202406030915421002"_qs);
    QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
    for (const QString &key : keys)
        QCOMPARE(key.size(), 18);
    // The search key reads the stored name, braces included.
    QCOMPARE(column(m_file->database(), u"select 查询 from 商品 where 名称 = '鹿角胶{烊化}'"_qs),
             QStringList{u"鹿角胶{烊化}"_qs + pinyinInitials(u"鹿角胶{烊化}"_qs) + initialsDigitCode(pinyinInitials(u"鹿角胶{烊化}"_qs))});
    QCOMPARE(count(m_file->database(), u"select count(*) from 商品 where 备用1 = ''"_qs), keys.size());
}

void TestCatalogueImport::herbsExportedAndImportedAgainAreDoubled()
{
    const QString file = exportOf(u"中药"_qs, u"中药.xls"_qs);
    const int before = entries();
    const CatalogueTransfer::Result imported = m_transfer->importFile(file, ImportTime);
    QCOMPARE(imported.count, 304);
    QCOMPARE(entries(), before + 304);
    QCOMPARE(count(m_file->database(), u"select count(*) from 商品 where 分类 = '中药'"_qs), 608);
    QCOMPARE(count(m_file->database(), u"select count(*) from 商品 where \"ID号\" like '20240603091542____'"_qs), 304);
    // Every herb has its copy with the same fields.
    QCOMPARE(count(m_file->database(), u"select count(*) from (select 1 from 商品 where 分类 = '中药' "
                                       "group by 名称, 常用量, 单位, 单价, 斗位, 拼音 having count(*) % 2 = 1)"_qs),
             0);
}

void TestCatalogueImport::writtenFileReadByIndependentReaders()
{
    Entry special{{}, u"阿莫西林克拉维酸钾片{7:1}"_qs, u"0.375g×12片"_qs, u"片"_qs, u"12.500"_qs, u"amxlklwsjp"_qs,
                  u"1片 每日3次 口服"_qs, u"西成药·抗生素"_qs, {}, u"x"_qs};
    QVERIFY(m_catalogue->add(special).ok);
    const QList<QStringList> expected = QList<QStringList>{CatalogueImportRules::headings()}
                                        + exportedFields(*m_catalogue, u"西成药·抗生素"_qs);
    const QString file = exportOf(u"西成药·抗生素"_qs, u"抗生素.xls"_qs);

    const FreeXlSheet sheet = readWithFreeXl(file);
    QCOMPARE(sheet.status, FREEXL_OK);
    QCOMPARE(int(sheet.rows), expected.size());
    QCOMPARE(int(sheet.columns), 8);
    for (int row = 0; row < expected.size(); ++row) {
        for (int columnIndex = 0; columnIndex < 8; ++columnIndex) {
            const QString text = expected.at(row).at(columnIndex);
            const QVariant read = sheet.cells.value({row, columnIndex});
            // Prices are numbers, so the spreadsheet sorts and computes with them.
            if (row > 0 && columnIndex == 4 && !text.isEmpty()) {
                QCOMPARE(read.typeId(), int(QMetaType::Double));
                QCOMPARE(read.toDouble(), text.toDouble());
            } else {
                QCOMPARE(read.toString(), text);
            }
        }
    }

    const QString python = pythonWithXlrd();
    if (python.isEmpty())
        QSKIP("python3 with xlrd (Debian python3-xlrd) is not installed");
    QProcess process;
    process.start(python, {QFINDTESTDATA("spreadsheet/xlrd_cells.py"), file});
    QVERIFY(process.waitForFinished(120000));
    QCOMPARE(process.exitCode(), 0);
    const QJsonObject read = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    QCOMPARE(read.value(u"warnings"_qs).toString(), QString());
    int boldCells = 0;
    for (const QJsonValue &value : read.value(u"cells"_qs).toArray()) {
        const QJsonObject cell = value.toObject();
        QCOMPARE(cell.value(u"bold"_qs).toBool(), cell.value(u"row"_qs).toInt() == 0);
        boldCells += cell.value(u"bold"_qs).toBool();
    }
    QCOMPARE(boldCells, 8);
    // Each column as wide as its widest text (2 per Chinese character) and a little more.
    const QJsonObject widths = read.value(u"columnWidths"_qs).toObject();
    for (int columnIndex = 0; columnIndex < 8; ++columnIndex) {
        int widest = 0;
        for (const QStringList &row : expected)
            widest = qMax(widest, XlsWorkbookWriter::displayWidth(row.at(columnIndex)));
        const int width = widths.value(QString::number(columnIndex)).toInt();
        QVERIFY2(width >= widest * 256 && width <= (widest + 4) * 256,
                 qPrintable(u"column %1: %2 for %3 characters"_qs.arg(columnIndex).arg(width).arg(widest)));
    }
}

void TestCatalogueImport::headingOnlySheetImportsNothing()
{
    QVERIFY(m_catalogue->clear(u"收费项目"_qs).ok);
    const QString file = exportOf(u"收费项目"_qs, u"收费项目.xls"_qs);
    QCOMPARE(int(readWithFreeXl(file).rows), 1);
    const int before = entries();
    const CatalogueTransfer::Result imported = m_transfer->importFile(file, ImportTime);
    QCOMPARE(int(imported.status), int(CatalogueTransfer::Status::Done));
    QCOMPARE(imported.count, 0);
    QCOMPARE(entries(), before);
}

void TestCatalogueImport::damagedFileImportsNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    TestDatabase source;
    CatalogueRepository catalogue(source.database());
    CatalogueTransfer transfer(catalogue);
    const QString good = source.folder() + u"/好.xls"_qs;
    QVERIFY(transfer.exportCategory(good, u"中药"_qs).status == CatalogueTransfer::Status::Done);
    const QByteArray xls = readTestFile(good);
    QVERIFY(xls.size() > 4096);
    QByteArray zeroedHeader = xls;
    zeroedHeader.replace(0, 512, QByteArray(512, '\0'));
    QByteArray scrambled = xls;
    for (qsizetype at = 600; at < 600 + 256; ++at)
        scrambled[at] = char(~scrambled.at(at));
    QByteArray oleOnly = xls.left(8) + QByteArray(2000, '\x5a');
    QTest::newRow("cut in half") << u"截断.xls"_qs << xls.left(xls.size() / 2);
    QTest::newRow("only the container header") << u"只有头.xls"_qs << xls.left(512);
    QTest::newRow("header zeroed") << u"坏头.xls"_qs << zeroedHeader;
    QTest::newRow("records scrambled") << u"乱码.xls"_qs << scrambled;
    QTest::newRow("signature then noise") << u"杂讯.xls"_qs << oleOnly;
    QTest::newRow("empty file") << u"空.xls"_qs << QByteArray();
    QTest::newRow("web page named .xls") << u"网页.xls"_qs << QByteArrayLiteral("<html><table><tr><td>药</td></tr></table></html>");
    QTest::newRow("zip cut short named .xlsx") << u"截断.xlsx"_qs << QByteArrayLiteral("PK\x03\x04\x14\x00\x00\x00\x08\x00");
}

void TestCatalogueImport::damagedFileImportsNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString file = path(name);
    QVERIFY(writeTestFile(file, content));
    const int before = entries();
    const CatalogueTransfer::Result imported = m_transfer->importFile(file, ImportTime);
    QCOMPARE(int(imported.status), int(CatalogueTransfer::Status::Failed));
    QVERIFY2(imported.message.startsWith(u"导入失败，没有导入任何项目。"_qs), qPrintable(imported.message));
    QVERIFY2(imported.message.contains(name), qPrintable(imported.message));
    QCOMPARE(entries(), before);
}

void TestCatalogueImport::refusedRowImportsNothing_data()
{
    QTest::addColumn<QString>("badCategory");
    QTest::addColumn<QStringList>("trigger");
    QTest::addColumn<QString>("message");
    QTest::newRow("row the rules refuse") << u"西药"_qs << QStringList() << u"第4行：“分类”"_qs;
    // The database itself refuses the third entry, after two were stored in the transaction.
    const QStringList trigger = testsOnServer()
        ? QStringList{u"create function refuse() returns trigger language plpgsql as $$ begin if new.名称 = '乙' then "
                      "raise exception 'refused'; end if; return new; end $$"_qs,
                      u"create trigger refuse before insert on 商品 for each row execute function refuse()"_qs}
        : QStringList{u"create trigger refuse before insert on 商品 when new.名称 = '乙' begin select raise(abort, 'refused'); end"_qs};
    QTest::newRow("row the database refuses") << u"中药"_qs << trigger << u"没有导入任何项目。\n第4行：数据库拒绝了这次操作。"_qs;
}

void TestCatalogueImport::refusedRowImportsNothing()
{
    QFETCH(QString, badCategory);
    QFETCH(QStringList, trigger);
    QFETCH(QString, message);
    XlsWorkbookWriter sheet;
    const QList<QStringList> rows = {CatalogueImportRules::headings(),
                                     cells(u"甲"_qs, u"10"_qs, u"g"_qs, {}, u"1"_qs, {}, {}, u"中药"_qs),
                                     cells(u"丙"_qs, u"10"_qs, u"g"_qs, {}, u"1"_qs, {}, {}, u"中药"_qs),
                                     cells(u"乙"_qs, u"10"_qs, u"g"_qs, {}, u"1"_qs, {}, {}, badCategory),
                                     cells(u"丁"_qs, u"10"_qs, u"g"_qs, {}, u"1"_qs, {}, {}, u"中药"_qs)};
    for (int row = 0; row < rows.size(); ++row) {
        for (int columnIndex = 0; columnIndex < 8; ++columnIndex)
            sheet.setText(row, columnIndex, rows.at(row).at(columnIndex));
    }
    const QString file = path(u"供应商.xls"_qs);
    QVERIFY(sheet.save(file).ok);
    for (const QString &statement : trigger)
        QVERIFY(m_file->database().exec(statement).ok);
    const int before = entries();
    const CatalogueTransfer::Result imported = m_transfer->importFile(file, ImportTime);
    QCOMPARE(int(imported.status), int(CatalogueTransfer::Status::Failed));
    QVERIFY2(imported.message.contains(message), qPrintable(imported.message));
    QCOMPARE(entries(), before);
    // Nothing is left locked: the next write goes through.
    Entry entry{{}, u"戊"_qs, {}, {}, {}, u"w"_qs, {}, u"中药"_qs, {}, u"戊w"_qs};
    QVERIFY(m_catalogue->add(entry).ok);
}

void TestCatalogueImport::cancelledImportStoresNothing()
{
    const QString file = exportOf(u"西成药·"_qs, u"西药.xls"_qs);
    const int before = entries();
    QList<int> seen;
    const CatalogueTransfer::Result imported = m_transfer->importFile(file, ImportTime, [&seen](int done, int total) {
        seen.append(total);
        return done < 100;
    });
    QCOMPARE(int(imported.status), int(CatalogueTransfer::Status::Cancelled));
    QCOMPARE(seen.size(), 100);
    QCOMPARE(seen.first(), 480);
    QCOMPARE(entries(), before);
}

void TestCatalogueImport::importsInOneSecondKeepKeysApart()
{
    const QString file = exportOf(u"用法"_qs, u"用法.xls"_qs);
    QCOMPARE(m_transfer->importFile(file, ImportTime).count, 10);
    QCOMPARE(m_transfer->importFile(file, ImportTime).count, 10);
    const QStringList keys = column(m_file->database(), u"select \"ID号\" from 商品 where 分类 = '用法' and length(\"ID号\") = 18 "
                                                        "and \"ID号\" like '202406030915%' order by \"ID号\""_qs);
    QCOMPARE(keys.size(), 20);
    QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), 20);
    QCOMPARE(keys.first(), u"202406030915421001"_qs);
    QCOMPARE(keys.last(), u"202406030915431010"_qs);
}

void TestCatalogueImport::xlsxFromADistributor()
{
    const QString file = path(u"供应商药品.xlsx"_qs);
    QVERIFY(writeDistributorXlsx(file));
    const CatalogueTransfer::Result imported = m_transfer->importFile(file, ImportTime);
    QCOMPARE(imported.message, QString());
    QCOMPARE(imported.count, 2);
    QCOMPARE(column(m_file->database(), u"select 名称 || '|' || 常用量 || '|' || 单位 || '|' || 单价 || '|' || 斗位 || '|' || 拼音 "
                                         "|| '|' || 分类 from 商品 where \"ID号\" like '20240603091542%' order by \"ID号\""_qs),
             (QStringList{u"蒲地蓝消炎片|0.3g×48片|盒|18.500||pdlxyp|西成药·中成药"_qs, u"金银花|10|g|0.350|B4|jyh|中药"_qs}));
}

void TestCatalogueImport::farCellUnderAMemoryLimit_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("refusal");
    // Right of the eight columns the import uses: never stored, the sheet is only its heading.
    QTest::newRow("last cell of the format") << u"XFD1048576"_qs << QString();
    QTest::newRow("first column, last row") << u"A1048576"_qs << u"超过100001行"_qs;
}

void TestCatalogueImport::farCellUnderAMemoryLimit()
{
    QFETCH(QString, reference);
    QFETCH(QString, refusal);
    const QString file = path(u"远.xlsx"_qs);
    QVERIFY(writeFarCellXlsx(file, reference));
    QVERIFY(QFileInfo(file).size() < 4096);
    const int before = entries();
    const qint64 inUse = addressSpaceInUse();
    QVERIFY(inUse > 0);
    // The import runs in a child process that may take 256 MB more than the test already has: a
    // file's declared size must not decide the memory (padding every row to the format's last
    // column took gigabytes).
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        const rlimit limit{rlim_t(inUse + 256LL * 1024 * 1024), rlim_t(inUse + 256LL * 1024 * 1024)};
        setrlimit(RLIMIT_AS, &limit);
        const CatalogueTransfer::Result imported = m_transfer->importFile(file, ImportTime);
        const bool expected = refusal.isEmpty() ? imported.status == CatalogueTransfer::Status::Done && imported.count == 0
                                                : imported.status == CatalogueTransfer::Status::Failed && imported.message.contains(refusal);
        if (!expected)
            std::fprintf(stderr, "import gave: %s\n", qPrintable(imported.message));
        _exit(expected ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status), "the import was killed (out of memory?)");
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(entries(), before);
}

void TestCatalogueImport::windowExport_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("name without extension") << u"中药备份"_qs << u"中药备份.xls"_qs << QStringList{u"文件导出成功！"_qs};
    QTest::newRow("name with extension") << u"中药备份.xls"_qs << u"中药备份.xls"_qs << QStringList{u"文件导出成功！"_qs};
    QTest::newRow("cancelled") << QString() << QString() << QStringList();
    QTest::newRow("folder that does not exist") << u"没有这个文件夹/中药"_qs << QString() << QStringList{u"导出失败"_qs};
}

void TestCatalogueImport::windowExport()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(QStringList, messages);
    ScriptedFiles files;
    files.saveAnswer = chosen.isEmpty() ? QString() : path(chosen);
    CatalogueWindow window(*m_catalogue, files);
    window.show();
    window.findChild<QRadioButton *>(u"中药"_qs)->click();
    MessageBoxCatcher catcher;
    window.findChild<QPushButton *>(u"导出到Excel"_qs)->click();
    QCOMPARE(files.asked, QStringList{u"另存为|Excel文件 (*.xls)"_qs});
    QCOMPARE(catcher.texts().size(), messages.size());
    for (int i = 0; i < messages.size(); ++i)
        QVERIFY2(catcher.texts().at(i).startsWith(messages.at(i)), qPrintable(catcher.texts().at(i)));
    const QStringList workbooks = QDir(m_file->folder()).entryList({u"*.xls"_qs});
    QCOMPARE(workbooks, written.isEmpty() ? QStringList() : QStringList{written});
    if (!written.isEmpty())
        QCOMPARE(int(readWithFreeXl(path(written)).rows), 305);
}

void TestCatalogueImport::windowImport_data()
{
    QTest::addColumn<bool>("damaged");
    QTest::newRow("good file") << false;
    QTest::newRow("damaged file") << true;
}

void TestCatalogueImport::windowImport()
{
    QFETCH(bool, damaged);
    const QString file = exportOf(u"收费项目"_qs, u"收费.xls"_qs);
    if (damaged)
        QVERIFY(writeTestFile(file, readTestFile(file).left(3000)));
    ScriptedFiles files;
    files.openAnswer = file;
    CatalogueWindow window(*m_catalogue, files);
    window.show();
    window.findChild<QRadioButton *>(u"收费项目"_qs)->click();
    MessageBoxCatcher catcher;
    window.findChild<QPushButton *>(u"导入"_qs)->click();
    QCOMPARE(files.asked, QStringList{u"打开|Microsoft Excel 工作簿(*.xls);;Excel 2007及以上工作簿(*.xlsx)|"_qs
                                      + QCoreApplication::applicationDirPath()});
    // A good import says nothing and shows its entries; a damaged file says why and adds none.
    QCOMPARE(catcher.texts().size(), damaged ? 1 : 0);
    if (damaged)
        QVERIFY2(catcher.texts().first().contains(u"收费.xls"_qs), qPrintable(catcher.texts().first()));
    QCOMPARE(window.results().size(), damaged ? 6 : 12);
}

QTEST_MAIN(TestCatalogueImport)
#include "tst_catalogueimport.moc"
