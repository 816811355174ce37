#pragma once

#include <optional>

#include <QString>

class Database;

// One catalogue entry as pricing reads it.
struct CatalogueItem
{
    QString name; // as stored, brackets as braces
    QString unit;
    QString unitPrice;
    QString drawer;
    QString category;
};

// Finds catalogue entries by exact name for pricing; the first stored row of that name wins.
class CatalogueLookup
{
public:
    // Which entries a body item may be: a herb of a Chinese body, a charge item of its tail, or a
    // Western line (any drug or charge item, never a usage or a herb).
    enum class Scope { Herb, ChargeItem, WesternLine };

    explicit CatalogueLookup(Database &db);

    std::optional<CatalogueItem> find(const QString &name, Scope scope);

private:
    Database &m_db;
};
