#include "SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {

// Qt's runtime location is per user on every platform (on Linux
// XDG_RUNTIME_DIR, else a private folder it creates), so the lock and the
// socket of one user never meet another's.
QString RuntimeFile(const QString& name, const char* suffix)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QLatin1Char('/') + name + QLatin1String(suffix);
}

constexpr int kConnectTimeoutMs = 1000;

} // namespace

CSingleInstance::CSingleInstance(const QString& name, QObject* parent)
    : QObject(parent)
    , m_strName(name)
    , m_pLock(std::make_unique<QLockFile>(RuntimeFile(name, ".lock")))
{
    m_pLock->setStaleLockTime(0);
}

CSingleInstance::~CSingleInstance() = default;

bool CSingleInstance::Acquire()
{
    // tryLock removes a lock whose process is gone, so a crash does not
    // keep the application from starting again.
    if (!m_pLock->tryLock(0)) {
        AskRunningInstanceToActivate();
        return false;
    }
    return Listen();
}

bool CSingleInstance::Listen()
{
    m_pServer = new QLocalServer(this);
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    const QString socket = RuntimeFile(m_strName, ".socket");
    // We hold the lock, so a socket left behind belongs to a dead instance.
    QLocalServer::removeServer(socket);
    if (!m_pServer->listen(socket))
        return true; // still the only instance; later starts just cannot raise it
    connect(m_pServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_pServer->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            client->disconnectFromServer();
            emit ActivationRequested();
        }
    });
    return true;
}

void CSingleInstance::AskRunningInstanceToActivate() const
{
    QLocalSocket socket;
    socket.connectToServer(RuntimeFile(m_strName, ".socket"));
    if (socket.waitForConnected(kConnectTimeoutMs))
        socket.waitForDisconnected(kConnectTimeoutMs);
}
