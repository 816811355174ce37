#pragma once

#include <memory>
#include <optional>
#include <unordered_map>

#include <QList>
#include <QString>

#include "data/rowcache.h"
#include "data/timestampkeygenerator.h"
#include "data/writeresult.h"

class Database;

// The templates of table 个人模板, of three kinds: "个人组套" (personal sets), "中药方剂" (herbal
// formulas) and "病历模板" (medical-record phrases). Every list of them is in 排序 order.
class TemplateRepository
{
public:
    struct Template
    {
        QString key; // 序号
        QString name;
        QString content;
        QString initials;
        QString kind;
        QString order; // 排序
    };

    explicit TemplateRepository(Database &db);
    ~TemplateRepository();

    // Every template of a kind, in 排序 order (as text).
    QList<Template> list(const QString &kind);
    // The templates of a kind whose search key holds the typed text, or whose name reads as the
    // typed initials, in 排序 order.
    QList<Template> find(const QString &kind, const QString &typed);
    std::optional<Template> byKey(const QString &key);
    int count(const QString &kind);

    // Stores a template under its key: an update when a template of that key and kind exists,
    // else a new row. The search key is name + initials + their keypad digits.
    WriteResult save(const Template &entry);
    // Stores a new template. Its key stays when no template has it yet (another computer may have
    // taken it since it was handed out); otherwise the next free one is set in `entry`.
    WriteResult add(Template &entry);
    WriteResult remove(const QString &key, const QString &kind);
    // A key ("yyyymmddhhmmss") no template has.
    QString freshKey();

private:
    RowCache &cacheOf(const QString &kind);
    bool keyInUse(const QString &key);

    Database &m_db;
    // Remembers the keys it handed out, so two new templates within one second differ.
    TimestampKeyGenerator m_keys;
    std::unordered_map<QString, std::unique_ptr<RowCache>> m_caches;
};
