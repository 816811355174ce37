#include "messageboxcatcher.h"
#include "popplertools.h"
#include "testdatabase.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "data/outpatientlogrepository.h"
#include "data/settingsrepository.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"
#include "data/tables.h"
#include "data/workloadrepository.h"
#include "reports/usagestatisticscalculator.h"
#include "reports/widgets/outpatientlogwindow.h"
#include "reports/widgets/usagestatisticswindow.h"
#include "reports/widgets/workloadchart.h"
#include "reports/widgets/workloadwindow.h"
#include "settings/clinicsettings.h"
#include "spreadsheet/spreadsheetreader.h"
#include "ui/widgets/filechooser.h"
#include "ui/widgets/rowgrid.h"

namespace {

const QDate Today(2024, 2, 15);
const QString DateMessage = u"请填写正确格式的起止日期！日期格式为“2016-01-03”。"_qs;

// Answers the save dialog with a prepared path (empty: the user cancels).
class AnsweringFileChooser : public FileChooser
{
public:
    QString answer;
    int asked = 0;

    QString saveFileName(QWidget *, const QString &title, const QString &filter) override
    {
        ++asked;
        lastTitle = title;
        lastFilter = filter;
        return answer;
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return QString(); }

    QString lastTitle;
    QString lastFilter;
};

// `count` visits, one a day from `first` round a month, keys in saving order.
void addVisits(Database &db, int count, const QDate &first = QDate(2024, 2, 1))
{
    SqlTransaction guard(db);
    QVERIFY(guard.isActive());
    for (int i = 0; i < count; ++i) {
        const WriteResult written = db.insert(SqlRow(Tables::archive())
                                                  .set(u"序号"_qs, u"P%1"_qs.arg(i, 14, 10, QLatin1Char('0')))
                                                  .set(u"0"_qs, u"患者%1"_qs.arg(i + 1))
                                                  .set(u"1"_qs, u"男"_qs)
                                                  .set(u"2"_qs, u"30岁"_qs)
                                                  .set(u"4"_qs, u"南街"_qs)
                                                  .set(u"5"_qs, first.addDays(i % 14).toString(Qt::ISODate))
                                                  .set(u"6"_qs, u"感冒"_qs)
                                                  .set(u"16"_qs, u"10.00"_qs));
        QVERIFY(written.ok);
    }
    QVERIFY(guard.commit().ok);
}

WriteResult addDrugs(Database &stats, int count)
{
    SqlTransaction guard(stats);
    for (int i = 0; i < count; ++i) {
        const WriteResult written = stats
                    .insert(SqlRow(Tables::statistics())
                                .set(u"ID号"_qs, u"P%1"_qs.arg(i))
                                .set(u"名称"_qs, u"药%1"_qs.arg(i + 1, 2, 10, QLatin1Char('0')))
                                .set(u"数量"_qs, u"2"_qs)
                                .set(u"单位"_qs, u"盒"_qs)
                                .set(u"金额"_qs, i == 0 ? u"0.000"_qs : u"5.000"_qs)
                                .set(u"分类"_qs, u"西成药·其他"_qs)
                                .set(u"日期"_qs, u"2024-02-01"_qs));
        if (!written.ok)
            return written;
    }
    return guard.commit();
}

} // namespace

// The three report windows as the user meets them, on real database files; dialogs and the
// printer are answered by the test.
class TestReportWindows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void logOpensOnLastMonthWithStoredMargins();
    void logGridScrolls_data();
    void logGridScrolls();
    void logRefusesTooManyVisits_data();
    void logRefusesTooManyVisits();
    void logDateBoxes_data();
    void logDateBoxes();
    void logMarginsWrittenBackOnClose();
    void logPrintsToPdfWithoutPrinter();
    void logExport_data();
    void logExport();

    void workloadTodayAndRange();
    void workloadChartFollowsRange();

    void usageRefusals_data();
    void usageRefusals();
    void usageGridScrollsAndBlanksZeroAmounts();
    void usageExportWithoutResultsWritesNothing();
    void usageExport_data();
    void usageExport();

