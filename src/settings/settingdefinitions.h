#pragma once

#include <QList>
#include <QString>

// The settings of the settings row; other parts read them by these keys, so a misspelt name
// cannot compile.
enum class Setting {
    OrganisationName,
    Physician,
    Dispenser,
    FeeClass,
    Department,
    PrescriptionFont,
    PrescriptionFontSize,
    PrescriptionLeftMargin,
    PrescriptionTopMargin,
    RecordLeftMargin,
    RecordTopMargin,
    CardLeftMargin,
    CardTopMargin,
    PrescriptionPrinter,
    RecordPrinter,
    PickListPrinter,
    DefaultPrinter,
    LogTopMargin,
    LogLeftMargin,
};

// A setting: its caption (as the settings window shows it and other parts cite it), its column of
// 设置, and where the settings window puts it.
struct SettingDefinition
{
    enum class Group { General, Printing, Printers, Hidden, NotInWindow };
    enum class Control { Line, FontList, FontSizeList, PrinterList };

    Setting key;
    QString caption;
    QString column;
    Group group;
    Control control;
};

// Every setting, in window order; the one place that lists them.
const QList<SettingDefinition> &settingDefinitions();
const SettingDefinition &settingDefinition(Setting key);
// The caption of a column of 设置; the column itself when no setting uses it.
QString settingCaption(const QString &column);
