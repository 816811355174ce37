#include "prescription/infusioncardform.h"

#include "prescription/prescriptionsheet.h"
#include "print/formorigin.h"
#include "print/units.h"
#include "text/linebreaks.h"

namespace {

using LineFeed = PrinterCanvas::LineFeed;

constexpr double TableTop = 42;
constexpr double TableWidth = 120;
constexpr double RowHeight = 7;
// Text in a row starts 1.5 mm below its rule.
constexpr double HeadingTop = 43.5;
constexpr double LineLeft = 1;

void printAt(PrinterCanvas &canvas, double xMillimetres, double yMillimetres, const QString &text,
             LineFeed lineFeed = LineFeed::Yes)
{
    canvas.printAt(millimetresToTwips(xMillimetres), millimetresToTwips(yMillimetres), text, lineFeed);
}

void rule(PrinterCanvas &canvas, double x1, double y1, double x2, double y2)
{
    canvas.line(millimetresToTwips(x1), millimetresToTwips(y1), millimetresToTwips(x2), millimetresToTwips(y2));
}

} // namespace

InfusionCardForm::InfusionCardForm(const PrescriptionSheet &sheet, const Margins &margins)
    : m_date(sheet.field(PrescriptionSheet::Date))
    , m_name(sheet.field(PrescriptionSheet::Name))
    , m_sex(sheet.field(PrescriptionSheet::Sex))
    , m_age(sheet.field(PrescriptionSheet::Age))
    , m_diagnosis(sheet.field(PrescriptionSheet::Diagnosis))
    , m_margins(margins)
    , m_lines(LineBreaks::shown(sheet.cardText()).split(QLatin1Char('\n')))
{
}

void InfusionCardForm::setCardLines(const QStringList &lines)
{
    // A line break inside a handed-over line would send the canvas back to the paper's left edge.
    m_lines.clear();
    for (const QString &line : lines)
        m_lines.append(LineBreaks::shown(line).split(QLatin1Char('\n')));
}

int InfusionCardForm::rowsUsed() const
{
    int rows = 0;
    for (const QString &line : m_lines) {
        if (!line.trimmed().isEmpty())
            ++rows;
    }
    return rows;
}

void InfusionCardForm::draw(PrinterCanvas &canvas) const
{
    FormOrigin::apply(canvas, m_margins.left, m_margins.top, DesignedMarginMillimetres);

    canvas.setFont({QStringLiteral("宋体"), 18, true});
    printAt(canvas, 50, 8, QStringLiteral("输液注射卡"));

    canvas.setFont({QStringLiteral("宋体"), 11, false});
    printAt(canvas, 0, 20, QStringLiteral("日期：") + m_date);
    printAt(canvas, 0, 27,
            QStringLiteral("姓名：%1     性别：%2      年龄：%3").arg(m_name, m_sex, m_age));
    printAt(canvas, 0, 35, QStringLiteral("诊断：") + m_diagnosis);

    printAt(canvas, 20, HeadingTop, QStringLiteral("药物名称"));
    printAt(canvas, 65, HeadingTop, QStringLiteral("滴速"));
    printAt(canvas, 82, HeadingTop, QStringLiteral("执行时间"));
    printAt(canvas, 102, HeadingTop, QStringLiteral("护士签名"));

    // The rules take the canvas's current width; the card sets none.
    const double tableBottom = TableTop + TableRows * RowHeight;
    for (int i = 0; i <= TableRows; ++i)
        rule(canvas, 0, TableTop + i * RowHeight, TableWidth, TableTop + i * RowHeight);
    for (const double x : {0.0, 60.0, 80.0, 100.0, TableWidth})
        rule(canvas, x, TableTop, x, tableBottom);

    // Lines past the last row go on below the table, on the same page.
    int row = 0;
    for (const QString &line : m_lines) {
        if (line.trimmed().isEmpty())
            continue;
        ++row;
        printAt(canvas, LineLeft, HeadingTop + row * RowHeight, line, LineFeed::No);
    }
}

PrintLayout InfusionCardForm::layout() const
{
    return [card = *this](PrinterCanvas &canvas) { card.draw(canvas); };
}

PrintJob InfusionCardForm::printJob(const QString &printerName) const
{
    PrintJob job;
    const QString name = m_name.trimmed();
    job.title = name.isEmpty() ? QStringLiteral("输液注射卡") : QStringLiteral("输液注射卡 %1").arg(name);
    job.layout = layout();
    job.printerName = printerName;
    return job;
}
