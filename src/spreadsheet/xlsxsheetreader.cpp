#include "spreadsheet/xlsxsheetreader.h"

#include <charconv>

#include <QDir>
#include <QHash>
#include <QStringList>
#include <QXmlStreamReader>

#include "spreadsheet/ziparchive.h"

namespace {

constexpr int MaxColumns = SpreadsheetTable::MaxColumns;
constexpr int MaxRows = SpreadsheetTable::MaxRows;

struct Relationship
{
    QString type;
    QString target;
};

// Unpacks parts of the package, keeping the reason of the first failure.
struct Package
{
    const ZipArchive &zip;
    QString error;

    QByteArray part(const QString &name, bool required)
    {
        QByteArray content;
        if (!required && !zip.contains(name))
            return content;
        QString reason;
        if (!zip.read(name, XlsxSheetReader::MaxPartSize, &content, &reason))
            error = QStringLiteral("文件不完整或已损坏（%1）。").arg(reason);
        return content;
    }
};

QString xmlError(const QString &part)
{
    return QStringLiteral("文件已损坏（“%1”不是有效的XML）。").arg(part);
}

// The package part a relationship points to, from the folder of the part that holds it.
QString resolve(const QString &folder, const QString &target)
{
    QString path = target.startsWith(u'/') ? target : folder + u'/' + target;
    path = QDir::cleanPath(u'/' + path);
    while (path.startsWith(u'/'))
        path.remove(0, 1);
    return path;
}

QString folderOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash);
}

QString relationshipsOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

QHash<QString, Relationship> readRelationships(const QByteArray &xmlText, const QString &folder, bool *ok)
{
    QHash<QString, Relationship> relationships;
    *ok = true;
    if (xmlText.isEmpty())
        return relationships;
    QXmlStreamReader xml(xmlText);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"Relationship")
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (attributes.value(QLatin1String("TargetMode")) == u"External")
            continue;
        relationships.insert(attributes.value(QLatin1String("Id")).toString(),
                             {attributes.value(QLatin1String("Type")).toString(),
                              resolve(folder, attributes.value(QLatin1String("Target")).toString())});
    }
    *ok = !xml.hasError();
    return relationships;
}

// Excel writes characters XML cannot hold as _xHHHH_ (and a literal "_x" as _x005F_x).
QString unescaped(const QString &text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'_' && i + 6 < text.size() && text.at(i + 1) == u'x' && text.at(i + 6) == u'_') {
            bool ok = false;
            const uint code = QStringView(text).mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                result.append(QChar(char16_t(code)));
                i += 6;
                continue;
            }
        }
        result.append(text.at(i));
    }
    return result;
}

// The text of an <si> or <is> element: its <t> elements, outside phonetic runs. The reader
// stands on the start element and ends on its end element.
QString richText(QXmlStreamReader &xml)
{
    QString text;
    int depth = 1;
    int phonetic = 0;
    while (depth > 0 && !xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"rPh") {
                ++phonetic;
                ++depth;
            } else if (xml.name() == u"t") {
                const QString piece = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                if (phonetic == 0)
                    text += piece;
            } else {
                ++depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
            if (xml.name() == u"rPh")
                --phonetic;
        }
    }
    return unescaped(text);
}

QStringList readSharedStrings(const QByteArray &xmlText, bool *ok, bool *tooMany)
{
    QStringList strings;
    QXmlStreamReader xml(xmlText);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"si")
            continue;
        // A few bytes per entry could otherwise make a small part fill the memory.
        if (strings.size() == XlsxSheetReader::MaxSharedStrings) {
            *tooMany = true;
            return {};
        }
        strings.append(richText(xml));
    }
    *ok = !xml.hasError();
    return strings;
}

// "C12" → row 11, column 2.
bool parseReference(QStringView reference, int *row, int *column)
{
    qsizetype i = 0;
    qint64 col = 0;
    while (i < reference.size() && i < 3 && reference.at(i).isLetter()) {
        const char16_t c = reference.at(i).toUpper().unicode();
        if (c < u'A' || c > u'Z')
            return false;
        col = col * 26 + (c - u'A' + 1);
        ++i;
    }
    if (i == 0 || i == reference.size() || col > MaxColumns)
        return false;
    bool ok = false;
    const qint64 r = reference.mid(i).toLongLong(&ok);
    if (!ok || r < 1 || r > MaxRows || !reference.at(i).isDigit())
        return false;
    *row = int(r - 1);
    *column = int(col - 1);
    return true;
}

SpreadsheetCell numberCell(const QString &text)
{
    const QByteArray latin = text.trimmed().toLatin1();
    double value = 0;
    const char *end = latin.constData() + latin.size();
    const std::from_chars_result result = std::from_chars(latin.constData(), end, value);
    if (latin.isEmpty())
        return {};
    if (result.ec != std::errc() || result.ptr != end)
        return SpreadsheetCell::fromText(text);
    return SpreadsheetCell::fromNumber(value);
}