private:
    OutpatientLogWindow *openLog();
    // What went wrong while the window calculated; empty when nothing did.
    QString calculate(UsageStatisticsWindow &window, const QString &from, const QString &to);

    TestDatabase *m_main = nullptr;
    TestDatabase *m_stats = nullptr;
    ClinicSettings *m_settings = nullptr;
    OutpatientLogRepository *m_log = nullptr;
    WorkloadRepository *m_workload = nullptr;
    UsageStatisticsCalculator *m_calculator = nullptr;
    AnsweringFileChooser *m_files = nullptr;
    QTemporaryDir *m_out = nullptr;
    QStringList m_printMessages;
};

void TestReportWindows::init()
{
    m_main = new TestDatabase;
    m_stats = new TestDatabase(DatabaseKind::Stats);
    m_settings = new ClinicSettings(m_main->database());
    m_log = new OutpatientLogRepository(m_main->database());
    m_workload = new WorkloadRepository(m_main->database());
    m_calculator = new UsageStatisticsCalculator(m_stats->location(), 1000);
    m_files = new AnsweringFileChooser;
    m_out = new QTemporaryDir;
    m_printMessages.clear();
}

void TestReportWindows::cleanup()
{
    delete m_out;
    delete m_files;
    delete m_calculator;
    delete m_workload;
    delete m_log;
    delete m_settings;
    delete m_stats;
    delete m_main;
}

OutpatientLogWindow *TestReportWindows::openLog()
{
    // No printer installed: printing offers a PDF, which the test accepts under a known name.
    PrintPrompts prompts;
    prompts.confirm = [](const QString &) { return true; };
    prompts.pdfPath = [this](const QString &) { return m_out->filePath(u"门诊日志.pdf"_qs); };
    prompts.inform = [this](const QString &message) { m_printMessages.append(message); };
    auto *window = new OutpatientLogWindow(*m_log, *m_settings, PrintService(PrinterSelection(), prompts), *m_files,
                                           [] { return u"张医师"_qs; }, Today);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

void TestReportWindows::logOpensOnLastMonthWithStoredMargins()
{
    addVisits(m_main->database(), 3, QDate(2024, 1, 14));
    QVERIFY(SettingsRepository(m_main->database()).save({{u"日志左边距"_qs, u"15"_qs}, {u"日志上边距"_qs, u""_qs}}).ok);
    std::unique_ptr<OutpatientLogWindow> window(openLog());
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(window->objectName(), u"Form7"_qs);
    QCOMPARE(window->windowTitle(), u"门诊日志"_qs);
    QCOMPARE(window->findChild<QLineEdit *>(u"fromDateEdit"_qs)->text(), u"2024-01-15"_qs);
    QCOMPARE(window->findChild<QLineEdit *>(u"toDateEdit"_qs)->text(), u"2024-02-15"_qs);
    // A stored empty margin is shown empty, not as the form's 10.
    QCOMPARE(window->findChild<QLineEdit *>(u"leftMarginEdit"_qs)->text(), u"15"_qs);
    QCOMPARE(window->findChild<QLineEdit *>(u"topMarginEdit"_qs)->text(), u""_qs);
    // The query ran on opening: the visit of 1-14 lies before the range.
    QCOMPARE(window->findChild<QLabel *>(u"recordCountLabel"_qs)->text(), u"记录数：2"_qs);
    for (const QString &button : {u"查询"_qs, u"打印"_qs, u"导出Excel"_qs, u"预览"_qs})
        QVERIFY2(window->findChild<QPushButton *>(button), qPrintable(button));
}

void TestReportWindows::logGridScrolls_data()
{
    QTest::addColumn<int>("visits");
    QTest::addColumn<bool>("scrolls");
    QTest::newRow("20 fill the grid") << 20 << false;
    QTest::newRow("21 scroll by one") << 21 << true;
}

void TestReportWindows::logGridScrolls()
{
    QFETCH(int, visits);
    QFETCH(bool, scrolls);
    addVisits(m_main->database(), visits);
    std::unique_ptr<OutpatientLogWindow> window(openLog());
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    auto *grid = window->findChild<RowGrid *>(u"logGrid"_qs);
    QCOMPARE(window->findChild<QLabel *>(u"recordCountLabel"_qs)->text(), u"记录数：%1"_qs.arg(visits));
    QCOMPARE(grid->visibleRows(), 20);
    QCOMPARE(grid->verticalBar()->isEnabled(), scrolls);
    QCOMPARE(grid->verticalBar()->maximum(), scrolls ? 1 : 0);
    QCOMPARE(grid->cellText(0, 0), u"患者1"_qs);
    QCOMPARE(grid->cellText(0, 5), u"2024-02-01"_qs);
    QCOMPARE(grid->cellText(0, 6), QString());
    if (scrolls) {
        grid->setScrollValue(1);
        QCOMPARE(grid->cellText(0, 0), u"患者2"_qs);
        QCOMPARE(grid->cellText(19, 0), u"患者21"_qs);
    }
}

void TestReportWindows::logRefusesTooManyVisits_data()
{
    QTest::addColumn<int>("visits");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("30000 are shown") << 30000 << u"记录数：30000"_qs << QStringList{};
    QTest::newRow("30001 are refused") << 30001 << u"记录数："_qs << QStringList{u"数据太多，请缩短查询时间范围！"_qs};
}

void TestReportWindows::logRefusesTooManyVisits()
{
    QFETCH(int, visits);
    QFETCH(QString, count);
    QFETCH(QStringList, messages);
    addVisits(m_main->database(), visits);
    MessageBoxCatcher catcher;
    std::unique_ptr<OutpatientLogWindow> window(openLog());
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(catcher.texts(), messages);
    QCOMPARE(window->findChild<QLabel *>(u"recordCountLabel"_qs)->text(), count);
    QCOMPARE(window->findChild<RowGrid *>(u"logGrid"_qs)->cellText(0, 0), messages.isEmpty() ? u"患者1"_qs : QString());
}

void TestReportWindows::logDateBoxes_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("in order") << u"2024-02-01"_qs << u"2024-02-03"_qs << u"记录数：3"_qs << QStringList{};
    QTest::newRow("reversed finds nothing") << u"2024-02-03"_qs << u"2024-02-01"_qs << u"记录数：0"_qs << QStringList{};
    QTest::newRow("empty box") << u""_qs << u"2024-02-03"_qs << u"记录数：5"_qs << QStringList{DateMessage};
    QTest::newRow("no such day") << u"2024-02-30"_qs << u"2024-03-03"_qs << u"记录数：5"_qs << QStringList{DateMessage};
    QTest::newRow("an apostrophe") << u"2024-02-01'"_qs << u"2024-02-03"_qs << u"记录数：5"_qs << QStringList{DateMessage};
}

