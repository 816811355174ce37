#include "text/pinyinreadings.h"

#include <QStringView>

#include "text/tabseparated.h"

PinyinReadings::PinyinReadings()
    : m_bmp(0x10000, 0)
{
}

const PinyinReadings &PinyinReadings::shipped()
{
    static const PinyinReadings readings = fromText(TabSeparated::readText(QStringLiteral(":/text/pinyin_readings.txt")));
    return readings;
}

PinyinReadings PinyinReadings::fromText(const QString &text)
{
    PinyinReadings readings;
    for (const TabSeparated::Line &read : TabSeparated::lines(text)) {
        const QString line = read.text.trimmed();
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab <= 0)
            continue;
        quint32 mask = 0;
        bool valid = true;
        for (QChar letter : QStringView(line).left(tab)) {
            const char16_t u = letter.unicode();
            valid = valid && u >= u'a' && u <= u'z';
            if (valid)
                mask |= 1u << (u - u'a');
        }
        if (!valid)
            continue;
        const quint32 value = mask | (quint32(line.at(0).unicode() - u'a' + 1) << FirstShift);
        for (char32_t c : QStringView(line).mid(tab + 1).toUcs4()) {
            // A lone surrogate decodes as U+FFFD, which is no Han character.
            if (c == 0xFFFD)
                continue;
            if (c < 0x10000)
                readings.m_bmp[c] = value;
            else
                readings.m_supplementary.insert(c, value);
        }
    }
    return readings;
}

QString PinyinReadings::initialsOf(char32_t c) const
{
    if (c >= U'0' && c <= U'9')
        return QString(QChar(char16_t(c)));
    if (c >= U'A' && c <= U'Z')
        return QString(QChar(char16_t(c - U'A' + U'a')));
    if (c >= U'a' && c <= U'z')
        return QString(QChar(char16_t(c)));
    const quint32 value = entry(c);
    if (!(value & LetterBits))
        return QString();
    const int first = int(value >> FirstShift) - 1;
    QString result(QLatin1Char(char('a' + first)));
    for (int i = 0; i < 26; ++i) {
        if (i != first && (value & (1u << i)))
            result.append(QLatin1Char(char('a' + i)));
    }
    return result;
}

quint32 PinyinReadings::supplementaryEntry(char32_t c) const
{
    return m_supplementary.value(c, 0);
}
