#include "host/qt/CoordinatorLink.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSslSocket>

#include <algorithm>

#include "coordinator/InviteCode.h"
#include "coordinator/qt/CoordinatorClient.h"
#include "game/DebugLog.h"
#include "protocol/Commands.h"

namespace zk {
namespace {

long long steadyMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

constexpr int kLongestRetryMs = 60'000;

std::string hexNonce()
{
    constexpr std::string_view hex = "0123456789abcdef";
    std::uint64_t bits = coord::strongRandom();
    std::string out;
    for (int i = 0; i < 16; ++i, bits >>= 4)
        out += hex[bits & 0xF];
    return out;
}

} // namespace

struct CoordinatorLink::Inbox {
    CoordinatorLink& self;
    HandlerResult receive(const msg::Decoded<coord::Registered>& m)
    {
        if (!m.complete)
            return HandlerResult::Malformed;
        self.failures_ = 0;
        self.code_ = QString::fromStdString(coord::shownCode(m->code));
        self.reach_ = coord::Reach::Unknown;
        emit self.registered(self.code_);
        return HandlerResult::Handled;
    }
    HandlerResult receive(const msg::Decoded<coord::ReachFound>& m)
    {
        self.reach_ = m->reach;
        self.probeDue_ = false; // the probe is over
        emit self.reachFound(self.reach_);
        return HandlerResult::Handled;
    }
    HandlerResult receive(const msg::Decoded<coord::Connect>& m)
    {
        if (!m.complete)
            return HandlerResult::Malformed;
        const std::string relayHost = m->address.empty() ? self.setup_.coordinator.host : m->address;
        QPointer<CoordinatorLink> link(&self);
        coord::dialRelay(relayHost, m->port, m->ticket, coord::RelayDial::Side::Host, self.setup_.tls, &self,
                         [link](QSslSocket* sock, const std::string& joiner, const QString& error) {
                             if (!link)
                                 return;
                             if (!sock) {
                                 debugLog("coordinator: a relayed connection failed: " + error.toStdString());
                                 return;
                             }
                             emit link->relayed(sock, QString::fromStdString(joiner));
                         });
        return HandlerResult::Handled;
    }
    HandlerResult receive(const msg::Decoded<coord::Refused>& m)
    {
        // Refused for good (another protocol, a bad registration): no retry.
        self.refused_ = true;
        emit self.unavailable(QString::fromStdString(m->reason));
        return HandlerResult::Handled;
    }
};

CoordinatorLink::CoordinatorLink(Setup setup, QObject* parent) : QObject(parent), setup_(std::move(setup))
{
    held_.setSingleShot(true);
    connect(&held_, &QTimer::timeout, this, [this] {
        if (gate_.due(steadyMs()))
            sendFacts();
    });
    heartbeat_.setInterval(static_cast<int>(coord::kHeartbeatMs));
    connect(&heartbeat_, &QTimer::timeout, this, &CoordinatorLink::sendFacts);
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &CoordinatorLink::connectNow);
}

std::unique_ptr<CoordinatorLink> CoordinatorLink::forGame(coord::Visibility visibility, std::string secret,
                                                          const std::optional<std::string>& addressSetting,
                                                          const std::optional<std::string>& caSetting)
{
    auto where = coord::coordinatorAddress(addressSetting);
    if (!where)
        return nullptr;
    return std::make_unique<CoordinatorLink>(
        Setup{*where, coord::coordinatorTls(caSetting), std::move(secret), visibility});
}

std::string CoordinatorLink::keptSecret(const QString& file, QString* error)
{
    QFile in(file);
    if (in.open(QIODevice::ReadOnly)) {
        const std::string kept = in.read(64).trimmed().toStdString();
        if (coord::wellFormedSecret(kept))
            return kept;
    }
    const std::string secret = coord::newSecret(coord::strongRandom);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) ||
        !out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        out.write(QByteArray::fromStdString(secret + "\n")) < 0 || !out.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(file, out.errorString());
        return {};
    }
    return secret;
}

CoordinatorLink::~CoordinatorLink()
{
    if (sock_)
        sock_->disconnect(this);
}

bool CoordinatorLink::connected() const
{
    return sock_ && sock_->isEncrypted();
}

void CoordinatorLink::start(int port, const GameAdvert& facts)
{
    port_ = port;
    facts_ = facts;
    running_ = true;
    refused_ = false;
    connectNow();
}

