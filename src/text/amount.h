#pragma once

#include <cstdint>

#include <QString>

// An exact decimal amount of money or a quantity, held in millionths so that sums and products
// never pass through binary floating point. Amounts are stored and shown as texts: line amounts
// with three decimals ("0.000"), totals with two ("0.00").
class Amount
{
public:
    constexpr Amount() = default;

    static constexpr std::int64_t Scale = 1000000;

    static Amount fromMillionths(std::int64_t millionths) { return Amount(millionths); }
    static Amount fromInteger(std::int64_t value) { return Amount(value * Scale); }
    // The number a text begins with, as a text-to-number conversion that stops at the first
    // character not belonging to a number: leading blanks and a sign are allowed, blanks between
    // digits are skipped; an empty or non-numeric text reads as 0.
    static Amount leadingNumber(const QString &text);
    // Whether the text begins with a number at all (after blanks and a sign).
    static bool startsWithNumber(const QString &text);

    std::int64_t millionths() const { return m_value; }
    bool isZero() const { return m_value == 0; }
    bool isNegative() const { return m_value < 0; }

    // "0.000"-style text with the given number of decimals, rounding halves away from zero.
    QString toFixed(int decimals) const;
    // The shortest form: "24", "0.25", "1.5".
    QString toShortest() const;

    Amount operator+(Amount other) const { return Amount(m_value + other.m_value); }
    Amount operator-(Amount other) const { return Amount(m_value - other.m_value); }
    Amount &operator+=(Amount other)
    {
        m_value += other.m_value;
        return *this;
    }
    // The exact product, rounded to millionths.
    Amount operator*(Amount other) const;
    // Rounded to the given number of decimals, halves away from zero.
    Amount rounded(int decimals) const;
    // Division by a whole number, rounded to millionths (grams to kilograms).
    Amount dividedBy(std::int64_t divisor) const;

    friend bool operator==(Amount a, Amount b) { return a.m_value == b.m_value; }
    friend bool operator!=(Amount a, Amount b) { return a.m_value != b.m_value; }
    friend bool operator<(Amount a, Amount b) { return a.m_value < b.m_value; }
    friend bool operator>(Amount a, Amount b) { return a.m_value > b.m_value; }
    friend bool operator<=(Amount a, Amount b) { return a.m_value <= b.m_value; }
    friend bool operator>=(Amount a, Amount b) { return a.m_value >= b.m_value; }

private:
    explicit constexpr Amount(std::int64_t value)
        : m_value(value)
    {
    }

    std::int64_t m_value = 0;
};
