#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// File permissions do not bind the superuser, and CI runs the tests as root. A test about
// permissions therefore runs its own test function again as the unprivileged user "nobody" and
// passes when that run passes. Use it as the first line of such a test function:
//     if (rerunUnprivileged()) return;
inline bool rerunUnprivileged()
{
#ifdef Q_OS_UNIX
    if (geteuid() != 0)
        return false;
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty()) {
        QTest::qSkip("setpriv is missing: cannot drop root privileges to test file permissions", __FILE__, __LINE__);
        return true;
    }
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    QStringList arguments = {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
                             QStringLiteral("--"), QCoreApplication::applicationFilePath(),
                             QString::fromLatin1(QTest::currentTestFunction())};
    if (const char *row = QTest::currentDataTag())
        arguments.last() += QLatin1Char(':') + QString::fromUtf8(row);
    child.start(setpriv, arguments);
    if (!child.waitForFinished(60000))
        QTest::qFail("the unprivileged run did not finish", __FILE__, __LINE__);
    else if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        QTest::qFail(qPrintable(QStringLiteral("the unprivileged run failed:\n") + QString::fromUtf8(child.readAll())), __FILE__, __LINE__);
    return true;
#else
    return false;
#endif
}
