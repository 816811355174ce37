#include "records/medicalrecordtext.h"

namespace {

constexpr QChar SectionEnd = u'$';
constexpr QChar FullWidthDollar = u'\xFF04';

} // namespace

QString MedicalRecordText::join(const QStringList &sections)
{
    QString text;
    for (int i = 0; i < SectionCount; ++i)
        text += withoutSectionMark(sections.value(i)) + SectionEnd;
    return text;
}

QString MedicalRecordText::withoutSectionMark(const QString &text)
{
    QString result = text;
    return result.replace(SectionEnd, FullWidthDollar);
}

QStringList MedicalRecordText::split(const QString &text)
{
    QStringList sections;
    qsizetype start = 0;
    while (sections.size() < SectionCount) {
        const qsizetype end = text.indexOf(SectionEnd, start);
        if (end < 0)
            break;
        sections.append(text.mid(start, end - start));
        start = end + 1;
    }
    return sections;
}
