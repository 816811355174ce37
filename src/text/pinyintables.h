#pragma once

#include <vector>

#include <QString>
#include <QStringList>

// The 23 initial-letter tables (a … z without i, u, v) and the characters of the
// "压"–"匝" fallback range, indexed by UTF-16 code unit so a lookup costs one array read.
class PinyinTables
{
public:
    // Letters in the fixed lookup order; a character in several tables takes the first.
    static constexpr const char *Letters = "abcdefghjklmnopqrstwxyz";

    // The tables shipped with the program, loaded on first use.
    static const PinyinTables &shipped();

    // Parses the table file: 23 lines "<letter>\t<characters>", then "fallback\t<characters>".
    static PinyinTables fromText(const QString &text);

    // The initial letter of a character, or 0 when no table holds it.
    char letterOf(char16_t c) const { return char(m_entries[c] & LetterMask); }
    // Whether the character's GBK code lies in ["压", "匝").
    bool inFallbackRange(char16_t c) const { return m_entries[c] & FallbackFlag; }

    // The raw table of one letter, as shipped (used to measure the indexed lookup).
    QString table(char letter) const;
    int distinctCount(char letter) const;

private:
    PinyinTables();

    static constexpr unsigned char LetterMask = 0x7f;
    static constexpr unsigned char FallbackFlag = 0x80;

    std::vector<unsigned char> m_entries;
    QStringList m_tables;
};
