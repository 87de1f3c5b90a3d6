#include "host/qt/TServer.h"

#include <algorithm>
#include <chrono>

#include <QHostInfo>
#include <QSslSocket>

#include "game/DebugLog.h"
#include "host/HostAdvert.h"
#include "protocol/Commands.h"

namespace zk {
namespace {

RateBudget::Ms now()
{
    return std::chrono::duration_cast<RateBudget::Ms>(std::chrono::steady_clock::now().time_since_epoch());
}

} // namespace

TServer::TServer(BotSpeedProvider botSpeed, NoticeSink notices, DieSource dice, QObject* parent)
    : QObject(parent),
      engine_(*this, std::move(notices), dice ? std::move(dice) : clockSeededDice(), std::move(botSpeed)),
      socktimer_(kHostDrainIntervalMs, [this](const QueuedMessage& m) { socktimerTick(m); })
{
    timer1_.setTimerType(Qt::PreciseTimer);
    connect(&timer1_, &QTimer::timeout, this, &TServer::timer1Timer);
    // The turn clock and the seat holds: one single shot at the engine's
    // next deadline, none while nothing waits.
    deadlineTimer_.setSingleShot(true);
    deadlineTimer_.setTimerType(Qt::PreciseTimer);
    connect(&deadlineTimer_, &QTimer::timeout, this, [this] {
        engine_.checkDeadlines();
        engineStepped();
    });
    engine_.setClock([] { return now().count(); });
    listener_.onAccept = [this](TSock& listener) { acceptOnListener(listener); };
}

TServer::~TServer()
{
    // The connections go quietly: a TSock reports nothing while it is destroyed.
    for (Connection& c : conns_)
        c.sock.reset();
}

bool TServer::startListening(int port, std::string* error)
{
    listener_.portName = std::to_string(port);
    try {
        listener_.setListen(true);
    } catch (const ESockException& e) {
        if (error)
            *error = e.what();
        return false;
    }
    if (announcer_) {
        const std::string machine = QHostInfo::localHostName().section(QLatin1Char('.'), 0, 0).toStdString();
        const std::string name =
            gameInstanceName(machine, announcedPlayer_.toStdString(), listeningPort(), kDefaultPort);
        announcer_->start(QString::fromStdString(name), listeningPort(),
                          hostAdvert(engine_, kVersionText, showNames_));
    }
    if (mapper_)
        mapper_->start(listeningPort());
    if (link_)
        link_->start(outsidePort(), hostAdvert(engine_, kVersionText, showNames_));
    return true;
}

void TServer::stopListening()
{
    if (listener_.listening())
        listener_.setListen(false);
    if (announcer_)
        announcer_->stop();
    if (link_)
        link_->stop();
    if (mapper_)
        mapper_->stop();
    mappedPort_ = 0;
}

void TServer::setAnnouncer(std::unique_ptr<LanAnnouncer> announcer, const QString& playerName, bool showNames)
{
    if (announcer_)
        announcer_->stop();
    announcer_ = std::move(announcer);
    announcedPlayer_ = showNames ? playerName : QString();
    showNames_ = showNames;
}

int TServer::listeningPort() const
{
    return listener_.listeningPort();
}

TServer::Connection* TServer::live(int slot, int id)
{
    if (slot < 1 || slot > kRefusalSlot)
        return nullptr;
    Connection& c = conns_[static_cast<std::size_t>(slot)];
    if (c.id != id || !c.sock)
        return nullptr;
    return &c;
}

void TServer::acceptOnListener(TSock& listener)
{
    std::unique_ptr<TSock> sock = listener.accept();
    if (!sock)
        return; // nothing was accepted: the slot stays free and nothing is sent
    if (link_ && link_->probeExpected(sock->hostName)) {
        holdForProbe(std::move(sock));
        return;
    }
    const std::string address = sock->hostName;
    admit(std::move(sock), address);
}

void TServer::takeConnection(std::unique_ptr<TSock> sock, const std::string& address)
{
    if (sock)
        admit(std::move(sock), address);
}

void TServer::holdForProbe(std::unique_ptr<TSock> sock)
{
    auto held = std::make_unique<Held>();
    Held* h = held.get();
    auto release = [this, h](bool admitIt) {
        auto it = std::find_if(held_.begin(), held_.end(), [h](const auto& p) { return p.get() == h; });
        if (it == held_.end())
            return;
        std::unique_ptr<Held> mine = std::move(*it);
        held_.erase(it);
        mine->sock->onRead = nullptr;
        mine->sock->onInfo = nullptr;
        if (admitIt) {
            const std::string address = mine->sock->hostName;
            admit(std::move(mine->sock), address, std::move(mine->bytes));
        } else {
            mine->sock.release()->deleteLater(); // it may be inside its own event
        }
        QTimer::singleShot(0, this, [m = mine.release()] { delete m; });
    };
    h->sock = std::move(sock);
    h->sock->onRead = [h, release, this](TSock& s, std::size_t) {
        h->bytes += s.receive();
        const auto end = h->bytes.find(kTerminator);
        if (end == std::string::npos) {
            if (h->bytes.size() > coord::kMaxCoordMessage)
                release(true);
            return;
        }
        const std::string answer = link_ ? link_->probeAnswer(std::string_view(h->bytes).substr(0, end)) : "";
        if (answer.empty()) {
            release(true); // not the probe: a player like any other
            return;
        }
        s.send(answer);
        s.close();
        release(false);
    };
    h->sock->onInfo = [release](TSock&, TSock::InfoKind kind, const std::string&) {
        if (kind == TSock::InfoKind::Close)
            release(false);
    };
    h->patience.setSingleShot(true);
    connect(&h->patience, &QTimer::timeout, this, [release] { release(true); });
    h->patience.start(1000);
    held_.push_back(std::move(held));
}

void TServer::admit(std::unique_ptr<TSock> sock, const std::string& address, std::string alreadyRead)
{
    const int slot = engine_.freeSlot(sock->hostName);
    const int id = ++nextConnectionId_;
    sock->tag = slot;
    // The slot is looked up at each event: the engine may move a connection
    // (a player back to his held seat).
    sock->onRead = [this, id](TSock&, std::size_t) { tempsockRead(slotOfConnection(id), id); };
    sock->onInfo = [this, id](TSock&, TSock::InfoKind kind, const std::string&) { tempsockInfo(id, kind); };
    sock->onDisconnect = nullptr; // the component closes itself after the peer closed
    sock->onWrite = [this, id](TSock&) {
        if (Connection* c = live(slotOfConnection(id), id))
            c->lastProgress = now();
    };
    sock->setSendBufferSize(kSendBufferBytes);

    Connection& c = conns_[static_cast<std::size_t>(slot)];
    retireSocket(c);
    c.sock = std::move(sock);
    c.framer = std::make_unique<Framer>(id);
    c.id = id;
    c.budget = RateBudget();
    c.lastProgress = now();
    c.skippedLines = 0;
    engine_.connectionArrived(slot, id, address);
    engineStepped();
    if (!alreadyRead.empty())
        takeBytes(slotOfConnection(id), id, std::move(alreadyRead));
}

void TServer::tempsockRead(int slot, int id)
{
    Connection* c = live(slot, id);
    if (!c || slot == kRefusalSlot)
        return;
    std::string bytes;
    try {
        bytes = c->sock->receive();
    } catch (const ESockException&) {
        return;
    }
    takeBytes(slot, id, std::move(bytes));
}

void TServer::takeBytes(int slot, int id, std::string bytes)
{
    Connection* c = live(slot, id);
    if (!c || slot == kRefusalSlot)
        return;
    // The budget is spent before anything is queued: a flood is cut off
    // before the relay multiplies its chat to every table.
    const auto terminators = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), kTerminator));
    if (!c->budget.spend(now(), terminators, bytes.size())) {
        dropConnection(slot, id, "over its rate budget");
        return;
    }
    const Framer::Result framed = c->framer->feed(bytes, socktimer_.queue());
    socktimer_.wake();
    // A line that never ends, or a flood: the peer is cut off like any departure.
    if (framed == Framer::Result::Overflow)
        dropConnection(slot, id, "a message without end");
    else if (socktimer_.queue().waiting(id) > kMaxQueuedMessages)
        dropConnection(slot, id, "too many messages waiting");
}

