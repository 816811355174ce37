#pragma once

#include <QString>

// One cell as read from a spreadsheet. A number also carries the shortest decimal text that
// reads back as the same double ("12.5", "0.1"), because callers take prices exactly from text.
struct SpreadsheetCell
{
    enum class Kind { Empty, Text, Number };

    Kind kind = Kind::Empty;
    // The text, or the number's shortest decimal; empty for an empty cell.
    QString text;
    double number = 0;

    // An empty text gives an empty cell.
    static SpreadsheetCell fromText(const QString &text);
    // Infinity and NaN have no decimal form and give an empty cell.
    static SpreadsheetCell fromNumber(double value);
    // Fixed notation, no exponent, "-0" written as "0".
    static QString shortestDecimal(double value);

    bool isEmpty() const { return kind == Kind::Empty; }
    bool operator==(const SpreadsheetCell &other) const = default;
};
