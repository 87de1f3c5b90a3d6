#include "table/qt/link/TableConnection.h"

#include <QSslSocket>

#include "coordinator/InviteCode.h"
#include "coordinator/qt/CoordinatorClient.h"
#include "game/DebugLog.h"
#include "game/Timing.h"
#include "protocol/Commands.h"
#include "protocol/Port.h"
#include "protocol/Text.h"
#include "table/TableLogic.h"

namespace zk {
namespace {

// Messages the table may have waiting. The host sends at most a few
// messages per drain step of its own (10 ms) and the table handles one per
// millisecond, so an honest host never comes near this; a host that sends
// more is treated as gone, as when it closes the connection.
constexpr std::size_t kMaxWaitingMessages = 4096;

} // namespace

TableConnection::TableConnection(TableLogic& logic)
    : logic_(logic), drain_(kTableDrainIntervalMs, [this](const QueuedMessage& m) {
          logic_.handleMessage(m.text);
          logic_.boardNotice().changed();
      })
{
    sock_.onRead = [this](TSock& s, std::size_t) {
        // A line beyond the framer's limit is dropped by it; the rest goes on.
        framer_.feed(s.receive(), drain_.queue());
        if (drain_.queue().size() > kMaxWaitingMessages) {
            debugLog("table: the host sent more messages than can wait; the connection is closed");
            drain_.queue().discard(0);
            s.close(); // reports Close: the table ends as when the host goes
            return;
        }
        drain_.wake();
    };
    sock_.onInfo = [this](TSock&, TSock::InfoKind kind, const std::string& text) { sockInfo(kind, text); };
    // The game never reads the lobby's connection; what the lobby might send
    // is let go at once rather than kept for the life of the program.
    lobbySock_.onRead = [](TSock& s, std::size_t) { s.receive(); };
}

TableConnection::~TableConnection()
{
    // Nothing the connections report while they go may reach the logic.
    sock_.onInfo = nullptr;
    sock_.onRead = nullptr;
    lobbySock_.onInfo = nullptr;
}

void TableConnection::sockInfo(TSock::InfoKind kind, const std::string& text)
{
    if (kind == TSock::InfoKind::Connect)
        connectingTo_.clear();
    // An error before the connection was made: it could not be made.
    if (kind == TSock::InfoKind::Error && !connectingTo_.empty() && !sock_.connected())
        connectFailed(connectingTo_, text);
    logic_.socketInfo(kind);
    if (kind == TSock::InfoKind::Close || kind == TSock::InfoKind::Connect)
        logic_.boardNotice().changed(); // a reconnect's lines, its next try
}

void TableConnection::connectFailed(const std::string& address, std::string_view reason)
{
    logic_.connectFailed(address, reason); // address may be connectingTo_ itself
    connectingTo_.clear();
    logic_.boardNotice().changed();
}

bool TableConnection::connectTo(std::string_view address)
{
    // "HOST" or "HOST:PORT" (a game picked from the network list): without a
    // port, the game's port. Text that is neither is looked up as it stands,
    // and the chat says that it was not found.
    ++attempt_;
    if (address.starts_with('+')) {
        if (const auto code = coord::readInviteCode(address))
            return joinByCode(*code, coord::shownCode(*code));
        connectFailed(std::string(address), "an invite code is + and 7 letters or digits");
        return false;
    }
    const auto target = splitHostPort(address);
    if (!target)
        return openTo(address, gamePort());
    return openTo(target->host, target->port != 0 ? target->port : gamePort());
}

bool TableConnection::openTo(std::string_view address, int port)
{
    sock_.hostName = fromCp1252(address);
    sock_.portName = std::to_string(port);
    connectingTo_ = std::string(address);
    try {
        sock_.open();
    } catch (const ESockException& e) {
        connectFailed(std::string(address), e.what());
        return false;
    }
    return true;
}

void TableConnection::setCoordinator(std::optional<HostPort> where, QSslConfiguration tls)
{
    coordinator_ = std::move(where);
    coordinatorTls_ = std::move(tls);
}

bool TableConnection::joinByCode(const std::string& code, const std::string& shown)
{
    if (!coordinator_) {
        connectFailed(shown, "No coordinator is configured");
        return false;
    }
    connectingTo_ = shown;
    logic_.joinStep("Looking up the game " + shown + " ...");
    logic_.boardNotice().changed();
    const std::uint64_t attempt = attempt_;
    auto* lookup = new coord::CoordinatorLookup(*coordinator_, coordinatorTls_, &context_);
    lookup->resolve(code, [this, attempt, shown](const coord::LookupAnswer& a) {
        if (attempt != attempt_)
            return; // a newer connect or a drop came first
        using Kind = coord::LookupAnswer::Kind;
        if (a.kind == Kind::Direct) {
            logic_.joinStep("Connecting directly to " + joinHostPort(a.host, a.port) + " ...");
            if (openTo(a.host, a.port))
                connectingTo_ = shown;
            return;
        }
        if (a.kind != Kind::Relay) {
            connectFailed(shown, toCp1252(a.error.toStdString()));
            return;
        }
        logic_.joinStep("Connecting through the relay ...");
        logic_.boardNotice().changed();
        coord::dialRelay(a.host, a.port, a.ticket, coord::RelayDial::Side::Joiner, coordinatorTls_, &context_,
                         [this, attempt, shown, relay = a.host](QSslSocket* sock, const std::string&,
                                                                const QString& error) {
                             if (attempt != attempt_) {
                                 delete sock;
                                 return;
                             }
                             if (!sock) {
                                 connectFailed(shown, toCp1252(error.toStdString()));
                                 return;
                             }
                             if (sock_.hasSocket())
                                 dropConnection();
                             sock_.portName = std::to_string(sock->peerPort());
                             sock_.adoptConnected(sock, relay, false);
                         });
    });
    return true;
}

bool TableConnection::send(std::string_view bytes)
{
    if (!sock_.hasSocket())
        return false;
    try {
        sock_.send(bytes);
    } catch (const ESockException&) {
        return false;
    }
    return true;
}

void TableConnection::dropConnection()
{
    ++attempt_;
    auto info = std::move(sock_.onInfo);
    sock_.onInfo = nullptr;
    if (sock_.hasSocket())
        sock_.close(); // nothing is reported: the logic asked for it
    sock_.onInfo = std::move(info);
    framer_ = Framer();
    drain_.queue().discard(0);
    connectingTo_.clear();
}

void TableConnection::openLobby()
{
    lobbySock_.hostName = std::string(kLocalHostAddress);
    lobbySock_.portName = std::to_string(kLobbyPort);
    lobbyOpened_ = true;
    try {
        lobbySock_.open();
    } catch (const ESockException&) {
        // The lobby program is optional; nothing depends on this connection.
    }
}

} // namespace zk
