#pragma once

#include <QString>
#include <QStringList>

// Herb names as written on a prescription ("白芍[炒]", "酒白芍", "半夏{法}") reduced to the names
// the rule files list, so a rule written for 白芍 also holds for its processed forms. Only whole
// processing prefixes come off, and nothing from the end: 白附子 never becomes 附子, 土贝母 never 贝母.

// Whitespace removed, full-width and compatibility forms folded, notes in brackets or braces taken
// out; a note that names processing becomes a prefix ("半夏{法}" → "法半夏"), any other note
// ("阿胶{烊化}", "附子[先煎]") is dropped.
QString canonicalHerbName(const QString &written);

enum class RawPrefix { Strip, Keep };

// The canonical name, then what is left after each processing prefix in turn comes off, most
// specific first: "酒白芍" → 酒白芍, 白芍. With RawPrefix::Keep the prefix 生 stays and ends the
// list, for rules in which the raw herb is a different thing (its dose).
QStringList herbNameForms(const QString &written, RawPrefix raw);
