#include "spreadsheet/xlsworkbookwriter.h"

#include <cmath>
#include <cstring>

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include "spreadsheet/biffrecords.h"
#include "spreadsheet/compoundfilewriter.h"
#include "spreadsheet/sharedstringtable.h"
#include "spreadsheet/spreadsheetcell.h"

namespace {

namespace Record = Biff::Record;

constexpr quint16 GlobalsSubstream = 0x0005;
constexpr quint16 WorksheetSubstream = 0x0010;
constexpr quint16 Utf16CodePage = 1200;
constexpr quint16 DefaultCellXf = 15;
constexpr quint16 FirstCustomXf = 16;
// FONT index 4 does not exist in BIFF: the fifth FONT record is font 5.
constexpr quint16 FirstCustomFont = 5;
constexpr int RowsPerBlock = 32;
constexpr int MinFontTwips = 20;
constexpr int MaxFontTwips = 8191;
constexpr int MinRowTwips = 2;
constexpr int MaxRowTwips = 8192;
// Built-in number format "0.00"; custom formats are numbered from 164.
constexpr quint16 TwoDecimalsFormat = 2;
constexpr quint16 DateFormat = 164;
const QLatin1String DateFormatCode("yyyy-mm-dd");
// Day 0 of the 1900 date system as spreadsheet programs count it (which skips the 29 February
// 1900 that never was).
const QDate SerialDayZero(1899, 12, 30);

quint16 formatIndex(XlsWorkbookWriter::NumberFormat format)
{
    switch (format) {
    case XlsWorkbookWriter::NumberFormat::TwoDecimals:
        return TwoDecimalsFormat;
    case XlsWorkbookWriter::NumberFormat::Date:
        return DateFormat;
    case XlsWorkbookWriter::NumberFormat::General:
        break;
    }
    return 0;
}

// Little-endian record payloads.
class Payload
{
public:
    Payload &u8(quint8 value)
    {
        m_bytes.append(char(value));
        return *this;
    }
    Payload &u16(quint16 value)
    {
        char bytes[2];
        qToLittleEndian(value, bytes);
        m_bytes.append(bytes, 2);
        return *this;
    }
    Payload &u32(quint32 value)
    {
        char bytes[4];
        qToLittleEndian(value, bytes);
        m_bytes.append(bytes, 4);
        return *this;
    }
    Payload &f64(double value)
    {
        quint64 bits;
        std::memcpy(&bits, &value, sizeof bits);
        char bytes[8];
        qToLittleEndian(bits, bytes);
        m_bytes.append(bytes, 8);
        return *this;
    }
    // A string with an 8-bit character count, always stored as UTF-16.
    Payload &shortString(const QString &text)
    {
        u8(quint8(text.size())).u8(1);
        for (const QChar c : text)
            u16(c.unicode());
        return *this;
    }
    Payload &padTo(qsizetype size, char fill)
    {
        if (m_bytes.size() < size)
            m_bytes.append(size - m_bytes.size(), fill);
        return *this;
    }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

void appendRecord(QByteArray &stream, quint16 type, const Payload &payload = {})
{
    Payload header;
    header.u16(type).u16(quint16(payload.bytes().size()));
    stream.append(header.bytes());
    stream.append(payload.bytes());
}

Payload bof(quint16 substream)
{
    // Build and year as Excel 97 writes them; the history flags claim nothing.
    return Payload().u16(Biff::Version8).u16(substream).u16(0x0DBB).u16(0x07CC).u32(0).u32(0x00000006);
}

// The row height Excel gives a row whose tallest font is this size (12 pt gives 14.25 pt).
int naturalRowTwips(int fontTwips)
{
    return qBound(MinRowTwips, int(std::lround(fontTwips * 1.1875)), MaxRowTwips);
}

int fontTwipsFor(double pointSize, int fallback)
{
    if (!(pointSize > 0))
        return fallback;
    return qBound(MinFontTwips, int(std::lround(pointSize * 20)), MaxFontTwips);
}

Payload font(int twips, bool bold, const QString &name)
{
    bool ascii = true;
    for (const QChar c : name)
        ascii = ascii && c.unicode() < 0x80;
    Payload payload;
    payload.u16(quint16(twips))
        .u16(bold ? 1 : 0)      // the old bold flag, which readers still check beside the weight
        .u16(0x7FFF)            // automatic colour
        .u16(bold ? 700 : 400)
        .u16(0)                 // no super- or subscript
        .u8(0)                  // no underline
        .u8(0)                  // family not given
        .u8(ascii ? 0 : 0x86)   // a Chinese font name is a GB2312 font
        .u8(0)
        .shortString(name);
    return payload;
}

Payload styleXf(quint16 fontIndex, bool normalStyle)
{
    // The Normal style defines every attribute; the other built-in styles leave all but the
    // font to their cells.
    return Payload()
        .u16(fontIndex)
        .u16(0)          // General number format
        .u16(0xFFF5)     // locked, a style, no parent
        .u8(0x20)        // bottom-aligned
        .u8(0)
        .u16(normalStyle ? 0x0000 : 0xF400)
        .u32(0)
        .u32(0)
        .u16(0x20C0);    // automatic pattern colours
}

Payload cellXf(quint16 fontIndex, quint16 format)
{
    return Payload()
        .u16(fontIndex)
        .u16(format)
        .u16(0x0001)                              // locked, parent style 0 (Normal)
        .u8(0x20)
        .u8(0)
        // Which attributes differ from the style's: the font, the number format.
        .u16((fontIndex == 0 ? 0x0000 : 0x0800) | (format == 0 ? 0x0000 : 0x0400))
        .u32(0)
        .u32(0)
        .u16(0x20C0);
}

QString sanitisedSheetName(const QString &name)
{
    // Excel refuses these characters in a sheet name and names longer than 31.
    static const QString forbidden = QStringLiteral("[]:*?/\\");
    QString clean;
    for (const QChar c : name) {
        if (!forbidden.contains(c) && c.unicode() >= 0x20)
            clean.append(c);
    }
    clean = clean.left(31).trimmed();
    return clean.isEmpty() ? QStringLiteral("Sheet1") : clean;
}

bool isWide(char32_t u)
{
    return (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0x303E) || (u >= 0x3041 && u <= 0x33FF)
        || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xA000 && u <= 0xA4CF)
        || (u >= 0xA960 && u <= 0xA97F) || (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF)
        || (u >= 0xFE10 && u <= 0xFE19) || (u >= 0xFE30 && u <= 0xFE6F) || (u >= 0xFF00 && u <= 0xFF60)
        || (u >= 0xFFE0 && u <= 0xFFE6) || (u >= 0x1F300 && u <= 0x1F64F) || (u >= 0x1F900 && u <= 0x1F9FF)
        || (u >= 0x20000 && u <= 0x3FFFD);
}

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

struct XlsWorkbookWriter::Styles
{
    // The fonts after the four default ones, from FirstCustomFont on.
    QList<int> fontTwips;
    QList<bool> fontBold;
    // The font index of each formatted row (0, the default font, when not listed).
    QMap<int, quint16> rowFonts;
    QMap<int, int> rowFontTwips;
    // The cell XFs after the default one, from FirstCustomXf on: font index and format index.
    QList<QPair<quint16, quint16>> xfs;
    bool usesDateFormat = false;

