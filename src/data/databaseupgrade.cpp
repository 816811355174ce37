#include "data/databaseupgrade.h"

#include "data/database.h"
#include "data/sqltransaction.h"
#include "data/tables.h"

WriteResult DatabaseUpgrade::ensureIndexes(Database &db, DatabaseKind kind)
{
    SqlTransaction guard(db);
    if (!guard.isActive())
        return guard.begun();
    for (const TableDefinition *table : Tables::of(kind)) {
        for (const QString &statement : table->indexStatements()) {
            const WriteResult created = db.exec(statement);
            if (!created.ok)
                return created;
        }
    }
    return guard.commit();
}
