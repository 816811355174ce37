#include "spreadsheetfixtures.h"
#include "testdatabase.h"
#include "xlrdscript.h"

#include <QJsonObject>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>

#include "data/database.h"
#include "data/databaseupgrade.h"
#include "data/outpatientlogrepository.h"
#include "data/sqldialect.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"
#include "data/tables.h"
#include "data/usagestatisticsrepository.h"
#include "data/workloadrepository.h"
#include "print/recordingcanvas.h"
#include "print/units.h"
#include "reports/outpatientlogbook.h"
#include "reports/reportexport.h"
#include "reports/usagestatistics.h"
#include "reports/usagestatisticscalculator.h"
#include "reports/workloadsummary.h"
#include "spreadsheet/spreadsheetreader.h"

using Visit = OutpatientLogRepository::Visit;
using Total = UsageStatisticsRepository::Total;

namespace {

// One archived prescription: its key, date and the header fields the reports read.
struct Prescription
{
    QString id;
    QString date;
    QString name;
    QString total;
};

WriteResult addPrescriptions(Database &db, const QList<Prescription> &prescriptions)
{
    SqlTransaction guard(db);
    if (!guard.isActive())
        return guard.begun();
    for (const Prescription &p : prescriptions) {
        const WriteResult written = db.insert(SqlRow(Tables::archive())
                                                  .set(u"序号"_qs, p.id)
                                                  .set(u"0"_qs, p.name)
                                                  .set(u"1"_qs, u"男"_qs)
                                                  .set(u"2"_qs, u"35岁"_qs)
                                                  .set(u"4"_qs, u"城关镇 13800000000"_qs)
                                                  .set(u"5"_qs, p.date)
                                                  .set(u"6"_qs, u"上呼吸道感染"_qs)
                                                  .set(u"16"_qs, p.total));
        if (!written.ok)
            return written;
    }
    return guard.commit();
}

// Visits numbered from 1, all on one day.
QList<Visit> numberedVisits(int count)
{
    QList<Visit> visits;
    for (int i = 1; i <= count; ++i)
        visits.append({u"患者%1"_qs.arg(i), u"女"_qs, u"40岁"_qs, u"高血压病"_qs, u"北街"_qs, u"2024-02-01"_qs});
    return visits;
}

// One settled line of 统计.
struct Settled
{
    QString name;
    QString quantity;
    QString unit;
    QString amount;
    QString category;
    QString date;
};

WriteResult addSettled(Database &stats, const QList<Settled> &lines)
{
    SqlTransaction guard(stats);
    if (!guard.isActive())
        return guard.begun();
    int id = 0;
    for (const Settled &line : lines) {
        SqlRow row(Tables::statistics());
        row.set(u"ID号"_qs, u"A2024%1"_qs.arg(++id, 9, 10, QLatin1Char('0')))
            .set(u"名称"_qs, line.name)
            .set(u"数量"_qs, line.quantity)
            .set(u"单位"_qs, line.unit)
            .set(u"金额"_qs, line.amount)
            .set(u"分类"_qs, line.category)
            .set(u"日期"_qs, line.date);
        const WriteResult written = stats.insert(row);
        if (!written.ok)
            return written;
    }
    return guard.commit();
}

QStringList describe(const QList<Total> &totals)
{
    QStringList lines;
    for (const Total &t : totals) {
        lines.append(QStringList{t.name, t.unit, t.quantity ? t.quantity->toShortest() : u"null"_qs,
                                 t.amount ? t.amount->toShortest() : u"null"_qs}
                         .join(u'|'));
    }
    return lines;
}

QStringList texts(const RecordingCanvas &canvas, int page)
{
    QStringList found;
    for (const RecordingCanvas::Text &text : canvas.texts()) {
        if (text.page == page)
            found.append(text.text);
    }
    return found;
}

// The workload of the range over six prescriptions round the end of January 2024, whose totals
// are a plain amount, a whole number, empty, a word, a number with a unit, and 100.
WorkloadSummary sixPrescriptionsWorkload(const QString &from, const QString &to)
{
    TestDatabase file;
    const WriteResult added = addPrescriptions(file.database(), {{u"P1"_qs, u"2024-01-31"_qs, u"甲"_qs, u"12.50"_qs},
                                       {u"P2"_qs, u"2024-01-31"_qs, u"乙"_qs, u"3"_qs},
                                       {u"P3"_qs, u"2024-01-31"_qs, u"丙"_qs, u""_qs},
                                       {u"P4"_qs, u"2024-02-01"_qs, u"丁"_qs, u"免费"_qs},
                                       {u"P5"_qs, u"2024-02-02"_qs, u"戊"_qs, u"20.8元"_qs},
                                       {u"P6"_qs, u"2024-01-30"_qs, u"己"_qs, u"100"_qs}});
    if (!added.ok)
        qFatal("%s", qPrintable(added.fullText()));
    WorkloadRepository repository(file.database());
    return WorkloadSummary::calculate(repository, from, to);
}

// Row formats ("bold size height" by row) and column widths of an .xls file as xlrd reads them;
// nothing when the script fails (or Debian's python3 with xlrd is missing).
std::optional<QJsonObject> xlsFormats(const QString &path)
{
    return runXlrdScript(QFINDTESTDATA("reports/xlrd_formats.py"), path);
}

QString rowFormat(const QJsonObject &formats, int row)
{
    const QJsonObject format = formats.value(u"rows"_qs).toObject().value(QString::number(row)).toObject();
    return u"%1 %2 %3"_qs.arg(format.value(u"bold"_qs).toBool() ? u"bold"_qs : u"plain"_qs)
        .arg(format.value(u"size"_qs).toDouble())
        .arg(format.value(u"height"_qs).toDouble());
}

} // namespace

