#include "app/commandline.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "version.h"

namespace {

const QString DataFolderOption = QStringLiteral("data-folder");

struct OptionHelp
{
    QString names;
    QString description;
};

const OptionHelp HelpLines[] = {
    {QStringLiteral("-h, --help"), QStringLiteral("显示本说明并退出")},
    {QStringLiteral("-v, --version"), QStringLiteral("显示版本号并退出")},
    {QStringLiteral("--data-folder <文件夹>"),
     QStringLiteral("使用指定的数据文件夹（例如另一家诊所或试用的数据），而不是通常的“电子处方数据库”文件夹；"
                    "每日备份随之放在同一位置旁边的“<文件夹>备份”中")},
};

// What QGuiApplication and QApplication take from the line themselves.
const char *const QtOptionsWithValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                                          "qwindowicon", "qwindowtitle", "session", "display", "geometry", "name",
                                          "title", "style", "stylesheet", "qmljsdebugger"};
const char *const QtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption dataFolder(DataFolderOption, QString(), QStringLiteral("folder"));
    parser.addOptions({help, version, dataFolder});
    for (const char *name : QtOptionsWithValue)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    for (const char *name : QtFlags)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name)));

    CommandLine result;
    const bool parsed = parser.parse(arguments);
    const QString programName = arguments.isEmpty() ? QStringLiteral("quillon") : QFileInfo(arguments.first()).fileName();
    // Help and version win over everything else on the line, as users expect of --help.
    if (parser.isSet(help)) {
        result.action = Action::PrintHelp;
        result.text = helpText(programName);
        return result;
    }
    if (parser.isSet(version)) {
        result.action = Action::PrintVersion;
        result.text = versionText();
        return result;
    }
    if (!parsed) {
        const QStringList unknown = parser.unknownOptionNames();
        result.action = Action::Refuse;
        if (!unknown.isEmpty()) {
            result.text = QStringLiteral("不认识的选项：%1").arg(unknown.join(QStringLiteral("、")));
        } else {
            // The only other refusal: an option's value is missing ("Missing value after '--x'.").
            static const QRegularExpression quoted(QStringLiteral("'([^']*)'"));
            const QString option = quoted.match(parser.errorText()).captured(1);
            result.text = option.endsWith(DataFolderOption) ? QStringLiteral("选项 --%1 缺少文件夹。").arg(DataFolderOption)
                                                            : QStringLiteral("选项 %1 缺少值。").arg(option);
        }
        result.text += QStringLiteral("\n用“%1 --help”查看可用的选项。").arg(programName);
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.action = Action::Refuse;
        result.text = QStringLiteral("多余的参数：%1\n用“%2 --help”查看可用的选项。")
                          .arg(parser.positionalArguments().join(QLatin1Char(' ')), programName);
        return result;
    }
    if (parser.isSet(dataFolder)) {
        const QString folder = parser.value(dataFolder).trimmed();
        if (folder.isEmpty()) {
            result.action = Action::Refuse;
            result.text = QStringLiteral("选项 --%1 缺少文件夹。\n用“%2 --help”查看可用的选项。").arg(DataFolderOption, programName);
            return result;
        }
        result.dataFolder = QDir::cleanPath(QDir::current().absoluteFilePath(folder));
    }
    return result;
}

int CommandLine::exitCode() const
{
    return action == Action::Refuse ? 2 : 0;
}

QString CommandLine::helpText(const QString &programName)
{
    QString text = QStringLiteral("用法：%1 [选项]\n\n电子处方：小诊所的处方、计价与门诊日志程序。\n\n选项：\n").arg(programName);
    for (const OptionHelp &line : HelpLines)
        text += QStringLiteral("  %1\n      %2\n").arg(line.names, line.description);
    return text;
}

QString CommandLine::versionText()
{
    return QStringLiteral("Quillon 电子处方 %1\n按 GNU 通用公共许可证第 3 版或（由您选择）任何更新的版本（GPL-3.0-or-later）发布。\n")
        .arg(QStringLiteral(QUILLON_VERSION));
}
