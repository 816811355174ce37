#pragma once

#include <QString>
#include <QStringList>

// The two database files of the program.
enum class DatabaseKind { Main, Stats };

// The file names in the data folder.
QString databaseFileName(DatabaseKind kind);
// The tables a file of that kind must hold to be one of ours.
QStringList requiredTables(DatabaseKind kind);
