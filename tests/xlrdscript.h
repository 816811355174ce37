#pragma once

#include <QJsonObject>
#include <QString>

// Debian's python3 with xlrd (python3-xlrd), which reads fonts and column widths; empty when none.
QString pythonWithXlrd();

// The JSON object a python script prints about a spreadsheet file, run by pythonWithXlrd(); empty
// when there is no such python or the script fails, whose errors then go to the test log.
QJsonObject runXlrdScript(const QString &script, const QString &file);