void TServer::tempsockInfo(int id, TSock::InfoKind kind)
{
    if (kind != TSock::InfoKind::Close)
        return;
    socktimer_.queue().discard(id); // what it left waiting costs the others nothing
    engine_.connectionClosed(id);
    engineStepped();
}

void TServer::dropConnection(int slot, int id, const char* why)
{
    Connection* c = live(slot, id);
    if (!c || !c->sock->connected())
        return;
    if (why) {
        debugLog("host: closed connection " + std::to_string(id) + " (slot " + std::to_string(slot) +
                 "): " + why + "; " + std::to_string(c->skippedLines) + " relayed lines skipped");
    }
    c->sock->close(); // reports "Socket Closed": the departure follows
}

void TServer::send(int slot, std::string_view bytes)
{
    if (slot < 1 || slot > kRefusalSlot)
        return;
    Connection& c = conns_[static_cast<std::size_t>(slot)];
    if (!c.sock || !c.sock->connected())
        return; // never send on a slot without a live connection
    const std::size_t unsent = c.sock->unsentBytes();
    const RateBudget::Ms at = now();
    if (unsent == 0)
        c.lastProgress = at; // caught up: a stall is counted from here
    switch (sendVerdict(isRelayedLine(bytes), unsent, at - c.lastProgress)) {
    case SendVerdict::Send: break;
    case SendVerdict::Skip: ++c.skippedLines; return;
    case SendVerdict::Close:
        // A peer that takes nothing: cut it off before it eats the host's memory.
        dropConnection(slot, c.id, "it does not read");
        return;
    }
    try {
        c.sock->send(bytes);
    } catch (const ESockException&) {
        return;
    }
}

