#pragma once

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include <QList>
#include <QString>
#include <QStringList>

// Names in the order a Chinese reader expects, as the clinic's old files listed them under a
// Chinese Windows: signs and digits first, then Latin letters without regard to case, then Han
// characters by pinyin (丁香, 三棱, 三七粉, 桑叶). The program sorts rather than the database, so
// both engines give the same order.
class NameOrder
{
public:
    // One key per name: names compare as their keys do.
    static std::vector<std::u32string> keys(const QStringList &names);

    static bool less(const QString &a, const QString &b);

    // Sorts the items by the name each has; items of equal names keep their order.
    template<typename T, typename NameOf>
    static void sort(QList<T> &items, NameOf nameOf)
    {
        sortRuns(items, [](const T &) { return 0; }, nameOf);
    }

    // Sorts by name within each run of items that share a leading value (a list already ordered by
    // an explicit order column), the runs staying where they are.
    template<typename T, typename RunOf, typename NameOf>
    static void sortRuns(QList<T> &items, RunOf runOf, NameOf nameOf)
    {
        if (items.size() < 2)
            return;
        QStringList names;
        names.reserve(items.size());
        std::vector<int> runs;
        runs.reserve(items.size());
        int run = 0;
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (i > 0 && !(runOf(items.at(i)) == runOf(items.at(i - 1))))
                ++run;
            runs.push_back(run);
            names.append(nameOf(items.at(i)));
        }
        const std::vector<std::u32string> keyed = keys(names);
        std::vector<qsizetype> positions(items.size());
        std::iota(positions.begin(), positions.end(), 0);
        std::stable_sort(positions.begin(), positions.end(), [&](qsizetype a, qsizetype b) {
            if (runs[a] != runs[b])
                return runs[a] < runs[b];
            return keyed[a] < keyed[b];
        });
        QList<T> sorted;
        sorted.reserve(items.size());
        for (const qsizetype position : positions)
            sorted.append(std::move(items[position]));
        items = std::move(sorted);
    }
};
