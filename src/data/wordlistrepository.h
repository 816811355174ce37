#pragma once

#include <QList>
#include <QString>

#include "data/rowcache.h"
#include "data/writeresult.h"

class Database;
class TableDefinition;

// One of the two word lists the prescription header offers: common diagnoses (诊断) or common
// addresses (地址). Both have the same layout, so one class serves both.
class WordListRepository
{
public:
    struct Entry
    {
        qint64 rowId = 0;
        QString name;
    };

    WordListRepository(Database &db, const TableDefinition &table);

    // The entries whose search key (name followed by its initials) holds the typed text, or
    // whose name reads as the typed initials, in stored order.
    QList<Entry> find(const QString &typed);
    QStringList findNames(const QString &typed);

    // Adds an entry: the name as typed, its initials, and the search key name + initials (as much
    // of it as its column holds).
    WriteResult add(const QString &name, const QString &initials);
    // Deletes exactly the entry the user picked; one another computer removed meanwhile is gone already.
    WriteResult remove(const Entry &entry);

private:
    Database &m_db;
    const TableDefinition &m_table;
    RowCache m_cache;
};
