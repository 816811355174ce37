#include "app/qttranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include "ui/standardbuttontexts.h"

QStringList QtTranslations::folders(const QString &programFolder)
{
    const QDir program(programFolder);
    return {QLibraryInfo::path(QLibraryInfo::TranslationsPath), program.filePath(QStringLiteral("translations")), programFolder,
            QDir::cleanPath(program.filePath(QStringLiteral("../share/quillon/translations")))};
}

QString QtTranslations::install(QCoreApplication &application, const QStringList &folders)
{
    // Installed first, so it is asked last: Qt's translation, where found, has the final word.
    application.installTranslator(new StandardButtonTexts(&application));
    // "qt_zh_CN" gathers the translations of every Qt module; some systems carry qtbase alone.
    for (const QString &folder : folders) {
        for (const QString &name : {QStringLiteral("qt_zh_CN"), QStringLiteral("qtbase_zh_CN")}) {
            auto *translator = new QTranslator(&application);
            if (translator->load(name, folder) && application.installTranslator(translator))
                return translator->filePath();
            delete translator;
        }
    }
    return QString();
}