void TestReportWindows::logDateBoxes()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, count);
    QFETCH(QStringList, messages);
    addVisits(m_main->database(), 5);
    std::unique_ptr<OutpatientLogWindow> window(openLog());
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    MessageBoxCatcher catcher;
    window->findChild<QLineEdit *>(u"fromDateEdit"_qs)->setText(from);
    window->findChild<QLineEdit *>(u"toDateEdit"_qs)->setText(to);
    window->findChild<QPushButton *>(u"查询"_qs)->click();
    QCOMPARE(catcher.texts(), messages);
    // A refused query leaves the count as it was and the grid blank.
    QCOMPARE(window->findChild<QLabel *>(u"recordCountLabel"_qs)->text(), count);
    QCOMPARE(window->findChild<RowGrid *>(u"logGrid"_qs)->cellText(0, 0).isEmpty(), count != u"记录数：3"_qs);
}

void TestReportWindows::logMarginsWrittenBackOnClose()
{
    OutpatientLogWindow *window = openLog();
    QCOMPARE(window->findChild<QLineEdit *>(u"leftMarginEdit"_qs)->text(), u"10"_qs);
    QCOMPARE(window->findChild<QLineEdit *>(u"topMarginEdit"_qs)->text(), u"20"_qs);
    auto *left = window->findChild<QLineEdit *>(u"leftMarginEdit"_qs);
    QCOMPARE(left->maxLength(), 5);
    left->setText(u"12.5"_qs);
    window->findChild<QLineEdit *>(u"topMarginEdit"_qs)->setText(u"8"_qs);
    QVERIFY(window->close());
    const auto stored = SettingsRepository(m_main->database()).load();
    QVERIFY(stored);
    QCOMPARE(stored->value(u"日志左边距"_qs), u"12.5"_qs);
    QCOMPARE(stored->value(u"日志上边距"_qs), u"8"_qs);

    // The next window opens with them.
    std::unique_ptr<OutpatientLogWindow> again(openLog());
    again->setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(again->findChild<QLineEdit *>(u"leftMarginEdit"_qs)->text(), u"12.5"_qs);
}

