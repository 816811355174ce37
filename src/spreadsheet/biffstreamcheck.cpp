#include "spreadsheet/biffstreamcheck.h"

#include <cstring>

#include <QHash>
#include <QList>
#include <QtEndian>

#include "spreadsheet/biffrecords.h"

namespace {

namespace Record = Biff::Record;

QString damaged(const QString &what)
{
    return QStringLiteral("文件已损坏（%1）。").arg(what);
}

struct View
{
    const uchar *data;
    qsizetype size;

    quint16 u16(qsizetype at) const { return qFromLittleEndian<quint16>(data + at); }
    quint32 u32(qsizetype at) const { return qFromLittleEndian<quint32>(data + at); }
    double f64(qsizetype at) const
    {
        const quint64 bits = qFromLittleEndian<quint64>(data + at);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
};

// A BIFF8 string's flags byte and the fields the flags announce: a run count, an extension size.
qsizetype stringHeaderSize(uchar flags)
{
    return 1 + ((flags & 0x08) ? 2 : 0) + ((flags & 0x04) ? 4 : 0);
}

// A BIFF8 string's flags and optional fields at at, then count characters: all in the record?
bool unicodeStringFits(const View &record, qsizetype at, quint32 count)
{
    if (at + 1 > record.size)
        return false;
    const uchar flags = record.data[at];
    return at + stringHeaderSize(flags) + qsizetype(count) * ((flags & 0x01) ? 2 : 1) <= record.size;
}

QString unicodeString(const View &record, qsizetype at, quint32 count)
{
    const uchar flags = record.data[at];
    const qsizetype start = at + stringHeaderSize(flags);
    if (flags & 0x01)
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(record.data + start), count);
    return QString::fromLatin1(reinterpret_cast<const char *>(record.data + start), count);
}

// FreeXL's test for a date format: letters of year, month and day, or of a date and a time.
bool looksLikeDateFormat(const QString &format)
{
    int y = 0, m = 0, d = 0, h = 0;
    for (const QChar c : format) {
        switch (c.toLower().unicode()) {
        case u'y': ++y; break;
        case u'm': ++m; break;
        case u'd': ++d; break;
        case u'h': ++h; break;
        default: break;
        }
    }
    return (y && m && d && h) || (y && m) || (m && d);
}

// FreeXL's reading of an RK number.
double rkValue(quint32 rk)
{
    double value = 0;
    if (rk & 0x02) {
        value = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100 : value;
}

class Checker
{
public:
    QString run(const View &stream);

private:
    QString record(quint16 type, const View &body);
    QString sharedStrings(const QList<View> &pieces) const;
    QString dateCell(quint16 xf, double value) const;

    bool m_biff8 = true;
    bool m_sawSst = false;
    QList<quint16> m_xfFormats;
    QHash<quint16, bool> m_dateFormats;
};

QString Checker::run(const View &stream)
{
    qsizetype position = 0;
    bool first = true;
    while (position + 4 <= stream.size) {
        const quint16 type = stream.u16(position);
        const quint16 length = stream.u16(position + 2);
        if (type == 0 && length == 0)
            break; // FreeXL stops here, as at the end of the stream
        if (length > Biff::MaxRecordData || position + 4 + length > stream.size)
            return damaged(QStringLiteral("记录长度超出了数据"));
        const View body{stream.data + position + 4, length};
        if (first) {
            if (type != Record::Bof || length < 4 || (body.u16(0) != Biff::Version8 && body.u16(0) != Biff::Version5))
                return QStringLiteral("这不是Excel 97-2003或Excel 95格式的工作簿。");
            m_biff8 = body.u16(0) == Biff::Version8;
            first = false;
        }
        if (type == Record::Sst) {
            if (m_sawSst || !m_biff8)
                return damaged(QStringLiteral("共享文字表重复"));
            m_sawSst = true;
            QList<View> pieces{body};
            qsizetype next = position + 4 + length;
            while (next + 4 <= stream.size && stream.u16(next) == Record::Continue) {
                const quint16 continued = stream.u16(next + 2);
                if (continued > Biff::MaxRecordData || next + 4 + continued > stream.size)
                    return damaged(QStringLiteral("记录长度超出了数据"));
                pieces.append(View{stream.data + next + 4, continued});
                next += 4 + continued;
            }
            const QString problem = sharedStrings(pieces);
            if (!problem.isEmpty())
                return problem;
            position = next;
            continue;
        }
        const QString problem = record(type, body);
        if (!problem.isEmpty())
            return problem;
        position += 4 + length;
    }
    if (first)
        return damaged(QStringLiteral("工作簿数据是空的"));
    return {};
}

QString Checker::record(quint16 type, const View &body)
{
    const QString shortRecord = damaged(QStringLiteral("记录不完整"));
    switch (type) {
    case Record::Bof:
        return body.size < 4 ? shortRecord : QString();
    case Record::CodePage:
    case Record::DateMode:
        return body.size < 2 ? shortRecord : QString();
    case Record::FilePass:
        return QStringLiteral("文件设置了密码；请在Excel中取消密码并另存后再导入。");
    case Record::BoundSheet: {
        if (body.size < 8)
            return shortRecord;
        const quint32 count = body.data[6];
        const bool fits = m_biff8 ? unicodeStringFits(body, 7, count) : 7 + qsizetype(count) <= body.size;
        return fits ? QString() : shortRecord;
    }
    case Record::Dimensions: {
        if (body.size < (m_biff8 ? 12 : 8))
            return shortRecord;
        const quint32 rows = m_biff8 ? body.u32(4) : body.u16(2);
        const quint16 columns = m_biff8 ? body.u16(10) : body.u16(6);
        return rows > quint32(Biff::MaxRows) || columns > Biff::MaxColumns ? damaged(QStringLiteral("表格尺寸无效")) : QString();
    }
    case Record::Format: {
        QString format;
        if (m_biff8) {
            if (body.size < 5 || !unicodeStringFits(body, 4, body.u16(2)))
                return shortRecord;
            format = unicodeString(body, 4, body.u16(2));
        } else {
            // FreeXL takes the first character of a BIFF5 format as its length.
            if (body.size < 4 || 3 + qsizetype(body.data[2]) > body.size || 3 + qsizetype(body.data[3]) > body.size)
                return shortRecord;
            format = QString::fromLatin1(reinterpret_cast<const char *>(body.data + 3), body.data[3]);
        }
        m_dateFormats.insert(body.u16(0), looksLikeDateFormat(format));
        return {};
    }
    case Record::Xf:
        if (body.size < 4)
            return shortRecord;
        m_xfFormats.append(body.u16(2));
        return {};
    case Record::Number:
        return body.size < 14 ? shortRecord : dateCell(body.u16(4), body.f64(6));
    case Record::BoolErr:
        return body.size < 8 ? shortRecord : QString();
    case Record::Rk:
        return body.size < 10 ? shortRecord : dateCell(body.u16(4), rkValue(body.u32(6)));
    case Record::MulRk: {
        if (body.size < 6 || (body.size - 6) % 6 != 0)
            return shortRecord;
        for (qsizetype at = 4; at + 6 < body.size; at += 6) {
            const QString problem = dateCell(body.u16(at), rkValue(body.u32(at + 2)));
            if (!problem.isEmpty())
                return problem;
        }
        return {};
    }
    case Record::Label: {
        if (body.size < 8)
            return shortRecord;
        const quint16 count = body.u16(6);
        const bool fits = m_biff8 ? unicodeStringFits(body, 8, count) : 8 + qsizetype(count) <= body.size;
        return fits ? QString() : shortRecord;
    }
    case Record::LabelSst:
        return body.size < 10 ? shortRecord : QString();
    default:
        return {};
    }
}

QString Checker::dateCell(quint16 xf, double value) const
{
    if (xf >= m_xfFormats.size() || !(value > BiffStreamCheck::LastDateSerial + 1))
        return {};
    const quint16 format = m_xfFormats.at(xf);
    const bool builtInDate = (format >= 14 && format <= 17) || format == 22;
    const bool builtInOther = (format >= 18 && format <= 21) || (format >= 45 && format <= 47);
    if (builtInDate || (!builtInOther && m_dateFormats.value(format, false)))
        return damaged(QStringLiteral("日期数值超出范围"));
    return {};
}

// Walks the shared strings as FreeXL does: a string cut at the end of a record must end in the
// next one, and nothing may be read beyond a record.
QString Checker::sharedStrings(const QList<View> &pieces) const
{
    const QString broken = damaged(QStringLiteral("共享文字表不完整"));
    const View &first = pieces.first();
    if (first.size < 8)
        return broken;
    qsizetype totalBytes = 0;
    for (const View &piece : pieces)
        totalBytes += piece.size;
    const quint32 count = first.u32(4);
    if (qsizetype(count) > totalBytes / 3 + 1)
        return broken;

    quint32 index = 0;
    bool suspended = false;
    quint64 remaining = 0;
    quint64 skip = 0;
    for (qsizetype i = 0; i < pieces.size() && index < count; ++i) {
        const View &piece = pieces.at(i);
        quint64 at = i == 0 ? 8 : 0;
        if (suspended) {
            if (at + 1 > quint64(piece.size))
                return broken;
            const quint64 unit = (piece.data[at] & 0x01) ? 2 : 1;
            at += 1;
            if (at + remaining * unit > quint64(piece.size))
                return broken;
            at += remaining * unit + skip;
            suspended = false;
            ++index;
        }
        while (index < count && at < quint64(piece.size)) {
            if (at + 3 > quint64(piece.size))
                return broken;
            const quint32 characters = piece.u16(qsizetype(at));
            const uchar flags = piece.data[at + 2];
            const quint64 header = quint64(stringHeaderSize(flags));
            if (at + 2 + header > quint64(piece.size))
                return broken;
            const quint64 runs = (flags & 0x08) ? piece.u16(qsizetype(at + 3)) : 0;
            const quint64 extended = (flags & 0x04) ? piece.u32(qsizetype(at + 3 + ((flags & 0x08) ? 2 : 0))) : 0;
            at += 2 + header;
            const quint64 unit = (flags & 0x01) ? 2 : 1;
            const quint64 available = quint64(piece.size) - at;
            if (characters * unit > available) {
                suspended = true;
                remaining = characters - available / unit;
                skip = runs * 4 + extended;
                break;
            }
            at += characters * unit + runs * 4 + extended;
            ++index;
        }
    }
    return {};
}

} // namespace

QString BiffStreamCheck::problem(const QByteArray &stream)
{
    Checker checker;
    return checker.run(View{reinterpret_cast<const uchar *>(stream.constData()), stream.size()});
}
