#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

#include <QDateTime>
#include <QList>
#include <QString>

#include "data/deletedrowsrepository.h"
#include "data/rowcache.h"
#include "data/timestampkeygenerator.h"
#include "data/writeresult.h"

class Database;

// The clinic's catalogue, table 商品: drugs, herbs, charge items and usage terms. Every SQL of
// the drug maintenance window lives here: its search list, saving and deleting one entry, the
// rows of an export, an import in one transaction and the clearing of a category.
class CatalogueRepository
{
public:
    struct Entry
    {
        QString key;           // ID号
        QString name;          // 名称, brackets stored as braces
        QString usualQuantity; // 常用量: strength and pack, or grams of a herb
        QString unit;          // 单位
        QString price;         // 单价: "" or three decimals
        QString initials;      // 拼音
        QString usage;         // 用法
        QString category;      // 分类
        QString drawer;        // 斗位
        QString searchKey;     // 查询

        bool operator==(const Entry &other) const = default;
    };

    struct ImportResult
    {
        WriteResult result;
        // The entry the database refused, or -1.
        int failedIndex = -1;
        bool cancelled = false;
    };

    // Called after each stored entry with the count so far; returning false gives the work up.
    using Progress = std::function<bool(int done, int total)>;

    explicit CatalogueRepository(Database &db);
    ~CatalogueRepository();
    CatalogueRepository(const CatalogueRepository &) = delete;
    CatalogueRepository &operator=(const CatalogueRepository &) = delete;

    // The entries whose category begins with the prefix and whose search key holds the typed
    // text (literally, as typed) or whose name reads as the typed initials, ordered by name.
    QList<Entry> find(const QString &categoryPrefix, const QString &typed);
    // Starts reading the entries of a category prefix on a worker thread, so that the window
    // opening on them finds them ready.
    void preload(const QString &categoryPrefix);
    // Every entry of the categories beginning with the prefix, ordered by name, read from the
    // file now; nothing when it cannot be read (readError() says why).
    std::optional<QList<Entry>> list(const QString &categoryPrefix);
    std::optional<Entry> byKey(const QString &key);
    QString readError() const;

    // Stores a new entry under a key no entry has, taken now; `entry.key` receives it.
    WriteResult add(Entry &entry, const QDateTime &now = QDateTime::currentDateTime());
    // Stores an entry over the row of its key, whatever category that row had. A row deleted
    // meanwhile (on another computer) is stored again under the same key.
    WriteResult update(const Entry &entry);
    // Deletes the entry of that key, keeping it in the deleted rows (DeletedRowsRepository).
    WriteResult remove(const QString &key, const QDateTime &now = QDateTime::currentDateTime());
    // Deletes every entry whose category begins with the prefix, in one statement.
    WriteResult clear(const QString &categoryPrefix);

    // Appends the entries in one transaction: all of them or, when one is refused or the
    // progress gives up, none. Keys are one import stamp followed by 1001, 1002 …
    ImportResult import(const QList<Entry> &entries, const QDateTime &now = QDateTime::currentDateTime(),
                        const Progress &progress = {});
    // The "yyyymmddhhmmss" stamp an import starting now uses: the first second from now on that
    // no imported key begins with, so two imports within one second keep their keys apart.
    // Nothing when the keys could not be read (a stamp then might repeat another import's keys).
    std::optional<QString> importStamp(const QDateTime &now);

    // Refuses a value too long for its field, naming the field as the window shows it.
    static WriteResult checkWidths(const Entry &entry);
    static QString fieldCaption(const QString &column);

private:
    // The rows of one category prefix, and the same rows as entries, made once per reload so
    // that a keystroke only picks among them.
    struct Listing
    {
        std::unique_ptr<RowCache> cache;
        int generation = -1;
        QList<Entry> entries;
    };

    Listing &listingOf(const QString &categoryPrefix);

    Database &m_db;
    TimestampKeyGenerator m_keys;
    DeletedRowsRepository m_deleted;
    std::unordered_map<QString, Listing> m_listings;
};