// The outpatient log, the workload figures and the drug-usage statistics over real database
// files: what the queries find, how sums are made exact, and how the log book is laid out.
class TestReports : public QObject
{
    Q_OBJECT

private slots:
    void sumsInTheDatabaseAreExact_data();
    void sumsInTheDatabaseAreExact();
    void logRangeIsInclusiveAndInSavedOrder_data();
    void logRangeIsInclusiveAndInSavedOrder();
    void logReadsTheHeaderFields();
    void logLimit_data();
    void logLimit();
    void logBookPages_data();
    void logBookPages();
    void logBookMargins_data();
    void logBookMargins();
    void logBookPageDecoration();
    void exportFileName_data();
    void exportFileName();
    void logBookExportReadsBack();
    void usageExportReadsBack();
    void exportedCellTypes_data();
    void exportedCellTypes();

    void workloadResultLine_data();
    void workloadResultLine();
    void workloadBars_data();
    void workloadBars();

    void usageRangeCheck_data();
    void usageRangeCheck();
    void usageLines_data();
    void usageLines();
    void usageTotals_data();
    void usageTotals();
    void groupedEqualsPerName();
    void calculatorRunsOnItsOwnConnection();

    void indexesAddedToOlderFiles();
};

void TestReports::logRangeIsInclusiveAndInSavedOrder_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("both ends included across the month end") << u"2024-01-30"_qs << u"2024-02-01"_qs
                                                             << QStringList{u"一月三十"_qs, u"一月卅一早"_qs, u"一月卅一晚"_qs, u"二月一"_qs};
    QTest::newRow("one day") << u"2024-01-31"_qs << u"2024-01-31"_qs << QStringList{u"一月卅一早"_qs, u"一月卅一晚"_qs};
    QTest::newRow("whole fixture") << u"2024-01-01"_qs << u"2024-02-29"_qs
                                   << QStringList{u"一月廿九"_qs, u"一月三十"_qs, u"一月卅一早"_qs, u"一月卅一晚"_qs, u"二月一"_qs,
                                                  u"二月二"_qs};
    QTest::newRow("to before from finds nothing") << u"2024-02-01"_qs << u"2024-01-30"_qs << QStringList{};
    QTest::newRow("no visits in range") << u"2024-03-01"_qs << u"2024-03-31"_qs << QStringList{};
}

void TestReports::logRangeIsInclusiveAndInSavedOrder()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QStringList, names);
    TestDatabase file;
    // Saved out of date order: the log follows the keys, which are the save times.
    QVERIFY(addPrescriptions(file.database(), {{u"P20240131180000"_qs, u"2024-01-31"_qs, u"一月卅一晚"_qs, {}},
                                       {u"P20240202090000"_qs, u"2024-02-02"_qs, u"二月二"_qs, {}},
                                       {u"P20240129090000"_qs, u"2024-01-29"_qs, u"一月廿九"_qs, {}},
                                       {u"P20240131080000"_qs, u"2024-01-31"_qs, u"一月卅一早"_qs, {}},
                                       {u"P20240201090000"_qs, u"2024-02-01"_qs, u"二月一"_qs, {}},
                                       {u"P20240130090000"_qs, u"2024-01-30"_qs, u"一月三十"_qs, {}}}).ok);
    OutpatientLogRepository log(file.database());
    const OutpatientLogRepository::Read read = log.visits(*ReportDateRange::parseDate(from), *ReportDateRange::parseDate(to));
    QVERIFY(read.ok());
    QStringList found;
    for (const Visit &visit : read.visits)
        found.append(visit.name);
    QCOMPARE(found, names);
}

void TestReports::logReadsTheHeaderFields()
{
    TestDatabase file;
    QVERIFY(file.database()
                .insert(SqlRow(Tables::archive())
                            .set(u"序号"_qs, u"P20240105101010"_qs)
                            .set(u"0"_qs, u"王'小明"_qs)
                            .set(u"1"_qs, u"男"_qs)
                            .set(u"2"_qs, u"8岁"_qs)
                            .set(u"3"_qs, u"儿科"_qs)
                            .set(u"4"_qs, u"东街3号 13912345678"_qs)
                            .set(u"5"_qs, u"2024-01-05"_qs)
                            .set(u"6"_qs, u"急性咽炎"_qs)
                            .set(u"7"_qs, u"李医生"_qs))
                .ok);
    const OutpatientLogRepository::Read read = OutpatientLogRepository(file.database()).visits(QDate(2024, 1, 1), QDate(2024, 1, 31));
    QCOMPARE(read.visits.size(), 1);
    const Visit &visit = read.visits.first();
    QCOMPARE((QStringList{visit.name, visit.sex, visit.age, visit.diagnosis, visit.address, visit.date}),
             (QStringList{u"王'小明"_qs, u"男"_qs, u"8岁"_qs, u"急性咽炎"_qs, u"东街3号 13912345678"_qs, u"2024-01-05"_qs}));
}

void TestReports::logLimit_data()
{
    QTest::addColumn<int>("visits");
    QTest::addColumn<bool>("tooMany");
    QTest::newRow("30000 are shown") << 30000 << false;
    QTest::newRow("30001 are too many") << 30001 << true;
}

