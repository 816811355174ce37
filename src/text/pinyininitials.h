#pragma once

#include <QString>

class PinyinTables;

// Pinyin initials make every list searchable by typing "aj" for 阿胶; the digit code lets the
// same lists be searched from a telephone-style keypad.

// The initial of one character: a lower-case letter, a digit, or the empty text.
QString initialOf(QChar c, const PinyinTables &tables);
QString initialOf(QChar c);

// Lower-case initials of a text; everything after the first space is ignored.
QString pinyinInitials(const QString &text, const PinyinTables &tables);
QString pinyinInitials(const QString &text);

// The keypad digit of a lower-case letter: a–d '1', e–h '2', i–l '3', m–p '4', q–t '5', u–x '6',
// y–z '7'.
constexpr char16_t keypadDigit(char16_t letter)
{
    return char16_t(u'0' + (letter - 93) / 4);
}

// Keypad digits of an initials string: a–d → 1 … y–z → 7; other characters are skipped.
QString initialsDigitCode(const QString &initials);

// The search key every catalogue and template row carries: name + initials + digit code.
QString searchKey(const QString &name, const QString &initials);
