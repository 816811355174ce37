#pragma once

#include <QString>

// The patient register keeps a birth year, not an age, and keys each patient by the name as
// typed, the initials of the trimmed name and the birth year, run together.
namespace PatientKey {

// The birth year of an age text such as "35岁" in a given year: "岁", "Y" and "y" are removed and
// what is left counts as 0 years unless it is a number.
QString birthYear(const QString &age, int currentYear);
// The age shown for a stored birth year ("43岁"), or empty when the year is not a number.
QString ageText(const QString &birthYear, int currentYear);
QString of(const QString &name, const QString &birthYear);

} // namespace PatientKey