void TestReports::logLimit()
{
    QFETCH(int, visits);
    QFETCH(bool, tooMany);
    TestDatabase file;
    QList<Prescription> rows;
    for (int i = 0; i < visits; ++i)
        rows.append({u"P%1"_qs.arg(i, 14, 10, QLatin1Char('0')), QDate(2024, 1, 1).addDays(i % 31).toString(Qt::ISODate),
                     u"患者"_qs, {}});
    QVERIFY(addPrescriptions(file.database(), rows).ok);
    const OutpatientLogRepository::Read read = OutpatientLogRepository(file.database()).visits(QDate(2024, 1, 1), QDate(2024, 1, 31), 30000);
    QVERIFY(read.ok());
    QCOMPARE(read.tooMany, tooMany);
    QCOMPARE(read.visits.size(), tooMany ? 0 : visits);
    // Print and export take every visit.
    QCOMPARE(OutpatientLogRepository(file.database()).visits(QDate(2024, 1, 1), QDate(2024, 1, 31)).visits.size(), visits);
}

void TestReports::logBookPages_data()
{
    QTest::addColumn<int>("visits");
    QTest::addColumn<int>("pages");
    QTest::newRow("none prints nothing") << 0 << 0;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("14 fill one page") << 14 << 1;
    QTest::newRow("the 15th starts page 2") << 15 << 2;
    QTest::newRow("28 fill two") << 28 << 2;
    QTest::newRow("29") << 29 << 3;
}

void TestReports::logBookPages()
{
    QFETCH(int, visits);
    QFETCH(int, pages);
    RecordingCanvas canvas;
    canvas.run([&](PrinterCanvas &c) { OutpatientLogBook::draw(c, numberedVisits(visits), {{10, 10}, u"张医师"_qs}); });
    QCOMPARE(canvas.pages().size(), pages);
    for (const RecordingCanvas::Page &page : canvas.pages())
        QCOMPARE(page.orientation, QPageLayout::Landscape);
    for (int page = 1; page <= pages; ++page) {
        const QStringList onPage = texts(canvas, page);
        QCOMPARE(onPage.count(u"门 诊 日 志 登 记 本"_qs), 1);
        QVERIFY(onPage.contains(u"第 %1 页"_qs.arg(page)));
        QVERIFY(onPage.contains(u"医师：张医师"_qs));
        const int expected = qMin(OutpatientLogBook::VisitsPerPage, visits - (page - 1) * OutpatientLogBook::VisitsPerPage);
        QCOMPARE(onPage.filter(u"患者"_qs).size(), expected);
        // Title rule (2), table rows (16) and columns (8) on every page.
        int lines = 0;
        for (const RecordingCanvas::Line &line : canvas.lines())
            lines += line.page == page;
        QCOMPARE(lines, 26);
    }
    if (visits >= 15) {
        // The 15th visit opens page 2 on the first text line.
        const RecordingCanvas::Text *fifteenth = canvas.findText(u"患者15"_qs);
        QVERIFY(fifteenth);
        QCOMPARE(fifteenth->page, 2);
        QCOMPARE(fifteenth->at, QPointF(2, 28));
        QCOMPARE(canvas.findText(u"患者14"_qs)->at, QPointF(2, 28 + 13 * 10));
    }
    // The canvas is left in twips at its own origin.
    QCOMPARE(canvas.units(), PrinterCanvas::Units::Twips);
    QCOMPARE(canvas.scaleLeft(), 0.0);
}

void TestReports::logBookMargins_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("top");
    QTest::addColumn<double>("tableLeftMm");
    QTest::addColumn<double>("titleTopMm");
    QTest::newRow("10 and 10: title at the top edge") << u"10"_qs << u"10"_qs << 10.0 << 0.0;
    QTest::newRow("top 20 moves down 10 mm") << u"10"_qs << u"20"_qs << 10.0 << 10.0;
    QTest::newRow("left 25.5") << u"25.5"_qs << u"10"_qs << 25.5 << 0.0;
    QTest::newRow("no number counts as 0") << u"左"_qs << u""_qs << 0.0 << -10.0;
}

void TestReports::logBookMargins()
{
    QFETCH(QString, left);
    QFETCH(QString, top);
    QFETCH(double, tableLeftMm);
    QFETCH(double, titleTopMm);
    RecordingCanvas canvas;
    canvas.run([&](PrinterCanvas &c) { OutpatientLogBook::draw(c, numberedVisits(1), {Margins::fromTexts(left, top), QString()}); });
    const RecordingCanvas::Text *title = canvas.findText(u"门 诊 日 志 登 记 本"_qs);
    QVERIFY(title);
    QCOMPARE(title->atTwips.y(), titleTopMm * TwipsPerMillimetre);
    QCOMPARE(title->atTwips.x(), (90 + tableLeftMm) * TwipsPerMillimetre);
    const RecordingCanvas::Line &firstRule = canvas.lines().at(2);
    QCOMPARE(firstRule.fromTwips, QPointF(tableLeftMm * TwipsPerMillimetre, (15 + titleTopMm) * TwipsPerMillimetre));
}

