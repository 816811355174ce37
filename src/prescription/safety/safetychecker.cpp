#include "prescription/safety/safetychecker.h"

#include <algorithm>

#include <QMap>

#include "data/cataloguename.h"
#include "prescription/safety/allergyhistory.h"
#include "prescription/safety/foldedtext.h"
#include "prescription/safety/herbname.h"
#include "prescription/safety/massquantity.h"

namespace {

QString oneLine(const QString &text)
{
    return text.simplified();
}

// A name as the user sees it on the prescription: "附子[制]", never the stored "附子{制}".
QString shownName(const QString &name)
{
    return CatalogueName::shown(name.simplified());
}

// "4", "0.031": a mass in grams without trailing zeros.
QString gramsText(qint64 micrograms)
{
    QString text = QString::number(micrograms / 1000000);
    const qint64 fraction = micrograms % 1000000;
    if (fraction != 0) {
        QString digits = QStringLiteral("%1").arg(fraction, 6, 10, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return text;
}

// The word of the diagnosis or allergy history that says the patient is pregnant, or nothing.
// "不孕症", "避孕" and "否认妊娠" say the opposite.
QString pregnancyWord(const QString &text)
{
    static const QStringList notPregnant = {
        QStringLiteral("不孕"),     QStringLiteral("避孕"),     QStringLiteral("未孕"),     QStringLiteral("非孕"),
        QStringLiteral("否认怀孕"), QStringLiteral("否认妊娠"), QStringLiteral("未妊娠"), QStringLiteral("非妊娠"),
        QStringLiteral("无妊娠"),   QStringLiteral("未怀孕"),
    };
    QString remaining = foldedText(text);
    for (const QString &words : notPregnant)
        remaining.remove(words);
    for (const QString &word : {QStringLiteral("妊娠"), QStringLiteral("孕")}) {
        if (remaining.contains(word))
            return word;
    }
    return QString();
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
    , m_rawToxicHerbs(rules.rawToxicHerbs())
    , m_allergyClasses(rules.allergyClasses())
    , m_crossAllergies(rules.crossAllergies())
    , m_pregnancyRules(rules.pregnancyRules())
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
        m_opponents[first].append({second, rule, true});
        if (second != first)
            m_opponents[second].append({first, rule, false});
    }
    m_opponents.resize(m_groupNames.size());

    // A later row for the same name (a clinic's file) replaces the earlier one.
    for (int i = 0; i < m_doseLimits.size(); ++i) {
        for (const QString &name : m_doseLimits.at(i).names)
            m_doseByHerb.insert(name, i);
    }
    for (int i = 0; i < m_rawToxicHerbs.size(); ++i) {
        for (const QString &name : m_rawToxicHerbs.at(i).names)
            m_rawByHerb.insert(name, i);
    }
    for (int i = 0; i < m_pregnancyRules.size(); ++i) {
        for (const QString &name : m_pregnancyRules.at(i).names)
            m_pregnancyByHerb.insert(name, i);
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
    checkPregnancy(input, herbForms, warnings);
    checkDrugCount(input, warnings);
    checkDiagnosis(input, warnings);
    if (input.bodyUnread) {
        warnings.append(warning(SafetyWarning::Kind::Unchecked, {}, QStringLiteral("中药处方未能读出药味和用量"),
                                QStringLiteral("每味药写作名称、用量和单位，如“甘草 6g”“蟾酥 15mg”"),
                                QStringLiteral("本处方的书写")));
    }
    std::stable_sort(warnings.begin(), warnings.end(), [](const SafetyWarning &a, const SafetyWarning &b) {
        if (a.kind != b.kind)
            return a.kind < b.kind;
        return std::lexicographical_compare(a.items.begin(), a.items.end(), b.items.begin(), b.items.end());
    });
    // A herb written twice gives the same warning twice; it is said once, with all its items.
    QList<SafetyWarning> distinct;
    for (SafetyWarning &found : warnings) {
        const auto same = std::find_if(distinct.begin(), distinct.end(), [&found](const SafetyWarning &earlier) {
            return earlier.kind == found.kind && earlier.text == found.text;
        });
        if (same == distinct.end()) {
            distinct.append(std::move(found));
            continue;
        }
        for (int item : std::as_const(found.items)) {
            if (!same->items.contains(item))
                same->items.append(item);
        }
    }
    return distinct;
}

void SafetyChecker::checkAllergies(const SafetyInput &input, const QList<QStringList> &herbForms,
                                   QList<SafetyWarning> &warnings) const
{
    const QStringList allergens = AllergyHistory::parse(input.allergyHistory).allergens();
    if (allergens.isEmpty())
        return;
    // An allergy to a processed herb is one to the herb: "对炙甘草过敏" holds for 甘草.
    QStringList allergenHerbs;
    for (const QString &allergen : allergens)
        allergenHerbs.append(herbNameForms(allergen, RawPrefix::Strip).constLast());

    struct NamedClass
    {
        const SafetyRules::AllergyClass *allergyClass;
        QString allergen;
        const SafetyRules::CrossAllergy *cross;  // how the allergy reaches this class, or none
    };
    QList<NamedClass> named;
    for (const SafetyRules::AllergyClass &allergyClass : m_allergyClasses) {
        for (const QString &allergen : allergens) {
            const bool meansClass = allergyClass.historyWords.contains(allergen)
                || std::any_of(allergyClass.drugPatterns.begin(), allergyClass.drugPatterns.end(),
                               [&allergen](const QString &pattern) { return allergen.contains(pattern); });
            if (meansClass) {
                named.append({&allergyClass, allergen, nullptr});
                break;
            }
        }
    }
    // Related classes come after the named ones, so a drug of a named class is reported as such.
    const qsizetype directlyNamed = named.size();
    for (qsizetype n = 0; n < directlyNamed; ++n) {
        for (const SafetyRules::CrossAllergy &cross : m_crossAllergies) {
            if (cross.from != named.at(n).allergyClass->name)
                continue;
            for (const SafetyRules::AllergyClass &allergyClass : m_allergyClasses) {
                const bool alreadyNamed = std::any_of(named.cbegin(), named.cend(), [&](const NamedClass &entry) {
                    return entry.allergyClass->name == allergyClass.name;
                });
                if (allergyClass.name == cross.to && !alreadyNamed)
                    named.append({&allergyClass, named.at(n).allergen, &cross});
            }
        }
    }

    for (int i = 0; i < input.items.size(); ++i) {
        const SafetyItem &item = input.items.at(i);
        if (!item.isMedicine())
            continue;
        const QString name = shownName(item.name);
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
            if (!member)
                continue;
            const QString membership = QStringLiteral("%1：药名含%2").arg(entry.allergyClass->name, patterns.join(QStringLiteral("、")));
            if (!entry.cross) {
                warnings.append(warning(
                    SafetyWarning::Kind::Allergy, {i},
                    QStringLiteral("%1：患者对%2过敏，本品属%3").arg(name, entry.allergen, entry.allergyClass->name),
                    membership, entry.allergyClass->source));
            } else {
                warnings.append(warning(
                    entry.cross->forbidden ? SafetyWarning::Kind::Allergy : SafetyWarning::Kind::CrossAllergy, {i},
                    QStringLiteral("%1：患者对%2过敏，本品属%3，%4")
                        .arg(name, entry.allergen, entry.allergyClass->name,
                             entry.cross->forbidden ? QStringLiteral("禁用") : QStringLiteral("慎用")),
                    entry.cross->basis + QStringLiteral("\n") + membership, entry.cross->source));
            }
            break;
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
            bool aFirst = true;
            for (int group : groups.at(a)) {
                for (const Opponent &opponent : m_opponents.at(group)) {
                    if (groups.at(b).contains(opponent.group) && (firing < 0 || opponent.rule < firing)) {
                        firing = opponent.rule;
                        aFirst = opponent.ownSideFirst;
                    }
                }
            }
            if (firing < 0)
                continue;
            const SafetyRules::Incompatibility &rule = m_incompatibilities.at(firing);
            const bool eighteen = rule.kind == SafetyWarning::Kind::EighteenIncompatibilities;
            // Named in the order of the rule: "附子[制]与半夏[法]", whichever was written first.
            QString first = shownName(input.items.at(indices.at(a)).name);
            QString second = shownName(input.items.at(indices.at(b)).name);
            if (!aFirst)
                std::swap(first, second);
            warnings.append(warning(
                rule.kind, {indices.at(a), indices.at(b)}, QStringLiteral("%1与%2不宜同用").arg(first, second),
                eighteen ? QStringLiteral("十八反：%1反%2").arg(rule.first, rule.second)
                         : QStringLiteral("十九畏：%1畏%2").arg(rule.first, rule.second),
                rule.source));
        }
    }
}

void SafetyChecker::checkDoses(const SafetyInput &input, QList<SafetyWarning> &warnings) const
{
    struct Total
    {
        qint64 micrograms = 0;
        QList<int> items;
        QStringList written;
    };
    QMap<int, Total> totals;  // per dose row, in the order of the rule file
    for (int i = 0; i < input.items.size(); ++i) {
        const SafetyItem &item = input.items.at(i);
        if (item.kind != SafetyItem::Kind::Herb)
            continue;
        const QString name = shownName(item.name);
        const QString amount = item.quantity.trimmed() + item.unit.trimmed();
        // The raw herb is another thing than its processed form: 生川乌 is not measured as 制川乌.
        const QStringList rawForms = herbNameForms(item.name, RawPrefix::Keep);
        const auto rawFound = std::find_if(rawForms.cbegin(), rawForms.cend(),
                                           [this](const QString &form) { return m_rawByHerb.contains(form); });
        if (rawFound != rawForms.cend()) {
            if (input.externalUse)
                continue;
            const SafetyRules::RawToxicHerb &raw = m_rawToxicHerbs.at(m_rawByHerb.value(*rawFound));
            warnings.append(warning(SafetyWarning::Kind::RawToxicHerb, {i},
                                    QStringLiteral("%1 %2：生品有毒，不宜内服").arg(name, amount),
                                    QStringLiteral("%1：%2").arg(raw.form, raw.note), raw.source));
            continue;
        }
        // Other raw herbs (生天仙子) are measured by the row of the herb.
        int row = -1;
        for (const QStringList &forms : {rawForms, herbNameForms(item.name, RawPrefix::Strip)}) {
            for (const QString &form : forms) {
                if (row < 0)
                    row = m_doseByHerb.value(form, -1);
            }
        }
        if (row < 0)
            continue;
        const SafetyRules::DoseLimit &limit = m_doseLimits.at(row);
        const std::optional<MassQuantity> mass = MassQuantity::parse(item.quantity, item.unit);
        if (!mass) {
            warnings.append(warning(SafetyWarning::Kind::Unchecked, {i},
                                    amount.isEmpty() ? QStringLiteral("%1未写用量，未能核对是否超量").arg(name)
                                                     : QStringLiteral("%1 %2不是重量，未能核对是否超量").arg(name, amount),
                                    QStringLiteral("%1：一日%2～%3克").arg(limit.form, limit.lowest, limit.highest),
                                    limit.source));
            continue;
        }
        Total &total = totals[row];
        total.micrograms += mass->micrograms();
        total.items.append(i);
        total.written.append(QStringLiteral("%1 %2").arg(name, amount));
    }
    for (auto it = totals.cbegin(); it != totals.cend(); ++it) {
        const SafetyRules::DoseLimit &limit = m_doseLimits.at(it.key());
        if (it->micrograms <= limit.highestMass.micrograms())
            continue;
        QString rule = QStringLiteral("%1：一日%2～%3克").arg(limit.form, limit.lowest, limit.highest);
        if (!limit.note.isEmpty())
            rule += QStringLiteral("，") + limit.note;
        const QString written = it->items.size() == 1
            ? it->written.constFirst()
            : QStringLiteral("%1，合计%2克").arg(it->written.join(QStringLiteral("、")), gramsText(it->micrograms));
        warnings.append(warning(SafetyWarning::Kind::ToxicOverdose, it->items,
                                QStringLiteral("%1，超过%2一日用量上限%3克").arg(written, limit.form, limit.highest),
                                rule, limit.source));
    }
}

void SafetyChecker::checkPregnancy(const SafetyInput &input, const QList<QStringList> &herbForms,
                                   QList<SafetyWarning> &warnings) const
{
    QString field = QStringLiteral("诊断");
    QString word = pregnancyWord(input.diagnosis);
    if (word.isEmpty()) {
        field = QStringLiteral("过敏史");
        word = pregnancyWord(input.allergyHistory);
    }
    if (word.isEmpty() || m_pregnancyRules.isEmpty())
        return;
    for (int i = 0; i < input.items.size(); ++i) {
        for (const QString &form : herbForms.at(i)) {
            const int found = m_pregnancyByHerb.value(form, -1);
            if (found < 0)
                continue;
            const SafetyRules::PregnancyRule &rule = m_pregnancyRules.at(found);
            const QString severity = rule.forbidden ? QStringLiteral("孕妇禁用") : QStringLiteral("孕妇慎用");
            warnings.append(warning(
                rule.forbidden ? SafetyWarning::Kind::PregnancyForbidden : SafetyWarning::Kind::PregnancyCaution, {i},
                QStringLiteral("%1（%2写有“%3”）").arg(shownName(input.items.at(i).name), field, word),
                QStringLiteral("%1：%2").arg(rule.form, severity), rule.source));
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
    if (!m_diagnosisRule.required || !input.diagnosis.trimmed().isEmpty())
        return;
    // Shown as soon as something is prescribed, so that it is seen before saving and printing.
    const bool prescribes = std::any_of(input.items.cbegin(), input.items.cend(),
                                        [](const SafetyItem &item) { return item.isMedicine(); });
    if (!input.forSaving && !prescribes)
        return;
    warnings.append(warning(SafetyWarning::Kind::NoDiagnosis, {}, QStringLiteral("未写诊断"),
                            m_diagnosisRule.basis, m_diagnosisRule.source));
}
