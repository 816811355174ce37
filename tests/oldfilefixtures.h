#pragma once

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// The old program's two Jet files, written into a folder by tests/oldfiles/jetfixtures.py (whose
// output mdbtools has read back in the jet_fixtures test), with expected.json describing them.
inline bool writeOldFixtures(const QString &folder, const QStringList &how = {QStringLiteral("write")})
{
    QProcess python;
    QStringList arguments = {QStringLiteral(QUILLON_JET_FIXTURES), how.first(), folder};
    arguments += how.mid(1);
    python.start(QStringLiteral(QUILLON_PYTHON), arguments);
    if (!python.waitForFinished(600000) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0) {
        qWarning("jetfixtures.py failed: %s", python.readAllStandardError().constData());
        return false;
    }
    return true;
}

inline QJsonObject oldFixtureExpectations(const QString &folder)
{
    QFile file(QDir(folder).filePath(QStringLiteral("expected.json")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

// Copies the pair into another folder (each test case changes its own copy).
inline bool copyOldFixtures(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QString &name : {QStringLiteral("数据库.dat"), QStringLiteral("用药统计.dat")}) {
        QFile::remove(QDir(to).filePath(name));
        if (!QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name)))
            return false;
    }
    return true;
}
