#pragma once

#include <QList>
#include <QString>

#include "data/rowcache.h"

class Database;

// The catalogue as the prescription window's result list shows it: every entry in name order,
// kept in memory so that each keystroke answers at once.
class PickListRepository
{
public:
    struct Entry
    {
        QString name; // as stored, brackets as braces
        QString pack; // 常用量
        QString unit;
        QString usage;
        QString category;
    };

    explicit PickListRepository(Database &db);

    // Starts reading the catalogue on a worker thread, so the first keystroke finds it ready.
    void preload() { m_cache.preload(); }
    // How many times the catalogue was read whole, for measuring.
    int wholeLoads() const { return m_cache.wholeLoads(); }

    // Entries of one category ("中药"), for a typed text.
    QList<Entry> findInCategory(const QString &category, const QString &typed);
    // Entries of every category but one ("中药"), for a typed text.
    QList<Entry> findOutsideCategory(const QString &category, const QString &typed);
    // Entries whose category ends with a text (a Western subcategory, "收费项目", "用法").
    QList<Entry> categoryEndingWith(const QString &ending);
    // The category of the first entry of a stored name; empty when there is none.
    QString categoryOf(const QString &storedName);

private:
    template<typename Keep>
    QList<Entry> collect(const QString &typed, Keep keep);

    RowCache m_cache;
    QHash<QString, QString> m_categories;
    int m_categoriesGeneration = -1;
};
