#include "prescription/safety/allergyhistory.h"

#include <QRegularExpression>

#include "prescription/safety/foldedtext.h"

namespace {

// Remarks end at these; a denial ("否认药物、食物过敏史") holds up to the end of its remark.
bool endsRemark(QChar c)
{
    switch (c.unicode()) {
    case u',': case u';': case u':': case u'/': case u'|': case u'。': case u'\n':
        return true;
    default:
        return false;
    }
}

// Items of one remark are listed with these.
bool separatesItems(QChar c)
{
    return c == QChar(u'、') || c.isSpace();
}

// Remarks that start like this say there is no (known) allergy.
bool deniesAllergy(const QString &segment)
{
    static const QStringList openings = {
        QStringLiteral("无"),   QStringLiteral("否"),   QStringLiteral("未"),   QStringLiteral("没有"),
        QStringLiteral("暂无"), QStringLiteral("不详"), QStringLiteral("不明"), QStringLiteral("不清"),
        QStringLiteral("不知"),
    };
    for (const QString &opening : openings) {
        if (segment.startsWith(opening))
            return true;
    }
    return segment.contains(QStringLiteral("阴性")) || segment.contains(QStringLiteral("(-)"));
}

QString withoutBracketedParts(const QString &text)
{
    QString result;
    int depth = 0;
    for (QChar c : text) {
        if (c == QLatin1Char('(') || c == QLatin1Char('[') || c == QChar(u'【'))
            ++depth;
        else if (c == QLatin1Char(')') || c == QLatin1Char(']') || c == QChar(u'】'))
            depth = qMax(0, depth - 1);
        else if (depth == 0)
            result.append(c);
    }
    return result;
}

// The allergen itself: what stands before "过敏" (or after it, as in "过敏原青霉素"), without the
// words around it.
QString allergenOf(const QString &phrase)
{
    static const QStringList leading = {
        QStringLiteral("患者对"), QStringLiteral("既往对"), QStringLiteral("曾对"), QStringLiteral("既往"),
        QStringLiteral("患者"),   QStringLiteral("曾"),     QStringLiteral("对"),   QStringLiteral("有"),
        QStringLiteral("原"),     QStringLiteral("史"),
    };
    static const QStringList trailing = {
        QStringLiteral("皮试阳性"), QStringLiteral("阳性"), QStringLiteral("皮试"), QStringLiteral("抗生素"),
        QStringLiteral("抗菌药物"), QStringLiteral("抗菌药"), QStringLiteral("类药物"), QStringLiteral("类药"),
        QStringLiteral("药物"), QStringLiteral("制剂"), QStringLiteral("类"), QStringLiteral("等"),
        QStringLiteral("+"),
    };
    QString word = withoutBracketedParts(phrase);
    const qsizetype mark = word.indexOf(QStringLiteral("过敏"));
    if (mark >= 0)
        word = mark > 0 ? word.left(mark) : word.mid(mark + 2);
    for (bool changed = true; changed && !word.isEmpty();) {
        changed = false;
        for (const QString &w : leading) {
            if (word.startsWith(w)) {
                word.remove(0, w.size());
                changed = true;
            }
        }
        for (const QString &w : trailing) {
            if (word.endsWith(w)) {
                word.chop(w.size());
                changed = true;
            }
        }
    }
    return word;
}

} // namespace

AllergyHistory AllergyHistory::parse(const QString &text)
{
    AllergyHistory history;
    const auto add = [&history](const QString &phrase) {
        const QString allergen = allergenOf(phrase);
        if (!allergen.isEmpty() && !history.m_allergens.contains(allergen))
            history.m_allergens.append(allergen);
    };
    static const QRegularExpression connectives(QStringLiteral("[及和与或]"));
    const QString folded = foldedText(text);
    QString remark;
    for (qsizetype i = 0; i <= folded.size(); ++i) {
        if (i < folded.size() && !endsRemark(folded.at(i))) {
            remark.append(folded.at(i));
            continue;
        }
        const QString trimmed = remark.trimmed();
        remark.clear();
        if (trimmed.isEmpty() || deniesAllergy(trimmed))
            continue;
        QString item;
        for (qsizetype j = 0; j <= trimmed.size(); ++j) {
            if (j < trimmed.size() && !separatesItems(trimmed.at(j))) {
                item.append(trimmed.at(j));
                continue;
            }
            const QString current = item;
            item.clear();
            if (current.isEmpty() || deniesAllergy(current))
                continue;
            add(current);
            // "青霉素及头孢类过敏" names two; the whole item counts as well, since 白及 and 保和丸
            // hold such a character in their own name.
            const QStringList pieces = current.split(connectives);
            if (pieces.size() > 1) {
                for (const QString &piece : pieces) {
                    if (piece.size() >= 2)
                        add(piece);
                }
            }
        }
    }
    return history;
}
