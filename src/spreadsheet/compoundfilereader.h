#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reads one stream out of a Compound File Binary container (the container of .xls files),
// checking every sector number and chain on the way: a damaged file gives a reason, never a
// read past the data or an endless chain.
class CompoundFileReader
{
public:
    // The first stream whose name matches one of names (ignoring case); false with a Chinese
    // reason when the container is damaged or holds no such stream.
    static bool readStream(const QByteArray &file, const QStringList &names, QByteArray *stream, QString *reason);
};
