#include "app/settingdefinitions.h"

const QList<SettingDefinition> &settingDefinitions()
{
    static const QList<SettingDefinition> definitions = {
        {QStringLiteral("单位名称"), QStringLiteral("单位名称")},
        {QStringLiteral("医    师"), QStringLiteral("医师")},
        {QStringLiteral("发    药"), QStringLiteral("发药人")},
        {QStringLiteral("默认费别"), QStringLiteral("费别")},
        {QStringLiteral("默认科别"), QStringLiteral("科别")},
        {QStringLiteral("处方打印字体"), QStringLiteral("处方字体")},
        {QStringLiteral("处方字体大小"), QStringLiteral("处方字号")},
        {QStringLiteral("处方左边距"), QStringLiteral("左边距")},
        {QStringLiteral("处方上边距"), QStringLiteral("上边距")},
        {QStringLiteral("病历左边距"), QStringLiteral("左边距1")},
        {QStringLiteral("病历上边距"), QStringLiteral("上边距1")},
        {QStringLiteral("输注卡左边距"), QStringLiteral("左边距2")},
        {QStringLiteral("输液卡上边距"), QStringLiteral("上边距2")},
        {QStringLiteral("处方打印机"), QStringLiteral("处方打印机")},
        {QStringLiteral("病历打印机"), QStringLiteral("打印机2")},
        {QStringLiteral("取药单打印机"), QStringLiteral("打印机3")},
        {QStringLiteral("默认打印机"), QStringLiteral("默认打印机")},
    };
    return definitions;
}

QString settingColumn(const QString &name)
{
    for (const SettingDefinition &definition : settingDefinitions()) {
        if (definition.caption == name || definition.column == name)
            return definition.column;
    }
    return QString();
}

QString settingCaption(const QString &column)
{
    for (const SettingDefinition &definition : settingDefinitions()) {
        if (definition.column == column)
            return definition.caption;
    }
    return column;
}
