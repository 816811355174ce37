#pragma once

#include <QString>

// The catalogue stores square brackets as braces ("白芍[炒]" is kept as "白芍{炒}"); the windows
// show and take them as square brackets. These turn one into the other.
namespace CatalogueName {

// The text as the catalogue stores it: "[" and "]" become "{" and "}".
QString stored(QString shown);
// The text as it is shown: "{" and "}" become "[" and "]".
QString shown(QString stored);

} // namespace CatalogueName
