#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The lines a multi-line text box would show for a text, worked out without the box from its
// font and the width its text is laid out in. A paragraph the box wraps gives several lines, so a
// printout made without the window (or before it is shown) breaks where the screen does.
class TextBoxWrap
{
public:
    // CR LF, LF and CR end a paragraph. The box breaks lines between words or, inside a word or a
    // run of Chinese, anywhere; an empty text gives one empty line, as an empty box shows.
    static QStringList lines(const QString &text, const QFont &font, double textWidthPixels);
};
