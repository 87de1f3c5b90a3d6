// TSock on real loopback sockets: its info texts in order, its exception
// texts, large sends, closes from either end and failed connects.
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "SockTestSupport.h"
#include "protocol/Commands.h"
#include "protocol/Framer.h"
#include "protocol/Messages.h"
#include "protocol/ReceiveQueue.h"
#include "protocol/qt/TSock.h"

namespace zk::test {
namespace {

using namespace std::string_literals;
using test::EventLog;
using test::spinFor;
using test::spinUntil;
using test::thrownText;

// Logs a socket's reports as "<who> <Kind>: <text>"; objects that inherited
// the handler from it (accepted connections) log as "<who>*".
void watch(EventLog& log, TSock& s, const std::string& who)
{
    TSock* self = &s;
    s.onInfo = [&log, self, who](TSock& sender, TSock::InfoKind kind, const std::string& text) {
        log.add((&sender == self ? who : who + "*") + " " + infoKindName(kind) + ": " + text);
    };
}

// A listener on a free port whose onAccept accepts every connection.
struct Host {
    TSock listener;
    std::vector<std::unique_ptr<TSock>> conns;

    explicit Host(EventLog& log, const std::string& who = "L")
    {
        listener.portName = "0";
        watch(log, listener, who);
        listener.onAccept = [this, &log, who](TSock& l) {
            log.add(who + " accept");
            if (auto c = l.accept())
                conns.push_back(std::move(c));
        };
    }
    std::string port() const { return std::to_string(listener.listeningPort()); }
};

// A client socket aimed at a port on loopback.
void aim(TSock& client, const std::string& port, const std::string& host = "127.0.0.1")
{
    client.hostName = host;
    client.portName = port;
}

std::size_t indexOf(const EventLog& log, const std::string& line)
{
    for (std::size_t i = 0; i < log.lines.size(); ++i)
        if (log.lines[i] == line)
            return i;
    return log.lines.size();
}

TEST(TSock, ListenAcceptConnectSendReceiveCloseInOrder)
{
    EventLog log;
    Host host(log);
    std::string serverGot;
    host.listener.blocking = true; // copied to accepted connections
    host.listener.onRead = [&](TSock& s, std::size_t count) {
        std::string bytes = s.receive();
        EXPECT_EQ(bytes.size(), count); // count is what is buffered, all of it taken
        log.add("L* read");
        serverGot += bytes;
    };
    host.listener.onWrite = [&](TSock&) { log.add("L* write"); };
    host.listener.onDisconnect = [&](TSock& s) {
        log.add("L* disconnect");
        s.close(); // as the host does; the component closes once more after it
    };

    host.listener.setListen(true);
    EXPECT_TRUE(host.listener.listening());
    ASSERT_GT(host.listener.listeningPort(), 0);
    host.listener.setListen(true);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"L Listen: Listening Started",
                                                   "L Listen: Listening Already Running"}));

    TSock client;
    aim(client, host.port());
    watch(log, client, "C");
    std::string clientGot;
    client.onRead = [&](TSock& s, std::size_t) { clientGot += s.receive(); };
    log.lines.clear();
    EXPECT_FALSE(client.open()); // the connect completes later
    EXPECT_EQ(log.lines, (std::vector<std::string>{"C Lookup: Lookup Of Port " + host.port(),
                                                   "C Lookup: Lookup Of Host 127.0.0.1"}));
    ASSERT_TRUE(spinUntil([&] { return client.connected() && host.conns.size() == 1; }));
    EXPECT_TRUE(log.has("C Connect: Non-Blocking Socket Connected"));
    EXPECT_LT(indexOf(log, "L accept"), indexOf(log, "L* Accept: Created New TSock Structure"));
    EXPECT_EQ(log.of("L*"), std::vector<std::string>{"L* Accept: Created New TSock Structure"});

    TSock& conn = *host.conns.front();
    EXPECT_TRUE(conn.connected());
    EXPECT_EQ(conn.hostName, "127.0.0.1");
    EXPECT_EQ(conn.portName, host.listener.portName);
    EXPECT_TRUE(conn.blocking);

    // Open on an object that already has a socket does nothing.
    log.lines.clear();
    EXPECT_TRUE(client.open());
    EXPECT_TRUE(log.lines.empty());

    const std::string chat = msg::encode(msg::Chat{{1, "hi+there|clRed"}});
    client.send(chat);
    EXPECT_EQ(log.lines, std::vector<std::string>{"C Send: Non-Blocking Outgoing Data"});
    ASSERT_TRUE(spinUntil([&] { return serverGot == chat; }));
    // The Receive report comes before the read event.
    EXPECT_LT(indexOf(log, "L* Receive: Non-Blocking Incoming Data"), indexOf(log, "L* read"));

    const std::string reply = msg::encode(msg::SendLoginInfo{1});
    conn.send(reply);
    ASSERT_TRUE(spinUntil([&] { return clientGot == reply; }));
    EXPECT_TRUE(log.has("L* Send: Non-Blocking Outgoing Data"));
    EXPECT_TRUE(log.has("L* write"));

    // The client closes; the host's connection sees the peer go: its
    // disconnect handler first, then "Socket Closed" twice.
    log.lines.clear();
    client.close();
    EXPECT_EQ(log.lines, std::vector<std::string>{"C Close: Socket Closed"});
    EXPECT_FALSE(client.connected());
    EXPECT_FALSE(client.hasSocket());
    ASSERT_TRUE(spinUntil([&] { return log.count("L* Close: Socket Closed") == 2; }));
    spinFor(100);
    EXPECT_EQ(log.of("L*"), (std::vector<std::string>{"L* disconnect", "L* Close: Socket Closed",
                                                      "L* Close: Socket Closed"}));
    EXPECT_FALSE(conn.connected());
    EXPECT_EQ(thrownText([&] { conn.send("x"); }), "Send - Socket Not Connected");
    EXPECT_EQ(thrownText([&] { conn.receive(); }), "Receive - Socket Not Connected");

    // Closing what is already closed still reports.
    client.close();
    EXPECT_EQ(log.count("C Close: Socket Closed"), 2u);

    log.lines.clear();
    host.listener.setListen(false);
    EXPECT_FALSE(host.listener.listening());
    EXPECT_EQ(host.listener.listeningPort(), 0);
    EXPECT_EQ(log.lines, std::vector<std::string>{"L Listen: Listening Stopped"});
    EXPECT_FALSE(log.offThread);
}

