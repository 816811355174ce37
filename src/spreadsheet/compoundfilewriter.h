#pragma once

#include <QByteArray>
#include <QString>

// Packs one stream into a Compound File Binary container (version 3, 512-byte sectors), the
// container an Excel 97-2003 workbook lives in. A stream shorter than 4096 bytes is padded to
// 4096 so that it never goes into a mini stream; past 109 FAT sectors the FAT is listed in
// DIFAT sectors.
class CompoundFileWriter
{
public:
    static constexpr int SectorSize = 512;
    static constexpr int MiniStreamCutoff = 4096;

    static QByteArray build(const QString &streamName, const QByteArray &stream);
};
