#include "data/wordlistrepository.h"

#include "data/database.h"
#include "data/sqlrow.h"
#include "data/tabledefinition.h"

WordListRepository::WordListRepository(Database &db, const TableDefinition &table)
    : m_db(db)
    , m_table(table)
    , m_cache(db, QStringLiteral("select rowid, \"名称\", \"序号\" from %1 order by rowid").arg(quotedName(table.name())))
{
}

QList<WordListRepository::Entry> WordListRepository::find(const QString &typed)
{
    QList<Entry> entries;
    for (const RowCache::Row *row : m_cache.find(typed))
        entries.append({row->rowId, row->name});
    return entries;
}

QStringList WordListRepository::findNames(const QString &typed)
{
    QStringList names;
    for (const RowCache::Row *row : m_cache.find(typed))
        names.append(row->name);
    return names;
}

WriteResult WordListRepository::add(const QString &name, const QString &initials)
{
    return m_db.insert(SqlRow(m_table)
                           .set(QStringLiteral("名称"), name)
                           .set(QStringLiteral("拼音"), initials)
                           .setClipped(QStringLiteral("序号"), name + initials));
}

WriteResult WordListRepository::remove(const Entry &entry)
{
    return m_db.exec(QStringLiteral("delete from %1 where rowid = ? and \"名称\" = ?").arg(quotedName(m_table.name())),
                     {entry.rowId, entry.name});
}
