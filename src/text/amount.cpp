#include "text/amount.h"

#include <cstdlib>

namespace {

std::int64_t roundedDivision(std::int64_t value, std::int64_t divisor)
{
    const std::int64_t quotient = value / divisor;
    const std::int64_t remainder = value % divisor;
    if (std::llabs(remainder) * 2 >= divisor)
        return quotient + (value < 0 ? -1 : 1);
    return quotient;
}

std::int64_t powerOfTen(int exponent)
{
    std::int64_t result = 1;
    while (exponent-- > 0)
        result *= 10;
    return result;
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

Amount Amount::leadingNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text.at(i)))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    std::int64_t whole = 0;
    std::int64_t fraction = 0;
    int fractionDigits = 0;
    bool inFraction = false;
    bool roundUp = false;
    for (; i < n; ++i) {
        const QChar c = text.at(i);
        if (isDigit(c)) {
            const int digit = c.unicode() - '0';
            if (!inFraction) {
                if (whole < 1'000'000'000'000LL) // beyond any amount a clinic writes; keep the rest from overflowing
                    whole = whole * 10 + digit;
            } else if (fractionDigits < 6) {
                fraction = fraction * 10 + digit;
                ++fractionDigits;
            } else if (fractionDigits == 6) {
                roundUp = digit >= 5;
                ++fractionDigits;
            }
        } else if (c == QLatin1Char('.') && !inFraction) {
            inFraction = true;
        } else if (!isBlank(c)) {
            break;
        }
    }
    std::int64_t value = whole * Scale + fraction * powerOfTen(6 - qMin(fractionDigits, 6)) + (roundUp ? 1 : 0);
    return Amount(negative ? -value : value);
}

bool Amount::startsWithNumber(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        ++i;
    if (i < text.size() && text.at(i) == QLatin1Char('.'))
        ++i;
    return i < text.size() && isDigit(text.at(i));
}

Amount Amount::rounded(int decimals) const
{
    const std::int64_t step = powerOfTen(6 - decimals);
    return Amount(roundedDivision(m_value, step) * step);
}

QString Amount::toFixed(int decimals) const
{
    const std::int64_t step = powerOfTen(6 - decimals);
    const std::int64_t units = roundedDivision(m_value, step);
    const std::int64_t unitsPerOne = powerOfTen(decimals);
    const std::int64_t magnitude = std::llabs(units);
    QString text = QString::number(magnitude / unitsPerOne);
    if (decimals > 0)
        text += QLatin1Char('.') + QString::number(magnitude % unitsPerOne).rightJustified(decimals, QLatin1Char('0'));
    return units < 0 ? QLatin1Char('-') + text : text;
}

QString Amount::toShortest() const
{
    QString text = toFixed(6);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

Amount Amount::operator*(Amount other) const
{
    // (a·S)(b·S)/S without overflow: split each factor into whole and fractional millionths.
    const std::int64_t a = m_value;
    const std::int64_t b = other.m_value;
    const std::int64_t aWhole = a / Scale;
    const std::int64_t aPart = a % Scale;
    const std::int64_t bWhole = b / Scale;
    const std::int64_t bPart = b % Scale;
    return Amount(aWhole * bWhole * Scale + aWhole * bPart + aPart * bWhole + roundedDivision(aPart * bPart, Scale));
}

Amount Amount::dividedBy(std::int64_t divisor) const
{
    return Amount(roundedDivision(m_value, divisor));
}
