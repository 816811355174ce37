#include "spreadsheet/sharedstringtable.h"

#include <vector>

#include <QtEndian>

#include "spreadsheet/biffrecords.h"

namespace {

void append16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void append32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

// Texts of plain ASCII are stored one byte per character; anything else as UTF-16. ASCII and not
// Latin-1, because some readers take single-byte strings in the file's code page.
bool needsWideCharacters(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return true;
    }
    return false;
}

// How many characters of text, from done on, go into a record with room bytes left; a
// surrogate pair is kept together because readers decode each record's piece on its own.
qsizetype charactersFitting(const QString &text, qsizetype done, int unitSize, int room)
{
    qsizetype fits = qMin<qsizetype>(room / unitSize, text.size() - done);
    if (fits > 0 && done + fits < text.size() && text.at(done + fits - 1).isHighSurrogate())
        --fits;
    return fits;
}

// The number of records a string touches when it starts with room bytes left in the current one.
int recordsSpanned(const QString &text, int unitSize, int room)
{
    int records = 1;
    qsizetype done = charactersFitting(text, 0, unitSize, room - 3);
    while (done < text.size()) {
        ++records;
        done += charactersFitting(text, done, unitSize, Biff::MaxRecordData - 1);
    }
    return records;
}

struct Bucket
{
    quint32 streamPosition;
    quint16 recordOffset;
};

// Collects record data and cuts it into an SST record followed by CONTINUE records.
class RecordSplitter
{
public:
    explicit RecordSplitter(QByteArray &stream) : m_stream(stream) { m_recordStart = stream.size(); }

    int room() const { return Biff::MaxRecordData - int(m_data.size()); }
    QByteArray &data() { return m_data; }
    // Where the next byte goes: its absolute stream position and its offset from the record header.
    quint32 streamPosition() const { return quint32(m_recordStart + Biff::RecordHeaderSize + m_data.size()); }
    quint16 recordOffset() const { return quint16(Biff::RecordHeaderSize + m_data.size()); }

    void flush()
    {
        append16(m_stream, m_type);
        append16(m_stream, quint16(m_data.size()));
        m_stream.append(m_data);
        m_type = Biff::Record::Continue;
        m_data.clear();
        m_recordStart = m_stream.size();
    }

private:
    QByteArray &m_stream;
    QByteArray m_data;
    quint16 m_type = Biff::Record::Sst;
    qsizetype m_recordStart = 0;
};

} // namespace

quint32 SharedStringTable::add(const QString &text)
{
    ++m_references;
    const auto found = m_index.constFind(text);
    if (found != m_index.constEnd())
        return found.value();
    const quint32 index = quint32(m_strings.size());
    m_index.insert(text, index);
    m_strings.append(text);
    return index;
}

void SharedStringTable::write(QByteArray &stream) const
{
    const int unique = uniqueCount();
    // Excel keeps at most 128 buckets of at least 8 strings each.
    const int bucketSize = qMax(8, unique / 128 + 1);
    std::vector<Bucket> buckets;

    RecordSplitter record(stream);
    append32(record.data(), m_references);
    append32(record.data(), quint32(unique));

    for (int i = 0; i < unique; ++i) {
        const QString &text = m_strings.at(i);
        const bool wide = needsWideCharacters(text);
        const int unitSize = wide ? 2 : 1;
        // A string's length and flags must not be split from its first character. And a string
        // that would span three records here but two from a fresh record starts a fresh one:
        // FreeXL cannot read a string continued more than once.
        if (record.room() < 3 + (text.isEmpty() ? 0 : unitSize)
            || (recordsSpanned(text, unitSize, record.room()) > 2
                && recordsSpanned(text, unitSize, Biff::MaxRecordData) <= 2))
            record.flush();
        if (i % bucketSize == 0)
            buckets.push_back({record.streamPosition(), record.recordOffset()});
        append16(record.data(), quint16(text.size()));
        record.data().append(char(wide ? 1 : 0));

        qsizetype done = 0;
        while (done < text.size()) {
            const qsizetype fits = charactersFitting(text, done, unitSize, record.room());
            if (fits <= 0) {
                record.flush();
                record.data().append(char(wide ? 1 : 0)); // a continued string restates its width
                continue;
            }
            for (qsizetype k = done; k < done + fits; ++k) {
                if (wide)
                    append16(record.data(), text.at(k).unicode());
                else
                    record.data().append(char(text.at(k).unicode()));
            }
            done += fits;
        }
    }
    record.flush();

    QByteArray index;
    append16(index, quint16(bucketSize));
    for (const Bucket &bucket : buckets) {
        append32(index, bucket.streamPosition);
        append16(index, bucket.recordOffset);
        append16(index, 0);
    }
    append16(stream, Biff::Record::ExtSst);
    append16(stream, quint16(index.size()));
    stream.append(index);
}
