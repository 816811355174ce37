#include "ui/widgets/filechooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

#include "ui/widgets/questionbox.h"
QString FileChooser::fileToWrite(QWidget *parent, const QString &title, const QString &filter, const QString &suffix)
{
    QString path = saveFileName(parent, title, filter).trimmed();
    if (path.isEmpty())
        return QString();
    // The suffix comes before the question, so a name typed without it is asked about too.
    if (!suffix.isEmpty() && !path.endsWith(QLatin1Char('.') + suffix, Qt::CaseInsensitive))
        path += QLatin1Char('.') + suffix;
    if (QFileInfo::exists(path) && !confirmReplace(parent, path))
        return QString();
    return path;
}

bool FileChooser::confirmReplace(QWidget *parent, const QString &path)
{
    return QuestionBox::askYesNo(parent, QStringLiteral("文件“%1”已经存在，要替换它吗？").arg(QDir::toNativeSeparators(path)), false);
}

QString DialogFileChooser::saveFileName(QWidget *parent, const QString &title, const QString &filter)
{
    if (m_saveFolder.isEmpty()) {
        m_saveFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!QFileInfo(m_saveFolder).isDir())
            m_saveFolder = QDir::homePath();
    }
    // fileToWrite() asks about an existing file once the suffix is on the name.
    const QString chosen = QFileDialog::getSaveFileName(parent, title, m_saveFolder, filter, nullptr, QFileDialog::DontConfirmOverwrite);
    if (!chosen.isEmpty())
        m_saveFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

QString DialogFileChooser::openFileName(QWidget *parent, const QString &title, const QString &filter, const QString &folder)
{
    return QFileDialog::getOpenFileName(parent, title, folder, filter, nullptr, QFileDialog::ReadOnly);
}