void TestReports::logBookPageDecoration()
{
    RecordingCanvas canvas;
    canvas.run([&](PrinterCanvas &c) { OutpatientLogBook::draw(c, numberedVisits(1), {{10, 10}, u"张医师"_qs}); });
    const QList<QPair<QString, QPointF>> placed = {
        {u"门 诊 日 志 登 记 本"_qs, {90, 0}}, {u"姓    名"_qs, {2, 18}},       {u"性别"_qs, {26, 18}},
        {u"年龄"_qs, {36, 18}},                {u"诊             断"_qs, {55, 18}}, {u"住       址\\电      话"_qs, {110, 18}},
        {u"就诊日期"_qs, {180, 18}},           {u"备    注"_qs, {215, 18}},     {u"医师：张医师"_qs, {0, 166}},
        {u"第 1 页"_qs, {240, 166}},           {u"患者1"_qs, {2, 28}},         {u"女"_qs, {27, 28}},
        {u"40岁"_qs, {37, 28}},                {u"高血压病"_qs, {50, 28}},     {u"北街"_qs, {102, 28}},
        {u"2024-02-01"_qs, {172, 28}},
    };
    for (const auto &[text, at] : placed) {
        const RecordingCanvas::Text *found = canvas.findText(text);
        QVERIFY2(found, qPrintable(text));
        QCOMPARE(found->at, at);
        QCOMPARE(found->font.name, u"宋体"_qs);
        QCOMPARE(found->font.pointSize, text.startsWith(u"门 诊"_qs) ? 26.0 : 11.0);
        QCOMPARE(found->font.bold, text.startsWith(u"门 诊"_qs));
    }
    QList<double> verticals;
    for (const RecordingCanvas::Line &line : canvas.lines()) {
        QCOMPARE(line.drawWidth, 1);
        if (line.from.x() == line.to.x())
            verticals.append(line.from.x());
    }
    QCOMPARE(verticals, (QList<double>{0, 25, 35, 47, 100, 170, 208, 260}));
}

void TestReports::exportFileName_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("extension added") << u"/tmp/日志"_qs << u"/tmp/日志.xls"_qs;
    QTest::newRow("extension kept once") << u"/tmp/日志.xls"_qs << u"/tmp/日志.xls"_qs;
    QTest::newRow("in capitals") << u"/tmp/日志.XLS"_qs << u"/tmp/日志.XLS"_qs;
    QTest::newRow("another extension") << u"/tmp/日志.xlsx"_qs << u"/tmp/日志.xlsx.xls"_qs;
    QTest::newRow("blanks trimmed") << u" /tmp/日志 "_qs << u"/tmp/日志.xls"_qs;
}

void TestReports::exportFileName()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QCOMPARE(ReportExport::fileName(chosen), written);
}

void TestReports::logBookExportReadsBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"日志.xls"_qs);
    QList<Visit> visits = numberedVisits(2);
    visits[1].name = u"O'Neil"_qs;
    QVERIFY(ReportExport::save(ReportExport::logBook(visits), path).ok);
    const SpreadsheetTable table = SpreadsheetReader::read(path);
    QVERIFY2(table.ok(), qPrintable(table.errorMessage()));
    QCOMPARE(table.rowCount(), 4);
    QCOMPARE(table.rowTexts(0), (QStringList{u""_qs, u""_qs, u""_qs, u"门 诊 日 志 登 记 本"_qs, u""_qs, u""_qs, u""_qs}));
    QCOMPARE(table.rowTexts(1), (QStringList{u"姓名"_qs, u"性别"_qs, u"年龄"_qs, u"诊断"_qs, u"住址/电话"_qs, u"就诊日期"_qs, u"备注"_qs}));
    // The date is a date cell, which the reader gives back in the form the log shows.
    QCOMPARE(table.rowTexts(2), (QStringList{u"患者1"_qs, u"女"_qs, u"40岁"_qs, u"高血压病"_qs, u"北街"_qs, u"2024-02-01"_qs, u""_qs}));
    QCOMPARE(table.rowTexts(3).first(), u"O'Neil"_qs);

    if (pythonWithXlrd().isEmpty())
        QSKIP("python3 with xlrd (Debian python3-xlrd) is not installed");
    const std::optional<QJsonObject> read = xlsFormats(path);
    QVERIFY(read);
    const QJsonObject &formats = *read;
    QCOMPARE(rowFormat(formats, 0), u"bold 20 30"_qs);
    QCOMPARE(rowFormat(formats, 1), u"bold 10 20"_qs);
    QCOMPARE(rowFormat(formats, 3), u"plain 10 20"_qs);
    const QJsonObject widths = formats.value(u"columns"_qs).toObject();
    QCOMPARE(widths.size(), 6);
    const double expected[] = {10, 5, 5, 25, 25, 10};
    for (int column = 0; column < 6; ++column)
        QCOMPARE(widths.value(QString::number(column)).toDouble(), expected[column]);
}

void TestReports::usageExportReadsBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"用药.xls"_qs);
    const QList<UsageStatistics::Line> lines = {UsageStatistics::line({u"当归"_qs, u"g"_qs, Amount::fromInteger(1500), Amount::fromInteger(150)}),
                                                UsageStatistics::line({u"挂号费"_qs, u"次"_qs, Amount::fromInteger(2), Amount()})};
    QVERIFY(ReportExport::save(ReportExport::usage(lines), path).ok);
    const SpreadsheetTable table = SpreadsheetReader::read(path);
    QVERIFY2(table.ok(), qPrintable(table.errorMessage()));
    QCOMPARE(table.rowCount(), 4);
    QCOMPARE(table.rowTexts(0), (QStringList{u"药品用量统计"_qs, u""_qs, u""_qs, u""_qs}));
    QCOMPARE(table.rowTexts(1), (QStringList{u"名称"_qs, u"数量"_qs, u"单位"_qs, u"金额"_qs}));
    // Figures are numbers (their cell formats: exportedCellTypes).
    QCOMPARE(table.rowTexts(2), (QStringList{u"当归"_qs, u"1.5"_qs, u"kg"_qs, u"150"_qs}));
    // The file keeps a zero amount that the grid leaves blank.
    QCOMPARE(table.rowTexts(3), (QStringList{u"挂号费"_qs, u"2"_qs, u"次"_qs, u"0"_qs}));

    if (pythonWithXlrd().isEmpty())
        QSKIP("python3 with xlrd (Debian python3-xlrd) is not installed");
    const std::optional<QJsonObject> read = xlsFormats(path);
    QVERIFY(read);
    const QJsonObject &formats = *read;
    QCOMPARE(rowFormat(formats, 0), u"bold 16 30"_qs);
    QVERIFY(rowFormat(formats, 1).startsWith(u"bold 10 "_qs));
    QVERIFY(rowFormat(formats, 2).startsWith(u"plain 10 "_qs));
    const QJsonObject widths = formats.value(u"columns"_qs).toObject();
    const double expected[] = {25, 10, 5, 10};
    for (int column = 0; column < 4; ++column)
        QCOMPARE(widths.value(QString::number(column)).toDouble(), expected[column]);
}

