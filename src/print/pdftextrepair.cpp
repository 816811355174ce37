#include "print/pdftextrepair.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include "text/tabseparated.h"

namespace {

const QHash<char16_t, char16_t> &equivalents()
{
    static const QHash<char16_t, char16_t> table = [] {
        QHash<char16_t, char16_t> pairs;
        for (const TabSeparated::Line &line : TabSeparated::lines(TabSeparated::readText(QStringLiteral(":/print/radical_equivalents.txt")))) {
            const QStringList &fields = line.cells;
            if (fields.size() == 2 && fields.at(0).size() == 1 && fields.at(1).size() == 1)
                pairs.insert(fields.at(0).at(0).unicode(), fields.at(1).at(0).unicode());
        }
        return pairs;
    }();
    return table;
}

// A hex string <...> of a CMap, as the span between its brackets.
struct HexToken
{
    qsizetype begin = -1; // first digit
    qsizetype end = -1;   // the closing bracket
    bool isValid() const { return begin >= 0; }
};

HexToken nextToken(const QByteArray &pdf, qsizetype from, qsizetype limit)
{
    const qsizetype open = pdf.indexOf('<', from);
    if (open < 0 || open >= limit)
        return {};
    const qsizetype close = pdf.indexOf('>', open);
    if (close < 0 || close >= limit)
        return {};
    return {open + 1, close};
}

// Rewrites a four-digit destination code that reads wrong.
void repairDestination(QByteArray &pdf, const HexToken &token)
{
    if (token.end - token.begin != 4)
        return;
    bool ok = false;
    const auto code = char16_t(pdf.mid(token.begin, 4).toUInt(&ok, 16));
    if (!ok)
        return;
    const char16_t text = PdfTextRepair::textFor(code);
    if (text != code)
        pdf.replace(token.begin, 4, QByteArray::number(uint(text), 16).toUpper().rightJustified(4, '0'));
}

void repairCharSection(QByteArray &pdf, qsizetype from, qsizetype limit)
{
    while (true) {
        const HexToken source = nextToken(pdf, from, limit);
        if (!source.isValid())
            return;
        const HexToken destination = nextToken(pdf, source.end, limit);
        if (!destination.isValid())
            return;
        repairDestination(pdf, destination);
        from = destination.end;
    }
}

void repairRangeSection(QByteArray &pdf, qsizetype from, qsizetype limit)
{
    while (true) {
        const HexToken low = nextToken(pdf, from, limit);
        if (!low.isValid())
            return;
        const HexToken high = nextToken(pdf, low.end, limit);
        if (!high.isValid())
            return;
        qsizetype next = high.end + 1;
        while (next < limit && QChar::isSpace(uchar(pdf.at(next))))
            ++next;
        if (next < limit && pdf.at(next) == '[') {
            const qsizetype close = pdf.indexOf(']', next);
            if (close < 0 || close >= limit)
                return;
            for (HexToken each = nextToken(pdf, next, close); each.isValid(); each = nextToken(pdf, each.end, close))
                repairDestination(pdf, each);
            from = close;
        } else {
            const HexToken destination = nextToken(pdf, high.end, limit);
            if (!destination.isValid())
                return;
            // A range onto consecutive codes stays as it is unless it maps a single glyph.
            if (pdf.mid(low.begin, low.end - low.begin) == pdf.mid(high.begin, high.end - high.begin))
                repairDestination(pdf, destination);
            from = destination.end;
        }
    }
}

void repairSections(QByteArray &pdf, qsizetype from, qsizetype limit, const QByteArray &begin, const QByteArray &end,
                    void (*repair)(QByteArray &, qsizetype, qsizetype))
{
    for (qsizetype start = pdf.indexOf(begin, from); start >= 0 && start < limit; start = pdf.indexOf(begin, start)) {
        const qsizetype stop = pdf.indexOf(end, start);
        if (stop < 0 || stop > limit)
            return;
        repair(pdf, start + begin.size(), stop);
        start = stop;
    }
}

} // namespace

char16_t PdfTextRepair::textFor(char16_t named)
{
    // U+0000 stays: it names the font's missing-glyph box.
    if (named != 0 && named < 0x20)
        return u' ';
    return equivalents().value(named, named);
}

QByteArray PdfTextRepair::repaired(QByteArray pdf)
{
    static const QByteArray cmapBegin("begincmap");
    static const QByteArray cmapEnd("endcmap");
    for (qsizetype start = pdf.indexOf(cmapBegin); start >= 0; start = pdf.indexOf(cmapBegin, start)) {
        const qsizetype stop = pdf.indexOf(cmapEnd, start);
        if (stop < 0)
            break;
        repairSections(pdf, start, stop, "beginbfchar", "endbfchar", repairCharSection);
        repairSections(pdf, start, stop, "beginbfrange", "endbfrange", repairRangeSection);
        start = stop;
    }
    return pdf;
}
