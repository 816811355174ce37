#include "spreadsheet/xlssheetreader.h"

#include <freexl.h>

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include "spreadsheet/biffstreamcheck.h"
#include "spreadsheet/compoundfilereader.h"
#include "spreadsheet/compoundfilewriter.h"

namespace {

QString reasonFor(int code)
{
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return QStringLiteral("文件打不开。");
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("内存不足。");
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return QStringLiteral("文件里没有Excel工作簿（可能设置了打开密码，或是其他Office文件）。");
    case FREEXL_UNSUPPORTED_CHARSET:
    case FREEXL_INVALID_CHARACTER:
        return QStringLiteral("文件里的文字编码无法识别或已损坏。");
    case FREEXL_CRAFTED_FILE:
        return QStringLiteral("文件已严重损坏。");
    default:
        return QStringLiteral("文件不完整或已损坏（错误代码%1）。").arg(code);
    }
}

// Opens the workbook and closes it on every path, as FreeXL asks even after a failed open.
class FreeXlHandle
{
public:
    ~FreeXlHandle()
    {
        if (m_handle)
            freexl_close(m_handle);
    }
    const void **out() { return &m_handle; }
    const void *get() const { return m_handle; }

private:
    const void *m_handle = nullptr;
};

} // namespace

SpreadsheetTable XlsSheetReader::read(const QByteArray &fileContent, SpreadsheetTable::Bounds bounds)
{
    // FreeXL gets the checked workbook stream in a container of our own making, so it never
    // meets a damaged container or record; the copy also spares it paths it cannot open.
    QByteArray stream;
    QString reason;
    if (!CompoundFileReader::readStream(fileContent, {QStringLiteral("Workbook"), QStringLiteral("Book")}, &stream, &reason))
        return SpreadsheetTable::failure(QStringLiteral("文件不完整或已损坏（%1）。").arg(reason));
    const QString problem = BiffStreamCheck::problem(stream);
    if (!problem.isEmpty())
        return SpreadsheetTable::failure(problem);

    QTemporaryFile copy(QDir(QDir::tempPath()).filePath(QStringLiteral("quillon-XXXXXX.xls")));
    const QByteArray clean = CompoundFileWriter::build(QStringLiteral("Workbook"), stream);
    if (!copy.open() || copy.write(clean) != clean.size() || !copy.flush())
        return SpreadsheetTable::failure(QStringLiteral("无法在临时文件夹中准备读取（磁盘可能已满）。"));
    copy.close();
    const QByteArray narrowPath = QFile::encodeName(copy.fileName());
    if (QFile::decodeName(narrowPath) != copy.fileName())
        return SpreadsheetTable::failure(QStringLiteral("临时文件夹的路径含有无法识别的字符。"));

    FreeXlHandle handle;
    const int opened = freexl_open(narrowPath.constData(), handle.out());
    if (opened != FREEXL_OK)
        return SpreadsheetTable::failure(reasonFor(opened));
    // FreeXL 1.0 drops the handle but reports success when some records fail to parse.
    if (!handle.get())
        return SpreadsheetTable::failure(QStringLiteral("文件不完整或已损坏。"));

    // FreeXL 1.0 reports a protected workbook as anything but "plain".
    unsigned int info = 0;
    if (freexl_get_info(handle.get(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info != FREEXL_BIFF_PLAIN)
        return SpreadsheetTable::failure(QStringLiteral("文件设置了密码；请在Excel中取消密码并另存后再导入。"));
    if (freexl_get_info(handle.get(), FREEXL_BIFF_SHEET_COUNT, &info) != FREEXL_OK || info == 0)
        return SpreadsheetTable::failure(QStringLiteral("工作簿中没有工作表。"));

    unsigned int rows = 0;
    unsigned short columns = 0;
    int status = freexl_select_active_worksheet(handle.get(), 0);
    if (status == FREEXL_OK)
        status = freexl_worksheet_dimensions(handle.get(), &rows, &columns);
    if (status != FREEXL_OK)
        return SpreadsheetTable::failure(reasonFor(status));

    SpreadsheetTable table(bounds);
    // Only the columns the caller uses are read at all.
    const unsigned short usedColumns = (unsigned short)qMin<int>(columns, bounds.columns);
    for (unsigned int row = 0; row < rows; ++row) {
        for (unsigned short column = 0; column < usedColumns; ++column) {
            FreeXL_CellValue value;
            status = freexl_get_cell_value(handle.get(), row, column, &value);
            if (status != FREEXL_OK)
                return SpreadsheetTable::failure(reasonFor(status));
            SpreadsheetCell cell;
            switch (value.type) {
            case FREEXL_CELL_INT:
                cell = SpreadsheetCell::fromNumber(value.value.int_value);
                break;
            case FREEXL_CELL_DOUBLE:
                cell = SpreadsheetCell::fromNumber(value.value.double_value);
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                if (value.value.text_value)
                    cell = SpreadsheetCell::fromText(QString::fromUtf8(value.value.text_value));
                break;
            default:
                break;
            }
            if (!table.setCell(int(row), column, cell))
                return SpreadsheetTable::failure(table.overflowMessage());
        }
    }
    return table;
}
