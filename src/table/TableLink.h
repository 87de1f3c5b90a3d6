// TableLink: the table logic's connection to its host, the one way out of
// the logic for a message. The program's TableConnection implements it over
// its socket; tests record what the logic sends.
//
//     class Wire : public TableLink {
//         bool send(std::string_view bytes) override { return out.write(bytes); }
//         bool connectTo(std::string_view address) override { ... }
//         void openLobby() override {}
//     };
//     TableLogic logic(wire, windows);
//
// What the connection hears goes the other way, straight into the logic:
// each message to TableLogic::handleMessage, each report of the socket to
// TableLogic::socketInfo.
#pragma once

#include <string_view>

namespace zk {

class TableLink {
public:
    virtual ~TableLink() = default;

    // Hands one whole message (terminator included) to the connection.
    // Returns false when no connection was ever opened; nothing was sent and
    // the logic ends the action there, as the socket's "Send - Socket Not
    // Connected" does.
    virtual bool send(std::string_view bytes) = 0;
    // Starts connecting to the host at the address: "HOST", or "HOST:PORT"
    // for a game picked from the network list; without a port, the game's
    // port. False when the address cannot even be looked up; the action
    // stops there.
    virtual bool connectTo(std::string_view address) = 0;
    // Opens the connection to the lobby program at 127.0.0.1, port 9001;
    // nothing is sent or read on it.
    virtual void openLobby() = 0;
    // Lets go of the connection to the host (made, being made, or gone)
    // without a report; what it left unread is dropped. A reconnect starts here.
    virtual void dropConnection() = 0;
};

// A link that goes nowhere and reports every request done. Headless tables
// (the screenshots, the wire transcripts, fuzzing) override what they carry.
class QuietLink : public TableLink {
public:
    bool send(std::string_view) override { return true; }
    bool connectTo(std::string_view) override { return true; }
    void openLobby() override {}
    void dropConnection() override {}
};

} // namespace zk
