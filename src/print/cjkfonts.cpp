#include "print/cjkfonts.h"

#include <QFont>
#include <QList>

namespace {

struct Substitution
{
    QStringList windowsFamilies;
    QStringList installed;
};

// Serif Chinese faces (宋体 and its relatives) become a serif CJK font, the sans ones a sans CJK font.
const QList<Substitution> &substitutions()
{
    static const QList<Substitution> table = {
        {{CjkFonts::song(), QStringLiteral("SimSun"), QStringLiteral("新宋体"), QStringLiteral("NSimSun"),
          QStringLiteral("仿宋"), QStringLiteral("FangSong"), QStringLiteral("楷体"), QStringLiteral("KaiTi")},
         {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Serif SC"), QStringLiteral("AR PL UMing CN"),
          QStringLiteral("Noto Sans CJK SC")}},
        {{CjkFonts::hei(), QStringLiteral("SimHei"), QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei")},
         {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Zen Hei"),
          QStringLiteral("Droid Sans Fallback")}},
    };
    return table;
}

} // namespace

void CjkFonts::installSubstitutions()
{
    for (const Substitution &substitution : substitutions()) {
        for (const QString &family : substitution.windowsFamilies)
            QFont::insertSubstitutions(family, substitution.installed);
    }
}

QStringList CjkFonts::interfaceFamilies()
{
    return {QStringLiteral("Noto Sans CJK SC"),  QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Micro Hei"),
            QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Microsoft YaHei"),    QStringLiteral("微软雅黑"),
            QStringLiteral("SimSun"),            QStringLiteral("宋体")};
}

QFont CjkFonts::interfaceFont(const QFont &platformFont)
{
    QFont font = platformFont;
    font.setFamilies(interfaceFamilies());
    return font;
}
