#pragma once

#include <QByteArray>

// Qt's PDF writer names each glyph of the text layer by the lowest code point the font draws with
// it. CJK fonts share one glyph between a radical and its ideograph (⻔ and 门, ⽅ and 方), and the
// space glyph with the tab, so a PDF would be searched and copied as "⻔诊处⽅" with tabs for spaces.
// This puts the right characters back, in place and byte for byte, so nothing else in the file moves.
class PdfTextRepair
{
public:
    // The character a reader should get for a glyph named by this code point: the ideograph of a
    // radical, a space for a control character other than U+0000, any other character itself.
    static char16_t textFor(char16_t named);
    // The PDF with the names in its ToUnicode maps replaced by textFor().
    static QByteArray repaired(QByteArray pdf);
};
