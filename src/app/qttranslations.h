#pragma once

#include <QStringList>

class QCoreApplication;

// Qt's own texts (file dialogs, standard buttons, "… already exists") in Chinese, whatever the
// computer's language: the interface is Chinese throughout.
class QtTranslations
{
public:
    // Where Qt's Chinese translation is looked for, in order: Qt's own translations folder, then
    // a copy shipped beside the program (Windows) or in the installation's share folder.
    static QStringList folders(const QString &programFolder);

    // Installs Qt's Chinese translation from the first folder that has it, and under it the
    // program's own Chinese captions of the standard buttons, which hold where no translation is
    // found. Returns the translation file loaded, empty when none was.
    static QString install(QCoreApplication &application, const QStringList &folders);
};
