#include "ui/widgets/questionbox.h"

#include <QAbstractButton>
#include <QPushButton>

#include "ui/standardbuttontexts.h"

namespace {

bool ask(QWidget *parent, const QString &question, QMessageBox::Icon icon, QMessageBox::StandardButton accept,
         QMessageBox::StandardButton refuse, QMessageBox::StandardButton byDefault)
{
    QMessageBox box(icon, QStringLiteral("提示"), question, accept | refuse, parent);
    box.setDefaultButton(byDefault);
    QuestionBox::wordButtons(box);
    return box.exec() == accept;
}

} // namespace

namespace QuestionBox {

bool askYesNo(QWidget *parent, const QString &question, bool yesByDefault, QMessageBox::Icon icon)
{
    return ask(parent, question, icon, QMessageBox::Yes, QMessageBox::No, yesByDefault ? QMessageBox::Yes : QMessageBox::No);
}

bool askOkCancel(QWidget *parent, const QString &question, QMessageBox::Icon icon)
{
    return ask(parent, question, icon, QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::Ok);
}

bool askWith(QWidget *parent, const QString &question, const QString &accept, const QString &refuse, QMessageBox::Icon icon)
{
    QMessageBox box(icon, QStringLiteral("提示"), question, QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton(accept, QMessageBox::AcceptRole);
    box.addButton(refuse, QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == static_cast<QAbstractButton *>(yes);
}

void wordButtons(QMessageBox &box)
{
    static const struct
    {
        QMessageBox::StandardButton button;
        const char *english;
    } Buttons[] = {{QMessageBox::Ok, "OK"},           {QMessageBox::Cancel, "Cancel"}, {QMessageBox::Yes, "&Yes"},
                   {QMessageBox::No, "&No"},          {QMessageBox::Save, "Save"},     {QMessageBox::Discard, "Discard"},
                   {QMessageBox::Close, "Close"},     {QMessageBox::Retry, "Retry"},   {QMessageBox::Ignore, "Ignore"},
                   {QMessageBox::Abort, "Abort"}};
    for (const auto &entry : Buttons) {
        if (QAbstractButton *button = box.button(entry.button))
            button->setText(StandardButtonTexts::chinese(QString::fromLatin1(entry.english)));
    }
}

} // namespace QuestionBox
