#include "prescription/bodytext.h"

#include "text/amount.h"

namespace {

const QString CrLf = QStringLiteral("\r\n");
constexpr int HerbColumns = 13;
constexpr int LineFullAfter = 35;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isWide(char32_t c)
{
    // East Asian wide and full-width ranges: what a GBK double-byte character covers and more.
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF)
        || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF)
        || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F)
        || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD)
        || c == 0x00D7 || c == 0x2018 || c == 0x2019 || c == 0x201C || c == 0x201D || c == 0x2026;
}

} // namespace

namespace BodyText {

const QString &herbUnits()
{
    static const QString units = QStringLiteral("条g枚个");
    return units;
}

QString firstNumber(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isDigit(text.at(i)))
            return Amount::leadingNumber(text.mid(i)).toShortest();
    }
    return QString();
}

QString stripDigits(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (!isDigit(c))
            result.append(c);
    }
    return result;
}

QString herbName(const QString &item)
{
    QString result;
    for (qsizetype i = 0; i < item.size(); ++i) {
        const QChar c = item.at(i);
        if (isDigit(c))
            continue;
        const bool pointOfNumber = c == QLatin1Char('.')
            && ((i > 0 && isDigit(item.at(i - 1))) || (i + 1 < item.size() && isDigit(item.at(i + 1))));
        if (!pointOfNumber)
            result.append(c);
    }
    return result.trimmed();
}

bool isUsageLine(const QString &line)
{
    return line.contains(QLatin1String("sig"), Qt::CaseInsensitive) || line.contains(QStringLiteral("用法"));
}

int displayWidth(const QString &text)
{
    int width = 0;
    for (const char32_t c : text.toUcs4())
        width += isWide(c) ? 2 : 1;
    return width;
}

QString padHerbItem(const QString &text)
{
    const int width = displayWidth(text);
    if (width > HerbColumns - 1)
        return text + QLatin1Char(' ');
    return text + QString(HerbColumns - width, QLatin1Char(' '));
}

int caretColumn(const QString &text, int caret)
{
    caret = qBound(0, caret, int(text.size()));
    const qsizetype lineStart = text.lastIndexOf(QLatin1Char('\n'), caret - 1) + 1;
    return displayWidth(text.mid(lineStart, caret - lineStart)) + 1;
}

HerbLayout reflowHerbs(const QString &body)
{
    QString marked = body;
    for (const QChar unit : herbUnits())
        marked.replace(unit, QString(unit) + QLatin1Char('$'));
    const qsizetype lastMark = marked.lastIndexOf(QLatin1Char('$'));
    HerbLayout layout;
    if (lastMark < 0) {
        // No herb item at all: the body stays as it is, the caret at its start.
        layout.text = body;
        layout.tail = body;
        return layout;
    }
    // The padding of the last item is not part of the tail: otherwise every layout would move it
    // there and the spaces after the herbs would grow with each pick.
    qsizetype tailStart = lastMark + 1;
    while (tailStart < marked.size() && (marked.at(tailStart) == QLatin1Char(' ') || marked.at(tailStart) == QLatin1Char('\t')))
        ++tailStart;
    layout.tail = marked.mid(tailStart);
    for (QString piece : marked.left(lastMark).split(QLatin1Char('$'))) {
        piece.remove(QLatin1Char('\r'));
        piece.remove(QLatin1Char('\n'));
        layout.items.append(piece.trimmed());
    }
    QString laid;
    for (const QString &item : std::as_const(layout.items)) {
        if (caretColumn(laid, int(laid.size())) > LineFullAfter)
            laid += CrLf + CrLf;
        laid += padHerbItem(item);
    }
    layout.caret = int(laid.size());
    layout.text = laid + layout.tail;
    return layout;
}

} // namespace BodyText
