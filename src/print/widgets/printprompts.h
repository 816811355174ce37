#pragma once

#include <functional>

#include <QString>

class QWidget;

// The questions the print service asks the user. The program answers them with dialogs; tests
// answer them without any window.
struct PrintPrompts
{
    // A yes/no question; true for yes.
    std::function<bool(const QString &question)> confirm;
    // A question whose safe answer is no (printing despite a warning): 否 is the default, and
    // without this prompt the answer is no.
    std::function<bool(const QString &question)> confirmRisk;
    // Where to save a PDF, starting from the suggested path; empty when the user cancels.
    std::function<QString(const QString &suggestedPath)> pdfPath;
    // A message the user must see, such as a failure.
    std::function<void(const QString &message)> inform;

    // Message boxes and the file dialog, over the given window.
    static PrintPrompts dialogs(QWidget *parent);
};
