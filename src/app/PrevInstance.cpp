#include "app/PrevInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <cstdio>

namespace zk {

namespace {

// How long a second copy keeps trying to reach the first one, which may
// hold the lock but not yet listen (it is starting up at this moment).
constexpr int kAskForMs = 5000;
constexpr int kAskStepMs = 100;

} // namespace

PrevInstance::PrevInstance(QString runtimeDir, QObject* parent)
    : QObject(parent),
      dir_(runtimeDir.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                                : std::move(runtimeDir))
{
}

PrevInstance::~PrevInstance()
{
    release();
}

QString PrevInstance::serverPath() const
{
    return dir_ + QLatin1Char('/') + QLatin1String(kInstanceName) + QLatin1String(".socket");
}

bool PrevInstance::holdsLock() const
{
    return instance_ && instance_->isLocked();
}

bool PrevInstance::claim()
{
    if (dir_.isEmpty() || !QDir().mkpath(dir_)) {
        std::fprintf(stderr, "zonkards: no runtime directory; not checking for another copy\n");
        return true;
    }
    if (takeLocks())
        return true;
    if (instance_->error() != QLockFile::LockFailedError) {
        // The directory does not let us lock at all: nothing to check against.
        std::fprintf(stderr, "zonkards: cannot lock in %s; not checking for another copy\n",
                     qPrintable(dir_));
        return true;
    }
    askRunningCopy();
    return false;
}

bool PrevInstance::takeLocks()
{
    instance_ = std::make_unique<QLockFile>(dir_ + QLatin1Char('/') + QLatin1String(kInstanceName));
    // A lock is stale only when its owner is gone, never because of its age:
    // a game may run for hours.
    instance_->setStaleLockTime(0);
    if (!instance_->tryLock(0))
        return false;
    gameMutex_ = std::make_unique<QLockFile>(
        dir_ + QLatin1Char('/') + QLatin1String(kGameKey.data(), static_cast<qsizetype>(kGameKey.size())));
    gameMutex_->setStaleLockTime(0);
    gameMutex_->tryLock(0); // held, never tested
    if (!listen())
        std::fprintf(stderr, "zonkards: cannot listen on %s; a second copy cannot call this one\n",
                     qPrintable(serverPath()));
    return true;
}

bool PrevInstance::listen()
{
    if (!server_) {
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* peer = server_->nextPendingConnection()) {
                connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
                connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                    while (peer->canReadLine()) {
                        if (peer->readLine() == kComeForward)
                            emit comeForwardRequested();
                    }
                });
            }
        });
    }
    // Only the holder of the lock gets here, so a socket file left behind is
    // from a copy that died.
    QLocalServer::removeServer(serverPath());
    return server_->listen(serverPath());
}

void PrevInstance::askRunningCopy() const
{
    const QDeadlineTimer deadline(kAskForMs);
    while (!deadline.hasExpired()) {
        QLocalSocket peer;
        peer.connectToServer(serverPath());
        if (peer.waitForConnected(kAskStepMs * 5)) {
            peer.write(kComeForward);
            peer.waitForBytesWritten(kAskStepMs * 10);
            peer.disconnectFromServer();
            if (peer.state() != QLocalSocket::UnconnectedState)
                peer.waitForDisconnected(kAskStepMs * 10);
            return;
        }
        QThread::msleep(kAskStepMs);
    }
    // The running copy does not answer; this copy ends all the same.
}

void PrevInstance::release()
{
    if (server_)
        server_->close();
    if (gameMutex_)
        gameMutex_->unlock();
    if (instance_)
        instance_->unlock();
}

bool PrevInstance::reacquire()
{
    if (holdsLock())
        return true;
    return !dir_.isEmpty() && takeLocks();
}

} // namespace zk
