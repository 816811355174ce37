#include "reports/widgets/outpatientlogwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "data/tables.h"
#include "print/units.h"
#include "reports/reportdaterange.h"
#include "reports/reportexport.h"
#include "reports/widgets/reportdateboxes.h"
#include "settings/clinicsettings.h"
#include "ui/widgets/filechooser.h"
#include "ui/widgets/rowgrid.h"

namespace {

const QString DesignMargin = QStringLiteral("10");

// The busy pointer for as long as it lives, so every way out of an operation restores the pointer.
class BusyPointer
{
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};

QLabel *addLabel(QWidget *parent, const QString &text, int left, int top)
{
    auto *label = new QLabel(text, parent);
    label->move(twips(left), twips(top));
    label->adjustSize();
    return label;
}

QLineEdit *addBox(QWidget *parent, const QString &name, int left, int top, int width, int maxLength = 0)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(twipsRect(left, top, width, 315));
    if (maxLength > 0)
        box->setMaxLength(maxLength);
    return box;
}

QPushButton *addButton(QWidget *parent, const QString &caption, int left, int top)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString(caption).remove(QLatin1Char(' ')));
    button->setGeometry(twipsRect(left, top, 1215, 375));
    return button;
}

QFrame *addFrame(QWidget *parent, int left, int top, int width, int height)
{
    auto *frame = new QFrame(parent);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setGeometry(twipsRect(left, top, width, height));
    return frame;
}

} // namespace

OutpatientLogWindow::OutpatientLogWindow(OutpatientLogRepository &log, ClinicSettings &settings, PrintService printer,
                                         FileChooser &files, std::function<QString()> physician, const QDate &today,
                                         QWidget *parent)
    : QWidget(parent)
    , m_log(log)
    , m_settings(settings)
    , m_printer(std::move(printer))
    , m_files(files)
    , m_physician(std::move(physician))
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("门诊日志"));
    // The preview button stands beside the three of the paper form.
    setFixedSize(twipsSize(13035, 7680));

    m_grid = new RowGrid({{QStringLiteral("姓名"), 0, 1155},
                          {QStringLiteral("性别"), 1140, 735},
                          {QStringLiteral("年龄"), 1860, 735},
                          {QStringLiteral("诊断"), 2580, 3255},
                          {QStringLiteral("住址/电话"), 5820, 3255},
                          {QStringLiteral("就诊日期"), 9060, 1215},
                          {QStringLiteral("备注"), 10260, 1035}},
                         VisibleRows, 0, this);
    m_grid->setObjectName(QStringLiteral("logGrid"));
    // Tall enough for the header and all 20 rows at this screen's row height.
    m_grid->setGeometry(twipsRect(120, 120, 11595, 6645));

    QFrame *margins = addFrame(this, 1380, 6840, 3015, 675);
    addLabel(margins, QStringLiteral("打印边距(mm)：左"), 60, 285);
    const int marginWidth = Tables::settings().width(settingDefinition(Setting::LogLeftMargin).column);
    m_leftMargin = addBox(margins, QStringLiteral("leftMarginEdit"), 1680, 240, 435, marginWidth);
    addLabel(margins, QStringLiteral("上"), 2175, 285);
    m_topMargin = addBox(margins, QStringLiteral("topMarginEdit"), 2400, 240, 435,
                         Tables::settings().width(settingDefinition(Setting::LogTopMargin).column));

    QFrame *dates = addFrame(this, 4500, 6840, 3315, 675);
    // The date boxes are a little wider than on the old form, so a whole date shows in this font.
    addLabel(dates, QStringLiteral("日期"), 90, 285);
    m_from = addBox(dates, QStringLiteral("fromDateEdit"), 540, 240, 1215);
    addLabel(dates, QStringLiteral("至"), 1800, 285);
    m_to = addBox(dates, QStringLiteral("toDateEdit"), 2040, 240, 1215);

    m_count = addLabel(this, QStringLiteral("记录数："), 60, 7140);
    m_count->setObjectName(QStringLiteral("recordCountLabel"));
    m_count->setFixedWidth(twips(1300));

    connect(addButton(this, QStringLiteral("查  询"), 7920, 7020), &QPushButton::clicked, this, &OutpatientLogWindow::query);
    connect(addButton(this, QStringLiteral("打  印"), 9180, 7020), &QPushButton::clicked, this, &OutpatientLogWindow::print);
    connect(addButton(this, QStringLiteral("导出Excel"), 10440, 7020), &QPushButton::clicked, this,
            &OutpatientLogWindow::exportWorkbook);
    connect(addButton(this, QStringLiteral("预  览"), 11700, 7020), &QPushButton::clicked, this, &OutpatientLogWindow::preview);
    // Enter in a box moves on; in the to-date box it runs the query.
    connect(m_from, &QLineEdit::returnPressed, m_to, qOverload<>(&QWidget::setFocus));
    connect(m_to, &QLineEdit::returnPressed, this, &OutpatientLogWindow::query);
    connect(m_leftMargin, &QLineEdit::returnPressed, m_topMargin, qOverload<>(&QWidget::setFocus));
    connect(m_topMargin, &QLineEdit::returnPressed, m_from, qOverload<>(&QWidget::setFocus));

    ReportDateBoxes::show(m_from, m_to, ReportDateRange::monthUpTo(today));
    query();

    // Settings that cannot be read leave the boxes at the form's own value.
    m_storedLeft = m_settings.storedValue(Setting::LogLeftMargin).value_or(DesignMargin);
    m_storedTop = m_settings.storedValue(Setting::LogTopMargin).value_or(DesignMargin);
    m_leftMargin->setText(m_storedLeft);
    m_topMargin->setText(m_storedTop);
}