void CoordinatorLink::update(int port, const GameAdvert& facts)
{
    if (port == port_ && facts == facts_)
        return;
    // A new port is probed again, with the registration's nonce.
    if (port != port_ && !code_.isEmpty())
        probeDue_ = true;
    port_ = port;
    facts_ = facts;
    if (!connected() || code_.isEmpty())
        return; // the registration carries them
    if (gate_.change(steadyMs()))
        sendFacts();
    else if (const auto wait = gate_.wait(steadyMs()))
        held_.start(static_cast<int>(*wait));
}

void CoordinatorLink::portOpened()
{
    // Before the registration is sent, it is probed with the port open anyway.
    if (!running_ || refused_ || reach_ == coord::Reach::Direct || !sock_ || !sock_->isEncrypted())
        return;
    connectNow(); // the same secret: the same code
}

void CoordinatorLink::stop()
{
    running_ = false;
    retry_.stop();
    heartbeat_.stop();
    held_.stop();
    if (sock_) {
        sock_->disconnect(this);
        sock_->disconnectFromHost();
        sock_->deleteLater();
        sock_ = nullptr;
    }
    code_.clear();
    nonce_.clear();
}

std::string CoordinatorLink::registration() const
{
    return msg::encode(coord::Register{coord::kProtocol, std::string(kVersionText), setup_.secret, nonce_,
                                       setup_.visibility, port_, facts_});
}

void CoordinatorLink::connectNow()
{
    if (!running_ || refused_)
        return;
    if (sock_) {
        sock_->disconnect(this);
        sock_->abort();
        sock_->deleteLater();
    }
    pending_.clear();
    sock_ = new QSslSocket(this);
    sock_->setSslConfiguration(setup_.tls);
    sock_->setPeerVerifyName(QString::fromStdString(setup_.coordinator.host));
    sock_->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    connect(sock_, &QSslSocket::encrypted, this, [this] {
        bool ok = false;
        const quint32 v4 = sock_->peerAddress().toIPv4Address(&ok);
        coordinatorPeer_ = (ok ? QHostAddress(v4) : sock_->peerAddress()).toString().toStdString();
        // The probe may come before the answer: from here on it is expected.
        nonce_ = hexNonce();
        probeDue_ = true;
        sock_->write(QByteArray::fromStdString(registration()));
        heartbeat_.start();
    });
    connect(sock_, &QSslSocket::readyRead, this, &CoordinatorLink::readable);
    connect(sock_, &QSslSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        lost(QStringLiteral("The coordinator cannot be reached: %1").arg(coord::coordinatorFailure(*sock_)));
    });
    sock_->connectToHostEncrypted(QString::fromStdString(setup_.coordinator.host),
                                  static_cast<quint16>(setup_.coordinator.port));
}

void CoordinatorLink::lost(const QString& why)
{
    heartbeat_.stop();
    held_.stop();
    code_.clear();
    nonce_.clear();
    reach_ = coord::Reach::Unknown;
    if (sock_) {
        sock_->disconnect(this);
        sock_->abort();
        sock_->deleteLater();
        sock_ = nullptr;
    }
    emit unavailable(why);
    if (!running_ || refused_)
        return;
    const int wait = std::min(kLongestRetryMs, 2000 << std::min(failures_, 5));
    ++failures_;
    retry_.start(wait);
}

void CoordinatorLink::readable()
{
    pending_ += sock_->readAll().toStdString();
    QPointer<CoordinatorLink> self(this);
    for (;;) {
        const auto end = pending_.find(kTerminator);
        if (end == std::string::npos)
            break;
        const std::string message = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        Inbox inbox{*this};
        msg::dispatch(coord::CoordinatorToHost{}, message, inbox);
        if (!self || !sock_)
            return;
    }
    if (pending_.size() > coord::kMaxCoordMessage)
        lost(QStringLiteral("The coordinator sent what cannot be read"));
    else if (refused_)
        sock_->disconnectFromHost();
}

void CoordinatorLink::sendFacts()
{
    if (connected() && !code_.isEmpty())
        sock_->write(QByteArray::fromStdString(msg::encode(coord::Update{port_, facts_})));
}

bool CoordinatorLink::probeExpected(const std::string& peer) const
{
    return probeDue_ && !nonce_.empty() && peer == coordinatorPeer_;
}

std::string CoordinatorLink::probeAnswer(std::string_view probeLine) const
{
    const auto split = splitCommand(probeLine);
    if (nonce_.empty() || split.name != coord::Probe::command)
        return {};
    const auto probe = msg::decode<coord::Probe>(split.args);
    if (!probe.complete || probe->nonce != nonce_)
        return {};
    return msg::encode(coord::Probed{{nonce_}});
}

} // namespace zk