TEST(TSock, ClosingAListenerJustStopsListening)
{
    EventLog log;
    TSock listener;
    listener.portName = "0";
    watch(log, listener, "L");
    listener.setListen(true);
    const std::string port = std::to_string(listener.listeningPort());
    log.lines.clear();
    listener.close();
    EXPECT_FALSE(listener.listening());
    EXPECT_TRUE(log.lines.empty());

    // Nobody listens there any more.
    TSock client;
    aim(client, port);
    watch(log, client, "C");
    client.open();
    ASSERT_TRUE(spinUntil([&] { return !log.of("C Error:").empty(); }));
    EXPECT_FALSE(client.connected());
}

TEST(TSock, MisuseRaisesTheComponentsTexts)
{
    EventLog log;
    TSock fresh;
    EXPECT_EQ(thrownText([&] { fresh.send("x"); }), "Send - Socket Not Connected");
    EXPECT_EQ(thrownText([&] { fresh.receive(); }), "Receive - Socket Not Connected");
    EXPECT_EQ(thrownText([&] { fresh.accept(); }), "Accept - Socket Not In Listening Mode");

    Host host(log);
    host.listener.setListen(true);
    EXPECT_EQ(thrownText([&] { host.listener.send("x"); }), "Send - Cannot Send On A Listener Socket");
    EXPECT_EQ(thrownText([&] { host.listener.receive(); }), "Receive - Cannot Receive On A Listener Socket");

    // Nothing is waiting to be accepted.
    log.lines.clear();
    std::unique_ptr<TSock> none;
    EXPECT_EQ(thrownText([&] { none = host.listener.accept(); }), "");
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(log.lines, std::vector<std::string>{"L Accept: Could Not Accept Connection"});

    TSock datagram;
    datagram.socketType = TSock::SocketType::Datagram;
    datagram.portName = "0";
    EXPECT_EQ(thrownText([&] { datagram.setListen(true); }), "Listen - Cannot Listen On A Datagram Socket");

    TSock taken;
    taken.portName = host.port();
    EXPECT_EQ(thrownText([&] { taken.setListen(true); }), "Listen - Error Binding Socket");
    EXPECT_FALSE(taken.listening());

    TSock client;
    aim(client, host.port());
    client.open();
    ASSERT_TRUE(spinUntil([&] { return client.connected(); }));
    EXPECT_EQ(thrownText([&] { client.setListen(true); }), "Listen - Socket Already In Use");

    TSock badPort;
    aim(badPort, "no-such-service-zk");
    watch(log, badPort, "P");
    EXPECT_EQ(thrownText([&] { badPort.open(); }), "Port Lookup - Could Not Find Service Entry");
    EXPECT_EQ(log.of("P"), std::vector<std::string>{"P Lookup: Lookup Of Port no-such-service-zk"});
    EXPECT_FALSE(badPort.hasSocket());

    // A service name is looked up; the host name then fails.
    TSock badHost;
    aim(badHost, "http", "no-such-host.invalid");
    watch(log, badHost, "H");
    EXPECT_EQ(thrownText([&] { badHost.open(); }), "Host Lookup - Could Not Find Host Entry");
    EXPECT_EQ(log.of("H"), (std::vector<std::string>{"H Lookup: Lookup Of Port http",
                                                     "H Lookup: Lookup Of Host no-such-host.invalid"}));
    EXPECT_FALSE(badHost.hasSocket());
}

