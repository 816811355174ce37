#pragma once

#include <QString>
#include <QStringList>

#include "ui/widgets/filechooser.h"

// Answers a window's file dialogs in place of the user and notes what they asked: "title|filter"
// for a save, "title|filter|folder" for an open.
class ScriptedFiles : public FileChooser
{
public:
    QString saveFileName(QWidget *, const QString &title, const QString &filter) override
    {
        asked.append(title + QLatin1Char('|') + filter);
        return saveAnswer;
    }
    QString openFileName(QWidget *, const QString &title, const QString &filter, const QString &folder) override
    {
        asked.append(title + QLatin1Char('|') + filter + QLatin1Char('|') + folder);
        return openAnswer;
    }

    QString saveAnswer;
    QString openAnswer;
    QStringList asked;
};