SpreadsheetTable readSheet(const QByteArray &xmlText, const QString &part, const QStringList &sharedStrings, SpreadsheetTable::Bounds bounds)
{
    SpreadsheetTable table(bounds);
    QXmlStreamReader xml(xmlText);
    int row = -1;
    int nextColumn = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"row") {
            const QStringView r = xml.attributes().value(QLatin1String("r"));
            if (r.isEmpty()) {
                ++row;
            } else {
                bool ok = false;
                const qint64 number = r.toLongLong(&ok);
                if (!ok || number < 1 || number > MaxRows)
                    return SpreadsheetTable::failure(QStringLiteral("文件已损坏（行号“%1”无效）。").arg(r));
                row = int(number - 1);
            }
            nextColumn = 0;
            continue;
        }
        if (xml.name() != u"c")
            continue;

        const QXmlStreamAttributes attributes = xml.attributes();
        const QString reference = attributes.value(QLatin1String("r")).toString();
        const QString type = attributes.value(QLatin1String("t")).toString();
        int cellRow = qMax(row, 0);
        int cellColumn = nextColumn;
        if (!reference.isEmpty() && !parseReference(reference, &cellRow, &cellColumn))
            return SpreadsheetTable::failure(QStringLiteral("文件已损坏（单元格地址“%1”无效）。").arg(reference));
        if (cellColumn >= MaxColumns)
            return SpreadsheetTable::failure(QStringLiteral("文件已损坏（一行超过了%1列）。").arg(MaxColumns));
        nextColumn = cellColumn + 1;

        QString value;
        QString inlineText;
        bool hasValue = false;
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == u"c")
                break;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"v") {
                value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                hasValue = true;
            } else if (xml.name() == u"is") {
                inlineText = richText(xml);
            } else {
                xml.skipCurrentElement();
            }
        }

        SpreadsheetCell cell;
        if (type == u"inlineStr") {
            cell = SpreadsheetCell::fromText(inlineText);
        } else if (!hasValue) {
            continue;
        } else if (type == u"s") {
            bool ok = false;
            const qint64 index = value.trimmed().toLongLong(&ok);
            if (!ok || index < 0 || index >= sharedStrings.size())
                return SpreadsheetTable::failure(
                    QStringLiteral("文件已损坏（单元格%1引用了不存在的共享文字）。").arg(reference));
            cell = SpreadsheetCell::fromText(sharedStrings.at(index));
        } else if (type == u"b") {
            cell = SpreadsheetCell::fromText(value.trimmed() == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
        } else if (type == u"str" || type == u"e" || type == u"d") {
            cell = SpreadsheetCell::fromText(unescaped(value));
        } else {
            cell = numberCell(value);
        }
        if (!table.setCell(cellRow, cellColumn, cell))
            return SpreadsheetTable::failure(table.overflowMessage());
    }
    if (xml.hasError())
        return SpreadsheetTable::failure(xmlError(part));
    return table;
}

} // namespace

SpreadsheetTable XlsxSheetReader::read(const QByteArray &fileContent, SpreadsheetTable::Bounds bounds)
{
    const ZipArchive zip(fileContent);
    if (!zip.isOpen())
        return SpreadsheetTable::failure(QStringLiteral("文件不完整或已损坏（压缩包的目录读不出来）。"));
    Package package{zip, {}};
    bool ok = true;

    QString workbookPart = QStringLiteral("xl/workbook.xml");
    const QByteArray packageRelationships = package.part(QStringLiteral("_rels/.rels"), false);
    if (!package.error.isEmpty())
        return SpreadsheetTable::failure(package.error);
    const QHash<QString, Relationship> rootRelationships = readRelationships(packageRelationships, QString(), &ok);
    if (!ok)
        return SpreadsheetTable::failure(xmlError(QStringLiteral("_rels/.rels")));
    for (const Relationship &relationship : rootRelationships) {
        if (relationship.type.endsWith(QLatin1String("/officeDocument")))
            workbookPart = relationship.target;
    }
    if (!zip.contains(workbookPart))
        return SpreadsheetTable::failure(QStringLiteral("这不是Excel工作簿（缺少“%1”）。").arg(workbookPart));

    const QByteArray workbook = package.part(workbookPart, true);
    const QByteArray workbookRelationshipsText = package.part(relationshipsOf(workbookPart), true);
    if (!package.error.isEmpty())
        return SpreadsheetTable::failure(package.error);
    const QHash<QString, Relationship> relationships =
        readRelationships(workbookRelationshipsText, folderOf(workbookPart), &ok);
    if (!ok)
        return SpreadsheetTable::failure(xmlError(relationshipsOf(workbookPart)));

    // The first sheet in the workbook's order that is a worksheet (not a chart sheet).
    QString sheetPart;
    QXmlStreamReader xml(workbook);
    while (!xml.atEnd() && sheetPart.isEmpty()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"sheet")
            continue;
        for (const QXmlStreamAttribute &attribute : xml.attributes()) {
            if (attribute.name() != u"id" || !attribute.namespaceUri().endsWith(u"relationships"))
                continue;
            const Relationship relationship = relationships.value(attribute.value().toString());
            if (relationship.type.endsWith(QLatin1String("/worksheet")))
                sheetPart = relationship.target;
        }
    }
    if (xml.hasError())
        return SpreadsheetTable::failure(xmlError(workbookPart));
    if (sheetPart.isEmpty())
        return SpreadsheetTable::failure(QStringLiteral("工作簿中没有工作表。"));

    QStringList sharedStrings;
    for (const Relationship &relationship : relationships) {
        if (!relationship.type.endsWith(QLatin1String("/sharedStrings")))
            continue;
        const QByteArray text = package.part(relationship.target, true);
        if (!package.error.isEmpty())
            return SpreadsheetTable::failure(package.error);
        bool tooMany = false;
        sharedStrings = readSharedStrings(text, &ok, &tooMany);
        if (tooMany)
            return SpreadsheetTable::failure(QStringLiteral("表格太大（共享文字超过%1条），无法导入。").arg(XlsxSheetReader::MaxSharedStrings));
        if (!ok)
            return SpreadsheetTable::failure(xmlError(relationship.target));
    }

    const QByteArray sheet = package.part(sheetPart, true);
    if (!package.error.isEmpty())
        return SpreadsheetTable::failure(package.error);
    return readSheet(sheet, sheetPart, sharedStrings, bounds);
}
