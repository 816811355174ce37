#include "reports/reportexport.h"

#include <optional>

#include "text/typednumber.h"

namespace {

// A figure goes in as a number, so that the spreadsheet sums it; a text that is no number (none
// is expected) stays text rather than become a different number.
void setFigure(XlsWorkbookWriter &sheet, int row, int column, const QString &text, XlsWorkbookWriter::NumberFormat format)
{
    const std::optional<Amount> value = TypedNumber::read(text);
    if (!value) {
        sheet.setText(row, column, text);
        return;
    }
    sheet.setNumber(row, column, double(value->millionths()) / double(Amount::Scale), format);
}

} // namespace

QString ReportExport::fileName(const QString &chosen)
{
    return XlsWorkbookWriter::withExtension(chosen.trimmed());
}

XlsWorkbookWriter ReportExport::logBook(const QList<OutpatientLogRepository::Visit> &visits)
{
    XlsWorkbookWriter sheet;
    sheet.setText(0, 3, QStringLiteral("门 诊 日 志 登 记 本"));
    const QStringList headings = {QStringLiteral("姓名"), QStringLiteral("性别"), QStringLiteral("年龄"), QStringLiteral("诊断"),
                                  QStringLiteral("住址/电话"), QStringLiteral("就诊日期"), QStringLiteral("备注")};
    for (int column = 0; column < headings.size(); ++column)
        sheet.setText(1, column, headings.at(column));
    int row = 2;
    for (const OutpatientLogRepository::Visit &visit : visits) {
        const QStringList values = {visit.name, visit.sex, visit.age, visit.diagnosis, visit.address};
        for (int column = 0; column < values.size(); ++column)
            sheet.setText(row, column, values.at(column));
        // The visit date is a date cell, so that the spreadsheet sorts and filters by it.
        const QDate date = QDate::fromString(visit.date, Qt::ISODate);
        if (date.isValid())
            sheet.setDate(row, 5, date);
        else
            sheet.setText(row, 5, visit.date);
        sheet.setRowFormat(row++, {false, 10, 20});
    }
    sheet.setRowFormat(0, {true, 20, 30});
    sheet.setRowFormat(1, {true, 10, 20});
    const double widths[] = {10, 5, 5, 25, 25, 10};
    for (int column = 0; column < 6; ++column)
        sheet.setColumnWidth(column, widths[column]);
    return sheet;
}

XlsWorkbookWriter ReportExport::usage(const QList<UsageStatistics::Line> &lines)
{
    XlsWorkbookWriter sheet;
    sheet.setText(0, 0, QStringLiteral("药品用量统计"));
    const QStringList headings = {QStringLiteral("名称"), QStringLiteral("数量"), QStringLiteral("单位"), QStringLiteral("金额")};
    for (int column = 0; column < headings.size(); ++column)
        sheet.setText(1, column, headings.at(column));
    int row = 2;
    for (const UsageStatistics::Line &line : lines) {
        using Format = XlsWorkbookWriter::NumberFormat;
        sheet.setText(row, 0, line.name);
        // Kilograms come with two decimals; other quantities as summed.
        setFigure(sheet, row, 1, line.quantity, line.unit == QLatin1String("kg") ? Format::TwoDecimals : Format::General);
        sheet.setText(row, 2, line.unit);
        setFigure(sheet, row, 3, line.amount, Format::TwoDecimals);
        sheet.setRowFormat(row++, {false, 10, 0});
    }
    sheet.setRowFormat(0, {true, 16, 30});
    sheet.setRowFormat(1, {true, 10, 0});
    const double widths[] = {25, 10, 5, 10};
    for (int column = 0; column < 4; ++column)
        sheet.setColumnWidth(column, widths[column]);
    return sheet;
}

WriteResult ReportExport::save(const XlsWorkbookWriter &sheet, const QString &path)
{
    // The writer names the file and the reason in a failure.
    return sheet.save(path);
}
