#pragma once

#include <QString>

// A printout's left and top margins in millimetres, as the settings and the outpatient log's
// boxes give them.
struct Margins
{
    double left = 0;
    double top = 0;

    // Each text read for the number it begins with ("12", " 7.5", "12mm" read 12), as the
    // settings have always been read. A text that does not begin with a number counts as 0, which
    // puts the form as close to the printable area's corner as the settings allow.
    static double millimetres(const QString &text);
    static Margins fromTexts(const QString &left, const QString &top);

    friend bool operator==(const Margins &, const Margins &) = default;
};
