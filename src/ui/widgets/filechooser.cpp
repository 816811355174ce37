#include "ui/widgets/filechooser.h"

#include <QFileDialog>

QString DialogFileChooser::saveFileName(QWidget *parent, const QString &title, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, title, QString(), filter);
}

QString DialogFileChooser::openFileName(QWidget *parent, const QString &title, const QString &filter, const QString &folder)
{
    return QFileDialog::getOpenFileName(parent, title, folder, filter, nullptr, QFileDialog::ReadOnly);
}
