#pragma once

#include "data/databasekind.h"

#include <QString>

// Tells whether an existing file is one of our databases, without ever writing to it:
// a file of another kind (or a damaged one) must be left exactly as it is.
class DatabaseFileCheck
{
public:
    enum class Verdict { Missing, Ours, NotOurs };

    static Verdict check(const QString &path, DatabaseKind kind);
};
