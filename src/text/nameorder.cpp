#include "text/nameorder.h"

#include <QChar>
#include <QCollator>
#include <QHash>
#include <QLocale>

namespace {

// A character's place: its class in the top byte, its rank within the class below.
enum Class : char32_t { Signs = 0, Letters = 1, Han = 2, Others = 3 };

char32_t placed(Class c, char32_t rank)
{
    return (char32_t(c) << 24) | (rank & 0xFFFFFF);
}

bool isHan(char32_t c)
{
    return QChar::script(c) == QChar::Script_Han;
}

} // namespace

std::vector<std::u32string> NameOrder::keys(const QStringList &names)
{
    // The Han characters of these names ranked once by the Chinese collation (their pinyin), so a
    // name compares character by character without collating whole names.
    QList<char32_t> han;
    QHash<char32_t, char32_t> ranks;
    for (const QString &name : names) {
        for (const char32_t c : name.toUcs4()) {
            if (isHan(c) && !ranks.contains(c)) {
                ranks.insert(c, 0);
                han.append(c);
            }
        }
    }
    if (!han.isEmpty()) {
        QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
        auto text = [](char32_t c) { return QString::fromUcs4(&c, 1); };
        std::stable_sort(han.begin(), han.end(), [&](char32_t a, char32_t b) { return collator.compare(text(a), text(b)) < 0; });
        char32_t rank = 0;
        for (qsizetype i = 0; i < han.size(); ++i) {
            // Characters the collation cannot tell apart share a rank, as equal names do.
            if (i > 0 && collator.compare(text(han.at(i - 1)), text(han.at(i))) != 0)
                ++rank;
            ranks.insert(han.at(i), rank);
        }
    }
    std::vector<std::u32string> keyed;
    keyed.reserve(names.size());
    for (const QString &name : names) {
        std::u32string key;
        for (char32_t c : name.toUcs4()) {
            if (c >= U'A' && c <= U'Z')
                c += U'a' - U'A';
            if (c >= U'a' && c <= U'z')
                key.push_back(placed(Letters, c));
            else if (c < 0x80)
                key.push_back(placed(Signs, c));
            else if (isHan(c))
                key.push_back(placed(Han, ranks.value(c)));
            else
                key.push_back(placed(Others, c));
        }
        keyed.push_back(std::move(key));
    }
    return keyed;
}

bool NameOrder::less(const QString &a, const QString &b)
{
    const std::vector<std::u32string> keyed = keys({a, b});
    return keyed[0] < keyed[1];
}