void TestReports::exportedCellTypes_data()
{
    QTest::addColumn<QString>("workbook");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("kind"); // as xlrd types the cell
    QTest::addColumn<QVariant>("value"); // as FreeXL reads it: a double, a date or a text
    QTest::addColumn<QString>("format");
    QTest::newRow("log: visit date") << u"log"_qs << 2 << 5 << u"date"_qs << QVariant(QDate(2024, 2, 1)) << u"yyyy-mm-dd"_qs;
    QTest::newRow("log: age stays text") << u"log"_qs << 2 << 2 << u"text"_qs << QVariant(u"40岁"_qs) << u"General"_qs;
    QTest::newRow("usage: kilograms") << u"usage"_qs << 2 << 1 << u"number"_qs << QVariant(1.5) << u"0.00"_qs;
    QTest::newRow("usage: amount") << u"usage"_qs << 2 << 3 << u"number"_qs << QVariant(150.0) << u"0.00"_qs;
    QTest::newRow("usage: plain quantity") << u"usage"_qs << 3 << 1 << u"number"_qs << QVariant(2.5) << u"General"_qs;
    QTest::newRow("usage: zero amount") << u"usage"_qs << 3 << 3 << u"number"_qs << QVariant(0.0) << u"0.00"_qs;
    QTest::newRow("usage: cents exact") << u"usage"_qs << 4 << 3 << u"number"_qs << QVariant(0.1) << u"0.00"_qs;
    QTest::newRow("usage: heading stays text") << u"usage"_qs << 1 << 1 << u"text"_qs << QVariant(u"数量"_qs) << u"General"_qs;
}

void TestReports::exportedCellTypes()
{
    QFETCH(QString, workbook);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, kind);
    QFETCH(QVariant, value);
    QFETCH(QString, format);
    QTemporaryDir dir;
    const QString path = dir.filePath(workbook + u".xls"_qs);
    const QList<UsageStatistics::Line> lines = {
        UsageStatistics::line({u"当归"_qs, u"g"_qs, Amount::fromInteger(1500), Amount::fromInteger(150)}),
        UsageStatistics::line({u"挂号费"_qs, u"次"_qs, Amount::fromMillionths(2500000), Amount()}),
        UsageStatistics::line({u"注射费"_qs, u"次"_qs, Amount::fromInteger(1), Amount::fromMillionths(100000)})};
    QVERIFY(ReportExport::save(workbook == u"log"_qs ? ReportExport::logBook(numberedVisits(1)) : ReportExport::usage(lines), path).ok);

    const FreeXlSheet freeXl = readWithFreeXl(path);
    QCOMPARE(freeXl.status, FREEXL_OK);
    QCOMPARE(freeXl.cells.value({row, column}), value);

    if (pythonWithXlrd().isEmpty())
        QSKIP("python3 with xlrd (Debian python3-xlrd) is not installed");
    const std::optional<QJsonObject> cells = runXlrdScript(QFINDTESTDATA("reports/xlrd_cell_types.py"), path);
    QVERIFY(cells);
    const QJsonObject cell = cells->value(u"%1,%2"_qs.arg(row).arg(column)).toObject();
    QCOMPARE(cell.value(u"kind"_qs).toString(), kind);
    QCOMPARE(cell.value(u"format"_qs).toString(), format);
}

void TestReports::workloadResultLine_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("line");
    const QString three = u"门诊处方数：3张，业务额(￥)：15.50"_qs;
    QTest::newRow("12.50, 3 and empty") << u"2024-01-31"_qs << u"2024-01-31"_qs << three;
    QTest::newRow("reversed dates count the same") << u"2024-02-29"_qs << u"2024-01-31"_qs << u"门诊处方数：5张，业务额(￥)：36.30"_qs;
    QTest::newRow("in order") << u"2024-01-31"_qs << u"2024-02-29"_qs << u"门诊处方数：5张，业务额(￥)：36.30"_qs;
    QTest::newRow("not a number counts 0") << u"2024-02-01"_qs << u"2024-02-01"_qs << u"门诊处方数：1张，业务额(￥)：0.00"_qs;
    QTest::newRow("a leading number") << u"2024-02-02"_qs << u"2024-02-02"_qs << u"门诊处方数：1张，业务额(￥)：20.80"_qs;
    QTest::newRow("no prescriptions") << u"2024-03-01"_qs << u"2024-03-31"_qs << u"无统计数字"_qs;
    QTest::newRow("not a date") << u"2024-13-01"_qs << u"2024-01-31"_qs << u"无统计数字"_qs;
    QTest::newRow("empty box") << u""_qs << u"2024-01-31"_qs << u"无统计数字"_qs;
}

void TestReports::workloadResultLine()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, line);
    QCOMPARE(sixPrescriptionsWorkload(from, to).resultLine(), line);
}

