#include "prescription/safety/herbname.h"

#include "prescription/safety/foldedtext.h"

namespace {

// Two-character methods first: their first character alone is no method (土贝母, 米斑蝥 as a name).
const QStringList &processingPrefixes()
{
    static const QStringList prefixes = {
        QStringLiteral("麸炒"), QStringLiteral("土炒"), QStringLiteral("米炒"), QStringLiteral("砂烫"),
        QStringLiteral("生"),   QStringLiteral("制"),   QStringLiteral("炙"),   QStringLiteral("炒"),
        QStringLiteral("酒"),   QStringLiteral("醋"),   QStringLiteral("盐"),   QStringLiteral("蜜"),
        QStringLiteral("姜"),   QStringLiteral("法"),   QStringLiteral("清"),   QStringLiteral("焦"),
        QStringLiteral("煅"),   QStringLiteral("炮"),   QStringLiteral("煨"),   QStringLiteral("熟"),
    };
    return prefixes;
}

// The processing prefix at the start of name, or an empty text. A herb name keeps at least two
// characters, so 生姜 and 炮姜 stay whole.
QString leadingPrefix(const QString &name)
{
    static const QString firstCharacters = [] {
        QString characters;
        for (const QString &prefix : processingPrefixes())
            characters.append(prefix.at(0));
        return characters;
    }();
    if (name.size() < 3 || !firstCharacters.contains(name.at(0)))
        return QString();
    for (const QString &prefix : processingPrefixes()) {
        if (name.startsWith(prefix) && name.size() - prefix.size() >= 2)
            return prefix;
    }
    return QString();
}

// Whether a note consists of processing methods only ("炒", "酒炙", "麸炒").
bool isProcessingNote(const QString &note)
{
    if (note.isEmpty())
        return false;
    qsizetype at = 0;
    while (at < note.size()) {
        bool matched = false;
        for (const QString &prefix : processingPrefixes()) {
            if (QStringView(note).mid(at).startsWith(prefix)) {
                at += prefix.size();
                matched = true;
                break;
            }
        }
        if (!matched)
            return false;
    }
    return true;
}

QChar closingOf(QChar open)
{
    switch (open.unicode()) {
    case u'[': return QLatin1Char(']');
    case u'{': return QLatin1Char('}');
    case u'(': return QLatin1Char(')');
    case u'【': return QChar(u'】');
    case u'〔': return QChar(u'〕');
    default: return QChar();
    }
}

} // namespace

QString canonicalHerbName(const QString &written)
{
    const QString folded = foldedText(written);
    QString base;
    QString prefix;
    for (qsizetype i = 0; i < folded.size(); ++i) {
        const QChar c = folded.at(i);
        if (c.isSpace())
            continue;
        const QChar close = closingOf(c);
        if (close.isNull()) {
            base.append(c);
            continue;
        }
        qsizetype end = folded.indexOf(close, i + 1);
        if (end < 0)
            end = folded.size();
        // A note may hold several remarks: "{炒,先煎}".
        QString part;
        for (qsizetype j = i + 1; j <= end; ++j) {
            const QChar n = j < end ? folded.at(j) : QLatin1Char(',');
            if (n == QLatin1Char(',') || n == QChar(u'、') || n == QLatin1Char(';')) {
                if (isProcessingNote(part))
                    prefix.append(part);
                part.clear();
            } else if (!n.isSpace()) {
                part.append(n);
            }
        }
        i = end;
    }
    return prefix + base;
}

QStringList herbNameForms(const QString &written, RawPrefix raw)
{
    QString name = canonicalHerbName(written);
    QStringList forms{name};
    for (QString prefix = leadingPrefix(name); !prefix.isEmpty(); prefix = leadingPrefix(name)) {
        if (raw == RawPrefix::Keep && prefix == QStringLiteral("生"))
            break;
        name = name.mid(prefix.size());
        forms.append(name);
    }
    return forms;
}