    void addXf(quint16 font, quint16 format)
    {
        if ((font != 0 || format != 0) && !xfs.contains(QPair<quint16, quint16>{font, format}))
            xfs.append({font, format});
    }
    quint16 xf(quint16 font, quint16 format) const
    {
        if (font == 0 && format == 0)
            return DefaultCellXf;
        return quint16(FirstCustomXf + xfs.indexOf(QPair<quint16, quint16>{font, format}));
    }
};

XlsWorkbookWriter::XlsWorkbookWriter(const QString &sheetName) : m_sheetName(sanitisedSheetName(sheetName))
{
}

void XlsWorkbookWriter::setDefaultFont(const QString &name, double pointSize)
{
    if (!name.trimmed().isEmpty())
        m_fontName = name.trimmed().left(31);
    m_fontTwips = fontTwipsFor(pointSize, m_fontTwips);
}

void XlsWorkbookWriter::refuse(const QString &problem)
{
    if (m_problem.isEmpty())
        m_problem = problem;
}

bool XlsWorkbookWriter::accept(int row, int column)
{
    if (row >= 0 && row < MaxRows && column >= 0 && column < MaxColumns)
        return true;
    refuse(QStringLiteral("表格超出了Excel 97-2003格式的范围（最多%1行、%2列），第%3行第%4列无法写入。")
               .arg(MaxRows).arg(MaxColumns).arg(qint64(row) + 1).arg(qint64(column) + 1));
    return false;
}

void XlsWorkbookWriter::setText(int row, int column, const QString &text)
{
    if (!accept(row, column))
        return;
    if (text.size() > MaxTextLength) {
        refuse(QStringLiteral("第%1行第%2列的文字有%3个字符，超过了Excel单元格的上限%4个字符。")
                   .arg(row + 1).arg(column + 1).arg(text.size()).arg(MaxTextLength));
        return;
    }
    m_rows[row][column] = Cell{false, text, 0};
}

void XlsWorkbookWriter::setNumber(int row, int column, double value, NumberFormat format)
{
    if (!accept(row, column))
        return;
    if (!std::isfinite(value)) {
        refuse(QStringLiteral("第%1行第%2列不是有效的数字。").arg(row + 1).arg(column + 1));
        return;
    }
    m_rows[row][column] = Cell{true, {}, value, format};
}

void XlsWorkbookWriter::setDate(int row, int column, const QDate &date)
{
    if (!date.isValid() || date < QDate(1900, 3, 1)) {
        refuse(QStringLiteral("第%1行第%2列不是有效的日期。").arg(row + 1).arg(column + 1));
        return;
    }
    setNumber(row, column, double(SerialDayZero.daysTo(date)), NumberFormat::Date);
}

void XlsWorkbookWriter::setRowFormat(int row, const RowFormat &format)
{
    if (accept(row, 0))
        m_rowFormats.insert(row, format);
}

void XlsWorkbookWriter::setColumnWidth(int column, double characters)
{
    if (!accept(0, column))
        return;
    const double width = qBound(0.0, std::isfinite(characters) ? characters : 0.0, MaxColumnWidth);
    m_columnWidths.insert(column, quint16(std::lround(width * 256)));
}

int XlsWorkbookWriter::displayWidth(const QString &text)
{
    int widest = 0;
    int width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t u = text.at(i).unicode();
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            u = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        if (u == u'\n') {
            widest = qMax(widest, width);
            width = 0;
            continue;
        }
        if (u == u'\r')
            continue;
        width += isWide(u) ? 2 : 1;
    }
    return qMax(widest, width);
}