void TestReports::workloadBars_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QStringList>("bars");
    QTest::newRow("days across the month end, empty days included")
        << u"2024-01-30"_qs << u"2024-02-02"_qs
        << QStringList{u"1/30 1 100"_qs, u"1/31 3 15.5"_qs, u"2/1 1 0"_qs, u"2/2 1 20.8"_qs};
    QTest::newRow("a quiet day") << u"2024-01-29"_qs << u"2024-01-30"_qs << QStringList{u"1/29 0 0"_qs, u"1/30 1 100"_qs};
    QTest::newRow("months over a long range") << u"2023-12-15"_qs << u"2024-03-01"_qs
                                              << QStringList{u"2023-12 0 0"_qs, u"2024-01 4 115.5"_qs, u"2024-02 2 20.8"_qs,
                                                             u"2024-03 0 0"_qs};
    QTest::newRow("years over years") << u"2020-06-01"_qs << u"2024-06-01"_qs
                                      << QStringList{u"2020 0 0"_qs, u"2021 0 0"_qs, u"2022 0 0"_qs, u"2023 0 0"_qs, u"2024 6 136.3"_qs};
}

void TestReports::workloadBars()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QStringList, bars);
    const WorkloadSummary summary = sixPrescriptionsWorkload(from, to);
    QStringList found;
    for (const WorkloadSummary::Bar &bar : summary.bars())
        found.append(u"%1 %2 %3"_qs.arg(bar.label).arg(bar.prescriptions).arg(bar.takings.toShortest()));
    QCOMPARE(found, bars);
}

void TestReports::usageRangeCheck_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("first");
    const QString tooLong = u"统计日期范围不能超过1个月！"_qs;
    const QString notDates = u"请填写正确格式的起止日期！日期格式为“2016-01-03”。"_qs;
    QTest::newRow("32 days accepted") << u"2024-01-01"_qs << u"2024-02-02"_qs << QString() << u"2024-01-01"_qs;
    QTest::newRow("33 days refused") << u"2024-01-01"_qs << u"2024-02-03"_qs << tooLong << QString();
    QTest::newRow("reversed 10 days, earlier first") << u"2024-01-11"_qs << u"2024-01-01"_qs << QString() << u"2024-01-01"_qs;
    QTest::newRow("reversed 33 days refused") << u"2024-02-03"_qs << u"2024-01-01"_qs << tooLong << QString();
    QTest::newRow("single digits and slashes") << u"2024/1/5"_qs << u" 2024/1/6 "_qs << QString() << u"2024-01-05"_qs;
    QTest::newRow("February 30th") << u"2024-02-30"_qs << u"2024-02-01"_qs << notDates << QString();
    QTest::newRow("empty box") << u"2024-02-01"_qs << u""_qs << notDates << QString();
    QTest::newRow("words") << u"上个月"_qs << u"2024-02-01"_qs << notDates << QString();
}

void TestReports::usageRangeCheck()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, refusal);
    QFETCH(QString, first);
    const auto checked = UsageStatistics::checkRange(from, to);
    if (refusal.isEmpty()) {
        QVERIFY(std::holds_alternative<ReportDateRange>(checked));
        QCOMPARE(ReportDateRange::dateText(std::get<ReportDateRange>(checked).from()), first);
    } else {
        QVERIFY(std::holds_alternative<QString>(checked));
        QCOMPARE(std::get<QString>(checked), refusal);
    }
}

void TestReports::usageLines_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QStringList>("line");
    QTest::addColumn<QString>("shownAmount");
    QTest::newRow("1500 g are 1.50 kg") << u"g"_qs << u"1500"_qs << u"750.5"_qs << QStringList{u"1.50"_qs, u"kg"_qs, u"750.50"_qs} << u"750.50"_qs;
    QTest::newRow("grams round to 10 g") << u"g"_qs << u"1234.5"_qs << u"1"_qs << QStringList{u"1.23"_qs, u"kg"_qs, u"1.00"_qs} << u"1.00"_qs;
    QTest::newRow("24 片") << u"片"_qs << u"24"_qs << u"12"_qs << QStringList{u"24"_qs, u"片"_qs, u"12.00"_qs} << u"12.00"_qs;
    QTest::newRow("fractions as summed") << u"瓶"_qs << u"1.5"_qs << u"5.255"_qs << QStringList{u"1.5"_qs, u"瓶"_qs, u"5.26"_qs} << u"5.26"_qs;
    QTest::newRow("zero amount blank on screen") << u"次"_qs << u"2"_qs << u"0"_qs << QStringList{u"2"_qs, u"次"_qs, u"0.00"_qs} << u""_qs;
    QTest::newRow("only G exactly is not grams") << u"G"_qs << u"1500"_qs << u"1"_qs << QStringList{u"1500"_qs, u"G"_qs, u"1.00"_qs} << u"1.00"_qs;
    QTest::newRow("nothing summed") << u"支"_qs << QString() << QString() << QStringList{u""_qs, u"支"_qs, u""_qs} << u""_qs;
}

void TestReports::usageLines()
{
    QFETCH(QString, unit);
    QFETCH(QString, quantity);
    QFETCH(QString, amount);
    QFETCH(QStringList, line);
    QFETCH(QString, shownAmount);
    const Total total{u"药"_qs, unit, quantity.isNull() ? std::nullopt : std::optional(Amount::leadingNumber(quantity)),
                      amount.isNull() ? std::nullopt : std::optional(Amount::leadingNumber(amount))};
    const UsageStatistics::Line made = UsageStatistics::line(total);
    QCOMPARE((QStringList{made.quantity, made.unit, made.amount}), line);
    QCOMPARE(UsageStatistics::shownAmount(made.amount), shownAmount);
}

