#include "base/writeresult.h"

WriteResult WriteResult::tooLong(const QString &field, int width)
{
    return failure(QStringLiteral("保存失败：“%1”的内容超过了%2个字符，请缩短后再保存。").arg(field).arg(width));
}

QString WriteResult::fullText() const
{
    if (detail.isEmpty())
        return message;
    return message + QStringLiteral("\n\n详细信息：") + detail;
}
