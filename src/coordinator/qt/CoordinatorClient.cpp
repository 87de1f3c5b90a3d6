#include "coordinator/qt/CoordinatorClient.h"

#include <QSslSocket>

#include <memory>

#include "coordinator/InviteCode.h"
#include "protocol/Commands.h"

#ifndef ZK_DEFAULT_COORDINATOR
#define ZK_DEFAULT_COORDINATOR ""
#endif

namespace zk::coord {
namespace {

std::optional<HostPort> readAddress(QString text)
{
    text = text.trimmed();
    const QString lower = text.toLower();
    if (text.isEmpty() || lower == QLatin1String("0") || lower == QLatin1String("none") ||
        lower == QLatin1String("off"))
        return std::nullopt;
    auto hp = splitHostPort(text.toStdString());
    if (!hp)
        return std::nullopt;
    if (hp->port == 0)
        hp->port = kCoordinatorPort;
    return hp;
}

// Cuts the first whole message from the front of pending; nullopt until one is there.
std::optional<std::string> takeMessage(std::string& pending)
{
    const auto end = pending.find(kTerminator);
    if (end == std::string::npos)
        return std::nullopt;
    std::string message = pending.substr(0, end);
    pending.erase(0, end + 1);
    return message;
}

} // namespace

std::optional<HostPort> coordinatorAddress(const std::optional<std::string>& setting)
{
    if (qEnvironmentVariableIsSet(kCoordinatorVariable))
        return readAddress(qEnvironmentVariable(kCoordinatorVariable));
    if (setting)
        return readAddress(QString::fromStdString(*setting));
    return readAddress(QStringLiteral(ZK_DEFAULT_COORDINATOR));
}

QSslConfiguration coordinatorTls(const std::optional<std::string>& caSetting)
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
    QString ca = qEnvironmentVariable(kCoordinatorCaVariable);
    if (ca.isEmpty() && caSetting)
        ca = QString::fromStdString(*caSetting).trimmed();
    if (!ca.isEmpty()) {
        const QList<QSslCertificate> extra = QSslCertificate::fromPath(ca, QSsl::Pem);
        if (!extra.isEmpty()) {
            QList<QSslCertificate> all = tls.caCertificates();
            all += extra;
            tls.setCaCertificates(all);
        }
    }
    return tls;
}

QString coordinatorFailure(QSslSocket& sock)
{
    const QList<QSslError> tlsErrors = sock.sslHandshakeErrors();
    if (!tlsErrors.isEmpty())
        return QStringLiteral("its certificate is not trusted (%1)").arg(tlsErrors.front().errorString());
    return sock.errorString();
}

// --- CoordinatorLookup --------------------------------------------------------

struct CoordinatorLookup::Inbox {
    CoordinatorLookup& self;
    using Kind = LookupAnswer::Kind;
    HandlerResult receive(const msg::Decoded<Direct>& m)
    {
        if (!m.complete)
            return HandlerResult::Malformed;
        self.finish({Kind::Direct, m->address, m->port, {}, {}, {}});
        return HandlerResult::Handled;
    }
    HandlerResult receive(const msg::Decoded<RelayAnswer>& m)
    {
        if (!m.complete)
            return HandlerResult::Malformed;
        const std::string host = m->address.empty() ? self.coordinator_.host : m->address;
        self.finish({Kind::Relay, host, m->port, m->ticket, {}, {}});
        return HandlerResult::Handled;
    }
    HandlerResult receive(const msg::Decoded<Game>& m)
    {
        // A bounded list: what a coordinator lists beyond its limit is not kept.
        if (m.complete && self.answer_.games.size() < kMaxListedGames)
            self.answer_.games.push_back({m->code, m->version, boundedAdvert(m->facts)});
        return HandlerResult::Handled;
    }
    HandlerResult receive(const msg::Decoded<ListEnd>&)
    {
        LookupAnswer a = std::move(self.answer_);
        a.kind = Kind::Direct; // a list that came whole
        self.finish(std::move(a));
        return HandlerResult::Handled;
    }
    HandlerResult receive(const msg::Decoded<Unknown>&)
    {
        self.finish({Kind::Unknown,
                     {},
                     0,
                     {},
                     {},
                     QStringLiteral("No game has the invite code %1")
                         .arg(QString::fromStdString(shownCode(self.code_)))});
        return HandlerResult::Handled;
    }
    HandlerResult receive(const msg::Decoded<Busy>&)
    {
        self.finish({Kind::Busy, {}, 0, {}, {}, QStringLiteral("Too many look-ups; try again in a minute")});
        return HandlerResult::Handled;
    }
    HandlerResult receive(const msg::Decoded<Refused>& m)
    {
        self.finish({Kind::Failed, {}, 0, {}, {}, QString::fromStdString(m->reason)});
        return HandlerResult::Handled;
    }
};

CoordinatorLookup::CoordinatorLookup(HostPort coordinator, QSslConfiguration tls, QObject* parent)
    : QObject(parent), coordinator_(std::move(coordinator)), tls_(std::move(tls))
{
    timeout_.setSingleShot(true);
    connect(&timeout_, &QTimer::timeout, this, [this] {
        finish({LookupAnswer::Kind::Failed, {}, 0, {}, {}, QStringLiteral("The coordinator did not answer")});
    });
}

CoordinatorLookup::~CoordinatorLookup()
{
    if (sock_)
        sock_->disconnect(this);
}

