#include "data/templatekinds.h"

namespace TemplateKinds {

const QString &personalSet()
{
    static const QString kind = QStringLiteral("个人组套");
    return kind;
}

const QString &herbalFormula()
{
    static const QString kind = QStringLiteral("中药方剂");
    return kind;
}

const QString &recordPhrase()
{
    static const QString kind = QStringLiteral("病历模板");
    return kind;
}

const QStringList &all()
{
    static const QStringList kinds = {personalSet(), herbalFormula(), recordPhrase()};
    return kinds;
}

} // namespace TemplateKinds
