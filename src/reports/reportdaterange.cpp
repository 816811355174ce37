#include "reports/reportdaterange.h"

#include <cstdlib>

#include <QRegularExpression>

ReportDateRange::ReportDateRange(const QDate &from, const QDate &to)
    : m_from(from)
    , m_to(to)
{
}

std::optional<QDate> ReportDateRange::parseDate(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^(\d{4})([-/])(\d{1,2})\2(\d{1,2})$)"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.captured(1).toInt(), match.captured(3).toInt(), match.captured(4).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString ReportDateRange::dateText(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

std::optional<ReportDateRange> ReportDateRange::fromTexts(const QString &from, const QString &to)
{
    const std::optional<QDate> first = parseDate(from);
    const std::optional<QDate> second = parseDate(to);
    if (!first || !second)
        return std::nullopt;
    return ReportDateRange(*first, *second);
}

QString ReportDateRange::invalidDatesMessage()
{
    return QStringLiteral("请填写正确格式的起止日期！日期格式为“2016-01-03”。");
}

ReportDateRange ReportDateRange::monthUpTo(const QDate &today)
{
    return ReportDateRange(today.addMonths(-1), today);
}

ReportDateRange ReportDateRange::ordered() const
{
    return m_from <= m_to ? *this : ReportDateRange(m_to, m_from);
}

qint64 ReportDateRange::days() const
{
    return std::llabs(m_from.daysTo(m_to));
}