void OutpatientLogWindow::showError(const QString &message)
{
    QMessageBox::warning(this, QStringLiteral("提示"), message);
}

OutpatientLogRepository::Read OutpatientLogWindow::readVisits(std::optional<int> limit)
{
    BusyPointer busy;
    // The log keeps the typed order: a to-date before the from-date finds nothing.
    const std::optional<ReportDateRange> range = ReportDateRange::fromTexts(m_from->text(), m_to->text());
    if (!range) {
        OutpatientLogRepository::Read refused;
        refused.error = ReportDateRange::invalidDatesMessage();
        return refused;
    }
    OutpatientLogRepository::Read read = m_log.visits(range->from(), range->to(), limit);
    if (!read.ok())
        read.error = QStringLiteral("无法读取处方档案，门诊日志没有取出。\n\n详细信息：") + read.error;
    return read;
}

void OutpatientLogWindow::query()
{
    m_grid->setResults({});
    const OutpatientLogRepository::Read read = readVisits(MaxShownVisits);
    if (!read.ok()) {
        showError(read.error);
        return;
    }
    if (read.tooMany) {
        QMessageBox::information(this, QStringLiteral("提示"), QStringLiteral("数据太多，请缩短查询时间范围！"));
        return;
    }
    m_count->setText(QStringLiteral("记录数：%1").arg(read.visits.size()));
    QList<QStringList> rows;
    rows.reserve(read.visits.size());
    for (const OutpatientLogRepository::Visit &visit : read.visits)
        rows.append({visit.name, visit.sex, visit.age, visit.diagnosis, visit.address, visit.date});
    m_grid->setResults(rows);
}

OutpatientLogBook::Options OutpatientLogWindow::logBookOptions() const
{
    return {Margins::fromTexts(m_leftMargin->text(), m_topMargin->text()), m_physician ? m_physician() : QString()};
}

PrintJob OutpatientLogWindow::printJob(const QList<OutpatientLogRepository::Visit> &visits) const
{
    return OutpatientLogBook::job(visits, logBookOptions());
}

std::optional<PrintJob> OutpatientLogWindow::printableJob()
{
    const OutpatientLogRepository::Read read = readVisits(std::nullopt);
    if (!read.ok()) {
        showError(read.error);
        return std::nullopt;
    }
    // A range without visits prints nothing, silently.
    if (read.visits.isEmpty())
        return std::nullopt;
    return printJob(read.visits);
}

void OutpatientLogWindow::print()
{
    if (const std::optional<PrintJob> job = printableJob())
        m_printer.print(*job);
}

void OutpatientLogWindow::preview()
{
    if (const std::optional<PrintJob> job = printableJob())
        m_printer.preview(*job, this);
}

void OutpatientLogWindow::exportWorkbook()
{
    const QString chosen = m_files.saveFileName(this, QStringLiteral("另存为"), QStringLiteral("Excel文件 (*.xls)"));
    if (chosen.isEmpty())
        return;
    m_exportPath = chosen;
    const OutpatientLogRepository::Read read = readVisits(std::nullopt);
    if (!read.ok()) {
        showError(read.error);
        return;
    }
    m_count->setText(QStringLiteral("计录数：%1").arg(read.visits.size()));
    if (read.visits.isEmpty())
        return;
    WriteResult written;
    {
        BusyPointer busy;
        written = ReportExport::save(ReportExport::logBook(read.visits), ReportExport::fileName(chosen));
    }
    if (!written.ok) {
        showError(written.fullText());
        return;
    }
    QMessageBox::information(this, QStringLiteral("提示"), QStringLiteral("文件导出成功！"));
}

void OutpatientLogWindow::closeEvent(QCloseEvent *event)
{
    const QString left = m_leftMargin->text();
    const QString top = m_topMargin->text();
    if (left != m_storedLeft || top != m_storedTop) {
        const WriteResult saved = m_settings.saveLogMargins(left, top);
        if (!saved.ok)
            showError(QStringLiteral("打印边距没有保存，下次打开门诊日志时仍是原来的边距。\n\n") + saved.fullText());
    }
    event->accept();
}
