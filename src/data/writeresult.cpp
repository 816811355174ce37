#include "data/writeresult.h"

#include <QRegularExpression>
#include <QSqlError>

WriteResult WriteResult::fromSqlError(const QSqlError &error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    static const QRegularExpression widthCheck(QStringLiteral(R"re(CHECK constraint failed: length\("([^"]+)"\) <= (\d+))re"));
    const QRegularExpressionMatch width = widthCheck.match(text);
    if (width.hasMatch())
        return failure(QStringLiteral("保存失败：“%1”的内容超过了%2个字符，请缩短后再保存。")
                           .arg(width.captured(1), width.captured(2)));
    static const QRegularExpression dateCheck(QStringLiteral(R"(CHECK constraint failed: ([^\s]+))"));
    const QRegularExpressionMatch date = dateCheck.match(text);
    if (date.hasMatch())
        return failure(QStringLiteral("保存失败：“%1”不是有效的日期（格式应为yyyy-mm-dd）。").arg(date.captured(1)));
    if (text.contains(QLatin1String("locked")) || text.contains(QLatin1String("busy")))
        return failure(QStringLiteral("保存失败：数据库正被其他电脑使用，请稍后再试。"));
    if (text.contains(QLatin1String("readonly")) || text.contains(QLatin1String("read-only")))
        return failure(QStringLiteral("保存失败：数据库文件是只读的，无法写入。"));
    return failure(QStringLiteral("保存失败：数据库拒绝了这次写入（%1）。").arg(text));
}
