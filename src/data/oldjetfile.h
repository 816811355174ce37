#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QString>
#include <QStringList>
#include <QVariantList>

// One database file of the old Windows program (Microsoft Jet 3 or 4), read through libmdb of
// mdbtools. Texts come back exactly as stored, a NULL as a null QVariant and an empty text as an
// empty string; dates as QDateTime, and a stored date no calendar knows as its raw double, so
// the caller can set that row aside. Memo texts come back whole. Where the program was built
// without libmdb only version() works, and readerMissing() says what is missing.
class OldJetFile
{
public:
    enum class Version { NotJet, Jet3, Jet4 };

    // What the file's first page says, without libmdb.
    static Version version(const QString &path);
    static bool readerAvailable();
    // Why old files cannot be read in this build, in Chinese; empty when they can.
    static QString readerMissing();

    explicit OldJetFile(const QString &path);
    ~OldJetFile();
    OldJetFile(const OldJetFile &) = delete;
    OldJetFile &operator=(const OldJetFile &) = delete;

    bool isOpen() const;
    // Why the file could not be opened or read, in Chinese.
    QString error() const { return m_error; }

    // The user tables, as the file's catalogue lists them.
    QStringList tables() const;
    // A table's columns in their stored order; empty when it has none or does not exist.
    QStringList columns(const QString &table);
    // The rows the table's definition counts (what a sound file holds).
    qint64 declaredRows(const QString &table);

    // Hands every row to `row` in stored order, values in the order of columns(); stops early when
    // `row` returns false. False when the table cannot be read or holds fewer rows than its
    // definition counts (a damaged file), with error() saying so.
    bool readRows(const QString &table, const std::function<bool(const QVariantList &values)> &row);

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    QString m_path;
    QString m_error;
};
