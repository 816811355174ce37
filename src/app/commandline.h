#pragma once

#include <QString>
#include <QStringList>

// The program's command line: --help and --version print and end the program before anything
// else happens; --data-folder PATH runs on that folder instead of the usual one. Read before any
// window or file is touched, so that printing the version needs neither a screen nor a data folder.
class CommandLine
{
public:
    enum class Action { Run, PrintHelp, PrintVersion, Refuse };

    Action action = Action::Run;
    // Absolute, set only by --data-folder.
    QString dataFolder;
    // What to print: the help or version text, or why the line was refused.
    QString text;

    // `arguments` as the program received them, its own name first. Qt's own options
    // (-platform, -style …) are let through for Qt, which reads them afterwards.
    static CommandLine parse(const QStringList &arguments);

    // 0 after help and version, 2 for a refused line; only meaningful when the action is not Run.
    int exitCode() const;
    static QString helpText(const QString &programName);
    static QString versionText();
};
