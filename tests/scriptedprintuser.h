#pragma once

#include <functional>

#include <QString>
#include <QStringList>

#include "print/widgets/printprompts.h"

// Answers printing's questions as a user would, by the suite's rule (yes to all unless set), and
// remembers what was asked.
struct ScriptedPrintUser
{
    std::function<bool(const QString &question)> answer = [](const QString &) { return true; };
    QString pdfPath;
    QStringList questions;
    QStringList suggestedPaths;
    QStringList messages;

    PrintPrompts prompts()
    {
        PrintPrompts prompts;
        prompts.confirm = [this](const QString &question) {
            questions.append(question);
            return answer(question);
        };
        prompts.pdfPath = [this](const QString &suggested) {
            suggestedPaths.append(suggested);
            return pdfPath;
        };
        prompts.inform = [this](const QString &message) { messages.append(message); };
        return prompts;
    }
};
