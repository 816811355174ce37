#pragma once

#include <QString>

// A "like" pattern that finds the user's text anywhere, with "%", "_" and "\" in it taken
// literally. Use it with `like ? escape '\'`.
QString containsPattern(const QString &text);
// The same for a text the value must begin with.
QString startsWithPattern(const QString &text);