TEST(TSock, HostNamesAreLookedUp)
{
    EventLog log;
    Host host(log);
    host.listener.setListen(true);
    for (int i = 0; i < 2; ++i) { // the second time from the cache
        TSock client;
        aim(client, host.port(), "localhost");
        watch(log, client, "C");
        client.open();
        ASSERT_TRUE(spinUntil([&] { return client.connected(); }));
        EXPECT_TRUE(log.has("C Lookup: Lookup Of Host localhost"));
    }
    ASSERT_TRUE(spinUntil([&] { return host.conns.size() == 2; }));
}

TEST(TSock, RefusedConnectReportsErrorAndLeavesNoSocket)
{
    EventLog log;
    // A port that was free a moment ago and now has no listener.
    TSock probe;
    probe.portName = "0";
    probe.setListen(true);
    const std::string port = std::to_string(probe.listeningPort());
    probe.setListen(false);

    TSock client;
    aim(client, port);
    watch(log, client, "C");
    client.open();
    ASSERT_TRUE(spinUntil([&] { return !log.of("C Error:").empty(); }));
    EXPECT_EQ(log.of("C Error:"), std::vector<std::string>{"C Error: Error #" + std::to_string(ECONNREFUSED) +
                                                           " (ECONNREFUSED)"});
    spinFor(200);
    // The table's window stays open: no "Socket Closed" follows.
    EXPECT_FALSE(log.has("C Close: Socket Closed"));
    EXPECT_FALSE(client.connected());
    EXPECT_FALSE(client.hasSocket());
    EXPECT_EQ(thrownText([&] { client.send("CMD_chat+1+x\xFF"s); }), "Send - Socket Not Connected");

    // Having no socket, the object can try again.
    Host host(log);
    host.listener.portName = port;
    if (!thrownText([&] { host.listener.setListen(true); }).empty())
        GTEST_SKIP() << "port " << port << " was taken in between";
    EXPECT_FALSE(client.open());
    ASSERT_TRUE(spinUntil([&] { return client.connected() && host.conns.size() == 1; }));
}

