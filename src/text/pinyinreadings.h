#pragma once

#include <vector>

#include <QHash>
#include <QString>

// Every initial letter a Han character can be read with (参: c and s), so a name can be found by
// the reading a physician says and not only by the one its stored search key was built from.
class PinyinReadings
{
public:
    // The readings shipped with the program, loaded on first use.
    static const PinyinReadings &shipped();

    // Parses the readings file: lines "<letters>\t<characters>", the letter of the stored key first.
    static PinyinReadings fromText(const QString &text);

    // Bit (letter - 'a') is set for each initial letter of a code point; 0 when it has no reading.
    quint32 letterMask(char32_t c) const { return entry(c) & LetterBits; }

    // The initials of one code point, the one pinyinInitials gives first: an ASCII letter
    // (lower-cased) or digit yields itself, a character without a reading the empty text.
    QString initialsOf(char32_t c) const;

private:
    PinyinReadings();

    // Low 26 bits: the letters; above them the first letter's index + 1.
    static constexpr quint32 LetterBits = (1u << 26) - 1;
    static constexpr int FirstShift = 26;

    quint32 entry(char32_t c) const { return c < 0x10000 ? m_bmp[c] : supplementaryEntry(c); }
    quint32 supplementaryEntry(char32_t c) const;

    std::vector<quint32> m_bmp;
    QHash<char32_t, quint32> m_supplementary;
};
