#include "spreadsheet/spreadsheetreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "spreadsheet/xlssheetreader.h"
#include "spreadsheet/xlsxsheetreader.h"

namespace {

const QByteArray CompoundFileSignature = QByteArrayLiteral("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
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

QString why(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("文件不存在。");
    if (info.isDir())
        return QStringLiteral("这是一个文件夹，不是表格文件。");

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("文件打不开，可能没有读取权限，或正被其他程序独占。");
    if (file.size() == 0)
        return QStringLiteral("文件是空的（0字节）。");
    const QByteArray head = file.peek(512);
    if (head.startsWith(CompoundFileSignature) || head.startsWith(ZipSignature))
        return {};
    if (looksLikeText(head))
        return QStringLiteral("这不是Excel表格文件，而是文本或网页文件；请在Excel或WPS中另存为.xls或.xlsx后再导入。");
    return QStringLiteral("这不是Excel表格文件（.xls或.xlsx）。");
}

} // namespace

SpreadsheetTable SpreadsheetReader::read(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    auto failure = [&shown](const QString &reason) {
        return SpreadsheetTable::failure(QStringLiteral("无法读取“%1”：%2").arg(shown, reason));
    };

    const QString problem = why(path);
    if (!problem.isEmpty())
        return failure(problem);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("文件打不开，可能没有读取权限，或正被其他程序独占。"));
    SpreadsheetTable table;
    if (file.peek(CompoundFileSignature.size()) == CompoundFileSignature) {
        file.close();
        table = XlsSheetReader::read(path);
    } else {
        if (file.size() > MaxXlsxFileSize)
            return failure(QStringLiteral("文件太大（超过%1 MB）。").arg(MaxXlsxFileSize / (1024 * 1024)));
        const QByteArray content = file.readAll();
        if (content.size() != file.size())
            return failure(QStringLiteral("读取文件时出错。"));
        table = XlsxSheetReader::read(content);
    }
    if (!table.ok())
        return failure(table.errorMessage());
    return table;
}
