#pragma once

#include <optional>

#include <QJsonObject>
#include <QString>

// Debian's python3 with xlrd (python3-xlrd), which reads fonts and column widths; empty when none.
QString pythonWithXlrd();

// The JSON object a python script prints about a spreadsheet file, run by pythonWithXlrd().
// Nothing when the script fails or prints no object (its errors then go to the test log), and
// nothing when there is no such python: a test skips on that before it runs a script.
std::optional<QJsonObject> runXlrdScript(const QString &script, const QString &file);
