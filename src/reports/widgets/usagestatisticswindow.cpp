#include "reports/widgets/usagestatisticswindow.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "print/units.h"
#include "reports/reportexport.h"
#include "reports/usagestatisticscalculator.h"
#include "reports/widgets/reportdateboxes.h"
#include "ui/widgets/filechooser.h"
#include "ui/widgets/rowgrid.h"

namespace {

constexpr int ProgressStart = 30;   // twips
constexpr int ProgressStep = 100;   // twips every tick
constexpr int ProgressPanel = 3075; // twips

} // namespace

UsageStatisticsWindow::UsageStatisticsWindow(UsageStatisticsCalculator &calculator, FileChooser &files, const QDate &today,
                                             QWidget *parent)
    : QWidget(parent)
    , m_calculator(calculator)
    , m_files(files)
{
    setObjectName(QStringLiteral("Form13"));
    setWindowTitle(QStringLiteral("用药统计"));
    setFixedSize(twipsSize(5940, 6885));

    auto label = [this](const QString &text, int left) {
        auto *shown = new QLabel(text, this);
        shown->move(twips(left), twips(180));
        return shown;
    };
    label(QStringLiteral("日期范围"), 60);
    m_from = new QLineEdit(this);
    m_from->setObjectName(QStringLiteral("fromDateEdit"));
    m_from->setGeometry(twipsRect(840, 120, 1215, 315));
    label(QStringLiteral("至"), 2115);
    m_to = new QLineEdit(this);
    m_to->setObjectName(QStringLiteral("toDateEdit"));
    m_to->setGeometry(twipsRect(2340, 120, 1215, 315));
    label(QStringLiteral("分类"), 3630);
    m_category = new QComboBox(this);
    m_category->setObjectName(QStringLiteral("categoryCombo"));
    m_category->setEditable(true);
    m_category->addItems({QStringLiteral("中药"), QStringLiteral("西成药"), QStringLiteral("收费项目")});
    m_category->setCurrentText(QStringLiteral("西成药"));
    m_category->setGeometry(twipsRect(4050, 120, 1785, 315));

    m_grid = new RowGrid({{QStringLiteral("药物名称"), 0, 2355},
                          {QStringLiteral("数量"), 2340, 1140, Qt::AlignRight},
                          {QStringLiteral("单位"), 3465, 825, Qt::AlignHCenter},
                          {QStringLiteral("金额"), 4275, 1140, Qt::AlignRight}},
                         VisibleRows, 0, this);
    m_grid->setObjectName(QStringLiteral("usageGrid"));
    m_grid->setGeometry(twipsRect(60, 555, 5820, 5145));

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("progressPanel"));
    panel->setGeometry(twipsRect(60, 6360, ProgressPanel, 375));
    m_progress = new QFrame(panel);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setAutoFillBackground(true);
    m_progress->setPalette(QPalette(QColor(0, 0, 192)));
    m_progress->setGeometry(twipsRect(0, 60, ProgressStart, 255));
    m_progress->hide();

    m_calculate = new QPushButton(QStringLiteral("统   计"), this);
    m_calculate->setObjectName(QStringLiteral("统计"));
    m_calculate->setGeometry(twipsRect(3285, 6360, 1215, 375));
    m_export = new QPushButton(QStringLiteral("导出Excel"), this);
    m_export->setObjectName(QStringLiteral("导出Excel"));
    m_export->setGeometry(twipsRect(4620, 6360, 1215, 375));

    connect(m_calculate, &QPushButton::clicked, this, &UsageStatisticsWindow::calculate);
    connect(m_export, &QPushButton::clicked, this, &UsageStatisticsWindow::exportWorkbook);
    connect(m_from, &QLineEdit::returnPressed, m_to, qOverload<>(&QWidget::setFocus));
    connect(m_to, &QLineEdit::returnPressed, m_category, qOverload<>(&QWidget::setFocus));
    connect(&m_watcher, &QFutureWatcher<UsageStatistics::Report>::finished, this, &UsageStatisticsWindow::finish);
    m_progressTimer.setInterval(100);
    connect(&m_progressTimer, &QTimer::timeout, this, &UsageStatisticsWindow::advanceProgress);

    ReportDateBoxes::show(m_from, m_to, ReportDateRange::monthUpTo(today));
}

UsageStatisticsWindow::~UsageStatisticsWindow()
{
    // The calculation owns its connection and ends on its own; nothing waits for its result.
    m_watcher.disconnect(this);
}

void UsageStatisticsWindow::calculate()
{
    if (isCalculating())
        return;
    const std::variant<ReportDateRange, QString> checked = UsageStatistics::checkRange(m_from->text(), m_to->text());
    if (const QString *refusal = std::get_if<QString>(&checked)) {
        QMessageBox::information(this, QStringLiteral("提示"), *refusal);
        return;
    }
    m_lines.clear();
    m_grid->setResults({});
    m_progress->resize(twips(ProgressStart), m_progress->height());
    m_progress->show();
    m_progressTimer.start();
    setCursor(Qt::BusyCursor);
    m_calculate->setEnabled(false);
    m_export->setEnabled(false);
    m_running = true;
    m_watcher.setFuture(m_calculator.start(m_category->currentText(), std::get<ReportDateRange>(checked)));
}

void UsageStatisticsWindow::advanceProgress()
{
    int width = m_progress->width() + twips(ProgressStep);
    if (width > twips(ProgressPanel))
        width = twips(ProgressStart);
    m_progress->resize(width, m_progress->height());
}

void UsageStatisticsWindow::finish()
{
    const UsageStatistics::Report report = m_watcher.result();
    m_running = false;
    m_progressTimer.stop();
    m_progress->hide();
    m_progress->resize(twips(ProgressStart), m_progress->height());
    unsetCursor();
    m_calculate->setEnabled(true);
    m_export->setEnabled(true);
    if (!report.error.isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("提示"),
                             QStringLiteral("无法读取用药统计数据库，统计没有完成。\n\n详细信息：") + report.error);
    } else {
        m_lines = report.lines;
        QList<QStringList> rows;
        rows.reserve(m_lines.size());
        for (const UsageStatistics::Line &line : m_lines)
            rows.append({line.name, line.quantity, line.unit, UsageStatistics::shownAmount(line.amount)});
        m_grid->setResults(rows);
    }
    emit calculated();
}

void UsageStatisticsWindow::exportWorkbook()
{
    const QString chosen = m_files.fileToWrite(this, QStringLiteral("另存为"), QStringLiteral("Excel文件 (*.xls)"), QStringLiteral("xls"));
    if (chosen.isEmpty() || m_lines.isEmpty())
        return;
    setCursor(Qt::BusyCursor);
    const WriteResult written = ReportExport::save(ReportExport::usage(m_lines), ReportExport::fileName(chosen));
    unsetCursor();
    if (!written.ok) {
        QMessageBox::warning(this, QStringLiteral("提示"), written.fullText());
        return;
    }
    QMessageBox::information(this, QStringLiteral("提示"), QStringLiteral("文件导出成功！"));
}
