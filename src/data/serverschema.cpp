#include "data/serverschema.h"

#include "data/changecounters.h"
#include "data/tabledefinition.h"
#include "data/tables.h"

namespace ServerSchema {

QString changeTable()
{
    return ChangeCounters::tableName();
}

QStringList createStatements(const QString &schema, DatabaseKind kind)
{
    const QString own = quotedName(schema);
    QStringList statements = {
        QStringLiteral("CREATE SCHEMA %1").arg(own),
        // A trusted extension: the owner of the database may add it.
        QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext WITH SCHEMA public"),
        searchPathStatement(schema),
        QStringLiteral("CREATE TABLE %1.%2 (table_name text PRIMARY KEY, counter bigint NOT NULL DEFAULT 0)").arg(own, changeTable()),
        QStringLiteral("CREATE FUNCTION %1.quillon_note_change() RETURNS trigger LANGUAGE plpgsql AS $$\n"
                       "BEGIN\n"
                       "    UPDATE %1.%2 SET counter = counter + 1 WHERE table_name = TG_TABLE_NAME;\n"
                       "    RETURN NULL;\n"
                       "END\n"
                       "$$")
            .arg(own, changeTable()),
        // Amount::leadingNumber in SQL, null for null and empty texts (which sums leave out): blanks,
        // a sign, digits with blanks between them, one point, six decimals rounded up by a seventh
        // of 5 or more; no number at all reads as 0. One expression without FROM, so the planner
        // inlines it; plain numbers take the first branch.
        QStringLiteral("CREATE FUNCTION %1.quillon_leading_number(value text) RETURNS numeric LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$\n"
                       "SELECT CASE WHEN value IS NULL OR value = '' THEN NULL\n"
                       "    WHEN value ~ '^[0-9]{1,15}([.][0-9]{0,6})?$' THEN value::numeric\n"
                       "    ELSE (CASE WHEN substring(value FROM E'^[ \\t]*([-+])') = '-' THEN -1 ELSE 1 END)\n"
                       "       * (coalesce(nullif(translate(substring(value FROM E'^[ \\t]*[-+]?([0-9 \\t]*)'), E' \\t', ''), ''), '0')::numeric\n"
                       "          + coalesce(trunc(('0.' || nullif(translate(substring(value FROM E'^[ \\t]*[-+]?[0-9 \\t]*[.]([0-9 \\t]*)'), E' \\t', ''), ''))::numeric, 6), 0)\n"
                       "          + CASE WHEN substr(translate(substring(value FROM E'^[ \\t]*[-+]?[0-9 \\t]*[.]([0-9 \\t]*)'), E' \\t', ''), 7, 1) >= '5' THEN 0.000001 ELSE 0 END)\n"
                       "    END\n"
                       "$$")
            .arg(own),
        QStringLiteral("CREATE FUNCTION %1.quillon_decimal_sum_step(state numeric, value text) RETURNS numeric LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$\n"
                       "SELECT CASE WHEN value IS NULL OR value = '' THEN state ELSE coalesce(state, 0) + %1.quillon_leading_number(value) END\n"
                       "$$")
            .arg(own),
        QStringLiteral("CREATE FUNCTION %1.quillon_decimal_sum_final(state numeric) RETURNS text LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$\n"
                       "SELECT trim_scale(state)::text\n"
                       "$$")
            .arg(own),
        QStringLiteral("CREATE AGGREGATE %1.decimal_sum(text) (SFUNC = %1.quillon_decimal_sum_step, STYPE = numeric, "
                       "FINALFUNC = %1.quillon_decimal_sum_final, PARALLEL = SAFE)")
            .arg(own),
    };
    for (const TableDefinition *table : Tables::of(kind))
        statements += tableStatements(schema, *table);
    return statements;
}

QStringList tableStatements(const QString &schema, const TableDefinition &table)
{
    const QString own = quotedName(schema);
    QStringList statements = table.createStatements(SqlEngine::Postgres);
    const QString name = quotedName(table.name());
    statements.append(QStringLiteral("CREATE TRIGGER %1 AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON %2 "
                                     "FOR EACH STATEMENT EXECUTE FUNCTION %3.quillon_note_change()")
                          .arg(quotedName(table.name() + QStringLiteral("_changes")), name, own));
    statements.append(QStringLiteral("INSERT INTO %1.%2 (table_name) VALUES (%3) ON CONFLICT DO NOTHING").arg(own, changeTable(), quotedText(table.name())));
    return statements;
}

QString searchPathStatement(const QString &schema)
{
    return QStringLiteral("SET search_path TO %1, public").arg(quotedName(schema));
}

} // namespace ServerSchema
