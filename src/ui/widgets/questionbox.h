#pragma once

#include <QMessageBox>

class QString;
class QWidget;

// A question of ours in a message box titled "提示", its buttons worded in Chinese even where Qt's
// own translation is missing.
namespace QuestionBox {

// 是/否; true for 是. `yesByDefault` decides what Enter answers.
bool askYesNo(QWidget *parent, const QString &question, bool yesByDefault, QMessageBox::Icon icon = QMessageBox::Question);

// 确定/取消, for an action the user confirms; true for 确定. Enter answers 确定.
bool askOkCancel(QWidget *parent, const QString &question, QMessageBox::Icon icon = QMessageBox::Warning);

// A question whose two answers are worded for it (恢复/取消, 重试/退出); true for `accept`, which
// Enter answers.
bool askWith(QWidget *parent, const QString &question, const QString &accept, const QString &refuse,
             QMessageBox::Icon icon = QMessageBox::Question);

// Gives each standard button of the box its Chinese caption.
void wordButtons(QMessageBox &box);

} // namespace QuestionBox
