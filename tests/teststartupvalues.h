#pragma once

#include "testdatabase.h"

#include "app/startupvalues.h"

// The start-up values of a program on the test databases; without a statistics database the
// statistics file is one beside the main file, made when the program first writes it.
inline StartupValues testStartupValues(TestDatabase &main, TestDatabase *stats = nullptr)
{
    StartupValues values;
    values.mainDataPath = main.path();
    values.mainLocation = main.location();
    if (stats) {
        values.statsDataPath = stats->path();
        values.statsLocation = stats->location();
    } else {
        values.statsDataPath = main.folder() + QStringLiteral("/用药统计.dat");
        values.statsLocation = DatabaseLocation::file(values.statsDataPath);
    }
    return values;
}
