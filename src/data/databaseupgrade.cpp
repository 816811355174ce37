#include "data/databaseupgrade.h"

#include "data/changecounters.h"
#include "data/database.h"
#include "data/tables.h"

WriteResult DatabaseUpgrade::ensureIndexes(Database &db, DatabaseKind kind)
{
    for (const TableDefinition *table : Tables::of(kind)) {
        for (const QString &statement : table->missingIndexStatements()) {
            const WriteResult made = db.exec(statement);
            if (!made.ok)
                return made;
        }
    }
    return WriteResult::success();
}

WriteResult DatabaseUpgrade::ensureChangeCounters(Database &db, DatabaseKind kind)
{
    if (db.engine() != SqlEngine::Sqlite)
        return WriteResult::success();
    return ChangeCounters::ensure(db, kind);
}
