#include "xlrdscript.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>

QString pythonWithXlrd()
{
    static const QString found = [] {
        for (const QString &python : {QStringLiteral("/usr/bin/python3"), QStandardPaths::findExecutable(QStringLiteral("python3"))}) {
            if (python.isEmpty() || !QFile::exists(python))
                continue;
            QProcess probe;
            probe.start(python, {QStringLiteral("-c"), QStringLiteral("import xlrd")});
            if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0)
                return python;
        }
        return QString();
    }();
    return found;
}

std::optional<QJsonObject> runXlrdScript(const QString &script, const QString &file)
{
    const QString python = pythonWithXlrd();
    if (python.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(python, {script, file});
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(script), process.readAllStandardError().constData());
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument printed = QJsonDocument::fromJson(process.readAllStandardOutput(), &error);
    if (!printed.isObject()) {
        qWarning("%s printed no JSON object: %s", qPrintable(script), qPrintable(error.errorString()));
        return std::nullopt;
    }
    return printed.object();
}