void CoordinatorLookup::resolve(const std::string& code, Done done)
{
    code_ = code;
    start(msg::encode(Resolve{kProtocol, code}), std::move(done));
}

void CoordinatorLookup::list(Done done)
{
    start(msg::encode(List{kProtocol}), std::move(done));
}

void CoordinatorLookup::start(std::string request, Done done)
{
    done_ = std::move(done);
    sock_ = new QSslSocket(this);
    sock_->setSslConfiguration(tls_);
    sock_->setPeerVerifyName(QString::fromStdString(coordinator_.host));
    connect(sock_, &QSslSocket::encrypted, this,
            [this, request] { sock_->write(QByteArray::fromStdString(request)); });
    connect(sock_, &QSslSocket::readyRead, this, &CoordinatorLookup::readable);
    connect(sock_, &QSslSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        finish({LookupAnswer::Kind::Failed,
                {},
                0,
                {},
                {},
                QStringLiteral("The coordinator cannot be reached: %1").arg(coordinatorFailure(*sock_))});
    });
    timeout_.start(kLookupTimeoutMs);
    sock_->connectToHostEncrypted(QString::fromStdString(coordinator_.host),
                                  static_cast<quint16>(coordinator_.port));
}

void CoordinatorLookup::readable()
{
    pending_ += sock_->readAll().toStdString();
    // A list is at most kMaxListedGames lines; a coordinator that sends more
    // than that would fill is cut off.
    if (pending_.size() > (kMaxListedGames + 2) * kMaxCoordMessage) {
        finish({LookupAnswer::Kind::Failed,
                {},
                0,
                {},
                {},
                QStringLiteral("The coordinator's answer was too long")});
        return;
    }
    QPointer<CoordinatorLookup> self(this);
    while (self && done_) {
        const auto message = takeMessage(pending_);
        if (!message)
            break;
        Inbox inbox{*this};
        msg::dispatch(CoordinatorToJoiner{}, *message, inbox);
    }
}

void CoordinatorLookup::finish(LookupAnswer answer)
{
    if (!done_)
        return;
    timeout_.stop();
    Done done = std::move(done_);
    done_ = nullptr;
    if (sock_) {
        sock_->disconnect(this);
        sock_->abort();
    }
    deleteLater();
    done(answer);
}

// --- The relay ----------------------------------------------------------------

void dialRelay(const std::string& host, int port, const std::string& ticket, RelayDial::Side side,
               const QSslConfiguration& tls, QObject* context, RelayDial::Done done)
{
    auto* sock = new QSslSocket();
    auto state = std::make_shared<RelayDial::Done>(std::move(done));
    auto* timer = new QTimer(sock);
    timer->setSingleShot(true);
    // The socket goes with its context until it is handed over.
    QObject::connect(context, &QObject::destroyed, sock, [sock] { delete sock; });
    auto fail = [sock, state, context](const QString& why) {
        if (!*state)
            return;
        auto d = std::move(*state);
        *state = nullptr;
        QObject::disconnect(sock, nullptr, context, nullptr);
        sock->abort();
        sock->deleteLater();
        d(nullptr, {}, why);
    };
    QObject::connect(timer, &QTimer::timeout, context,
                     [fail] { fail(QStringLiteral("The relay did not answer")); });
    timer->start(kLookupTimeoutMs);
    sock->setSslConfiguration(tls);
    sock->setPeerVerifyName(QString::fromStdString(host));
    const std::string line = side == RelayDial::Side::Host ? msg::encode(Open{{kProtocol, ticket}})
                                                           : msg::encode(Join{{kProtocol, ticket}});
    QObject::connect(sock, &QSslSocket::encrypted, context, [sock, line] {
        // The game's messages through the relay go at once, as on a direct connection.
        sock->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        sock->write(QByteArray::fromStdString(line));
    });
    QObject::connect(sock, &QSslSocket::errorOccurred, context, [sock, fail](QAbstractSocket::SocketError) {
        fail(QStringLiteral("The relay cannot be reached: %1").arg(coordinatorFailure(*sock)));
    });
    QObject::connect(sock, &QSslSocket::readyRead, context, [sock, state, timer, fail, context] {
        if (!*state)
            return;
        // Only the relay's own answer is read here: the game's bytes that
        // may follow it stay in the socket for the game's connection.
        const QByteArray head = sock->peek(static_cast<qint64>(kMaxCoordMessage) + 1);
        const auto end = head.indexOf(kTerminator);
        if (end < 0) {
            if (head.size() > static_cast<qsizetype>(kMaxCoordMessage))
                fail(QStringLiteral("The relay's answer could not be read"));
            return;
        }
        const std::string message = sock->read(end + 1).chopped(1).toStdString();
        const auto split = splitCommand(message);
        if (split.name == Refused::command) {
            fail(QString::fromStdString(msg::decode<Refused>(split.args)->reason));
            return;
        }
        if (split.name != Paired::command) {
            fail(QStringLiteral("The relay's answer could not be read"));
            return;
        }
        timer->stop();
        timer->deleteLater();
        auto d = std::move(*state);
        *state = nullptr;
        QObject::disconnect(sock, nullptr, context, nullptr);
        QObject::disconnect(context, nullptr, sock, nullptr);
        d(sock, msg::decode<Paired>(split.args)->joinerAddress, {});
    });
    sock->connectToHostEncrypted(QString::fromStdString(host), static_cast<quint16>(port));
}

} // namespace zk::coord