void TestReportWindows::logPrintsToPdfWithoutPrinter()
{
    addVisits(m_main->database(), 15);
    std::unique_ptr<OutpatientLogWindow> window(openLog());
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->findChild<QPushButton *>(u"打印"_qs)->click();
    QVERIFY2(m_printMessages.isEmpty(), qPrintable(m_printMessages.join(u'\n')));
    const QString pdf = m_out->filePath(u"门诊日志.pdf"_qs);
    QCOMPARE(pdfPageCount(pdf), 2);
    // The text layer loses the blanks between the wide characters.
    const QString text = pdfText(pdf, {u"-layout"_qs}).remove(QLatin1Char(' '));
    for (const QString &expected : {u"门诊日志登记本"_qs, u"第1页"_qs, u"第2页"_qs, u"医师：张医师"_qs, u"患者15"_qs})
        QVERIFY2(text.contains(expected), qPrintable(expected));
}

void TestReportWindows::logExport_data()
{
    QTest::addColumn<int>("visits");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::newRow("written") << 3 << u"日志"_qs << u"计录数：3"_qs << u"日志.xls"_qs << u"文件导出成功！"_qs;
    QTest::newRow("extension not doubled") << 3 << u"日志.xls"_qs << u"计录数：3"_qs << u"日志.xls"_qs << u"文件导出成功！"_qs;
    QTest::newRow("cancelled") << 3 << QString() << u"记录数：3"_qs << QString() << QString();
    QTest::newRow("no visits: no file, no message") << 0 << u"日志"_qs << u"计录数：0"_qs << QString() << QString();
    QTest::newRow("unwritable folder is no success") << 3 << u"没有这个文件夹/日志"_qs << u"计录数：3"_qs << QString()
                                                    << u"无法保存"_qs;
}

