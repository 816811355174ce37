#include "data/oldjetfile.h"

#include <cmath>
#include <cstring>
#include <vector>

#include <QDateTime>
#include <QFile>

#ifdef QUILLON_HAVE_LIBMDB
extern "C" {
#include <mdbtools.h>
}
#endif

namespace {

// Jet keeps dates as days since this day, the time of day as the fraction.
const QDate JetEpoch(1899, 12, 30);
// The range of dates Jet accepts: years 100 to 9999.
constexpr double FirstJetDay = -657434.0;
constexpr double LastJetDay = 2958465.999;

#ifdef QUILLON_HAVE_LIBMDB
// A date double as a date and time; the raw double when it names no day Jet could store.
QVariant jetDate(double days)
{
    if (!std::isfinite(days) || days < FirstJetDay || days > LastJetDay)
        return days;
    // The sign belongs to the day; the fraction is the time of day either way.
    const double whole = std::trunc(days);
    qint64 seconds = std::llround(std::fabs(days - whole) * 86400.0);
    qint64 day = qint64(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        day += days < 0 ? -1 : 1;
    }
    return QDateTime(JetEpoch.addDays(day), QTime(0, 0).addSecs(int(seconds)));
}

// Jet 4 text: UTF-16LE, or "compressed" (a leading FF FE, then runs of one-byte characters and
// runs of two-byte characters, each 00 byte switching between them), exactly as libmdb reads it.
QString jet4Text(const unsigned char *bytes, size_t size)
{
    // An empty text is a text, not a NULL: it must not come back as a null QString.
    if (size == 0)
        return QStringLiteral("");
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        QString text;
        text.reserve(int(size));
        bool compressed = true;
        size_t i = 2;
        while (i < size) {
            if (bytes[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                text.append(QChar(char16_t(bytes[i])));
                ++i;
            } else if (i + 1 < size) {
                text.append(QChar(char16_t(bytes[i] | (bytes[i + 1] << 8))));
                i += 2;
            } else {
                break;
            }
        }
        return text.isNull() ? QStringLiteral("") : text;
    }
    std::vector<char16_t> units(size / 2);
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return QString::fromUtf16(units.data(), qsizetype(units.size()));
}
#endif

} // namespace

#ifdef QUILLON_HAVE_LIBMDB
struct OldJetFile::Handle
{
    MdbHandle *mdb = nullptr;
    ~Handle()
    {
        if (mdb)
            mdb_close(mdb);
    }

    MdbCatalogEntry *entry(const QString &table) const
    {
        const QByteArray name = table.toUtf8();
        for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
            auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
            if (mdb_is_user_table(entry) && name == entry->object_name)
                return entry;
        }
        return nullptr;
    }

    QString text(const unsigned char *bytes, size_t size) const
    {
        if (!IS_JET3(mdb))
            return jet4Text(bytes, size);
        // Jet 3 keeps texts in the code page of the Windows that wrote them; libmdb converts.
        QByteArray converted(int(size * 4 + 1), '\0');
        const int length = mdb_unicode2ascii(mdb, reinterpret_cast<const char *>(bytes), size, converted.data(), size_t(converted.size()));
        return length > 0 ? QString::fromUtf8(converted.constData(), length) : QStringLiteral("");
    }

    // A memo's bytes: inside the row, on one long-value page, or on a chain of them.
    std::optional<QByteArray> memo(const unsigned char *field, int size) const
    {
        if (size < MDB_MEMO_OVERHEAD)
            return QByteArray();
        const quint32 header = quint32(mdb_get_int32(const_cast<unsigned char *>(field), 0));
        const quint32 length = header & 0x3FFFFFFF;
        if (header & 0x80000000)
            return QByteArray(reinterpret_cast<const char *>(field) + MDB_MEMO_OVERHEAD, size - MDB_MEMO_OVERHEAD);
        qint32 pointer = qint32(mdb_get_int32(const_cast<unsigned char *>(field), 4));
        void *buffer = nullptr;
        int start = 0;
        size_t rowSize = 0;
        if (header & 0x40000000) {
            if (mdb_find_pg_row(mdb, pointer, &buffer, &start, &rowSize))
                return std::nullopt;
            return QByteArray(static_cast<const char *>(buffer) + start, qsizetype(rowSize));
        }
        if (header & 0xFF000000)
            return std::nullopt;
        QByteArray bytes;
        bytes.reserve(qsizetype(length));
        // A chain longer than its stated length (or a loop) is damage, not a longer text.
        while (pointer != 0) {
            if (mdb_find_pg_row(mdb, pointer, &buffer, &start, &rowSize) || rowSize < 4)
                return std::nullopt;
            const char *row = static_cast<const char *>(buffer) + start;
            if (quint32(bytes.size()) + rowSize - 4 > length)
                return std::nullopt;
            bytes.append(row + 4, qsizetype(rowSize - 4));
            pointer = qint32(mdb_get_int32(const_cast<char *>(row), 0));
        }
        if (quint32(bytes.size()) != length)
            return std::nullopt;
        return bytes;
    }
};
#else
struct OldJetFile::Handle
{
};
#endif

