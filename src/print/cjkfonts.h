#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The forms and settings name the Windows fonts 宋体 and 黑体. Where those are not installed (Linux),
// Qt is told which installed CJK fonts stand in for them, so printouts and windows show Chinese.
class CjkFonts
{
public:
    static QString song() { return QStringLiteral("宋体"); }
    static QString hei() { return QStringLiteral("黑体"); }

    // Called once at start-up, before any window or printout uses a font.
    static void installSubstitutions();

    // The interface font: the platform's font at its size, drawn with a Simplified Chinese face, so
    // that a computer set to another language does not pick Japanese glyph forms (骨, 直, 令).
    static QFont interfaceFont(const QFont &platformFont);
    // The Simplified Chinese sans faces, most wanted first (Linux, then Windows).
    static QStringList interfaceFamilies();
};
