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

    // What a look-up found: an entry, nothing (the catalogue has no such entry), or a read that
    // failed (the file busy or damaged, the server lost), which says nothing about the catalogue.
    struct Found
    {
        std::optional<CatalogueItem> item;
        // Why the read failed, in Chinese; empty when it succeeded.
        QString readError;
        // Whether another computer's lock stopped it.
        bool busy = false;
        bool failed() const { return !readError.isEmpty(); }
    };

    explicit CatalogueLookup(Database &db);

    Found find(const QString &name, Scope scope);
    // A priced line's entry, looked for where pricing looks: on a herbal prescription among the
    // herbs and then the charge items, on a Western one among every drug and charge item.
    Found findPriced(const QString &name, bool herbal);

private:
    Database &m_db;
};
