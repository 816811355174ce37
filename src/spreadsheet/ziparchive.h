#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// The members of a zip archive held in memory, the container of an .xlsx workbook. Names are
// matched without regard to case, as the package format asks.
class ZipArchive
{
public:
    explicit ZipArchive(const QByteArray &data);
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    // False when the archive's directory cannot be found or read (a cut-off file, not a zip).
    bool isOpen() const { return m_zip != nullptr; }
    bool contains(const QString &name) const;
    // The member's bytes; false with a reason when it is missing, damaged or larger than maxSize.
    bool read(const QString &name, qint64 maxSize, QByteArray *content, QString *error) const;

private:
    struct Position
    {
        quint64 directoryOffset;
        quint64 entryNumber;
    };

    QByteArray m_data;
    void *m_zip = nullptr;
    QHash<QString, Position> m_members;
};
