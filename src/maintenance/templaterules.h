#pragma once

#include <QString>
#include <QStringList>

// How a template of table 个人模板 is stored (its kinds are TemplateKinds): the tidying every
// content gets, the herb layout of a formula, and the order value a new template is proposed.
namespace TemplateRules {

// Leading and trailing spaces and trailing empty lines (CR LF) removed.
QString tidy(const QString &content);

// The content as stored, and where the caret belongs in it afterwards (for a formula between the
// laid-out herbs and the tail; otherwise at the end).
struct StoredContent
{
    QString text;
    int caret = 0;
};
// Tidies the content and keeps a "$" from ending a record section (MedicalRecordText::
// withoutSectionMark); a formula additionally gets "g" for "克", a space for "、" and the herb
// layout of the prescription body.
StoredContent forSaving(const QString &kind, const QString &content);

// The order value of a new template after `count` templates of its kind: the last three digits
// of count + 1 ("001", "012"; 999 templates give "000").
QString orderAfter(int count);

} // namespace TemplateRules
