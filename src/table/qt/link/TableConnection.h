// TableConnection: the table's side of the wire, the mirror of TServer. It
// owns the socket `sock_` to the host, its framer, the drain `drain_` (the game's Timer1: one
// received message per 1 ms while any is queued) and the lobby program's
// connection `lobbySock_` (Sock11). It is the table logic's TableLink: the logic sends
// and connects through it, and it hands every message from the host to the
// logic, and the socket's state reports to its sockInfo handling.
//
//     TableConnection connection(logic); // after each message: logic.boardNotice().changed()
//     TableLogic logic(connection, session);
//     connection.connectTo("10.0.0.5"); // "Could not connect ..." in the chat
//     connection.send(msg::encode(msg::Chat{{seat, line}}));
//
// A connection that cannot be made leaves the table open and idle, with a
// line in the chat that says why.
//
// An address "+CODE" is an invite code: the coordinator is asked the way in
// (the chat says each step), and the table connects directly or through the
// relay, where the connection is TLS to the relay and the game's own bytes
// inside it.
#pragma once

#include <QObject>
#include <QSslConfiguration>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/Framer.h"
#include "protocol/Port.h"
#include "protocol/qt/MessagePump.h"
#include "protocol/qt/TSock.h"
#include "table/TableLink.h"

namespace zk {

class TableLogic;

class TableConnection : public TableLink {
public:
    // After the logic handled a message, or a report changed the Board, the
    // connection gives the Board's notice (the windows redraw).
    explicit TableConnection(TableLogic& logic);
    ~TableConnection() override;
    TableConnection(const TableConnection&) = delete;
    TableConnection& operator=(const TableConnection&) = delete;

    // Connects to "HOST" at the game's port, or to "HOST:PORT". False when
    // the address cannot even be looked up (the chat says so); the attempt
    // itself reports later.
    bool connectTo(std::string_view address) override;
    // Hands one whole message to the socket; false when no connection was
    // ever opened ("Send - Socket Not Connected").
    bool send(std::string_view bytes) override;
    // Opens the connection to the lobby program at 127.0.0.1 (a start from
    // the lobby's command line); nothing is sent or read on it.
    void openLobby() override;
    void dropConnection() override;
    bool lobbyOpened() const { return lobbyOpened_; }
    // The coordinator that invite codes are looked up with (none: a code
    // cannot be used, and the chat says "No coordinator is configured").
    void setCoordinator(std::optional<HostPort> where, QSslConfiguration tls);

private:
    bool openTo(std::string_view host, int port);
    bool joinByCode(const std::string& code, const std::string& typed);
    void sockInfo(TSock::InfoKind kind, const std::string& text);
    // The connection to address could not be made: the logic says so.
    void connectFailed(const std::string& address, std::string_view reason);

    TableLogic& logic_;
    TSock sock_;      // the connection to the host
    TSock lobbySock_; // the lobby program's port; nothing is sent or read
    Framer framer_;
    MessagePump drain_;
    std::string connectingTo_; // the address of the connection being made
    bool lobbyOpened_ = false;
    std::optional<HostPort> coordinator_;
    QSslConfiguration coordinatorTls_;
    // Each connect or drop starts a new attempt: a look-up or relay dial of
    // an older one that answers late is let go.
    std::uint64_t attempt_ = 0;
    QObject context_; // what the look-ups and dials answer to
};

} // namespace zk
