#include "maintenance/templaterules.h"

#include "data/templatekinds.h"
#include "prescription/bodytext.h"
#include "records/medicalrecordtext.h"

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString trimmedSpaces(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

} // namespace

namespace TemplateRules {

QString tidy(const QString &content)
{
    // Until nothing changes: spaces after the last line break hide a further empty line.
    QString text = content;
    for (;;) {
        QString next = trimmedSpaces(text);
        if (next.endsWith(CrLf))
            next.chop(CrLf.size());
        if (next == text)
            return text;
        text = next;
    }
}

StoredContent forSaving(const QString &kind, const QString &content)
{
    QString text = MedicalRecordText::withoutSectionMark(tidy(content));
    if (kind != TemplateKinds::herbalFormula())
        return {text, int(text.size())};
    text.replace(QStringLiteral("克"), QStringLiteral("g"));
    text.replace(QStringLiteral("、"), QStringLiteral(" "));
    const BodyText::HerbLayout layout = BodyText::reflowHerbs(text);
    return {layout.text, layout.caret};
}

QString orderAfter(int count)
{
    return QString::number(count + 1).rightJustified(3, QLatin1Char('0')).right(3);
}

} // namespace TemplateRules
