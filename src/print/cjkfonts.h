#pragma once

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
};
