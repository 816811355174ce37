#include "prescription/pickinsertion.h"

#include "prescription/bodytext.h"

namespace {

const QString CrLf = QStringLiteral("\r\n");

// Spaces only, as the body's own trimming does; line breaks stay.
QString trimmedSpaces(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

// Where the tail of a herbal body (charge items, instructions) begins: after the last herb unit
// and the padding that follows it, as the herb layout cuts it; 0 when the body has no herb.
int tailStart(const QString &body)
{
    qsizetype last = -1;
    for (const QChar unit : BodyText::herbUnits())
        last = qMax(last, body.lastIndexOf(unit));
    if (last < 0)
        return 0;
    qsizetype start = last + 1;
    while (start < body.size() && (body.at(start) == QLatin1Char(' ') || body.at(start) == QLatin1Char('\t')))
        ++start;
    return int(start);
}

PickInsertion::Result appended(const QString &body)
{
    return {body, int(body.size()), true};
}

} // namespace

PickInsertion::Result PickInsertion::apply(int category, PrescriptionKind kind, const QString &body, int selectionStart, int caret,
                                           const DrugPickList::Item &item)
{
    const bool chinese = kind == PrescriptionKind::Chinese;
    if (category == DrugCategories::Herbs) {
        QString herb = BodyText::padHerbItem(item.visible);
        while (herb.contains(QStringLiteral("] ")))
            herb.replace(QStringLiteral("] "), QStringLiteral("]"));
        // A herb goes at the caret among the herbs, never into the tail: glued to a charge line
        // ("煎药费 1次白术 10g") both would drop out of pricing. The caret stands at the end of
        // the body after a charge item is picked.
        const int tail = tailStart(body);
        const int from = qBound(0, qMin(selectionStart, caret), tail);
        const int to = qBound(0, qMax(selectionStart, caret), tail);
        const BodyText::HerbLayout layout = BodyText::reflowHerbs(body.left(from) + herb + body.mid(to));
        return {layout.text, layout.caret, true};
    }
    if (category == DrugCategories::Formulas)
        return appended(body + item.content);
    if (category == DrugCategories::PersonalSets) {
        const QString lead = BodyText::caretColumn(body, int(body.size())) > 1 ? CrLf : QString();
        return appended(body + lead + item.content + CrLf + CrLf);
    }
    if (item.shadow.contains(QLatin1Char('\\'))) {
        if (chinese)
            return {body, caret, false};
        QString lines = item.shadow;
        lines.replace(QLatin1Char('\\'), CrLf + QStringLiteral("    用法："));
        return appended(body + lines + CrLf + CrLf);
    }
    if (BodyText::isUsageLine(item.visible)) {
        if (chinese)
            return {body, caret, false};
        return appended(body + QStringLiteral("    ") + item.visible + CrLf + CrLf);
    }
    if (!chinese)
        return appended(body + item.visible + CrLf);
    // In a herbal prescription, charge items collect after one empty line at the end.
    QString text = trimmedSpaces(body) + CrLf + CrLf + item.visible;
    text.replace(CrLf + CrLf + CrLf, CrLf + CrLf);
    return appended(text + CrLf);
}
