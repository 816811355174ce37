#include "prescription/safety/safetyrules.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "prescription/safety/herbname.h"
#include "text/tabseparated.h"

namespace {

constexpr QStringView HerbGroupsFile = u"herbgroups.tsv";
constexpr QStringView IncompatibilitiesFile = u"incompatibilities.tsv";
constexpr QStringView ToxicDosesFile = u"toxicdoses.tsv";
constexpr QStringView RawToxicFile = u"rawtoxic.tsv";
constexpr QStringView AllergyClassesFile = u"allergyclasses.tsv";
constexpr QStringView CrossAllergiesFile = u"crossallergies.tsv";
constexpr QStringView PregnancyFile = u"pregnancy.tsv";
constexpr QStringView InspectionFile = u"inspection.tsv";

QStringList listCell(const QString &cell)
{
    static const QRegularExpression separators(QStringLiteral("[、,，]"));
    QStringList items;
    for (const QString &part : cell.split(separators)) {
        const QString item = part.trimmed();
        if (!item.isEmpty())
            items.append(item);
    }
    return items;
}

QString cellAt(const QStringList &cells, int index)
{
    return index < cells.size() ? cells.at(index) : QString();
}

QStringList herbNames(const QString &cell)
{
    QStringList names;
    for (const QString &written : listCell(cell)) {
        const QString name = canonicalHerbName(written);
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    }
    return names;
}

} // namespace

const QStringList &SafetyRules::fileNames()
{
    // Cross-allergies name classes, so their file comes after the classes'.
    static const QStringList names = {HerbGroupsFile.toString(),     IncompatibilitiesFile.toString(),
                                      ToxicDosesFile.toString(),     RawToxicFile.toString(),
                                      AllergyClassesFile.toString(), CrossAllergiesFile.toString(),
                                      PregnancyFile.toString(),      InspectionFile.toString()};
    return names;
}

SafetyRules SafetyRules::shipped()
{
    SafetyRules rules;
    for (const QString &name : fileNames())
        rules.addFromFile(name, QStringLiteral(":/prescription/safety/") + name, true);
    return rules;
}

SafetyRules SafetyRules::load(const QString &clinicFolder)
{
    SafetyRules rules = shipped();
    const QDir folder(clinicFolder);
    for (const QString &name : fileNames()) {
        const QString path = folder.filePath(name);
        if (!clinicFolder.isEmpty() && QFile::exists(path))
            rules.addFromFile(name, path, false);
    }
    return rules;
}

void SafetyRules::addFromFile(const QString &fileName, const QString &path, bool required)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (required || file.exists())
            m_problems.append(QStringLiteral("%1：无法读取（%2）").arg(path, file.errorString()));
        return;
    }
    addFile(fileName, QString::fromUtf8(file.readAll()), path);
}

void SafetyRules::addFile(const QString &fileName, const QString &text, const QString &origin)
{
    if (!fileNames().contains(fileName)) {
        m_problems.append(QStringLiteral("%1：不是安全规则文件").arg(origin));
        return;
    }
    QString source;
    for (const TabSeparated::Line &read : TabSeparated::lines(text)) {
        const QString &line = read.text;
        if (line.trimmed().startsWith(QLatin1Char('#'))) {
            if (source.isEmpty())
                source = line.trimmed().mid(1).trimmed();
            continue;
        }
        QStringList cells = read.cells;
        for (QString &cell : cells)
            cell = cell.trimmed();
        const QString problem = addRow(fileName, cells, source.isEmpty() ? origin : source);
        if (!problem.isEmpty())
            m_problems.append(QStringLiteral("%1 第%2行：%3").arg(origin, QString::number(read.number), problem));
    }
}

QString SafetyRules::addRow(const QString &fileName, const QStringList &cells, const QString &source)
{
    if (fileName == HerbGroupsFile)
        return addHerbGroup(cells);
    if (fileName == IncompatibilitiesFile)
        return addIncompatibility(cells, source);
    if (fileName == ToxicDosesFile)
        return addDoseLimit(cells, source);
    if (fileName == RawToxicFile)
        return addRawToxicHerb(cells, source);
    if (fileName == AllergyClassesFile)
        return addAllergyClass(cells, source);
    if (fileName == CrossAllergiesFile)
        return addCrossAllergy(cells, source);
    if (fileName == PregnancyFile)
        return addPregnancyRule(cells, source);
    return addInspection(cells, source);
}

QString SafetyRules::addHerbGroup(const QStringList &cells)
{
    const QString name = cellAt(cells, 0);
    const QStringList members = herbNames(cellAt(cells, 1));
    if (name.isEmpty() || members.isEmpty())
        return QStringLiteral("应为“组名<TAB>成员、成员…”");
    // A clinic's row for an existing group adds its members to that group.
    for (HerbGroup &group : m_herbGroups) {
        if (group.name == name) {
            for (const QString &member : members) {
                if (!group.members.contains(member))
                    group.members.append(member);
            }
            return QString();
        }
    }
    m_herbGroups.append({name, members});
    return QString();
}