void TServer::close(int slot)
{
    if (slot < 1 || slot > kRefusalSlot)
        return;
    dropConnection(slot, conns_[static_cast<std::size_t>(slot)].id);
}

int TServer::slotOfConnection(int id) const
{
    for (int s = 1; s <= kRefusalSlot; ++s) {
        if (conns_[static_cast<std::size_t>(s)].id == id && conns_[static_cast<std::size_t>(s)].sock)
            return s;
    }
    return 0;
}

void TServer::retireSocket(Connection& c)
{
    if (!c.sock)
        return;
    // The slot's previous, closed connection object. It may still be on the
    // call stack of one of its own events, so it goes later.
    c.sock->onInfo = nullptr;
    c.sock->onRead = nullptr;
    c.sock.release()->deleteLater();
}

void TServer::move(int from, int to)
{
    if (from < 1 || from > kRefusalSlot || to < 1 || to > kRefusalSlot || from == to)
        return;
    Connection& target = conns_[static_cast<std::size_t>(to)];
    retireSocket(target);
    target = std::move(conns_[static_cast<std::size_t>(from)]);
    conns_[static_cast<std::size_t>(from)] = Connection();
    if (target.sock)
        target.sock->tag = to;
}

void TServer::socktimerTick(const QueuedMessage& first)
{
    // Messages of connections that have gone are skipped at once, so that a
    // cut-off flood does not hold up the others' messages.
    QueuedMessage message = first;
    while (engine_.slotOf(message.origin) == 0 && !socktimer_.queue().empty())
        message = socktimer_.queue().take();
    engine_.handleMessage(message.origin, message.text);
    engineStepped();
}

void TServer::timer1Timer()
{
    engine_.tickTimer1();
    engineStepped();
}

void TServer::engineStepped()
{
    syncTimer1();
    if (const auto deadline = engine_.nextDeadline())
        deadlineTimer_.start(
            static_cast<int>(std::clamp<std::int64_t>(*deadline - now().count() + 1, 0, 24 * 3600 * 1000)));
    else
        deadlineTimer_.stop();
    // A few integers compared; the announcer sends only what changed.
    if (announcer_ && announcer_->running())
        announcer_->update(hostAdvert(engine_, kVersionText, showNames_));
    if (link_ && listener_.listening())
        link_->update(outsidePort(), hostAdvert(engine_, kVersionText, showNames_));
}

void TServer::setCoordinator(std::unique_ptr<CoordinatorLink> link, bool mapPort)
{
    if (link_)
        link_->stop();
    link_ = std::move(link);
    mapper_.reset();
    mappedPort_ = 0;
    if (!link_)
        return;
    if (mapPort) {
        mapper_ = std::make_unique<PortMapper>();
        connect(mapper_.get(), &PortMapper::mapped, this,
                [this](const QString&, int port, const QString&) { setMappedPort(port); });
        connect(mapper_.get(), &PortMapper::lost, this, [this](const QString&) { setMappedPort(0); });
    }
    connect(link_.get(), &CoordinatorLink::relayed, this, [this](QSslSocket* s, const QString& joiner) {
        auto sock = std::make_unique<TSock>();
        sock->adoptConnected(s, joiner.toStdString(), true);
        takeConnection(std::move(sock), joiner.toStdString());
    });
    if (listener_.listening()) {
        if (mapper_)
            mapper_->start(listeningPort());
        link_->start(outsidePort(), hostAdvert(engine_, kVersionText, showNames_));
    }
}

void TServer::setMappedPort(int port)
{
    const int before = outsidePort();
    mappedPort_ = port;
    if (!link_ || !listener_.listening())
        return;
    link_->update(outsidePort(), hostAdvert(engine_, kVersionText, showNames_));
    // Mapped to the number it already had: no new port for the coordinator to probe.
    if (port != 0 && outsidePort() == before)
        link_->portOpened();
}

int TServer::outsidePort() const
{
    return mappedPort_ != 0 ? mappedPort_ : listeningPort();
}

void TServer::syncTimer1()
{
    const GameTimer& t = engine_.timer1();
    if (!t.enabled) {
        timer1_.stop();
        return;
    }
    if (t.generation != timerGeneration_ || !timer1_.isActive()) {
        timerGeneration_ = t.generation;
        timer1_.start(t.intervalMs); // every arming starts the interval afresh
    }
}

} // namespace zk