void TestReports::usageTotals_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QStringList>("totals");
    const QString january = u"2024-01-01"_qs;
    const QString february = u"2024-02-01"_qs;
    QTest::newRow("西成药 takes in its subcategories")
        << u"西成药"_qs << january << february
        << QStringList{u"O'Neil 片|片|24|12"_qs, u"阿莫西林胶囊|盒|3|36"_qs, u"维生素C片|瓶|1.5|null"_qs};
    QTest::newRow("an empty category takes in all")
        << u""_qs << january << february
        << QStringList{u"O'Neil 片|片|24|12"_qs, u"阿莫西林胶囊|盒|3|36"_qs, u"当归|g|1500|150"_qs, u"挂号费|次|2|0"_qs,
                       u"维生素C片|瓶|1.5|null"_qs};
    QTest::newRow("a category with an apostrophe") << u"医'保"_qs << january << february << QStringList{u"挂号费|次|2|0"_qs};
    QTest::newRow("wildcards in the category are letters") << u"%"_qs << january << february << QStringList{};
    QTest::newRow("the month end is included") << u"中药"_qs << u"2024-01-31"_qs << u"2024-01-31"_qs
                                               << QStringList{u"当归|g|1000|100"_qs};
    QTest::newRow("the first day of the next month") << u"中药"_qs << february << february << QStringList{u"当归|g|500|50"_qs};
}

void TestReports::usageTotals()
{
    QFETCH(QString, category);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QStringList, totals);
    TestDatabase stats(DatabaseKind::Stats);
    QVERIFY(addSettled(stats.database(), {
        {u"阿莫西林胶囊"_qs, u"2"_qs, u"盒"_qs, u"24.000"_qs, u"西成药·抗生素"_qs, u"2024-01-05"_qs},
        {u"阿莫西林胶囊"_qs, u"1"_qs, u"盒"_qs, u"12.000"_qs, u"西成药·抗生素"_qs, u"2024-01-31"_qs},
        {u"当归"_qs, u"600"_qs, u"g"_qs, u"60.000"_qs, u"中药"_qs, u"2024-01-31"_qs},
        {u"当归"_qs, u"400"_qs, u"g"_qs, u"40.000"_qs, u"中药"_qs, u"2024-01-31"_qs},
        {u"当归"_qs, u"500"_qs, u"g"_qs, u"50.000"_qs, u"中药"_qs, u"2024-02-01"_qs},
        {u"当归"_qs, u"900"_qs, u"g"_qs, u"90.000"_qs, u"中药"_qs, u"2024-02-02"_qs},
        {u"O'Neil 片"_qs, u"24"_qs, u"片"_qs, u"12.000"_qs, u"西成药·其他"_qs, u"2024-01-10"_qs},
        {u"挂号费"_qs, u"1"_qs, u"次"_qs, u"0.000"_qs, u"医'保"_qs, u"2024-01-10"_qs},
        {u"挂号费"_qs, u"1次"_qs, u"次"_qs, u"0.000"_qs, u"医'保"_qs, u"2024-01-11"_qs},
        // No price: the amount stays empty; a quantity that is no number counts 0.
        {u"维生素C片"_qs, u"1.5"_qs, u"瓶"_qs, u""_qs, u"西成药·维生素激素"_qs, u"2024-01-12"_qs},
        {u"维生素C片"_qs, u"适量"_qs, u"盒"_qs, u""_qs, u"西成药·维生素激素"_qs, u"2024-01-13"_qs},
        {u"阿莫西林胶囊"_qs, u"5"_qs, u"盒"_qs, u"60.000"_qs, u"西成药·抗生素"_qs, u"2023-12-31"_qs},
    }).ok);
    UsageStatisticsRepository repository(stats.database());
    const QDate first = *ReportDateRange::parseDate(from);
    const QDate last = *ReportDateRange::parseDate(to);
    const UsageStatisticsRepository::Read grouped = repository.totals(category, first, last);
    QVERIFY2(grouped.ok(), qPrintable(grouped.error));
    QCOMPARE(describe(grouped.totals), totals);
    QCOMPARE(describe(repository.totalsPerName(category, first, last).totals), totals);
}

void TestReports::groupedEqualsPerName()
{
    TestDatabase stats(DatabaseKind::Stats);
    QRandomGenerator random(20240131);
    const QStringList names = {u"阿莫西林胶囊"_qs, u"当归"_qs, u"挂号费"_qs, u"O'Neil"_qs, u"50%葡萄糖"_qs, u"a_b"_qs,
                               u"复方甘草片"_qs, u"0.9%氯化钠注射液"_qs, u"黄芪"_qs, u"注射费"_qs, u""_qs};
    const QStringList categories = {u"中药"_qs, u"西成药·抗生素"_qs, u"西成药·其他"_qs, u"收费项目"_qs, u"医'保"_qs, u""_qs};
    const QStringList units = {u"g"_qs, u"片"_qs, u"盒"_qs, u"次"_qs, u""_qs};
    const QStringList quantities = {u"1"_qs, u"10"_qs, u"1.5"_qs, u"0.25"_qs, u""_qs, u"适量"_qs, u"2盒"_qs, u"300"_qs};
    const QStringList amounts = {u"1.000"_qs, u"12.500"_qs, u"0.000"_qs, u""_qs, u"0.333"_qs, u"99.990"_qs};
    QList<Settled> lines;
    for (int i = 0; i < 1500; ++i) {
        auto pick = [&](const QStringList &from) { return from.at(random.bounded(int(from.size()))); };
        lines.append({pick(names), pick(quantities), pick(units), pick(amounts), pick(categories),
                      QDate(2024, 1, 1).addDays(random.bounded(70)).toString(Qt::ISODate)});
    }
    QVERIFY(addSettled(stats.database(), lines).ok);
    UsageStatisticsRepository repository(stats.database());
    for (const QString &category : {u"西成药"_qs, u""_qs, u"中药"_qs, u"医'保"_qs, u"收"_qs}) {
        for (const auto &[first, last] : {std::pair{QDate(2024, 1, 1), QDate(2024, 2, 1)}, std::pair{QDate(2024, 1, 31), QDate(2024, 1, 31)},
                                          std::pair{QDate(2024, 2, 15), QDate(2024, 3, 31)}}) {
            const UsageStatisticsRepository::Read grouped = repository.totals(category, first, last);
            const UsageStatisticsRepository::Read perName = repository.totalsPerName(category, first, last);
            QVERIFY(grouped.ok() && perName.ok());
            QVERIFY(!grouped.totals.isEmpty());
            QCOMPARE(describe(grouped.totals), describe(perName.totals));
        }
    }
}

