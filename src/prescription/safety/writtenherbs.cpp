#include "prescription/safety/writtenherbs.h"

#include <QRegularExpression>

#include "prescription/safety/foldedtext.h"

namespace {

bool isUsageLine(const QString &line)
{
    return line.contains(QLatin1String("sig"), Qt::CaseInsensitive) || line.contains(QStringLiteral("用法"));
}

// The herb's name in the text between two doses: its last word, with a note in brackets after it
// ("附子 [制]"); what stands before it on the line ("×24粒" of a drug line) is no part of it.
QString nameBefore(const QString &text)
{
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    const QStringList words = text.split(spaces, Qt::SkipEmptyParts);
    qsizetype first = words.size();
    while (first > 0) {
        --first;
        const QChar lead = words.at(first).at(0);
        if (lead != QLatin1Char('[') && lead != QLatin1Char('{') && lead != QLatin1Char('('))
            break;
    }
    return words.mid(first).join(QString());
}

} // namespace

WrittenHerbs WrittenHerbs::read(const QString &body)
{
    // Longer units first, so that "mg" is not read as "g" after an "m".
    static const QRegularExpression dose(
        QStringLiteral("(\\d+(?:\\.\\d*)?|\\.\\d+)\\s*(千克|公斤|毫克|克|kg|mg|g|枚|条|个)"),
        QRegularExpression::CaseInsensitiveOption);

    WrittenHerbs written;
    QString herbText;
    for (QString line : foldedText(body).split(QLatin1Char('\n'))) {
        line.remove(QLatin1Char('\r'));
        if (isUsageLine(line))
            written.usageLines.append(line.trimmed());
        else
            herbText += line + QLatin1Char('\n');
    }

    qsizetype from = 0;
    for (auto match = dose.globalMatch(herbText); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        const QString name = nameBefore(herbText.mid(from, found.capturedStart() - from));
        from = found.capturedEnd();
        if (name.isEmpty())
            continue;
        written.herbs.append({name, found.captured(1), found.captured(2).toLower(), SafetyItem::Kind::Herb});
    }
    for (const QString &line : herbText.mid(from).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            written.otherLines.append(line.trimmed());
    }
    return written;
}
