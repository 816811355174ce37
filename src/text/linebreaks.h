#pragma once

#include <QString>

// Stored texts break lines with CR LF, as the clinic's files always have; a text box breaks them
// with LF. These turn one into the other.
namespace LineBreaks {

// The text as a box shows it: CR LF (or a lone CR) becomes LF.
QString shown(const QString &stored);
// The text as it is stored: every line break becomes CR LF.
QString stored(const QString &shown);

// A caret position in the stored text moved to the shown one: each CR LF before it is one
// character there.
int shownPosition(const QString &stored, int position);
// A caret position in the shown text moved to the stored one: each LF before it is CR LF there.
int storedPosition(const QString &shown, int position);

} // namespace LineBreaks
