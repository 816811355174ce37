#pragma once

#include <vector>

#include <QStringView>

#include "text/pinyinreadings.h"

// A name compiled for searching by initials: one position per character that has an initial (up
// to the first space, as in the stored key), each a mask of the letters it may be typed with.
// A typed text matches when it occurs as a contiguous run of positions, each typed letter being
// one of that position's letters and each keypad digit 1–7 the digit of one of them.
class PinyinPattern
{
public:
    // Bits 0–25: the letters a–z; bits 26–35: the digits 0–9 as they stand in a name.
    using Mask = quint64;

    explicit PinyinPattern(QStringView name, const PinyinReadings &readings = PinyinReadings::shipped());

    // Appends the positions of a name to out, so many names can share one array.
    static void compile(QStringView name, const PinyinReadings &readings, std::vector<Mask> &out);

    // What each typed character accepts. A character no position can hold (a symbol, a Han
    // character, a space) gets 0, so the run cannot match.
    static std::vector<Mask> typedMasks(QStringView typed);

    // Whether the typed masks occur as a contiguous run in the positions; an empty run always does.
    static bool contains(const Mask *positions, size_t count, const std::vector<Mask> &typed);

    bool matches(QStringView typed) const;
    const std::vector<Mask> &positions() const { return m_positions; }

private:
    std::vector<Mask> m_positions;
};
