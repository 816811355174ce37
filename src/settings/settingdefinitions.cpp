#include "settings/settingdefinitions.h"

const QList<SettingDefinition> &settingDefinitions()
{
    using Group = SettingDefinition::Group;
    using Control = SettingDefinition::Control;
    static const QList<SettingDefinition> definitions = {
        {Setting::OrganisationName, QStringLiteral("单位名称"), QStringLiteral("单位名称"), Group::General, Control::Line},
        {Setting::Physician, QStringLiteral("医    师"), QStringLiteral("医师"), Group::General, Control::Line},
        {Setting::Dispenser, QStringLiteral("发    药"), QStringLiteral("发药人"), Group::General, Control::Line},
        {Setting::FeeClass, QStringLiteral("默认费别"), QStringLiteral("费别"), Group::General, Control::Line},
        {Setting::Department, QStringLiteral("默认科别"), QStringLiteral("科别"), Group::General, Control::Line},
        {Setting::PrescriptionFont, QStringLiteral("处方打印字体"), QStringLiteral("处方字体"), Group::Printing, Control::FontList},
        {Setting::PrescriptionFontSize, QStringLiteral("处方字体大小"), QStringLiteral("处方字号"), Group::Printing, Control::FontSizeList},
        {Setting::PrescriptionLeftMargin, QStringLiteral("处方左边距"), QStringLiteral("左边距"), Group::Printing, Control::Line},
        {Setting::PrescriptionTopMargin, QStringLiteral("处方上边距"), QStringLiteral("上边距"), Group::Printing, Control::Line},
        {Setting::RecordLeftMargin, QStringLiteral("病历左边距"), QStringLiteral("左边距1"), Group::Printing, Control::Line},
        {Setting::RecordTopMargin, QStringLiteral("病历上边距"), QStringLiteral("上边距1"), Group::Printing, Control::Line},
        {Setting::CardLeftMargin, QStringLiteral("输注卡左边距"), QStringLiteral("左边距2"), Group::Printing, Control::Line},
        {Setting::CardTopMargin, QStringLiteral("输液卡上边距"), QStringLiteral("上边距2"), Group::Printing, Control::Line},
        {Setting::PrescriptionPrinter, QStringLiteral("处方打印机"), QStringLiteral("处方打印机"), Group::Printers, Control::PrinterList},
        {Setting::RecordPrinter, QStringLiteral("病历打印机"), QStringLiteral("打印机2"), Group::Printers, Control::PrinterList},
        {Setting::PickListPrinter, QStringLiteral("取药单打印机"), QStringLiteral("打印机3"), Group::Printers, Control::PrinterList},
        {Setting::DefaultPrinter, QStringLiteral("默认打印机"), QStringLiteral("默认打印机"), Group::Hidden, Control::PrinterList},
        // The outpatient log keeps its own margins in the same row; the settings window leaves them alone.
        {Setting::LogTopMargin, QStringLiteral("日志上边距"), QStringLiteral("日志上边距"), Group::NotInWindow, Control::Line},
        {Setting::LogLeftMargin, QStringLiteral("日志左边距"), QStringLiteral("日志左边距"), Group::NotInWindow, Control::Line},
    };
    return definitions;
}

const SettingDefinition &settingDefinition(Setting key)
{
    // The list is in enum order.
    return settingDefinitions().at(int(key));
}

QString settingCaption(const QString &column)
{
    for (const SettingDefinition &definition : settingDefinitions()) {
        if (definition.column == column)
            return definition.caption;
    }
    return column;
}