OldJetFile::Version OldJetFile::version(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Version::NotJet;
    const QByteArray head = file.read(0x15);
    if (head.size() < 0x15 || head.at(0) != 0 || head.mid(4, 15) != QByteArray("Standard Jet DB"))
        return Version::NotJet;
    switch (head.at(0x14)) {
    case 0:
        return Version::Jet3;
    case 1:
        return Version::Jet4;
    default:
        // Later Access formats were never written by the old program.
        return Version::NotJet;
    }
}

bool OldJetFile::readerAvailable()
{
#ifdef QUILLON_HAVE_LIBMDB
    return true;
#else
    return false;
#endif
}

QString OldJetFile::readerMissing()
{
    if (readerAvailable())
        return QString();
    return QStringLiteral("本程序在编译时没有找到读取旧版数据库（Jet/Access 格式）的组件 libmdb（mdbtools），"
                          "因此不能读取旧版数据。请安装 mdbtools 开发包后重新编译本程序，或请维护人员处理。");
}

OldJetFile::OldJetFile(const QString &path)
    : m_handle(std::make_unique<Handle>())
    , m_path(path)
{
#ifdef QUILLON_HAVE_LIBMDB
    if (version(path) == Version::NotJet) {
        m_error = QStringLiteral("“%1”不是旧版程序的数据库文件。").arg(path);
        return;
    }
    m_handle->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!m_handle->mdb) {
        m_error = QStringLiteral("无法打开旧版数据库“%1”，文件可能已经损坏。").arg(path);
        return;
    }
    if (!mdb_read_catalog(m_handle->mdb, MDB_TABLE)) {
        mdb_close(m_handle->mdb);
        m_handle->mdb = nullptr;
        m_error = QStringLiteral("无法读取旧版数据库“%1”的表目录，文件可能已经损坏。").arg(path);
    }
#else
    m_error = readerMissing();
#endif
}

OldJetFile::~OldJetFile() = default;

bool OldJetFile::isOpen() const
{
#ifdef QUILLON_HAVE_LIBMDB
    return m_handle->mdb != nullptr;
#else
    return false;
#endif
}

QStringList OldJetFile::tables() const
{
    QStringList names;
#ifdef QUILLON_HAVE_LIBMDB
    if (!isOpen())
        return names;
    for (unsigned int i = 0; i < m_handle->mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(m_handle->mdb->catalog, i));
        if (mdb_is_user_table(entry))
            names.append(QString::fromUtf8(entry->object_name));
    }
#endif
    return names;
}

QStringList OldJetFile::columns(const QString &table)
{
    QStringList names;
#ifdef QUILLON_HAVE_LIBMDB
    MdbCatalogEntry *entry = isOpen() ? m_handle->entry(table) : nullptr;
    MdbTableDef *definition = entry ? mdb_read_table(entry) : nullptr;
    if (!definition)
        return names;
    if (mdb_read_columns(definition)) {
        for (unsigned int i = 0; i < definition->num_cols; ++i)
            names.append(QString::fromUtf8(static_cast<MdbColumn *>(g_ptr_array_index(definition->columns, i))->name));
    }
    mdb_free_tabledef(definition);
#else
    Q_UNUSED(table)
#endif
    return names;
}

