#include "print/widgets/printprompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

#include "ui/widgets/questionbox.h"
PrintPrompts PrintPrompts::dialogs(QWidget *parent)
{
    // The service may outlive a window it was made for.
    const QPointer<QWidget> owner(parent);
    PrintPrompts prompts;
    prompts.confirm = [owner](const QString &question) {
        return QuestionBox::askYesNo(owner, question, true);
    };
    prompts.confirmRisk = [owner](const QString &question) {
        return QuestionBox::askYesNo(owner, question, false);
    };
    prompts.pdfPath = [owner](const QString &suggestedPath) {
        return QFileDialog::getSaveFileName(owner, QStringLiteral("保存为PDF文件"), suggestedPath,
                                            QStringLiteral("PDF文件 (*.pdf)"));
    };
    prompts.inform = [owner](const QString &message) {
        QMessageBox::warning(owner, QStringLiteral("提示"), message);
    };
    return prompts;
}