TEST(TSock, LargeSendArrivesWholeAndInOrderEvenAfterClose)
{
    EventLog log;
    Host host(log);
    host.listener.setListen(true);

    TSock client;
    aim(client, host.port());
    watch(log, client, "C");
    Framer framer;
    ReceiveQueue queue;
    bool overflow = false;
    client.onRead = [&](TSock& s, std::size_t) {
        if (framer.feed(s.receive(), queue) == Framer::Result::Overflow)
            overflow = true;
    };
    client.open();
    ASSERT_TRUE(spinUntil([&] { return client.connected() && host.conns.size() == 1; }));
    TSock& conn = *host.conns.front();

    // About 8 MB of chat lines in one send, each with its number and a body
    // that depends on it, so loss, reordering and corruption all show.
    std::vector<std::string> sent;
    std::string big;
    for (int i = 0; big.size() < 8u * 1024 * 1024; ++i) {
        std::string body(3000 + i % 1000, ' ');
        for (std::size_t k = 0; k < body.size(); ++k)
            body[k] = static_cast<char>('!' + (i * 31 + static_cast<int>(k)) % 90);
        sent.push_back(msg::text(msg::Chat{{i, body}}));
        big += sent.back() + kTerminator;
    }
    conn.send(big);
    EXPECT_GT(conn.unsentBytes(), 0u); // send did not wait for the peer
    for (int i = 0; i < 3; ++i) {
        sent.push_back(msg::text(msg::NextPlayer{i + 1, "1", {}}));
        conn.send(sent.back() + kTerminator);
    }
    // The host refuses and closes at once; all of it still reaches the peer.
    conn.close();

    ASSERT_TRUE(spinUntil([&] { return log.has("C Close: Socket Closed"); }, 60000));
    EXPECT_FALSE(overflow);
    ASSERT_EQ(queue.size(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const QueuedMessage m = queue.take();
        ASSERT_EQ(m.text, sent[i]) << "message " << i;
    }
}

TEST(TSock, FullThenCloseReachesTheTableBeforeSocketClosed)
{
    EventLog log;
    Host host(log);
    host.listener.setListen(true);
    host.listener.onAccept = [&](TSock& l) {
        auto c = l.accept();
        c->send(msg::encode(msg::Full{}));
        c->close();
    };
    TSock table;
    aim(table, host.port());
    watch(log, table, "C");
    table.onRead = [&](TSock& s, std::size_t) { log.add("C got " + s.receive()); };
    table.open();
    ASSERT_TRUE(spinUntil([&] { return log.has("C Close: Socket Closed"); }));
    EXPECT_EQ(log.of("C"), (std::vector<std::string>{
                               "C Lookup: Lookup Of Port " + host.port(),
                               "C Lookup: Lookup Of Host 127.0.0.1",
                               "C Connect: Non-Blocking Socket Connected",
                               "C Receive: Non-Blocking Incoming Data",
                               "C got CMD_full+\xFF"s,
                               "C Close: Socket Closed",
                           }));
}

TEST(TSock, BytesAndCloseBeforeTheAcceptAreNotLost)
{
    EventLog log;
    Host host(log);
    int waiting = 0;
    host.listener.onAccept = [&](TSock&) { ++waiting; }; // accepted later
    std::string got;
    host.listener.onRead = [&](TSock& s, std::size_t) { got += s.receive(); };
    host.listener.setListen(true);

    TSock client;
    aim(client, host.port());
    client.open();
    ASSERT_TRUE(spinUntil([&] { return client.connected() && waiting == 1; }));
    const std::string login = "CMD_logininfo+1+1.0.2+Ann\xFF\xFF"s;
    client.send(login);
    client.close();
    spinFor(300); // the bytes and the close reach the waiting connection

    std::unique_ptr<TSock> conn = host.listener.accept();
    ASSERT_NE(conn, nullptr);
    ASSERT_TRUE(spinUntil([&] { return log.has("L* Close: Socket Closed"); }));
    EXPECT_EQ(got, login);
    EXPECT_LT(indexOf(log, "L* Accept: Created New TSock Structure"),
              indexOf(log, "L* Close: Socket Closed"));
}

TEST(TSock, AHandlerMayCloseItsSocketMidRead)
{
    // An abusive peer: bytes without a terminator past the pending limit.
    EventLog log;
    Host host(log);
    Framer framer;
    ReceiveQueue queue;
    int reads = 0;
    host.listener.onRead = [&](TSock& s, std::size_t) {
        ++reads;
        if (framer.feed(s.receive(), queue) == Framer::Result::Overflow)
            s.close();
    };
    host.listener.setListen(true);
    TSock client;
    aim(client, host.port());
    watch(log, client, "C");
    client.open();
    ASSERT_TRUE(spinUntil([&] { return client.connected(); }));
    client.send("CMD_chat+1+ok\xFF"s + std::string(kMaxPendingBytes + 1000, 'A'));
    ASSERT_TRUE(spinUntil([&] { return log.has("C Close: Socket Closed"); }));
    EXPECT_TRUE(log.has("L* Close: Socket Closed"));
    ASSERT_EQ(queue.size(), 1u);
    EXPECT_EQ(queue.take().text, "CMD_chat+1+ok");
    EXPECT_GE(reads, 1);
}

TEST(TSock, AThrowingHandlerDoesNotEndTheProgram)
{
    EventLog log;
    Host host(log);
    host.listener.setListen(true);
    TSock client;
    aim(client, host.port());
    watch(log, client, "C");
    std::string got;
    int reads = 0;
    client.onRead = [&](TSock& s, std::size_t) {
        got += s.receive();
        if (++reads == 1)
            throw ESockException("Send - Socket Not Connected"); // as a careless handler might
    };
    client.open();
    ASSERT_TRUE(spinUntil([&] { return client.connected() && host.conns.size() == 1; }));
    host.conns.front()->send("CMD_sendlogininfo+2\xFF"s);
    ASSERT_TRUE(spinUntil([&] { return reads == 1; }));
    host.conns.front()->send("CMD_needcat+2+\xFF"s);
    host.conns.front()->close();
    ASSERT_TRUE(spinUntil([&] { return log.has("C Close: Socket Closed"); }));
    EXPECT_EQ(got, "CMD_sendlogininfo+2\xFF"
                   "CMD_needcat+2+\xFF"s);
}

} // namespace
} // namespace zk::test
