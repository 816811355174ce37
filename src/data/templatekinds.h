#pragma once

#include <QString>
#include <QStringList>

// The kinds of template in table 个人模板, as its 类别 column stores them. The drug picker lists
// the first two beside the drug categories; the medical record offers the third.
namespace TemplateKinds {

// "个人组套": pieces of a Western prescription body.
const QString &personalSet();
// "中药方剂": herbal formulas, laid out three herbs to a line.
const QString &herbalFormula();
// "病历模板": phrases of the medical record.
const QString &recordPhrase();
// The three kinds, in the order of the template window's option buttons.
const QStringList &all();

} // namespace TemplateKinds
