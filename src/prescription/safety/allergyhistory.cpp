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

// Items that start like this say there is no (known) allergy.
bool opensWithDenial(const QString &item)
{
    static const QStringList openings = {
        QStringLiteral("无"),   QStringLiteral("否"),   QStringLiteral("未"),   QStringLiteral("没有"),
        QStringLiteral("暂无"), QStringLiteral("不详"), QStringLiteral("不明"), QStringLiteral("不清"),
        QStringLiteral("不知"),
    };
    for (const QString &opening : openings) {
        if (item.startsWith(opening))
            return true;
    }
    return false;
}

// Items that end like this report a negative test.
bool isNegative(const QString &item)
{
    return item.contains(QStringLiteral("阴性")) || item.contains(QStringLiteral("(-)"));
}

bool isPositive(const QString &item)
{
    return item.contains(QStringLiteral("过敏")) || item.contains(QStringLiteral("阳性")) || item.contains(QStringLiteral("(+)"));
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
    static const QRegularExpression connectives(QStringLiteral("[及和与或]"));
    const auto add = [&history](const QString &phrase) {
        const auto addOne = [&history](const QString &piece) {
            const QString allergen = allergenOf(piece);
            if (!allergen.isEmpty() && !history.m_allergens.contains(allergen))
                history.m_allergens.append(allergen);
        };
        addOne(phrase);
        // "青霉素及头孢类过敏" names two; the whole item counts as well, since 白及 and 保和丸
        // hold such a character in their own name.
        const QStringList pieces = phrase.split(connectives);
        if (pieces.size() > 1) {
            for (const QString &piece : pieces) {
                if (piece.size() >= 2)
                    addOne(piece);
            }
        }
    };

    // Each item stands for itself: "无食物过敏、青霉素过敏" denies the food and names the drug.
    // Items listed without a word of their own take the word of the item that ends the list
    // ("青霉素、头孢过敏", "青霉素、头孢皮试阴性"); a denial without 过敏 ("否认药物、食物过敏史")
    // reaches to the item that has it.
    const QString folded = foldedText(text);
    QString remark;
    for (qsizetype i = 0; i <= folded.size(); ++i) {
        if (i < folded.size() && !endsRemark(folded.at(i))) {
            remark.append(folded.at(i));
            continue;
        }
        QStringList pending;
        bool denying = false;
        QString item;
        for (qsizetype j = 0; j <= remark.size(); ++j) {
            if (j < remark.size() && !separatesItems(remark.at(j))) {
                item.append(remark.at(j));
                continue;
            }
            const QString current = item;
            item.clear();
            if (current.isEmpty())
                continue;
            const bool positive = isPositive(current);
            if (denying) {
                denying = !current.contains(QStringLiteral("过敏"));
                continue;
            }
            if (opensWithDenial(current)) {
                // What was listed before the denial is not part of it: "青霉素 否认其他药物过敏".
                for (const QString &named : std::as_const(pending))
                    add(named);
                pending.clear();
                denying = !current.contains(QStringLiteral("过敏"));
                continue;
            }
            if (isNegative(current)) {
                pending.clear();
                continue;
            }
            pending.append(current);
            if (positive) {
                for (const QString &named : std::as_const(pending))
                    add(named);
                pending.clear();
            }
        }
        // A plain list ("青霉素、磺胺类；阿司匹林") names its items.
        for (const QString &named : std::as_const(pending))
            add(named);
        remark.clear();
    }
    return history;
}
