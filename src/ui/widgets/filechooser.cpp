#include "ui/widgets/filechooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

QString DialogFileChooser::saveFileName(QWidget *parent, const QString &title, const QString &filter)
{
    if (m_saveFolder.isEmpty()) {
        m_saveFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!QFileInfo(m_saveFolder).isDir())
            m_saveFolder = QDir::homePath();
    }
    const QString chosen = QFileDialog::getSaveFileName(parent, title, m_saveFolder, filter);
    if (!chosen.isEmpty())
        m_saveFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

QString DialogFileChooser::openFileName(QWidget *parent, const QString &title, const QString &filter, const QString &folder)
{
    return QFileDialog::getOpenFileName(parent, title, folder, filter, nullptr, QFileDialog::ReadOnly);
}