QString XlsWorkbookWriter::withExtension(const QString &path)
{
    return path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive) ? path : path + QStringLiteral(".xls");
}

void XlsWorkbookWriter::autoFitColumns()
{
    QMap<int, int> widest;
    for (const QMap<int, Cell> &cells : std::as_const(m_rows)) {
        for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
            const Cell &cell = it.value();
            const int width = !cell.isNumber ? displayWidth(cell.text)
                : cell.format == NumberFormat::Date ? int(DateFormatCode.size())
                : displayWidth(cell.format == NumberFormat::TwoDecimals ? QString::number(cell.number, 'f', 2)
                                                                         : SpreadsheetCell::shortestDecimal(cell.number));
            int &column = widest[it.key()];
            column = qMax(column, width);
        }
    }
    for (auto it = widest.cbegin(); it != widest.cend(); ++it)
        setColumnWidth(it.key(), it.value() + AutoFitMargin);
}

QByteArray XlsWorkbookWriter::globalsStream(const SharedStringTable &strings, const Styles &styles, qsizetype *sheetOffsetField) const
{
    QByteArray stream;
    appendRecord(stream, Record::Bof, bof(GlobalsSubstream));
    appendRecord(stream, Record::InterfaceHdr, Payload().u16(Utf16CodePage));
    appendRecord(stream, Record::Mms, Payload().u16(0));
    appendRecord(stream, Record::InterfaceEnd);
    {
        const QString user = QStringLiteral("Quillon");
        Payload access;
        access.u16(quint16(user.size())).u8(0);
        for (const QChar c : user)
            access.u8(quint8(c.unicode()));
        access.padTo(112, ' ');
        appendRecord(stream, Record::WriteAccess, access);
    }
    appendRecord(stream, Record::CodePage, Payload().u16(Utf16CodePage));
    appendRecord(stream, Record::Dsf, Payload().u16(0));
    appendRecord(stream, Record::TabId, Payload().u16(1));
    appendRecord(stream, Record::WindowProtect, Payload().u16(0));
    appendRecord(stream, Record::Protect, Payload().u16(0));
    appendRecord(stream, Record::Password, Payload().u16(0));
    appendRecord(stream, Record::Prot4Rev, Payload().u16(0));
    appendRecord(stream, Record::Prot4RevPass, Payload().u16(0));
    appendRecord(stream, Record::Backup, Payload().u16(0));
    appendRecord(stream, Record::HideObj, Payload().u16(0));
    // Window position and size in twips, horizontal scroll bar and sheet tabs shown, tab bar 60 %.
    appendRecord(stream, Record::Window1,
                 Payload().u16(0x0168).u16(0x001E).u16(0x3A5C).u16(0x2490).u16(0x0038).u16(0).u16(0).u16(1).u16(600));
    appendRecord(stream, Record::DateMode, Payload().u16(0));
    appendRecord(stream, Record::Precision, Payload().u16(1));
    appendRecord(stream, Record::RefreshAll, Payload().u16(0));
    appendRecord(stream, Record::BookBool, Payload().u16(0));

    // Fonts 0 to 3 are the default font, as Excel writes them; the built-in styles refer to them.
    for (int i = 0; i < 4; ++i)
        appendRecord(stream, Record::Font, font(m_fontTwips, false, m_fontName));
    for (qsizetype i = 0; i < styles.fontTwips.size(); ++i)
        appendRecord(stream, Record::Font, font(styles.fontTwips.at(i), styles.fontBold.at(i), m_fontName));
    if (styles.usesDateFormat) {
        Payload format;
        format.u16(DateFormat).u16(quint16(DateFormatCode.size())).u8(0);
        for (const char c : DateFormatCode)
            format.u8(quint8(c));
        appendRecord(stream, Record::Format, format);
    }

    static const quint16 styleFonts[15] = {0, 1, 1, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 15; ++i)
        appendRecord(stream, Record::Xf, styleXf(styleFonts[i], i == 0));
    appendRecord(stream, Record::Xf, cellXf(0, 0));
    for (const auto &[fontIndex, format] : styles.xfs)
        appendRecord(stream, Record::Xf, cellXf(fontIndex, format));
    // The built-in Normal style on XF 0.
    appendRecord(stream, Record::Style, Payload().u16(0x8000).u8(0).u8(0xFF));
    appendRecord(stream, Record::UsesElfs, Payload().u16(0));

    Payload sheet;
    sheet.u32(0).u8(0).u8(0).shortString(m_sheetName); // the offset is filled in once known
    *sheetOffsetField = stream.size() + 4;
    appendRecord(stream, Record::BoundSheet, sheet);
    // China in both the interface and the system settings.
    appendRecord(stream, Record::Country, Payload().u16(86).u16(86));
    strings.write(stream);
    appendRecord(stream, Record::Eof);
    return stream;
}

