#include "prescription/drugcategories.h"

#include "data/templatekinds.h"

QString storedKind(PrescriptionKind kind)
{
    return kind == PrescriptionKind::Chinese ? QStringLiteral("中") : QStringLiteral("西");
}

PrescriptionKind kindOfStored(const QString &stored)
{
    return stored == QStringLiteral("中") ? PrescriptionKind::Chinese : PrescriptionKind::Western;
}

const QStringList &DrugCategories::captions()
{
    static const QStringList list = {
        QStringLiteral("抗生素"), QStringLiteral("输液"), QStringLiteral("心血管"), QStringLiteral("呼吸"), QStringLiteral("消化"),
        QStringLiteral("神经"), QStringLiteral("内分泌"), QStringLiteral("解热镇痛"), QStringLiteral("维生素激素"), QStringLiteral("外用"),
        QStringLiteral("中成药"), QStringLiteral("其他"), QStringLiteral("收费项目"), QStringLiteral("用法"), QStringLiteral("中药"),
        TemplateKinds::herbalFormula(), TemplateKinds::personalSet(),
    };
    return list;
}

QStringList DrugCategories::westernSubcategories()
{
    return captions().mid(0, ChargeItems);
}

DrugCategories::KindEffect DrugCategories::kindEffect(int index)
{
    if (index == Herbs || index == Formulas)
        return KindEffect::Chinese;
    if (index == ChargeItems || index == Usages)
        return KindEffect::Unchanged;
    return KindEffect::Western;
}
