#include "spreadsheet/ziparchive.h"

#include <cstring>
#include <minizip/unzip.h>

namespace {

// No real workbook comes near this many parts; a damaged directory may claim more.
constexpr int MaxMembers = 100000;
constexpr int ChunkSize = 64 * 1024;

struct Cursor
{
    const QByteArray *data;
    quint64 position = 0;
};

voidpf ZCALLBACK openMemory(voidpf opaque, const void *, int mode)
{
    if ((mode & ZLIB_FILEFUNC_MODE_WRITE) != 0)
        return nullptr;
    return new Cursor{static_cast<const QByteArray *>(opaque)};
}

uLong ZCALLBACK readMemory(voidpf, voidpf stream, void *buffer, uLong size)
{
    Cursor *cursor = static_cast<Cursor *>(stream);
    const quint64 available = quint64(cursor->data->size());
    if (cursor->position >= available)
        return 0;
    const quint64 count = qMin<quint64>(size, available - cursor->position);
    std::memcpy(buffer, cursor->data->constData() + cursor->position, size_t(count));
    cursor->position += count;
    return uLong(count);
}

uLong ZCALLBACK writeMemory(voidpf, voidpf, const void *, uLong)
{
    return 0;
}

ZPOS64_T ZCALLBACK tellMemory(voidpf, voidpf stream)
{
    return static_cast<Cursor *>(stream)->position;
}

long ZCALLBACK seekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    Cursor *cursor = static_cast<Cursor *>(stream);
    const quint64 size = quint64(cursor->data->size());
    quint64 base = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
        base = 0;
        break;
    case ZLIB_FILEFUNC_SEEK_CUR:
        base = cursor->position;
        break;
    case ZLIB_FILEFUNC_SEEK_END:
        base = size;
        break;
    default:
        return -1;
    }
    if (offset > size || base + offset > size)
        return -1;
    cursor->position = base + offset;
    return 0;
}

int ZCALLBACK closeMemory(voidpf, voidpf stream)
{
    delete static_cast<Cursor *>(stream);
    return 0;
}

int ZCALLBACK errorMemory(voidpf, voidpf)
{
    return 0;
}

} // namespace

ZipArchive::ZipArchive(const QByteArray &data) : m_data(data)
{
    zlib_filefunc64_def functions;
    functions.zopen64_file = openMemory;
    functions.zread_file = readMemory;
    functions.zwrite_file = writeMemory;
    functions.ztell64_file = tellMemory;
    functions.zseek64_file = seekMemory;
    functions.zclose_file = closeMemory;
    functions.zerror_file = errorMemory;
    functions.opaque = &m_data;
    unzFile zip = unzOpen2_64("memory", &functions);
    if (!zip)
        return;

    int members = 0;
    int status = unzGoToFirstFile(zip);
    while (status == UNZ_OK && members < MaxMembers) {
        char name[1024];
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            break;
        unz64_file_pos position;
        if (unzGetFilePos64(zip, &position) != UNZ_OK)
            break;
        const QString memberName = QString::fromUtf8(name, qstrnlen(name, sizeof name)).toLower();
        if (!m_members.contains(memberName))
            m_members.insert(memberName, {quint64(position.pos_in_zip_directory), quint64(position.num_of_file)});
        ++members;
        status = unzGoToNextFile(zip);
    }
    if (status != UNZ_END_OF_LIST_OF_FILE || m_members.isEmpty()) {
        unzClose(zip);
        return;
    }
    m_zip = zip;
}

ZipArchive::~ZipArchive()
{
    if (m_zip)
        unzClose(m_zip);
}

bool ZipArchive::contains(const QString &name) const
{
    return m_members.contains(name.toLower());
}

bool ZipArchive::read(const QString &name, qint64 maxSize, QByteArray *content, QString *error) const
{
    content->clear();
    const auto found = m_members.constFind(name.toLower());
    if (!m_zip || found == m_members.constEnd()) {
        *error = QStringLiteral("缺少“%1”").arg(name);
        return false;
    }
    unz64_file_pos position;
    position.pos_in_zip_directory = ZPOS64_T(found->directoryOffset);
    position.num_of_file = ZPOS64_T(found->entryNumber);
    if (unzGoToFilePos64(m_zip, &position) != UNZ_OK || unzOpenCurrentFile(m_zip) != UNZ_OK) {
        *error = QStringLiteral("“%1”无法解压").arg(name);
        return false;
    }
    QByteArray chunk(ChunkSize, Qt::Uninitialized);
    int count = 0;
    while ((count = unzReadCurrentFile(m_zip, chunk.data(), ChunkSize)) > 0) {
        if (content->size() + count > maxSize) {
            unzCloseCurrentFile(m_zip);
            content->clear();
            *error = QStringLiteral("“%1”解压后过大").arg(name);
            return false;
        }
        content->append(chunk.constData(), count);
    }
    const int closed = unzCloseCurrentFile(m_zip);
    if (count < 0 || closed != UNZ_OK) {
        content->clear();
        *error = QStringLiteral("“%1”的压缩数据已损坏").arg(name);
        return false;
    }
    return true;
}
