#pragma once

#include <QList>
#include <QString>

// A setting of the settings window: its caption (the name other parts cite) and its column of 设置.
struct SettingDefinition
{
    QString caption;
    QString column;
};

// Every setting the settings window edits, in window order; the one place that lists them.
const QList<SettingDefinition> &settingDefinitions();

// The column of a setting named by caption or by column; empty when there is no such setting.
QString settingColumn(const QString &name);
// The caption of a column of 设置; the column itself when no setting of the window uses it.
QString settingCaption(const QString &column);
