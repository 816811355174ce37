#include "spreadsheet/compoundfilereader.h"

#include <vector>

#include <QtEndian>

#include "spreadsheet/compoundfileformat.h"

namespace {

using namespace CompoundFile;

quint16 read16(const QByteArray &data, qsizetype at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

quint32 read32(const QByteArray &data, qsizetype at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

class Container
{
public:
    explicit Container(const QByteArray &file) : m_file(file) {}

    bool open(QString *reason)
    {
        if (m_file.size() < 512 || !m_file.startsWith(Signature))
            return fail(reason, QStringLiteral("文件头不完整"));
        const quint16 shift = read16(m_file, 30);
        if (read16(m_file, 28) != ByteOrderMark || (shift != 9 && shift != 12) || read16(m_file, 32) != 6)
            return fail(reason, QStringLiteral("文件头已损坏"));
        m_sectorSize = 1 << shift;
        m_sectorCount = quint32(qMax<qsizetype>(0, (m_file.size() - m_sectorSize) / m_sectorSize));
        m_miniCutoff = read32(m_file, 56);

        // The FAT's own sectors: 109 listed in the header, the rest in a chain of DIFAT sectors.
        const quint32 fatSectors = read32(m_file, 44);
        if (fatSectors > m_sectorCount)
            return fail(reason, QStringLiteral("分配表大小无效"));
        std::vector<quint32> fatList;
        for (int i = 0; i < HeaderDifatEntries && fatList.size() < fatSectors; ++i)
            fatList.push_back(read32(m_file, 76 + 4 * i));
        quint32 difat = read32(m_file, 68);
        std::vector<bool> seen(m_sectorCount, false);
        const int perDifat = m_sectorSize / 4 - 1;
        while (fatList.size() < fatSectors) {
            if (difat >= m_sectorCount || seen[difat])
                return fail(reason, QStringLiteral("分配表的索引已损坏"));
            seen[difat] = true;
            const qsizetype at = offsetOf(difat);
            for (int i = 0; i < perDifat && fatList.size() < fatSectors; ++i)
                fatList.push_back(read32(m_file, at + 4 * i));
            difat = read32(m_file, at + 4 * perDifat);
        }
        m_fat.reserve(fatList.size() * size_t(m_sectorSize / 4));
        for (const quint32 sector : fatList) {
            if (sector >= m_sectorCount)
                return fail(reason, QStringLiteral("分配表指向文件之外（文件可能不完整）"));
            const qsizetype at = offsetOf(sector);
            for (int i = 0; i < m_sectorSize / 4; ++i)
                m_fat.push_back(read32(m_file, at + 4 * i));
        }
        return true;
    }

    // The sectors of a chain, in order, until they hold the bytes needed.
    static bool chain(quint32 start, const std::vector<quint32> &table, quint32 units, int unitSize, quint64 needed,
                      std::vector<quint32> *sectors)
    {
        std::vector<bool> seen(units, false);
        quint32 sector = start;
        quint64 collected = 0;
        while (collected < needed) {
            if (sector >= units || sector >= table.size() || seen[sector])
                return false;
            seen[sector] = true;
            sectors->push_back(sector);
            collected += quint64(unitSize);
            sector = table[sector];
        }
        return true;
    }

    bool readRegular(quint32 start, quint64 size, QByteArray *out) const
    {
        std::vector<quint32> sectors;
        if (size > quint64(m_file.size()) || !chain(start, m_fat, m_sectorCount, m_sectorSize, size, &sectors))
            return false;
        out->clear();
        out->reserve(qsizetype(size));
        for (const quint32 sector : sectors) {
            const qsizetype take = qsizetype(qMin<quint64>(quint64(m_sectorSize), size - quint64(out->size())));
            out->append(m_file.constData() + offsetOf(sector), take);
        }
        return true;
    }

    // The whole directory chain, up to its end.
    bool readDirectory(QByteArray *out) const
    {
        std::vector<quint32> sectors;
        if (!chain(read32(m_file, 48), m_fat, m_sectorCount, m_sectorSize, quint64(m_sectorSize), &sectors))
            return false;
        quint32 sector = m_fat[sectors.back()];
        std::vector<bool> seen(m_sectorCount, false);
        for (const quint32 s : sectors)
            seen[s] = true;
        while (sector != EndOfChain) {
            if (sector >= m_sectorCount || sector >= m_fat.size() || seen[sector])
                return false;
            seen[sector] = true;
            sectors.push_back(sector);
            sector = m_fat[sector];
        }
        for (const quint32 s : sectors)
            out->append(m_file.constData() + offsetOf(s), m_sectorSize);
        return true;
    }

    bool readMini(const QByteArray &miniStream, quint32 start, quint64 size, QByteArray *out) const
    {
        std::vector<quint32> miniFat;
        QByteArray miniFatBytes;
        const quint32 miniFatSectors = read32(m_file, 64);
        if (miniFatSectors > m_sectorCount
            || !readRegular(read32(m_file, 60), quint64(miniFatSectors) * quint64(m_sectorSize), &miniFatBytes))
            return false;
        for (qsizetype i = 0; i + 4 <= miniFatBytes.size(); i += 4)
            miniFat.push_back(read32(miniFatBytes, i));
        std::vector<quint32> sectors;
        const quint32 units = quint32(miniStream.size() / MiniSectorSize);
        if (!chain(start, miniFat, units, MiniSectorSize, size, &sectors))
            return false;
        out->clear();
        for (const quint32 sector : sectors) {
            const qsizetype take = qsizetype(qMin<quint64>(MiniSectorSize, size - quint64(out->size())));
            out->append(miniStream.constData() + qsizetype(sector) * MiniSectorSize, take);
        }
        return true;
    }

    quint32 miniCutoff() const { return m_miniCutoff; }

private:
    qsizetype offsetOf(quint32 sector) const { return qsizetype(sector + 1) * m_sectorSize; }

    static bool fail(QString *reason, const QString &text)
    {
        *reason = text;
        return false;
    }

    const QByteArray &m_file;
    int m_sectorSize = 512;
    quint32 m_sectorCount = 0;
    quint32 m_miniCutoff = 4096;
    std::vector<quint32> m_fat;
};

} // namespace

bool CompoundFileReader::readStream(const QByteArray &file, const QStringList &names, QByteArray *stream,
                                    QString *reason)
{
    Container container(file);
    if (!container.open(reason))
        return false;
    QByteArray directory;
    if (!container.readDirectory(&directory)) {
        *reason = QStringLiteral("目录已损坏（文件可能不完整）");
        return false;
    }

    if (quint8(directory.at(66)) != 5) {
        *reason = QStringLiteral("目录已损坏");
        return false;
    }
    const quint32 rootStart = read32(directory, 116);
    const quint64 rootSize = read32(directory, 120);
    for (const QString &wanted : names) {
        for (qsizetype at = DirectoryEntrySize; at + DirectoryEntrySize <= directory.size(); at += DirectoryEntrySize) {
            const quint8 type = quint8(directory.at(at + 66));
            const quint16 nameBytes = read16(directory, at + 64);
            if (type != 2 || nameBytes < 2 || nameBytes > 64)
                continue;
            const QString name = QString::fromUtf16(reinterpret_cast<const char16_t *>(directory.constData() + at),
                                                    nameBytes / 2 - 1);
            if (name.compare(wanted, Qt::CaseInsensitive) != 0)
                continue;
            const quint32 start = read32(directory, at + 116);
            const quint64 size = read32(directory, at + 120); // version 3 leaves the high half undefined
            bool read = false;
            if (size < container.miniCutoff()) {
                QByteArray miniStream;
                read = rootStart != EndOfChain && container.readRegular(rootStart, rootSize, &miniStream)
                    && container.readMini(miniStream, start, size, stream);
            } else {
                read = container.readRegular(start, size, stream);
            }
            if (!read) {
                *reason = QStringLiteral("“%1”数据的扇区链已损坏（文件可能不完整）").arg(name);
                return false;
            }
            return true;
        }
    }
    *reason = QStringLiteral("文件里没有Excel工作簿（可能设置了打开密码，或是其他Office文件）");
    return false;
}
