#include "prescription/safety/foldedtext.h"

QString foldedText(const QString &text)
{
    // ASCII and the unified ideographs are unchanged by NFKC; most names hold nothing else, and
    // normalising them would cost more than the rest of a check.
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80 && (u < 0x4e00 || u > 0x9fff))
            return text.normalized(QString::NormalizationForm_KC);
    }
    return text;
}
