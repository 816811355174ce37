#include "prescription/safety/safetychecker.h"

#include <algorithm>

#include "prescription/safety/allergyhistory.h"
#include "prescription/safety/foldedtext.h"
#include "prescription/safety/herbname.h"
#include "prescription/safety/massquantity.h"

namespace {

QString oneLine(const QString &text)
{
    return text.simplified();
}

// A drug name as compared with allergens and counted: full-width forms folded, no spaces.
QString drugKey(const QString &name)
{
    QString key = foldedText(name);
    key.removeIf([](QChar c) { return c.isSpace(); });
    return key;
}

SafetyWarning warning(SafetyWarning::Kind kind, QList<int> items, const QString &text,
                      const QString &rule, const QString &source)
{
    return {kind, SafetyWarning::severityOf(kind), std::move(items), text, rule, source};
}

} // namespace

SafetyChecker::SafetyChecker(const SafetyRules &rules)
    : m_incompatibilities(rules.incompatibilities())
    , m_doseLimits(rules.doseLimits())
    , m_allergyClasses(rules.allergyClasses())
    , m_westernDrugLimit(rules.westernDrugLimit())
    , m_diagnosisRule(rules.diagnosisRule())
{
    for (const SafetyRules::HerbGroup &group : rules.herbGroups()) {
        const int id = int(m_groupNames.size());
        m_groupNames.append(group.name);
        for (const QString &member : group.members)
            m_groupsByHerb[member].append(id);
    }
    QHash<QString, int> literalGroups;
    for (int rule = 0; rule < m_incompatibilities.size(); ++rule) {
        const int first = groupFor(m_incompatibilities.at(rule).first, literalGroups);
        const int second = groupFor(m_incompatibilities.at(rule).second, literalGroups);
        m_opponents.resize(m_groupNames.size());
        m_opponents[first].append({second, rule});
        if (second != first)
            m_opponents[second].append({first, rule});
    }
    m_opponents.resize(m_groupNames.size());

    // A later row for the same name (a clinic's file) replaces the earlier one.
    for (int i = 0; i < m_doseLimits.size(); ++i) {
        for (const QString &name : m_doseLimits.at(i).names)
            m_doseByHerb.insert(name, i);
    }
}

// A side of a rule that names no group stands for the herb it names.
int SafetyChecker::groupFor(const QString &side, QHash<QString, int> &literalGroups)
{
    const int named = int(m_groupNames.indexOf(side));
    if (named >= 0)
        return named;
    const QString herb = canonicalHerbName(side);
    const auto known = literalGroups.constFind(herb);
    if (known != literalGroups.cend())
        return *known;
    const int id = int(m_groupNames.size());
    m_groupNames.append(side);
    m_groupsByHerb[herb].append(id);
    literalGroups.insert(herb, id);
    return id;
}

QList<int> SafetyChecker::groupsOf(const QStringList &forms) const
{
    for (const QString &form : forms) {
        const auto found = m_groupsByHerb.constFind(form);
        if (found != m_groupsByHerb.cend())
            return *found;
    }
    return {};
}

QList<SafetyWarning> SafetyChecker::check(const SafetyInput &input) const
{
    QList<QStringList> herbForms(input.items.size());
    for (int i = 0; i < input.items.size(); ++i) {
        if (input.items.at(i).kind == SafetyItem::Kind::Herb)
            herbForms[i] = herbNameForms(input.items.at(i).name, RawPrefix::Strip);
    }
    QList<SafetyWarning> warnings;
    checkAllergies(input, herbForms, warnings);
    checkIncompatibilities(input, herbForms, warnings);
    checkDoses(input, warnings);
    checkDrugCount(input, warnings);
    checkDiagnosis(input, warnings);
    std::stable_sort(warnings.begin(), warnings.end(), [](const SafetyWarning &a, const SafetyWarning &b) {
        if (a.kind != b.kind)
            return a.kind < b.kind;
        return std::lexicographical_compare(a.items.begin(), a.items.end(), b.items.begin(), b.items.end());
    });
    return warnings;
}

