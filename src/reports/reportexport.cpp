#include "reports/reportexport.h"

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
        const QStringList values = {visit.name, visit.sex, visit.age, visit.diagnosis, visit.address, visit.date};
        for (int column = 0; column < values.size(); ++column)
            sheet.setText(row, column, values.at(column));
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
        const QStringList values = {line.name, line.quantity, line.unit, line.amount};
        for (int column = 0; column < values.size(); ++column)
            sheet.setText(row, column, values.at(column));
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
