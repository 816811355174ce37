#include "text/pinyintables.h"

#include <QSet>

#include "text/tabseparated.h"

PinyinTables::PinyinTables()
    : m_entries(0x10000, 0)
{
    for (int i = 0; Letters[i]; ++i)
        m_tables.append(QString());
}

const PinyinTables &PinyinTables::shipped()
{
    static const PinyinTables tables = fromText(TabSeparated::readText(QStringLiteral(":/text/pinyin_tables.txt")));
    return tables;
}

PinyinTables PinyinTables::fromText(const QString &text)
{
    PinyinTables tables;
    for (const TabSeparated::Line &read : TabSeparated::lines(text)) {
        const QString line = read.text.trimmed();
        const int tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0)
            continue;
        const QString key = line.left(tab);
        const QString chars = line.mid(tab + 1);
        if (key == QLatin1String("fallback")) {
            for (QChar c : chars)
                tables.m_entries[c.unicode()] |= FallbackFlag;
            continue;
        }
        const int index = key.size() == 1 ? QByteArray(Letters).indexOf(key.at(0).toLatin1()) : -1;
        if (index < 0)
            continue;
        tables.m_tables[index] = chars;
    }
    // Fill in the fixed order and never overwrite: the first table that holds a character wins.
    for (int i = 0; Letters[i]; ++i) {
        for (QChar c : std::as_const(tables.m_tables[i])) {
            unsigned char &entry = tables.m_entries[c.unicode()];
            if (!(entry & LetterMask))
                entry |= (unsigned char)Letters[i];
        }
    }
    return tables;
}

QString PinyinTables::table(char letter) const
{
    const int index = QByteArray(Letters).indexOf(letter);
    return index < 0 ? QString() : m_tables.at(index);
}

int PinyinTables::distinctCount(char letter) const
{
    const QString chars = table(letter);
    QSet<QChar> distinct(chars.begin(), chars.end());
    return int(distinct.size());
}