QByteArray XlsWorkbookWriter::sheetStream(SharedStringTable &strings, const Styles &styles) const
{
    QByteArray stream;
    stream.reserve(1024 + qsizetype(m_rows.size()) * 16 * 8);
    appendRecord(stream, Record::Bof, bof(WorksheetSubstream));
    appendRecord(stream, Record::CalcMode, Payload().u16(1));
    appendRecord(stream, Record::CalcCount, Payload().u16(100));
    appendRecord(stream, Record::RefMode, Payload().u16(1));
    appendRecord(stream, Record::Iteration, Payload().u16(0));
    appendRecord(stream, Record::Delta, Payload().f64(0.001));
    appendRecord(stream, Record::SaveRecalc, Payload().u16(1));
    appendRecord(stream, Record::PrintHeaders, Payload().u16(0));
    appendRecord(stream, Record::PrintGridlines, Payload().u16(0));
    appendRecord(stream, Record::GridSet, Payload().u16(1));
    appendRecord(stream, Record::Guts, Payload().u16(0).u16(0).u16(0).u16(0));
    appendRecord(stream, Record::DefaultRowHeight, Payload().u16(0).u16(quint16(naturalRowTwips(m_fontTwips))));
    appendRecord(stream, Record::WsBool, Payload().u16(0x04C1));
    appendRecord(stream, Record::DefColWidth, Payload().u16(8));
    for (auto it = m_columnWidths.cbegin(); it != m_columnWidths.cend(); ++it) {
        // fUserSet: the width was chosen, so Excel keeps it.
        appendRecord(stream, Record::ColInfo,
                     Payload().u16(quint16(it.key())).u16(quint16(it.key())).u16(it.value()).u16(DefaultCellXf)
                         .u16(0x0002).u16(0));
    }

    quint32 firstRow = 0, lastRow = 0;
    quint16 firstColumn = 0, lastColumn = 0;
    bool any = false;
    for (auto row = m_rows.cbegin(); row != m_rows.cend(); ++row) {
        if (row.value().isEmpty())
            continue;
        const quint16 left = quint16(row.value().firstKey());
        const quint16 right = quint16(row.value().lastKey() + 1);
        if (!any) {
            firstRow = quint32(row.key());
            firstColumn = left;
            lastColumn = right;
            any = true;
        }
        lastRow = quint32(row.key() + 1);
        firstColumn = qMin(firstColumn, left);
        lastColumn = qMax(lastColumn, right);
    }
    appendRecord(stream, Record::Dimensions,
                 Payload().u32(firstRow).u32(lastRow).u16(firstColumn).u16(lastColumn).u16(0));

    QList<int> rows = m_rows.keys();
    for (const int formatted : m_rowFormats.keys()) {
        if (!m_rows.contains(formatted))
            rows.append(formatted);
    }
    std::sort(rows.begin(), rows.end());

    static const QMap<int, Cell> noCells;
    for (qsizetype blockStart = 0; blockStart < rows.size();) {
        qsizetype blockEnd = blockStart;
        const int block = rows.at(blockStart) / RowsPerBlock;
        while (blockEnd < rows.size() && rows.at(blockEnd) / RowsPerBlock == block)
            ++blockEnd;

        for (qsizetype i = blockStart; i < blockEnd; ++i) {
            const int row = rows.at(i);
            const auto cellsIt = m_rows.constFind(row);
            const QMap<int, Cell> &cells = cellsIt == m_rows.cend() ? noCells : cellsIt.value();
            const quint16 xf = styles.xf(styles.rowFonts.value(row, 0), 0);
            const RowFormat format = m_rowFormats.value(row);
            const bool customHeight = format.height > 0;
            const int twips = customHeight
                ? qBound(MinRowTwips, int(std::lround(format.height * 20)), MaxRowTwips)
                : naturalRowTwips(styles.rowFontTwips.value(row, m_fontTwips));
            quint32 flags = 0x0100;
            if (customHeight)
                flags |= 0x0040; // the height was set, not taken from the font
            if (xf != DefaultCellXf)
                flags |= 0x0080 | (quint32(xf) << 16); // the row's own format, for its empty cells too
            appendRecord(stream, Record::Row,
                         Payload().u16(quint16(row)).u16(cells.isEmpty() ? 0 : quint16(cells.firstKey()))
                             .u16(cells.isEmpty() ? 0 : quint16(cells.lastKey() + 1)).u16(quint16(twips))
                             .u16(0).u16(0).u32(flags));
        }
        for (qsizetype i = blockStart; i < blockEnd; ++i) {
            const int row = rows.at(i);
            const auto cellsIt = m_rows.constFind(row);
            if (cellsIt == m_rows.cend())
                continue;
            const quint16 rowFont = styles.rowFonts.value(row, 0);
            const quint16 xf = styles.xf(rowFont, 0);
            for (auto cell = cellsIt.value().cbegin(); cell != cellsIt.value().cend(); ++cell) {
                if (cell.value().isNumber) {
                    const quint16 numberXf = styles.xf(rowFont, formatIndex(cell.value().format));
                    appendRecord(stream, Record::Number,
                                 Payload().u16(quint16(row)).u16(quint16(cell.key())).u16(numberXf).f64(cell.value().number));
                } else if (cell.value().text.isEmpty()) {
                    // An empty text is a blank cell, as Excel keeps it: FreeXL refuses a workbook
                    // whose shared strings hold an empty one.
                    appendRecord(stream, Record::Blank, Payload().u16(quint16(row)).u16(quint16(cell.key())).u16(xf));
                } else {
                    const quint32 index = strings.add(cell.value().text);
                    appendRecord(stream, Record::LabelSst,
                                 Payload().u16(quint16(row)).u16(quint16(cell.key())).u16(xf).u32(index));
                }
            }
        }
        blockStart = blockEnd;
    }

    // Grid lines, headers, zeros and outline symbols shown; this sheet selected and displayed.
    appendRecord(stream, Record::Window2,
                 Payload().u16(0x06B6).u16(0).u16(0).u32(0x40).u16(0).u16(0).u32(0));
    appendRecord(stream, Record::Eof);
    return stream;
}