void TestReportWindows::logExport()
{
    QFETCH(int, visits);
    QFETCH(QString, chosen);
    QFETCH(QString, count);
    QFETCH(QString, file);
    QFETCH(QString, message);
    addVisits(m_main->database(), visits);
    std::unique_ptr<OutpatientLogWindow> window(openLog());
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_files->answer = chosen.isEmpty() ? QString() : m_out->filePath(chosen);
    MessageBoxCatcher catcher;
    window->findChild<QPushButton *>(u"导出Excel"_qs)->click();
    QCOMPARE(m_files->asked, 1);
    QCOMPARE(m_files->lastTitle, u"另存为"_qs);
    QCOMPARE(m_files->lastFilter, u"Excel文件 (*.xls)"_qs);
    QCOMPARE(window->findChild<QLabel *>(u"recordCountLabel"_qs)->text(), count);
    QCOMPARE(window->exportPath(), m_files->answer);
    QCOMPARE(QDir(m_out->path()).entryList(QDir::Files), file.isEmpty() ? QStringList() : QStringList{file});
    QCOMPARE(catcher.texts().size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QVERIFY2(catcher.texts().first().startsWith(message), qPrintable(catcher.texts().first()));
    if (!file.isEmpty())
        QCOMPARE(SpreadsheetReader::read(m_out->filePath(file)).rowCount(), visits + 2);
}

void TestReportWindows::workloadTodayAndRange()
{
    SqlTransaction guard(m_main->database());
    int key = 0;
    for (const auto &[date, total] : {std::pair{u"2024-02-15"_qs, u"12.50"_qs}, std::pair{u"2024-02-15"_qs, u"3"_qs},
                                      std::pair{u"2024-02-15"_qs, u""_qs}, std::pair{u"2024-01-20"_qs, u"7"_qs}}) {
        QVERIFY(m_main->database()
                    .insert(SqlRow(Tables::archive()).set(u"序号"_qs, u"K%1"_qs.arg(++key)).set(u"5"_qs, date).set(u"16"_qs, total))
                    .ok);
    }
    QVERIFY(guard.commit().ok);
    WorkloadWindow window(*m_workload, Today);
    window.show();
    QCOMPARE(window.objectName(), u"Form12"_qs);
    QCOMPARE(window.windowTitle(), u"统计"_qs);
    auto *from = window.findChild<QLineEdit *>(u"fromDateEdit"_qs);
    auto *to = window.findChild<QLineEdit *>(u"toDateEdit"_qs);
    auto *result = window.findChild<QLabel *>(u"resultLabel"_qs);
    QCOMPARE(from->text(), u"2024-01-15"_qs);
    QCOMPARE(to->text(), u"2024-02-15"_qs);
    window.findChild<QPushButton *>(u"今日"_qs)->click();
    QCOMPARE(from->text(), u"2024-02-15"_qs);
    QCOMPARE(to->text(), u"2024-02-15"_qs);
    QCOMPARE(result->text(), u"门诊处方数：3张，业务额(￥)：15.50"_qs);
    from->setText(u"2024-02-15"_qs);
    to->setText(u"2024-01-01"_qs);
    window.findChild<QPushButton *>(u"统计"_qs)->click();
    QCOMPARE(result->text(), u"门诊处方数：4张，业务额(￥)：22.50"_qs);
    to->setText(u"2024-1-32"_qs);
    QTest::keyClick(to, Qt::Key_Return);
    QCOMPARE(result->text(), u"无统计数字"_qs);
    from->setText(u"2023-01-01"_qs);
    to->setText(u"2023-12-31"_qs);
    window.findChild<QPushButton *>(u"统计"_qs)->click();
    QCOMPARE(result->text(), u"无统计数字"_qs);
}

void TestReportWindows::workloadChartFollowsRange()
{
    QVERIFY(m_main->database().insert(SqlRow(Tables::archive()).set(u"序号"_qs, u"K1"_qs).set(u"5"_qs, u"2024-02-10"_qs).set(u"16"_qs, u"30"_qs)).ok);
    WorkloadWindow window(*m_workload, Today);
    window.show();
    auto *chart = window.findChild<WorkloadChart *>(u"workloadChart"_qs);
    QVERIFY(chart->bars().isEmpty());
    window.findChild<QPushButton *>(u"统计"_qs)->click();
    // 2024-01-15 to 2024-02-15, every day a bar.
    QCOMPARE(chart->bars().size(), 32);
    QCOMPARE(WorkloadChart::describe(chart->bars().at(26)), u"2/10：处方1张，业务额(￥)：30.00"_qs);
    const QRect area = chart->rect();
    const int index = chart->barAt(QPoint(area.left() + 4 + (area.width() - 8) * 26 / 32 + 2, area.height() / 2));
    QCOMPARE(index, 26);
    QImage shot(chart->size(), QImage::Format_RGB32);
    chart->render(&shot);
    QVERIFY(!shot.isNull());
}

void TestReportWindows::usageRefusals_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("message");
    QTest::newRow("33 days") << u"2024-01-01"_qs << u"2024-02-03"_qs << u"统计日期范围不能超过1个月！"_qs;
    QTest::newRow("33 days reversed") << u"2024-02-03"_qs << u"2024-01-01"_qs << u"统计日期范围不能超过1个月！"_qs;
    QTest::newRow("not a date") << u"2024-01-01"_qs << u"明天"_qs << DateMessage;
}

void TestReportWindows::usageRefusals()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, message);
    UsageStatisticsWindow window(*m_calculator, *m_files, Today);
    window.show();
    window.findChild<QLineEdit *>(u"fromDateEdit"_qs)->setText(from);
    window.findChild<QLineEdit *>(u"toDateEdit"_qs)->setText(to);
    MessageBoxCatcher catcher;
    window.findChild<QPushButton *>(u"统计"_qs)->click();
    QCOMPARE(catcher.texts(), QStringList{message});
    QVERIFY(!window.isCalculating());
    QVERIFY(!window.findChild<QFrame *>(u"progressBar"_qs)->isVisible());
}

QString TestReportWindows::calculate(UsageStatisticsWindow &usage, const QString &from, const QString &to)
{
    UsageStatisticsWindow *window = &usage;
    window->show();
    window->findChild<QLineEdit *>(u"fromDateEdit"_qs)->setText(from);
    window->findChild<QLineEdit *>(u"toDateEdit"_qs)->setText(to);
    QSignalSpy done(window, &UsageStatisticsWindow::calculated);
    window->findChild<QPushButton *>(u"统计"_qs)->click();
    // The file is read while the window goes on painting its progress bar.
    if (!window->isCalculating())
        return u"not calculating after 统计"_qs;
    if (!window->findChild<QFrame *>(u"progressBar"_qs)->isVisible())
        return u"no progress bar while calculating"_qs;
    if (window->findChild<QPushButton *>(u"统计"_qs)->isEnabled())
        return u"统计 enabled while calculating"_qs;
    done.wait(10000);
    if (window->isCalculating())
        return u"still calculating after 10 s"_qs;
    return {};
}

