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

QString describeServerProblem(const QString &sqlState, const QString &text)
{
    const QString lower = text.toLower();
    if (isServerLockTimeout(sqlState) || sqlState == QLatin1String("40P01") || sqlState == QLatin1String("40001"))
        return QStringLiteral("数据库正被其他电脑使用（数据库被占用），请稍后再试。");
    if (sqlState == QLatin1String("53100"))
        return QStringLiteral("数据库服务器的磁盘已满，请通知维护人员清理空间。");
    if (sqlState == QLatin1String("23505"))
        return QStringLiteral("同样编号的记录已经存在（可能由其他电脑同时保存），请再试一次。");
    if (sqlState.startsWith(QLatin1String("42501")) || sqlState == QLatin1String("28000") || sqlState == QLatin1String("28P01")
        || lower.contains(QLatin1String("password authentication failed")))
        return QStringLiteral("数据库服务器拒绝了这个用户（用户名或密码不对，或没有权限）。密码请写在本机的 PostgreSQL 密码文件（~/.pgpass）中。");
    if (lower.contains(QLatin1String("no password supplied")))
        return QStringLiteral("本机的 PostgreSQL 密码文件（~/.pgpass 或 PGPASSFILE）中没有这个服务器的密码。");
    if (sqlState == QLatin1String("3D000") || (lower.contains(QLatin1String("database")) && lower.contains(QLatin1String("does not exist"))))
        return QStringLiteral("服务器上没有地址中所写的数据库，请维护人员先建立它。");
    if (isServerConnectionLost(sqlState) || lower.contains(QLatin1String("could not connect"))
        || lower.contains(QLatin1String("connection refused")) || lower.contains(QLatin1String("timeout expired"))
        || lower.contains(QLatin1String("could not translate host")) || lower.contains(QLatin1String("server closed the connection")))
        return QStringLiteral("无法连接数据库服务器，请检查网络以及服务器是否开着。");
    if (sqlState == QLatin1String("53200"))
        return QStringLiteral("数据库服务器内存不足，请稍后再试。");
    return QStringLiteral("数据库拒绝了这次操作。");
}

bool isSqliteBusy(int sqliteCode)
{
    const int primary = sqliteCode & 0xff;
    return primary == Busy || primary == Locked;
}

bool isServerLockTimeout(const QString &sqlState)
{
    return sqlState == QLatin1String("55P03"); // lock_not_available
}

bool isServerConnectionLost(const QString &sqlState)
{
    return sqlState.startsWith(QLatin1String("08")) || sqlState.startsWith(QLatin1String("57P"));
}

WriteResult writeResultOf(const QSqlError &error, const QString &action)
{
    QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    // SQLite's codes are numbers of at most four digits; the server answers with a five-character SQLSTATE.
    const QString state = error.nativeErrorCode();
    if (state.size() == 5) {
        // The server repeats the whole refused row, patient data included: the detail keeps only the reason.
        const qsizetype rowDetail = text.indexOf(QLatin1String("DETAIL:  Failing row contains"));
        if (rowDetail >= 0)
            text = text.left(rowDetail).trimmed();
        static const QRegularExpression serverWidth(QStringLiteral(R"re(violates check constraint "(.+) <= (\d+)")re"));
        const QRegularExpressionMatch width = serverWidth.match(text);
        if (width.hasMatch())
            return WriteResult::failure(QStringLiteral("%1：“%2”的内容超过了%3个字符，请缩短后再保存。").arg(action, width.captured(1), width.captured(2)),
                           text);
        if (state.startsWith(QLatin1String("22007")) || state.startsWith(QLatin1String("22008"))) {
            static const QRegularExpression badDate(QStringLiteral(R"re("([^"]*)")re"));
            return WriteResult::failure(QStringLiteral("%1：“%2”不是有效的日期（格式应为yyyy-mm-dd）。").arg(action, badDate.match(text).captured(1)), text);
        }
        return WriteResult::failure(action + QStringLiteral("：") + describeServerProblem(state, text), text);
    }
    static const QRegularExpression widthCheck(QStringLiteral(R"re(CHECK constraint failed: length\("([^"]+)"\) <= (\d+))re"));
    const QRegularExpressionMatch width = widthCheck.match(text);
    if (width.hasMatch())
        return WriteResult::failure(QStringLiteral("%1：“%2”的内容超过了%3个字符，请缩短后再保存。")
                           .arg(action, width.captured(1), width.captured(2)),
                       text);
    static const QRegularExpression dateCheck(QStringLiteral(R"re(CHECK constraint failed: "?([^\s"]+)"?)re"));
    const QRegularExpressionMatch date = dateCheck.match(text);
    if (date.hasMatch())
        return WriteResult::failure(QStringLiteral("%1：“%2”不是有效的日期（格式应为yyyy-mm-dd）。").arg(action, date.captured(1)), text);
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    return WriteResult::failure(action + QStringLiteral("：") + describeDatabaseProblem(numeric ? code : 0, text), text);
}
