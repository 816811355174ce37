#include "ui/helppages.h"

QUrl HelpPages::operatingHelp()
{
    return QUrl(QStringLiteral("qrc:/help/help.html"));
}

QUrl HelpPages::catalogueHelp()
{
    return QUrl(QStringLiteral("qrc:/help/help.html#drug"));
}

QUrl HelpPages::homePage()
{
    return QUrl(QStringLiteral("qrc:/help/home.html"));
}

QUrl HelpPages::releaseNotes()
{
    return QUrl(QStringLiteral("qrc:/help/home.html#changes"));
}
