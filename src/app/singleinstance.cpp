#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

const QByteArray ActivateRequest = "activate\n";
const QByteArray ActivateAnswer = "ok\n";

QString canonicalFolder(const QString &dataFolder)
{
    const QString canonical = QFileInfo(dataFolder).canonicalFilePath();
    QString folder = QDir::cleanPath(canonical.isEmpty() ? QFileInfo(dataFolder).absoluteFilePath() : canonical);
#ifdef Q_OS_WIN
    folder = folder.toLower();
#endif
    return folder;
}

} // namespace

SingleInstance::SingleInstance(const QString &dataFolder, QObject *parent)
    : QObject(parent)
    , m_dataFolder(dataFolder)
    , m_lock(QDir(dataFolder).filePath(lockFileName()))
{
    // A running copy may run for weeks: only a dead owner makes the lock stale, never its age.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockFileName()
{
    return QStringLiteral(".quillon.lock");
}

QString SingleInstance::serverName(const QString &dataFolder)
{
    const QByteArray hash = QCryptographicHash::hash(canonicalFolder(dataFolder).toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("quillon-") + QString::fromLatin1(hash.toHex().left(24));
}

SingleInstance::Claim SingleInstance::claim(int answerTimeoutMs)
{
    if (m_lock.tryLock(0)) {
        listen();
        return Claim::Claimed;
    }
    if (m_lock.error() != QLockFile::LockFailedError) {
        qWarning().noquote() << QStringLiteral("无法在数据文件夹“%1”建立运行锁（%2），不能防止同时运行两份程序。")
                                    .arg(QDir::toNativeSeparators(m_dataFolder))
                                    .arg(m_lock.error());
        return Claim::Unavailable;
    }
    return askRunningCopy(answerTimeoutMs) ? Claim::RunningElsewhereAsked : Claim::RunningElsewhereSilent;
}

bool SingleInstance::askRunningCopy(int answerTimeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(serverName(m_dataFolder));
    if (!socket.waitForConnected(answerTimeoutMs))
        return false;
    socket.write(ActivateRequest);
    if (!socket.waitForBytesWritten(answerTimeoutMs))
        return false;
    while (socket.bytesAvailable() < ActivateAnswer.size()) {
        if (!socket.waitForReadyRead(answerTimeoutMs))
            return false;
    }
    return socket.readAll().startsWith(ActivateAnswer);
}

void SingleInstance::listen()
{
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = serverName(m_dataFolder);
    // Holding the lock, a socket of this name can only be a crashed copy's leftover.
    QLocalServer::removeServer(name);
    if (!m_server->listen(name)) {
        qWarning().noquote() << QStringLiteral("无法打开本地通道“%1”：%2。再次启动时不能切换到本窗口。").arg(name, m_server->errorString());
        return;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == ActivateRequest) {
                    socket->write(ActivateAnswer);
                    socket->flush();
                    emit activationRequested();
                }
                socket->disconnectFromServer();
            });
        }
    });
}