void TestReportWindows::usageGridScrollsAndBlanksZeroAmounts()
{
    QVERIFY(addDrugs(m_stats->database(), 20).ok);
    auto window = std::make_unique<UsageStatisticsWindow>(*m_calculator, *m_files, Today);
    QCOMPARE(calculate(*window, u"2024-02-10"_qs, u"2024-01-10"_qs), QString());
    QCOMPARE(window->objectName(), u"Form13"_qs);
    QCOMPARE(window->findChild<QComboBox *>(u"categoryCombo"_qs)->currentText(), u"西成药"_qs);
    QCOMPARE(window->lines().size(), 20);
    QVERIFY(!window->findChild<QFrame *>(u"progressBar"_qs)->isVisible());
    auto *grid = window->findChild<RowGrid *>(u"usageGrid"_qs);
    QCOMPARE(grid->visibleRows(), 15);
    QVERIFY(grid->verticalBar()->isEnabled());
    QCOMPARE(grid->verticalBar()->minimum(), 0);
    QCOMPARE(grid->verticalBar()->maximum(), 5);
    QCOMPARE((QStringList{grid->cellText(0, 0), grid->cellText(0, 1), grid->cellText(0, 2), grid->cellText(0, 3)}),
             (QStringList{u"药01"_qs, u"2"_qs, u"盒"_qs, QString()}));
    QCOMPARE(window->lines().first().amount, u"0.00"_qs);
    QCOMPARE(grid->cellText(1, 3), u"5.00"_qs);
    grid->setScrollValue(5);
    QCOMPARE(grid->cellText(0, 0), u"药06"_qs);
    QCOMPARE(grid->cellText(14, 0), u"药20"_qs);
}

void TestReportWindows::usageExportWithoutResultsWritesNothing()
{
    auto window = std::make_unique<UsageStatisticsWindow>(*m_calculator, *m_files, Today);
    QCOMPARE(calculate(*window, u"2024-01-10"_qs, u"2024-02-10"_qs), QString());
    QVERIFY(window->lines().isEmpty());
    m_files->answer = m_out->filePath(u"用药"_qs);
    MessageBoxCatcher catcher;
    window->findChild<QPushButton *>(u"导出Excel"_qs)->click();
    QCOMPARE(m_files->asked, 1);
    QCOMPARE(catcher.texts(), QStringList());
    QVERIFY(QDir(m_out->path()).entryList(QDir::Files).isEmpty());
}

void TestReportWindows::usageExport_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("message");
    QTest::newRow("written") << u" 用药 "_qs << u"文件导出成功！"_qs;
    QTest::newRow("unwritable folder is no success") << u"没有这个文件夹/用药"_qs << u"无法保存"_qs;
}

void TestReportWindows::usageExport()
{
    QFETCH(QString, chosen);
    QFETCH(QString, message);
    QVERIFY(addDrugs(m_stats->database(), 3).ok);
    auto window = std::make_unique<UsageStatisticsWindow>(*m_calculator, *m_files, Today);
    QCOMPARE(calculate(*window, u"2024-01-20"_qs, u"2024-02-10"_qs), QString());
    QCOMPARE(window->lines().size(), 3);
    // The dialog's answer is trimmed.
    m_files->answer = chosen.startsWith(u' ') ? u" "_qs + m_out->filePath(chosen.trimmed()) + u" "_qs : m_out->filePath(chosen);
    MessageBoxCatcher catcher;
    window->findChild<QPushButton *>(u"导出Excel"_qs)->click();
    QCOMPARE(catcher.texts().size(), 1);
    QVERIFY2(catcher.texts().first().startsWith(message), qPrintable(catcher.texts().first()));
    const bool written = message == u"文件导出成功！"_qs;
    QCOMPARE(QDir(m_out->path()).entryList(QDir::Files), written ? QStringList{u"用药.xls"_qs} : QStringList());
    if (written) {
        const SpreadsheetTable table = SpreadsheetReader::read(m_out->filePath(u"用药.xls"_qs));
        QCOMPARE(table.rowTexts(2), (QStringList{u"药01"_qs, u"2"_qs, u"盒"_qs, u"0.00"_qs}));
    }
}

QTEST_MAIN(TestReportWindows)
#include "tst_reportwindows.moc"
