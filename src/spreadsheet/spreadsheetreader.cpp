#include "spreadsheet/spreadsheetreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "spreadsheet/compoundfileformat.h"
#include "spreadsheet/xlssheetreader.h"
#include "spreadsheet/xlsxsheetreader.h"

namespace {

const QByteArray ZipSignature = QByteArrayLiteral("PK\x03\x04");

bool looksLikeText(const QByteArray &head)
{
    for (const char c : head) {
        const uchar u = uchar(c);
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r')
            return false;
    }
    return true;
}

} // namespace

SpreadsheetTable SpreadsheetReader::read(const QString &path, SpreadsheetTable::Bounds bounds)
{
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    auto failure = [&shown](const QString &reason) {
        return SpreadsheetTable::failure(QStringLiteral("无法读取“%1”：%2").arg(shown, reason));
    };

    const QFileInfo info(path);
    if (!info.exists())
        return failure(QStringLiteral("文件不存在。"));
    if (info.isDir())
        return failure(QStringLiteral("这是一个文件夹，不是表格文件。"));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("文件打不开，可能没有读取权限，或正被其他程序独占。"));
    if (file.size() == 0)
        return failure(QStringLiteral("文件是空的（0字节）。"));
    const QByteArray head = file.peek(512);
    const bool compoundFile = head.startsWith(CompoundFile::Signature);
    if (!compoundFile && !head.startsWith(ZipSignature)) {
        if (looksLikeText(head))
            return failure(QStringLiteral("这不是Excel表格文件，而是文本或网页文件；请在Excel或WPS中另存为.xls或.xlsx后再导入。"));
        return failure(QStringLiteral("这不是Excel表格文件（.xls或.xlsx）。"));
    }
    if (file.size() > MaxFileSize)
        return failure(QStringLiteral("文件太大（超过%1 MB）。").arg(MaxFileSize / (1024 * 1024)));
    const QByteArray content = file.readAll();
    if (content.size() != file.size())
        return failure(QStringLiteral("读取文件时出错。"));

    const SpreadsheetTable table = compoundFile ? XlsSheetReader::read(content, bounds) : XlsxSheetReader::read(content, bounds);
    if (!table.ok())
        return failure(table.errorMessage());
    return table;
}
