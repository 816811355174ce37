#pragma once

#include <optional>

#include <QDate>
#include <QString>

// The two date boxes of a report window, read as dates.
class ReportDateRange
{
public:
    ReportDateRange(const QDate &from, const QDate &to);

    // A date as typed: year, month and day joined by "-" or "/" ("2016-01-03", "2016-1-3"),
    // blanks around it allowed; nothing for any other text or a day the calendar lacks.
    static std::optional<QDate> parseDate(const QString &text);
    // How the boxes show a date: "yyyy-mm-dd".
    static QString dateText(const QDate &date);
    // Both boxes read as dates in the order typed; nothing when either does not hold one.
    static std::optional<ReportDateRange> fromTexts(const QString &from, const QString &to);
    // What the user is told when fromTexts() finds no range.
    static QString invalidDatesMessage();
    // What the boxes start with: one calendar month before today, and today.
    static ReportDateRange monthUpTo(const QDate &today);

    QDate from() const { return m_from; }
    QDate to() const { return m_to; }
    // The same days with the earlier date first.
    ReportDateRange ordered() const;
    // Days between the two dates, in whichever order they were typed.
    qint64 days() const;

private:
    QDate m_from;
    QDate m_to;
};
