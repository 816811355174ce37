#include "data/databasekind.h"

#include "data/tables.h"

QString databaseFileName(DatabaseKind kind)
{
    return kind == DatabaseKind::Main ? QStringLiteral("数据库.dat") : QStringLiteral("用药统计.dat");
}

QStringList requiredTables(DatabaseKind kind)
{
    QStringList names;
    for (const TableDefinition *table : Tables::of(kind)) {
        if (!Tables::added(kind).contains(table))
            names.append(table->name());
    }
    return names;
}
