#pragma once

#include <QString>

class QWidget;

// Asks the user for a file to write or read. Windows take one so that tests can answer in
// place of the user; the program passes the system's file dialogs.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    // The file to write: the name asked for with the suffix ("xls") added unless it ends so, and
    // when that file exists, only after the user agreed to replace it, whichever way the name was
    // typed. Empty when the user cancels either question.
    QString fileToWrite(QWidget *parent, const QString &title, const QString &filter, const QString &suffix);

    // The name as the user typed or chose it, without a question about an existing file; empty
    // when the user cancels.
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &filter) = 0;
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &filter, const QString &folder) = 0;

protected:
    // Whether the existing file may be replaced; asks with a message box.
    virtual bool confirmReplace(QWidget *parent, const QString &path);
};

// The system's file dialogs. A file to write is proposed in the folder last written to, at first
// in the user's documents, rather than wherever the program happened to be started from.
class DialogFileChooser : public FileChooser
{
public:
    QString saveFileName(QWidget *parent, const QString &title, const QString &filter) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &filter, const QString &folder) override;

private:
    QString m_saveFolder;
};
