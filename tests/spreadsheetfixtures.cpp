#include "spreadsheetfixtures.h"

#include <minizip/zip.h>

#include <QDate>
#include <QFile>

FreeXlSheet readWithFreeXl(const QString &path)
{
    FreeXlSheet sheet;
    const void *handle = nullptr;
    sheet.status = freexl_open(QFile::encodeName(path).constData(), &handle);
    if (sheet.status == FREEXL_OK)
        sheet.status = freexl_select_active_worksheet(handle, 0);
    if (sheet.status == FREEXL_OK)
        sheet.status = freexl_worksheet_dimensions(handle, &sheet.rows, &sheet.columns);
    for (unsigned int row = 0; sheet.status == FREEXL_OK && row < sheet.rows; ++row) {
        for (unsigned short column = 0; sheet.status == FREEXL_OK && column < sheet.columns; ++column) {
            FreeXL_CellValue value;
            sheet.status = freexl_get_cell_value(handle, row, column, &value);
            const QPair<int, int> at{int(row), int(column)};
            if (value.type == FREEXL_CELL_INT)
                sheet.cells.insert(at, double(value.value.int_value));
            else if (value.type == FREEXL_CELL_DOUBLE)
                sheet.cells.insert(at, value.value.double_value);
            else if (value.type == FREEXL_CELL_TEXT || value.type == FREEXL_CELL_SST_TEXT)
                sheet.cells.insert(at, QString::fromUtf8(value.value.text_value));
            else if (value.type == FREEXL_CELL_DATE)
                sheet.cells.insert(at, QDate::fromString(QString::fromUtf8(value.value.text_value), Qt::ISODate));
        }
    }
    if (handle)
        freexl_close(handle);
    return sheet;
}

bool writeZip(const QString &file, const QList<QPair<QString, QByteArray>> &members)
{
    zipFile zip = zipOpen64(QFile::encodeName(file).constData(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const auto &[name, content] : members) {
        zip_fileinfo info{};
        ok = ok && zipOpenNewFileInZip64(zip, name.toUtf8().constData(), &info, nullptr, 0, nullptr, 0, nullptr,
                                         Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0) == ZIP_OK;
        ok = ok && zipWriteInFileInZip(zip, content.constData(), unsigned(content.size())) == ZIP_OK;
        ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

QByteArray xlsxContentTypes()
{
    return QByteArrayLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
</Types>)");
}

QByteArray xlsxPackageRelationships()
{
    return QByteArrayLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>)");
}
