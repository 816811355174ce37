#include "prescription/patientkey.h"

#include <QRegularExpression>

#include "text/pinyininitials.h"

namespace PatientKey {

QString birthYear(const QString &age, int currentYear)
{
    QString years = age;
    years.remove(QStringLiteral("岁")).remove(QLatin1Char('Y')).remove(QLatin1Char('y'));
    static const QRegularExpression number(QStringLiteral(R"(^\s*[+-]?(\d+)(\.\d*)?\s*$)"));
    const QRegularExpressionMatch match = number.match(years);
    const int whole = match.hasMatch() ? match.captured(1).toInt() : 0;
    return QString::number(currentYear - (years.trimmed().startsWith(QLatin1Char('-')) ? -whole : whole));
}

QString ageText(const QString &birthYear, int currentYear)
{
    bool ok = false;
    const int year = birthYear.trimmed().toInt(&ok);
    if (!ok)
        return QString();
    return QString::number(currentYear - year) + QStringLiteral("岁");
}

QString of(const QString &name, const QString &birthYear)
{
    return name + pinyinInitials(name.trimmed()) + birthYear;
}

} // namespace PatientKey