void SafetyChecker::checkAllergies(const SafetyInput &input, const QList<QStringList> &herbForms,
                                   QList<SafetyWarning> &warnings) const
{
    const QStringList allergens = AllergyHistory::parse(input.allergyHistory).allergens();
    if (allergens.isEmpty())
        return;
    QStringList allergenHerbs;
    for (const QString &allergen : allergens)
        allergenHerbs.append(canonicalHerbName(allergen));

    struct NamedClass
    {
        const SafetyRules::AllergyClass *allergyClass;
        QString allergen;
    };
    QList<NamedClass> named;
    for (const SafetyRules::AllergyClass &allergyClass : m_allergyClasses) {
        for (const QString &allergen : allergens) {
            const bool meansClass = allergyClass.historyWords.contains(allergen)
                || std::any_of(allergyClass.drugPatterns.begin(), allergyClass.drugPatterns.end(),
                               [&allergen](const QString &pattern) { return allergen.contains(pattern); });
            if (meansClass) {
                named.append({&allergyClass, allergen});
                break;
            }
        }
    }

    for (int i = 0; i < input.items.size(); ++i) {
        const SafetyItem &item = input.items.at(i);
        if (!item.isMedicine())
            continue;
        const QString name = oneLine(item.name);
        const QString key = drugKey(item.name);
        // A herb is the allergen only by its own name: 花粉 is not 天花粉.
        qsizetype direct = -1;
        for (qsizetype a = 0; a < allergens.size() && direct < 0; ++a) {
            const bool writesAllergen = item.kind == SafetyItem::Kind::Herb
                ? !allergenHerbs.at(a).isEmpty() && herbForms.at(i).contains(allergenHerbs.at(a))
                : allergens.at(a).size() >= 2 && key.contains(allergens.at(a));
            if (writesAllergen)
                direct = a;
        }
        if (direct >= 0) {
            warnings.append(warning(SafetyWarning::Kind::Allergy, {i},
                                    QStringLiteral("%1：患者对%2过敏").arg(name, allergens.at(direct)),
                                    QStringLiteral("过敏史：%1").arg(oneLine(input.allergyHistory)),
                                    QStringLiteral("本处方的过敏史")));
            continue;
        }
        for (const NamedClass &entry : named) {
            const QStringList &patterns = entry.allergyClass->drugPatterns;
            const bool member = std::any_of(patterns.begin(), patterns.end(),
                                            [&key](const QString &pattern) { return key.contains(pattern); });
            if (member) {
                warnings.append(warning(
                    SafetyWarning::Kind::Allergy, {i},
                    QStringLiteral("%1：患者对%2过敏，本品属%3").arg(name, entry.allergen, entry.allergyClass->name),
                    QStringLiteral("%1：药名含%2").arg(entry.allergyClass->name, patterns.join(QStringLiteral("、"))),
                    entry.allergyClass->source));
                break;
            }
        }
    }
}