void TestReports::calculatorRunsOnItsOwnConnection()
{
    TestDatabase stats(DatabaseKind::Stats);
    QVERIFY(addSettled(stats.database(), {{u"当归"_qs, u"1500"_qs, u"g"_qs, u"150.000"_qs, u"中药"_qs, u"2024-01-31"_qs},
                                  {u"挂号费"_qs, u"1"_qs, u"次"_qs, u"0.000"_qs, u"收费项目"_qs, u"2024-01-31"_qs}}).ok);
    UsageStatisticsCalculator calculator(stats.location(), 1000);
    QFuture<UsageStatistics::Report> future = calculator.start(QString(), ReportDateRange(QDate(2024, 2, 1), QDate(2024, 1, 1)));
    future.waitForFinished();
    const UsageStatistics::Report report = future.result();
    QVERIFY(report.error.isEmpty());
    QCOMPARE(report.lines, (QList<UsageStatistics::Line>{{u"当归"_qs, u"1.50"_qs, u"kg"_qs, u"150.00"_qs},
                                                         {u"挂号费"_qs, u"1"_qs, u"次"_qs, u"0.00"_qs}}));

    UsageStatisticsCalculator missing(stats.folder() + u"/没有这个文件.dat"_qs, 1000);
    QFuture<UsageStatistics::Report> failed = missing.start(QString(), ReportDateRange(QDate(2024, 1, 1), QDate(2024, 2, 1)));
    failed.waitForFinished();
    QVERIFY(!failed.result().error.isEmpty());
    QVERIFY(failed.result().lines.isEmpty());
}

void TestReports::indexesAddedToOlderFiles()
{
    if (testsOnServer())
        QSKIP("about SQLite files made by earlier versions");
    for (const DatabaseKind kind : {DatabaseKind::Main, DatabaseKind::Stats}) {
        TestDatabase file(kind);
        Database &db = file.database();
        const QString dropped = kind == DatabaseKind::Main ? u"档案_5"_qs : u"统计_日期"_qs;
        const QString indexes = u"select name from sqlite_master where type = 'index' order by name"_qs;
        const QStringList fresh = column(db, indexes);
        QVERIFY(fresh.contains(dropped));
        QVERIFY(db.exec(u"drop index \"%1\""_qs.arg(dropped)).ok);
        QVERIFY(!column(db, indexes).contains(dropped));
        QVERIFY(DatabaseUpgrade::ensureIndexes(db, kind).ok);
        QCOMPARE(column(db, indexes), fresh);
        QVERIFY(DatabaseUpgrade::ensureIndexes(db, kind).ok);
        QCOMPARE(column(db, indexes), fresh);
    }
}

void TestReports::sumsInTheDatabaseAreExact_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::newRow("plain amounts") << QStringList{u"1.500"_qs, u"2"_qs, u"0.125"_qs};
    QTest::newRow("tenths that binary floating point misses") << QStringList(10, u"0.1"_qs);
    QTest::newRow("blanks, sign and blanks between digits") << QStringList{u" -1 000.5"_qs, u"+2"_qs, u"1\t2"_qs};
    QTest::newRow("a seventh decimal rounds the sixth") << QStringList{u"0.0000005"_qs, u"0.0000004"_qs, u"-0.0000005"_qs};
    QTest::newRow("numbers followed by units") << QStringList{u"1次"_qs, u"2盒"_qs, u"1.2.3"_qs};
    QTest::newRow("points alone") << QStringList{u".5"_qs, u"5."_qs, u"."_qs};
    QTest::newRow("no number at all counts 0") << QStringList{u"适量"_qs, u"abc"_qs};
    QTest::newRow("empty texts and nulls leave no sum") << QStringList{u""_qs, QString()};
}

void TestReports::sumsInTheDatabaseAreExact()
{
    QFETCH(QStringList, values);
    TestDatabase stats(DatabaseKind::Stats);
    Database &db = stats.database();
    std::optional<Amount> expected;
    for (const QString &value : values) {
        QVERIFY(db.exec(u"insert into \"统计\" (\"备用1\") values (?)"_qs, {value.isNull() ? QVariant() : QVariant(value)}).ok);
        if (!value.isEmpty())
            expected = expected.value_or(Amount()) + Amount::leadingNumber(value);
    }
    // Both engines give what the program computes itself.
    QSqlQuery sum = db.select(u"select "_qs + SqlDialect::decimalSum(db.engine(), u"\"备用1\""_qs) + u" from \"统计\""_qs);
    QVERIFY(sum.next());
    QCOMPARE(sum.value(0).isNull(), !expected.has_value());
    if (expected)
        QCOMPARE(sum.value(0).toString(), expected->toShortest());
}

QTEST_GUILESS_MAIN(TestReports)
#include "tst_reports.moc"
