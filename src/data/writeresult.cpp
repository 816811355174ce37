#include "data/writeresult.h"

#include <QRegularExpression>
#include <QSqlError>

namespace {

// SQLite's primary result codes that users meet.
enum SqliteCode {
    Perm = 3,
    Busy = 5,
    Locked = 6,
    NoMem = 7,
    ReadOnly = 8,
    IoErr = 10,
    Corrupt = 11,
    Full = 13,
    CantOpen = 14,
    Constraint = 19,
    Auth = 23,
    NotADb = 26,
};

} // namespace

WriteResult WriteResult::tooLong(const QString &field, int width)
{
    return failure(QStringLiteral("保存失败：“%1”的内容超过了%2个字符，请缩短后再保存。").arg(field).arg(width));
}

QString describeDatabaseProblem(int sqliteCode, const QString &text)
{
    const QString lower = text.toLower();
    switch (sqliteCode & 0xff) {
    case Full:
        return QStringLiteral("磁盘已满，请清理磁盘空间后再试。");
    case Busy:
    case Locked:
        return QStringLiteral("数据库正被其他电脑使用（数据库被占用），请稍后再试。");
    case ReadOnly:
        return QStringLiteral("数据库文件是只读的，无法写入。请检查文件属性和写入权限。");
    case Perm:
    case Auth:
        return QStringLiteral("没有读写数据库文件的权限，请检查文件和文件夹的权限。");
    case CantOpen:
        return QStringLiteral("无法打开数据库文件，请检查文件是否存在、磁盘或网络是否可用。");
    case IoErr:
        return QStringLiteral("读写磁盘时出错，请检查磁盘或网络连接。");
    case Corrupt:
    case NotADb:
        return QStringLiteral("数据库文件已损坏。请用最近的备份恢复，或交给维护人员检查。");
    case NoMem:
        return QStringLiteral("内存不足，请关闭其他程序后再试。");
    default:
        break;
    }
    if (lower.contains(QLatin1String("disk is full")) || lower.contains(QLatin1String("no space")))
        return QStringLiteral("磁盘已满，请清理磁盘空间后再试。");
    if (lower.contains(QLatin1String("locked")) || lower.contains(QLatin1String("busy")))
        return QStringLiteral("数据库正被其他电脑使用（数据库被占用），请稍后再试。");
    if (lower.contains(QLatin1String("readonly")) || lower.contains(QLatin1String("read-only")))
        return QStringLiteral("数据库文件是只读的，无法写入。请检查文件属性和写入权限。");
    if (lower.contains(QLatin1String("unable to open")))
        return QStringLiteral("无法打开数据库文件，请检查文件是否存在、磁盘或网络是否可用。");
    if (lower.contains(QLatin1String("malformed")) || lower.contains(QLatin1String("not a database")))
        return QStringLiteral("数据库文件已损坏。请用最近的备份恢复，或交给维护人员检查。");
    if (lower.contains(QLatin1String("disk i/o")))
        return QStringLiteral("读写磁盘时出错，请检查磁盘或网络连接。");
    return QStringLiteral("数据库拒绝了这次操作。");
}

WriteResult WriteResult::fromSqlError(const QSqlError &error, const QString &action)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    static const QRegularExpression widthCheck(QStringLiteral(R"re(CHECK constraint failed: length\("([^"]+)"\) <= (\d+))re"));
    const QRegularExpressionMatch width = widthCheck.match(text);
    if (width.hasMatch())
        return failure(QStringLiteral("%1：“%2”的内容超过了%3个字符，请缩短后再保存。")
                           .arg(action, width.captured(1), width.captured(2)),
                       text);
    static const QRegularExpression dateCheck(QStringLiteral(R"re(CHECK constraint failed: "?([^\s"]+)"?)re"));
    const QRegularExpressionMatch date = dateCheck.match(text);
    if (date.hasMatch())
        return failure(QStringLiteral("%1：“%2”不是有效的日期（格式应为yyyy-mm-dd）。").arg(action, date.captured(1)), text);
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    return failure(action + QStringLiteral("：") + describeDatabaseProblem(numeric ? code : 0, text), text);
}

QString WriteResult::fullText() const
{
    if (detail.isEmpty())
        return message;
    return message + QStringLiteral("\n\n详细信息：") + detail;
}