QString SafetyRules::addIncompatibility(const QStringList &cells, const QString &source)
{
    Incompatibility rule;
    if (cellAt(cells, 0) == QStringLiteral("十八反"))
        rule.kind = SafetyWarning::Kind::EighteenIncompatibilities;
    else if (cellAt(cells, 0) == QStringLiteral("十九畏"))
        rule.kind = SafetyWarning::Kind::NineteenFears;
    else
        return QStringLiteral("第一列应为“十八反”或“十九畏”");
    rule.first = cellAt(cells, 1);
    rule.second = cellAt(cells, 2);
    if (rule.first.isEmpty() || rule.second.isEmpty())
        return QStringLiteral("应为“十八反或十九畏<TAB>一方<TAB>另一方”");
    rule.source = source;
    m_incompatibilities.append(rule);
    return QString();
}

QString SafetyRules::addDoseLimit(const QStringList &cells, const QString &source)
{
    DoseLimit limit;
    limit.form = cellAt(cells, 0);
    if (limit.form.isEmpty())
        return QStringLiteral("缺品名");
    limit.names = herbNames(cellAt(cells, 1));
    if (limit.names.isEmpty())
        limit.names.append(canonicalHerbName(limit.form));
    limit.lowest = cellAt(cells, 2);
    limit.highest = cellAt(cells, 3);
    const std::optional<MassQuantity> lowest = MassQuantity::parse(limit.lowest, QStringLiteral("g"));
    const std::optional<MassQuantity> highest = MassQuantity::parse(limit.highest, QStringLiteral("g"));
    if (!lowest || !highest)
        return QStringLiteral("用量下限、上限应为克数");
    if (*highest < *lowest)
        return QStringLiteral("用量上限小于下限");
    limit.highestMass = *highest;
    limit.note = cellAt(cells, 4);
    limit.source = source;
    m_doseLimits.append(limit);
    return QString();
}

QString SafetyRules::addRawToxicHerb(const QStringList &cells, const QString &source)
{
    RawToxicHerb herb{cellAt(cells, 0), herbNames(cellAt(cells, 1)), cellAt(cells, 2), source};
    if (herb.form.isEmpty())
        return QStringLiteral("缺品名");
    if (herb.names.isEmpty())
        herb.names.append(canonicalHerbName(herb.form));
    m_rawToxicHerbs.append(herb);
    return QString();
}

QString SafetyRules::addCrossAllergy(const QStringList &cells, const QString &source)
{
    const auto known = [this](const QString &name) {
        return std::any_of(m_allergyClasses.cbegin(), m_allergyClasses.cend(),
                           [&name](const AllergyClass &allergyClass) { return allergyClass.name == name; });
    };
    CrossAllergy cross{cellAt(cells, 0), cellAt(cells, 1), false, cellAt(cells, 3), source};
    if (cross.from.isEmpty() || cross.to.isEmpty())
        return QStringLiteral("应为“过敏的类别<TAB>另一类别<TAB>禁用或慎用<TAB>说明书的写法”");
    for (const QString &name : {cross.from, cross.to}) {
        if (!known(name))
            return QStringLiteral("类别“%1”不在 allergyclasses.tsv 中").arg(name);
    }
    const QString severity = cellAt(cells, 2);
    if (severity != QStringLiteral("禁用") && severity != QStringLiteral("慎用"))
        return QStringLiteral("第三列应为“禁用”或“慎用”");
    cross.forbidden = severity == QStringLiteral("禁用");
    m_crossAllergies.append(cross);
    return QString();
}

QString SafetyRules::addPregnancyRule(const QStringList &cells, const QString &source)
{
    const QString severity = cellAt(cells, 0);
    if (severity != QStringLiteral("孕妇禁用") && severity != QStringLiteral("孕妇慎用"))
        return QStringLiteral("第一列应为“孕妇禁用”或“孕妇慎用”");
    PregnancyRule rule{severity == QStringLiteral("孕妇禁用"), cellAt(cells, 1), {}, source};
    if (rule.form.isEmpty())
        return QStringLiteral("缺品名");
    rule.names = herbNames(rule.form + QStringLiteral("、") + cellAt(cells, 2));
    m_pregnancyRules.append(rule);
    return QString();
}

QString SafetyRules::addAllergyClass(const QStringList &cells, const QString &source)
{
    const AllergyClass allergyClass{cellAt(cells, 0), listCell(cellAt(cells, 1)), listCell(cellAt(cells, 2)), source};
    if (allergyClass.name.isEmpty() || allergyClass.drugPatterns.isEmpty())
        return QStringLiteral("应为“类别<TAB>另指本类的词<TAB>药名含有的字样”");
    m_allergyClasses.append(allergyClass);
    return QString();
}

QString SafetyRules::addInspection(const QStringList &cells, const QString &source)
{
    const QString rule = cellAt(cells, 0);
    const QString value = cellAt(cells, 1);
    if (rule == QStringLiteral("西药处方药品种数上限")) {
        bool ok = false;
        const int maximum = value.toInt(&ok);
        if (!ok || maximum < 0)
            return QStringLiteral("上限应为整数");
        m_westernDrugLimit = {maximum, cellAt(cells, 2), source};
        return QString();
    }
    if (rule == QStringLiteral("保存时须写诊断")) {
        if (value != QStringLiteral("是") && value != QStringLiteral("否"))
            return QStringLiteral("取值应为“是”或“否”");
        m_diagnosisRule = {value == QStringLiteral("是"), cellAt(cells, 2), source};
        return QString();
    }
    return QStringLiteral("未知的规则“%1”").arg(rule);
}
