#include "ui/standardbuttontexts.h"

#include <QHash>

namespace {

const QHash<QString, QString> &captions()
{
    // Keyboard letters stay where Qt's captions have them, after the Chinese word.
    static const QHash<QString, QString> table = {
        {QStringLiteral("OK"), QStringLiteral("确定")},
        {QStringLiteral("Cancel"), QStringLiteral("取消")},
        {QStringLiteral("&Yes"), QStringLiteral("是(&Y)")},
        {QStringLiteral("&No"), QStringLiteral("否(&N)")},
        {QStringLiteral("Yes to &All"), QStringLiteral("全部是(&A)")},
        {QStringLiteral("N&o to All"), QStringLiteral("全部否(&O)")},
        {QStringLiteral("Save"), QStringLiteral("保存")},
        {QStringLiteral("Save All"), QStringLiteral("全部保存")},
        {QStringLiteral("Discard"), QStringLiteral("不保存")},
        {QStringLiteral("Don't Save"), QStringLiteral("不保存")},
        {QStringLiteral("Open"), QStringLiteral("打开")},
        {QStringLiteral("Close"), QStringLiteral("关闭")},
        {QStringLiteral("Close without Saving"), QStringLiteral("关闭且不保存")},
        {QStringLiteral("Apply"), QStringLiteral("应用")},
        {QStringLiteral("Reset"), QStringLiteral("重置")},
        {QStringLiteral("Restore Defaults"), QStringLiteral("恢复默认值")},
        {QStringLiteral("Help"), QStringLiteral("帮助")},
        {QStringLiteral("Abort"), QStringLiteral("中止")},
        {QStringLiteral("Retry"), QStringLiteral("重试")},
        {QStringLiteral("Ignore"), QStringLiteral("忽略")},
    };
    return table;
}

// What the file dialogs call the entries they list, where Qt's translation has no word for it.
const QHash<QString, QString> &fileKinds()
{
    static const QHash<QString, QString> table = {
        {QStringLiteral("Folder"), QStringLiteral("文件夹")},
        {QStringLiteral("File"), QStringLiteral("文件")},
        {QStringLiteral("%1 File"), QStringLiteral("%1 文件")},
        {QStringLiteral("Drive"), QStringLiteral("驱动器")},
    };
    return table;
}

} // namespace

QString StandardButtonTexts::chinese(const QString &english)
{
    return captions().value(english);
}

QString StandardButtonTexts::translate(const char *context, const char *sourceText, const char *, int) const
{
    // Qt words its standard buttons in these two places; nothing else is translated here.
    const QLatin1StringView from(context);
    if (from == QLatin1StringView("QPlatformTheme") || from == QLatin1StringView("QGnomeTheme"))
        return chinese(QString::fromUtf8(sourceText));
    if (from == QLatin1StringView("QAbstractFileIconProvider") || from == QLatin1StringView("QFileSystemModel"))
        return fileKinds().value(QString::fromUtf8(sourceText));
    return QString();
}
