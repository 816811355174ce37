#include "spreadsheet/spreadsheetcell.h"

#include <charconv>
#include <cmath>

SpreadsheetCell SpreadsheetCell::fromText(const QString &text)
{
    if (text.isEmpty())
        return {};
    return {Kind::Text, text, 0};
}

SpreadsheetCell SpreadsheetCell::fromNumber(double value)
{
    if (!std::isfinite(value))
        return {};
    if (value == 0)
        value = 0; // drops the sign of -0
    return {Kind::Number, shortestDecimal(value), value};
}

QString SpreadsheetCell::shortestDecimal(double value)
{
    if (!std::isfinite(value))
        return {};
    if (value == 0)
        return QStringLiteral("0");
    // The longest fixed form of a double (DBL_MAX, or the smallest subnormal) fits in 330 characters.
    char buffer[400];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}
