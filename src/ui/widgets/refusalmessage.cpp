#include "ui/widgets/refusalmessage.h"

#include <QMessageBox>

void showRefusal(QWidget *parent, const QString &message, bool notice)
{
    const QString title = QStringLiteral("提示");
    if (notice)
        QMessageBox::information(parent, title, message);
    else
        QMessageBox::warning(parent, title, message);
}
