#pragma once

#include <QString>
#include <QStringList>

// The outpatient medical record of a prescription as the archive keeps it (column 病历): the nine
// section texts from chief complaint to treatment, each ended by "$".
class MedicalRecordText
{
public:
    static constexpr int SectionCount = 9;

    // Missing sections count as empty and sections past the ninth are dropped. Each section is
    // stored withoutSectionMark.
    static QString join(const QStringList &sections);
    // A "$" in a text that goes into the record (a section, a record template) as its full-width
    // counterpart "＄": read back, a plain one would end the section there and shift every later
    // section by one.
    static QString withoutSectionMark(const QString &text);
    // One section for each "$" found, at most nine; a text with fewer "$" gives fewer sections
    // (the text after the last "$" is not a section).
    static QStringList split(const QString &text);
};