void SafetyChecker::checkIncompatibilities(const SafetyInput &input, const QList<QStringList> &herbForms,
                                           QList<SafetyWarning> &warnings) const
{
    if (input.kind != SafetyInput::PrescriptionKind::Chinese || m_incompatibilities.isEmpty())
        return;
    QList<int> indices;
    QList<QList<int>> groups;
    for (int i = 0; i < input.items.size(); ++i) {
        QList<int> found = groupsOf(herbForms.at(i));
        if (!found.isEmpty()) {
            indices.append(i);
            groups.append(std::move(found));
        }
    }
    for (int a = 0; a < indices.size(); ++a) {
        for (int b = a + 1; b < indices.size(); ++b) {
            int firing = -1;
            for (int group : groups.at(a)) {
                for (const Opponent &opponent : m_opponents.at(group)) {
                    if (groups.at(b).contains(opponent.group) && (firing < 0 || opponent.rule < firing))
                        firing = opponent.rule;
                }
            }
            if (firing < 0)
                continue;
            const SafetyRules::Incompatibility &rule = m_incompatibilities.at(firing);
            const bool eighteen = rule.kind == SafetyWarning::Kind::EighteenIncompatibilities;
            const QString first = oneLine(input.items.at(indices.at(a)).name);
            const QString second = oneLine(input.items.at(indices.at(b)).name);
            warnings.append(warning(
                rule.kind, {indices.at(a), indices.at(b)},
                eighteen ? QStringLiteral("%1与%2相反（十八反），不宜同用").arg(first, second)
                         : QStringLiteral("%1与%2相畏（十九畏），不宜同用").arg(first, second),
                eighteen ? QStringLiteral("十八反：%1反%2").arg(rule.first, rule.second)
                         : QStringLiteral("十九畏：%1畏%2").arg(rule.first, rule.second),
                rule.source));
        }
    }
}

void SafetyChecker::checkDoses(const SafetyInput &input, QList<SafetyWarning> &warnings) const
{
    for (int i = 0; i < input.items.size(); ++i) {
        const SafetyItem &item = input.items.at(i);
        if (item.kind != SafetyItem::Kind::Herb)
            continue;
        const std::optional<MassQuantity> mass = MassQuantity::parse(item.quantity, item.unit);
        if (!mass)
            continue;
        // The raw herb is another thing than its processed form: 生川乌 is not measured as 制川乌.
        for (const QString &form : herbNameForms(item.name, RawPrefix::Keep)) {
            const auto found = m_doseByHerb.constFind(form);
            if (found == m_doseByHerb.cend())
                continue;
            const SafetyRules::DoseLimit &limit = m_doseLimits.at(*found);
            if (*mass > limit.highestMass) {
                QString rule = QStringLiteral("%1：一日%2～%3克").arg(limit.form, limit.lowest, limit.highest);
                if (!limit.note.isEmpty())
                    rule += QStringLiteral("，") + limit.note;
                warnings.append(warning(SafetyWarning::Kind::ToxicOverdose, {i},
                                        QStringLiteral("%1 %2%3，超过%4一日用量上限%5克")
                                            .arg(oneLine(item.name), item.quantity.trimmed(), item.unit.trimmed(),
                                                 limit.form, limit.highest),
                                        rule, limit.source));
            }
            break;
        }
    }
}

void SafetyChecker::checkDrugCount(const SafetyInput &input, QList<SafetyWarning> &warnings) const
{
    if (input.kind != SafetyInput::PrescriptionKind::Western || m_westernDrugLimit.maximum <= 0)
        return;
    QStringList distinct;
    QList<int> counted;
    for (int i = 0; i < input.items.size(); ++i) {
        const SafetyItem &item = input.items.at(i);
        const QString key = drugKey(item.name);
        if (!item.isMedicine() || key.isEmpty())
            continue;
        counted.append(i);
        if (!distinct.contains(key))
            distinct.append(key);
    }
    if (distinct.size() <= m_westernDrugLimit.maximum)
        return;
    warnings.append(warning(SafetyWarning::Kind::TooManyDrugs, counted,
                            QStringLiteral("西药处方开了%1种药品，超过%2种")
                                .arg(distinct.size()).arg(m_westernDrugLimit.maximum),
                            m_westernDrugLimit.basis, m_westernDrugLimit.source));
}

void SafetyChecker::checkDiagnosis(const SafetyInput &input, QList<SafetyWarning> &warnings) const
{
    if (!input.forSaving || !m_diagnosisRule.required || !input.diagnosis.trimmed().isEmpty())
        return;
    warnings.append(warning(SafetyWarning::Kind::NoDiagnosis, {}, QStringLiteral("未写诊断"),
                            m_diagnosisRule.basis, m_diagnosisRule.source));
}
