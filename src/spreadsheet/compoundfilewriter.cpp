#include "spreadsheet/compoundfilewriter.h"

#include <cstring>
#include <vector>

#include <QtEndian>

#include "spreadsheet/compoundfileformat.h"

namespace {

using namespace CompoundFile;

constexpr int EntriesPerSector = CompoundFileWriter::SectorSize / 4;
// A DIFAT sector ends with the number of the next DIFAT sector.
constexpr int DifatEntriesPerSector = EntriesPerSector - 1;

void put16(char *at, quint16 value)
{
    qToLittleEndian(value, at);
}

void put32(char *at, quint32 value)
{
    qToLittleEndian(value, at);
}

void writeDirectoryEntry(char *entry, const QString &name, quint8 type, quint32 child, quint32 startSector,
                         quint32 size)
{
    const int units = int(qMin<qsizetype>(name.size(), 31));
    for (int i = 0; i < units; ++i)
        put16(entry + 2 * i, name.at(i).unicode());
    put16(entry + 64, quint16((units + 1) * 2)); // the length counts the terminating zero
    entry[66] = char(type);
    entry[67] = 1; // black: a one-node tree needs no balancing
    put32(entry + 68, NoStream);
    put32(entry + 72, NoStream);
    put32(entry + 76, child);
    put32(entry + 116, startSector);
    put32(entry + 120, size);
}

int difatSectorsFor(int fatSectors)
{
    if (fatSectors <= HeaderDifatEntries)
        return 0;
    return (fatSectors - HeaderDifatEntries + DifatEntriesPerSector - 1) / DifatEntriesPerSector;
}

} // namespace

QByteArray CompoundFileWriter::build(const QString &streamName, const QByteArray &stream)
{
    const qsizetype streamSize = qMax<qsizetype>(stream.size(), MiniStreamCutoff);
    const int streamSectors = int((streamSize + SectorSize - 1) / SectorSize);
    const int directorySectors = 1;

    // The FAT also maps its own sectors and the DIFAT's, so grow it until everything fits.
    int fatSectors = 1;
    int difatSectors = 0;
    for (;;) {
        difatSectors = difatSectorsFor(fatSectors);
        const qint64 sectors = qint64(streamSectors) + directorySectors + fatSectors + difatSectors;
        if (sectors <= qint64(fatSectors) * EntriesPerSector)
            break;
        ++fatSectors;
    }

    const quint32 directoryStart = quint32(streamSectors);
    const quint32 fatStart = directoryStart + directorySectors;
    const quint32 difatStart = fatStart + quint32(fatSectors);
    const int totalSectors = streamSectors + directorySectors + fatSectors + difatSectors;

    QByteArray file(qsizetype(SectorSize) * (1 + totalSectors), '\0');
    char *header = file.data();
    memcpy(header, Signature.data(), size_t(Signature.size()));
    put16(header + 24, 0x003E);    // minor version
    put16(header + 26, 0x0003);    // major version 3
    put16(header + 28, ByteOrderMark);
    put16(header + 30, 9);         // 2^9-byte sectors
    put16(header + 32, 6);         // 2^6-byte mini sectors
    put32(header + 44, quint32(fatSectors));
    put32(header + 48, directoryStart);
    put32(header + 56, MiniStreamCutoff);
    put32(header + 60, EndOfChain); // no mini FAT
    put32(header + 68, difatSectors ? difatStart : EndOfChain);
    put32(header + 72, quint32(difatSectors));
    for (int i = 0; i < HeaderDifatEntries; ++i)
        put32(header + 76 + 4 * i, i < fatSectors ? fatStart + quint32(i) : FreeSector);

    auto sector = [&file](quint32 index) { return file.data() + qsizetype(SectorSize) * (index + 1); };

    memcpy(sector(0), stream.constData(), size_t(stream.size()));

    char *directory = sector(directoryStart);
    writeDirectoryEntry(directory, QStringLiteral("Root Entry"), 5, 1, EndOfChain, 0);
    writeDirectoryEntry(directory + DirectoryEntrySize, streamName, 2, NoStream, 0, quint32(streamSize));
    for (int unused = 2; unused < SectorSize / DirectoryEntrySize; ++unused) {
        char *entry = directory + unused * DirectoryEntrySize;
        put32(entry + 68, NoStream);
        put32(entry + 72, NoStream);
        put32(entry + 76, NoStream);
    }

    std::vector<quint32> fat(size_t(fatSectors) * EntriesPerSector, FreeSector);
    for (int i = 0; i < streamSectors; ++i)
        fat[size_t(i)] = i + 1 < streamSectors ? quint32(i + 1) : EndOfChain;
    fat[directoryStart] = EndOfChain;
    for (int i = 0; i < fatSectors; ++i)
        fat[fatStart + quint32(i)] = FatSector;
    for (int i = 0; i < difatSectors; ++i)
        fat[difatStart + quint32(i)] = DifatSector;
    for (size_t i = 0; i < fat.size(); ++i)
        put32(sector(fatStart) + 4 * i, fat[i]);

    for (int d = 0; d < difatSectors; ++d) {
        char *difat = sector(difatStart + quint32(d));
        for (int i = 0; i < DifatEntriesPerSector; ++i) {
            const int fatIndex = HeaderDifatEntries + d * DifatEntriesPerSector + i;
            put32(difat + 4 * i, fatIndex < fatSectors ? fatStart + quint32(fatIndex) : FreeSector);
        }
        put32(difat + 4 * DifatEntriesPerSector, d + 1 < difatSectors ? difatStart + quint32(d + 1) : EndOfChain);
    }
    return file;
}