qint64 OldJetFile::declaredRows(const QString &table)
{
#ifdef QUILLON_HAVE_LIBMDB
    MdbCatalogEntry *entry = isOpen() ? m_handle->entry(table) : nullptr;
    MdbTableDef *definition = entry ? mdb_read_table(entry) : nullptr;
    if (!definition)
        return 0;
    const qint64 rows = definition->num_rows;
    mdb_free_tabledef(definition);
    return rows;
#else
    Q_UNUSED(table)
    return 0;
#endif
}

bool OldJetFile::readRows(const QString &table, const std::function<bool(const QVariantList &values)> &row)
{
#ifdef QUILLON_HAVE_LIBMDB
    MdbCatalogEntry *entry = isOpen() ? m_handle->entry(table) : nullptr;
    if (!entry) {
        m_error = QStringLiteral("旧版数据库“%1”中没有表“%2”。").arg(m_path, table);
        return false;
    }
    MdbHandle *mdb = m_handle->mdb;
    MdbTableDef *definition = mdb_read_table(entry);
    if (!definition || !mdb_read_columns(definition)) {
        if (definition)
            mdb_free_tabledef(definition);
        m_error = QStringLiteral("无法读取旧版数据库“%1”中表“%2”的结构，文件可能已经损坏。").arg(m_path, table);
        return false;
    }
    const int columnCount = int(definition->num_cols);
    std::vector<MdbField> fields(size_t(std::max(columnCount, 1)));
    mdb_rewind_table(definition);
    qint64 read = 0;
    bool damaged = false;
    bool stopped = false;
    QVariantList values;
    // Every row of every data page the table's usage map names, as libmdb's own row fetch walks
    // them, but with each field's NULL flag kept (the bound values lose it).
    while (!stopped && !damaged && mdb_read_next_dpg(definition)) {
        const int rows = mdb_get_int16(mdb->pg_buf, mdb->fmt->row_count_offset);
        for (int r = 0; r < rows && !stopped; ++r) {
            int start = 0;
            size_t size = 0;
            if (mdb_find_row(mdb, r, &start, &size) != 0 || size == 0)
                continue;
            if (start & 0x4000) // deleted
                continue;
            start &= 0x1FFF;
            if (mdb_crack_row(definition, start, size, fields.data()) < 0) {
                damaged = true;
                break;
            }
            values.clear();
            for (int i = 0; i < columnCount; ++i) {
                const MdbField &field = fields[size_t(i)];
                const auto *column = static_cast<MdbColumn *>(g_ptr_array_index(definition->columns, field.colnum));
                const unsigned char *bytes = mdb->pg_buf + field.start;
                if (field.is_null) {
                    values.append(QVariant());
                    continue;
                }
                switch (column->col_type) {
                case MDB_TEXT:
                    values.append(m_handle->text(bytes, size_t(field.siz)));
                    break;
                case MDB_MEMO: {
                    const std::optional<QByteArray> memo = m_handle->memo(bytes, field.siz);
                    if (!memo) {
                        damaged = true;
                        values.append(QVariant());
                    } else {
                        values.append(m_handle->text(reinterpret_cast<const unsigned char *>(memo->constData()), size_t(memo->size())));
                    }
                    break;
                }
                case MDB_DATETIME:
                    values.append(jetDate(mdb_get_double(mdb->pg_buf, field.start)));
                    break;
                case MDB_INT:
                    values.append(qint16(mdb_get_int16(mdb->pg_buf, field.start)));
                    break;
                case MDB_LONGINT:
                    values.append(qint32(mdb_get_int32(mdb->pg_buf, field.start)));
                    break;
                default:
                    // No column of the old schema has another type.
                    values.append(QVariant());
                    break;
                }
            }
            if (damaged)
                break;
            ++read;
            if (!row(values))
                stopped = true;
        }
    }
    const qint64 declared = definition->num_rows;
    mdb_free_tabledef(definition);
    if (damaged || (!stopped && read < declared)) {
        m_error = QStringLiteral("旧版数据库“%1”的表“%2”已经损坏：表中应有%3行，只能完整读出%4行。")
                      .arg(m_path, table)
                      .arg(declared)
                      .arg(read);
        return false;
    }
    return true;
#else
    Q_UNUSED(table)
    Q_UNUSED(row)
    m_error = readerMissing();
    return false;
#endif
}
