// TServer: the host engine's object in the program. It is never shown and
// uses no widgets: it owns the listener `listener_` (the game's Sock1), the connection of every
// slot, the drain timer `socktimer_` (one received message per 10 ms while
// any is queued), the game timer `timer1_`, and the HostEngine they feed.
//
//     TServer host([&] { return botSpeed(); },
//                  [](const std::string& text) { showNotice(text); });
//     std::string error;
//     if (!host.startListening(gamePort(), &error))
//         report(error);                   // e.g. "Listen - Error Binding Socket"
//
// Connection safety lives here (the rules are in PeerLimits.h): a connection
// whose pending text passes kMaxPendingBytes without a terminator, that has
// more than kMaxQueuedMessages messages waiting for the drain step, or that
// sends faster than its RateBudget allows (a flood) is closed like any
// departure; the messages it left in the queue are dropped. The drain serves
// the connections round-robin (ReceiveQueue), so one busy connection delays
// another's request by one interval at most. A connection that falls behind
// in reading is sent no relayed chat until it catches up; one that takes
// nothing at all is closed. Nothing is ever sent on a slot without a live
// connection. With ZONKARDS_DEBUG set, each close for abuse is logged.
//
// Given an announcer, the host announces its game on the local network while
// it listens (on the port it really listens on) and keeps the announcement's
// seats and state in step with the engine.
#pragma once

#include <QObject>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "discovery/qt/LanDiscovery.h"
#include "host/qt/CoordinatorLink.h"
#include "host/qt/PortMapping.h"
#include "host/HostEngine.h"
#include "host/PeerLimits.h"
#include "protocol/Framer.h"
#include "protocol/qt/MessagePump.h"
#include "protocol/qt/TSock.h"

namespace zk {

class TServer : public QObject, private HostOutbox {
    Q_OBJECT
public:
    using BotSpeedProvider = std::function<int()>;
    using NoticeSink = std::function<void(const std::string&)>;

    // botSpeed is read each time timer1 is armed for a computer step or a
    // bonus roll; notices receives the host's fixed notice texts. dice
    // defaults to a generator seeded once from the clock.
    TServer(BotSpeedProvider botSpeed, NoticeSink notices, DieSource dice = {}, QObject* parent = nullptr);
    ~TServer() override;

    // Listens on all interfaces (port 0: any free port). On failure returns
    // false and puts the reason in *error; nothing is thrown.
    bool startListening(int port, std::string* error);
    // Lets go of the port: no new connections are taken; those already made
    // go on. A relaunched copy of the program that hosts needs the port.
    void stopListening();
    // The port listened on; 0 while not listening.
    int listeningPort() const;

    const HostEngine& engine() const { return engine_; }
    // The seat hold and the turn clock (HostEngine::setSeatHold, setTurnClock).
    void setSeatHold(std::int64_t ms) { engine_.setSeatHold(ms); }
    void setTurnClock(std::int64_t ms) { engine_.setTurnClock(ms); }

    // Announces the game from the next startListening() on, under a name made
    // of the machine's name (and the player's, when given: the player shares
    // names) and the port; showNames also puts the slot-1 player's name in
    // the announcement. Null: no announcing (the solo game, the opt-outs).
    void setAnnouncer(std::unique_ptr<LanAnnouncer> announcer, const QString& playerName, bool showNames);
    // The announcer given, or null.
    LanAnnouncer* announcer() const { return announcer_.get(); }

    // Registers the game with a coordinator from the next startListening()
    // on and keeps its facts current; joiners it relays are seated as
    // accepted ones. Null: no coordinator (the game is reached on the LAN
    // or by its address only).
    // With mapPort, the port is first asked of the router (PortMapper) and
    // the coordinator told the mapped one.
    void setCoordinator(std::unique_ptr<CoordinatorLink> link, bool mapPort);
    CoordinatorLink* coordinator() const { return link_.get(); }
    PortMapper* portMapper() const { return mapper_.get(); }
    // The port the router maps to the game (0: none); the coordinator is told.
    void setMappedPort(int port);
    // Seats a connection that came another way than the listener (through
    // the relay) as if it had been accepted: slots, budgets and limits as for
    // any; address is the joiner's own, for the seat hold and the logs.
    void takeConnection(std::unique_ptr<TSock> sock, const std::string& address);

private:
    struct Connection {
        std::unique_ptr<TSock> sock;
        std::unique_ptr<Framer> framer;
        int id = 0;
        RateBudget budget;
        // When the connection last took bytes, or had nothing unsent.
        RateBudget::Ms lastProgress{0};
        std::size_t skippedLines = 0; // relayed lines it was behind for
    };

    // HostOutbox
    void send(int slot, std::string_view bytes) override;
    void close(int slot) override;
    void move(int from, int to) override;
    int slotOfConnection(int id) const;
    // Lets go of a slot's closed connection object (later: see TServer.cpp).
    void retireSocket(Connection& c);

    void acceptOnListener(TSock& listener);
    // Gives the connection a slot and tells the engine; bytes it sent
    // before (while held as a possible probe) are taken as just read.
    void admit(std::unique_ptr<TSock> sock, const std::string& address, std::string alreadyRead = {});
    // A connection from the coordinator's address while a probe is due
    // waits for its first bytes: the probe is answered and closed without
    // a slot; anything else is admitted.
    void holdForProbe(std::unique_ptr<TSock> sock);
    void takeBytes(int slot, int id, std::string bytes);
    int outsidePort() const;
    void tempsockRead(int slot, int id);
    void tempsockInfo(int id, TSock::InfoKind kind);
    void dropConnection(int slot, int id, const char* why = nullptr);
    void socktimerTick(const QueuedMessage& message);
    void timer1Timer();
    // After the engine has acted: timer1 and the announcement follow it.
    void engineStepped();
    // Runs timer1 as the engine's timer state says, restarting it whenever
    // the engine has armed it afresh.
    void syncTimer1();
    Connection* live(int slot, int id);

    HostEngine engine_;
    std::array<Connection, kRefusalSlot + 1> conns_; // index = slot
    int nextConnectionId_ = 0;
    std::uint64_t timerGeneration_ = 0;
    TSock listener_;
    MessagePump socktimer_;
    QTimer timer1_;
    QTimer deadlineTimer_;
    std::unique_ptr<LanAnnouncer> announcer_;
    std::unique_ptr<CoordinatorLink> link_;
    std::unique_ptr<PortMapper> mapper_;
    int mappedPort_ = 0;
    struct Held {
        std::unique_ptr<TSock> sock;
        std::string bytes;
        QTimer patience;
    };
    std::vector<std::unique_ptr<Held>> held_;
    QString announcedPlayer_;
    bool showNames_ = false;
};

} // namespace zk
