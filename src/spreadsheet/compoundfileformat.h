#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// The fixed values of a Compound File Binary container, the outer layer of an .xls file, shared by
// its reader and writer and by the test of what a file holds.
namespace CompoundFile {

inline constexpr QByteArrayView Signature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
// The header's byte-order mark, read little-endian.
constexpr quint16 ByteOrderMark = 0xFFFE;

// Sector numbers with a meaning of their own in the FAT, the DIFAT and directory entries.
constexpr quint32 FreeSector = 0xFFFFFFFF;
constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 FatSector = 0xFFFFFFFD;
constexpr quint32 DifatSector = 0xFFFFFFFC;
constexpr quint32 NoStream = 0xFFFFFFFF;

// FAT sectors listed in the header itself; the rest are listed in DIFAT sectors.
constexpr int HeaderDifatEntries = 109;
constexpr int DirectoryEntrySize = 128;
constexpr int MiniSectorSize = 64;

} // namespace CompoundFile
