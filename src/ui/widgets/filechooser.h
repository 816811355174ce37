#pragma once

#include <QString>

class QWidget;

// Asks the user for a file to write or read. Windows take one so that tests can answer in
// place of the user; the program passes the system's file dialogs.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    // Empty when the user cancels.
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &filter) = 0;
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &filter, const QString &folder) = 0;
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
