#pragma once

#include <QUrl>

// The pages the help menu and the About window open. They ship inside the program, so help
// works without a network connection.
struct HelpPages
{
    static QUrl operatingHelp();
    // The section of the operating help about the drug catalogue.
    static QUrl catalogueHelp();
    static QUrl homePage();
    static QUrl releaseNotes();
};