QByteArray XlsWorkbookWriter::toBytes() const
{
    // Each distinct bold/size pair of the formatted rows becomes one FONT and one cell XF.
    Styles styles;
    for (auto it = m_rowFormats.cbegin(); it != m_rowFormats.cend(); ++it) {
        const int twips = fontTwipsFor(it.value().pointSize, m_fontTwips);
        const bool bold = it.value().bold;
        styles.rowFontTwips.insert(it.key(), twips);
        if (!bold && twips == m_fontTwips)
            continue;
        qsizetype index = 0;
        while (index < styles.fontTwips.size() && !(styles.fontTwips.at(index) == twips && styles.fontBold.at(index) == bold))
            ++index;
        if (index == styles.fontTwips.size()) {
            styles.fontTwips.append(twips);
            styles.fontBold.append(bold);
            styles.addXf(quint16(FirstCustomFont + index), 0);
        }
        styles.rowFonts.insert(it.key(), quint16(FirstCustomFont + index));
    }
    // Then one XF for each font and number format that number cells combine.
    for (auto row = m_rows.cbegin(); row != m_rows.cend(); ++row) {
        for (const Cell &cell : row.value()) {
            if (!cell.isNumber || cell.format == NumberFormat::General)
                continue;
            styles.addXf(styles.rowFonts.value(row.key(), 0), formatIndex(cell.format));
            styles.usesDateFormat = styles.usesDateFormat || cell.format == NumberFormat::Date;
        }
    }

    SharedStringTable strings;
    const QByteArray sheet = sheetStream(strings, styles);
    qsizetype offsetField = 0;
    QByteArray stream = globalsStream(strings, styles, &offsetField);
    qToLittleEndian(quint32(stream.size()), stream.data() + offsetField);
    stream.append(sheet);
    return CompoundFileWriter::build(QStringLiteral("Workbook"), stream);
}

WriteResult XlsWorkbookWriter::save(const QString &path) const
{
    const QString shown = nativePath(path);
    auto failure = [&shown](const QString &reason) {
        return WriteResult::failure(QStringLiteral("无法保存“%1”：%2").arg(shown, reason));
    };
    if (!m_problem.isEmpty())
        return failure(m_problem);

    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        return failure(QStringLiteral("文件夹“%1”不存在。").arg(QDir::toNativeSeparators(target.absolutePath())));
    if (target.isDir())
        return failure(QStringLiteral("这个名字已是一个文件夹。"));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(QStringLiteral("无法在这个文件夹中创建文件，可能没有写入权限。"));
    const QByteArray bytes = toBytes();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return failure(QStringLiteral("写入文件时出错，磁盘可能已满。原来的文件没有改动。"));
    }
    if (!file.commit()) {
        if (file.error() == QFileDevice::WriteError)
            return failure(QStringLiteral("写入文件时出错，磁盘可能已满。原来的文件没有改动。"));
        return failure(QStringLiteral("无法替换原来的文件，它可能正在Excel或WPS中打开；请关闭后再保存。"));
    }
    return WriteResult::success();
}
