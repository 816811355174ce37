#pragma once

#include <QString>

// Text as typed, with full-width letters, digits and brackets and compatibility ideographs
// folded to their plain forms (NFKC), so "６ｇ" reads as "6g" and "［炒］" as "[炒]".
QString foldedText(const QString &text);
