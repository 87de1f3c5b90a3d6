#include "table/qt/TableConnection.h"

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
    : logic_(logic), Timer1(kTableDrainIntervalMs, [this](const QueuedMessage& m) {
          logic_.handleMessage(m.text);
          logic_.boardNotice().changed();
      })
{
    sock.onRead = [this](TSock& s, std::size_t) {
        // A line beyond the framer's limit is dropped by it; the rest goes on.
        framer_.feed(s.receive(), Timer1.queue());
        if (Timer1.queue().size() > kMaxWaitingMessages) {
            debugLog("table: the host sent more messages than can wait; the connection is closed");
            Timer1.queue().discard(0);
            s.close(); // reports Close: the table ends as when the host goes
            return;
        }
        Timer1.wake();
    };
    sock.onInfo = [this](TSock&, TSock::InfoKind kind, const std::string& text) { sockInfo(kind, text); };
    // The game never reads the lobby's connection; what the lobby might send
    // is let go at once rather than kept for the life of the program.
    Sock11.onRead = [](TSock& s, std::size_t) { s.receive(); };
}

TableConnection::~TableConnection()
{
    // Nothing the connections report while they go may reach the logic.
    sock.onInfo = nullptr;
    sock.onRead = nullptr;
    Sock11.onInfo = nullptr;
}

void TableConnection::sockInfo(TSock::InfoKind kind, const std::string& text)
{
    if (kind == TSock::InfoKind::Connect)
        connectingTo_.clear();
    // An error before the connection was made: it could not be made.
    if (kind == TSock::InfoKind::Error && !connectingTo_.empty() && !sock.connected())
        connectFailed(connectingTo_, text);
    logic_.socketInfo(kind);
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
    const auto target = splitHostPort(address);
    if (!target)
        return openTo(address, gamePort());
    return openTo(target->host, target->port != 0 ? target->port : gamePort());
}

bool TableConnection::openTo(std::string_view address, int port)
{
    sock.hostName = fromCp1252(address);
    sock.portName = std::to_string(port);
    connectingTo_ = std::string(address);
    try {
        sock.open();
    } catch (const ESockException& e) {
        connectFailed(std::string(address), e.what());
        return false;
    }
    return true;
}

bool TableConnection::send(std::string_view bytes)
{
    if (!sock.hasSocket())
        return false;
    try {
        sock.send(bytes);
    } catch (const ESockException&) {
        return false;
    }
    return true;
}

void TableConnection::openLobby()
{
    Sock11.hostName = std::string(kLocalHostAddress);
    Sock11.portName = std::to_string(kLobbyPort);
    lobbyOpened_ = true;
    try {
        Sock11.open();
    } catch (const ESockException&) {
        // The lobby program is optional; nothing depends on this connection.
    }
}

} // namespace zk
