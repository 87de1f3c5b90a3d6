#include "coordinator/Coordinator.h"

#include <algorithm>

#include "coordinator/InviteCode.h"
#include "coordinator/MemoryStore.h"

namespace zk::coord {
namespace {

// The reasons a host is refused; it shows them to its player.
constexpr std::string_view kOtherProtocol = "This coordinator speaks another protocol; update Zonkards";
constexpr std::string_view kBadRegistration = "The registration could not be read";
constexpr std::string_view kFull = "The coordinator has no room for more games";
constexpr int kMaxClaims = 8;
constexpr std::string_view kBusy = "Too many registrations from this address; try again in a minute";

// Events between coordinators sharing a store: a kind, then its fields, one a line.
constexpr std::string_view kEventConnect = "connect"; // code, the ZC_connect for its host
constexpr std::string_view kEventDrop = "drop";       // code: its host went to another coordinator

std::string eventText(std::string_view kind, const std::string& code, std::string_view rest = {})
{
    std::string e(kind);
    e += '\n';
    e += code;
    e += '\n';
    e += rest;
    return e;
}

} // namespace

// Each message a connection may send, and what it means from whom.
struct Coordinator::Inbox {
    Coordinator& self;
    int conn;
    Conn& c;

    HandlerResult receive(const msg::Decoded<Register>& m)
    {
        if (c.role != Role::New)
            return HandlerResult::Ignored;
        if (m.reached(1) && m->protocol != kProtocol) {
            self.refuse(conn, kOtherProtocol);
            return HandlerResult::Handled;
        }
        if (!m.complete) {
            self.refuse(conn, kBadRegistration);
            return HandlerResult::Malformed;
        }
        self.registerHost(conn, c, m.message);
        return HandlerResult::Handled;
    }
    HandlerResult receive(const msg::Decoded<Update>& m)
    {
        if (c.role != Role::Host)
            return HandlerResult::Ignored;
        if (!m.complete)
            return HandlerResult::Malformed; // the last good facts stand
        self.updateHost(c, m.message);
        return HandlerResult::Handled;
    }
    HandlerResult receive(const msg::Decoded<Resolve>& m)
    {
        if (c.role != Role::New)
            return HandlerResult::Ignored;
        self.resolve(conn, c, m.complete && m->protocol == kProtocol ? std::string_view(m->code) : "");
        return HandlerResult::Handled;
    }
    HandlerResult receive(const msg::Decoded<List>&)
    {
        if (c.role != Role::New)
            return HandlerResult::Ignored;
        self.list(conn, c);
        return HandlerResult::Handled;
    }
    // Data connections go to the relay, which the adapter routes by their
    // first message; one that reaches the coordinator has lost its way.
    HandlerResult receive(const msg::Decoded<Open>&) { return HandlerResult::Ignored; }
    HandlerResult receive(const msg::Decoded<Join>&) { return HandlerResult::Ignored; }
};

Coordinator::Coordinator(CoordinatorOutbox& outbox, CoordinatorConfig config, Clock clock, Random random,
                         Store* store)
    : outbox_(outbox), config_(std::move(config)), signer_(config_.relayKey), clock_(std::move(clock)),
      random_(std::move(random)), ownStore_(store ? nullptr : std::make_unique<MemoryStore>(clock_)),
      store_(store ? *store : *ownStore_)
{
    store_.listen(config_.instance, [this](const std::string& e) { event(e); });
}

Coordinator::~Coordinator()
{
    store_.listen(config_.instance, nullptr);
}

void Coordinator::log(const std::string& line) const
{
    if (config_.log)
        config_.log(line);
}

void Coordinator::event(const std::string& text)
{
    const auto kindEnd = text.find('\n');
    const auto codeEnd = kindEnd == std::string::npos ? std::string::npos : text.find('\n', kindEnd + 1);
    if (codeEnd == std::string::npos)
        return;
    const std::string_view kind(text.data(), kindEnd);
    const std::string code = text.substr(kindEnd + 1, codeEnd - kindEnd - 1);
    auto it = hosts_.find(code);
    if (it == hosts_.end())
        return;
    if (kind == kEventConnect) {
        outbox_.send(it->second.conn, std::string_view(text).substr(codeEnd + 1));
    } else if (kind == kEventDrop) {
        // Its host registered on another coordinator: this connection is stale.
        const int conn = it->second.conn;
        if (auto c = conns_.find(conn); c != conns_.end())
            c->second.role = Role::Done;
        hosts_.erase(it);
        outbox_.close(conn);
    }
}

void Coordinator::opened(int conn, std::string address)
{
    conns_[conn] = Conn{std::move(address), Role::New, clock_(), {}};
}

void Coordinator::received(int conn, std::string_view message)
{
    auto it = conns_.find(conn);
    if (it == conns_.end())
        return;
    Conn& c = it->second;
    Inbox inbox{*this, conn, c};
    const HandlerResult r = msg::dispatch(ToCoordinator{}, message, inbox);
    // A first message that is none of ours: not a game, so not kept.
    if (r != HandlerResult::Handled && c.role == Role::New) {
        c.role = Role::Done;
        outbox_.close(conn);
    }
    // Every word of a host keeps its game, wherever it is looked up.
    if (c.role == Role::Host) {
        if (HostedGame* g = gameOf(c)) {
            g->seen = clock_();
            store_.put(*g, kSilentHostMs);
        }
    }
}

void Coordinator::closed(int conn)
{
    auto it = conns_.find(conn);
    if (it == conns_.end())
        return;
    if (it->second.role == Role::Host)
        hostGone(it->second);
    conns_.erase(it);
}

void Coordinator::hostGone(Conn& c)
{
    if (HostedGame* g = gameOf(c)) {
        // Away, and kept for its grace; unless it went to another coordinator meanwhile.
        const auto stored = store_.get(g->code);
        if (!stored || stored->instance == config_.instance) {
            g->instance.clear();
            store_.put(*g, kRegistrationGraceMs);
        }
        log("event=away code=" + g->code);
        hosts_.erase(g->code);
    }
    c.role = Role::Done;
}

HostedGame* Coordinator::gameOf(const Conn& c)
{
    auto it = hosts_.find(c.code);
    return it == hosts_.end() ? nullptr : &it->second;
}

void Coordinator::refuse(int conn, std::string_view reason)
{
    auto it = conns_.find(conn);
    if (it != conns_.end())
        it->second.role = Role::Done;
    outbox_.send(conn, msg::encode(Refused{std::string(reason)}));
    outbox_.close(conn);
}

void Coordinator::answerAndClose(int conn, std::string_view bytes)
{
    conns_[conn].role = Role::Done;
    outbox_.send(conn, bytes);
    outbox_.close(conn);
}

void Coordinator::registerHost(int conn, Conn& c, const Register& m)
{
    if (!wellFormedSecret(m.secret) || m.port < 1 || m.port > 65535 || m.nonce.empty() ||
        m.nonce.size() > 64) {
        refuse(conn, kBadRegistration);
        return;
    }
    if (!store_.take("register " + c.address, LookupLimit::kRegisterBurst, LookupLimit::kRegisterRefillMs)) {
        refuse(conn, kBusy);
        return;
    }
    const std::string secretHash = sha256Hex(m.secret);
    std::string code;
    std::uint64_t id = 0;
    if (auto known = store_.codeOf(secretHash)) {
        code = *known;
        const auto stored = store_.get(code);
        id = stored ? stored->id : 0;
        // The same host again (a restart, a new connection): the old
        // connection, here or on another coordinator, is over.
        if (auto here = hosts_.find(code); here != hosts_.end() && here->second.conn != conn) {
            if (auto oc = conns_.find(here->second.conn); oc != conns_.end())
                oc->second.role = Role::Done;
            outbox_.close(here->second.conn);
        } else if (stored && !stored->instance.empty() && stored->instance != config_.instance) {
            store_.tell(stored->instance, eventText(kEventDrop, code));
        }
    } else {
        if (store_.games() >= kMaxGames) {
            refuse(conn, kFull);
            return;
        }
        // Two secrets on one code are rare (10,000 games: one chance in
        // 10^4 of any meeting); the later one takes the secret's next code.
        // A store that cannot answer claims nothing: refused, not tried for ever.
        for (int attempt = 0; code.empty() || !store_.claim(code, secretHash, kSilentHostMs); ++attempt) {
            if (attempt == kMaxClaims) {
                refuse(conn, kFull);
                return;
            }
            code = inviteCode(m.secret, attempt);
        }
    }
    HostedGame& g = hosts_[code];
    g.id = id != 0 ? id : (random_() | 1); // never 0
    g.code = code;
    g.secretHash = secretHash;
    g.facts = boundedAdvert(m.facts);
    g.facts.version = boundedAdvert(GameAdvert{.version = m.version}).version;
    g.version = g.facts.version;
    g.visibility = m.visibility;
    g.address = c.address;
    g.port = m.port;
    g.reach = Reach::Unknown;
    g.nonce = m.nonce;
    g.instance = config_.instance;
    g.conn = conn;
    g.seen = clock_();
    c.role = Role::Host;
    c.code = code;
    ++counts_.registrations;
    log("event=register code=" + code + " address=" + g.address +
        " visibility=" + (g.visibility == Visibility::Public ? "public" : "invite"));
    outbox_.send(conn, msg::encode(Registered{code}));
    outbox_.probe(conn, g.address, g.port, g.nonce);
}

void Coordinator::updateHost(Conn& c, const Update& m)
{
    HostedGame* g = gameOf(c);
    if (!g)
        return;
    const std::string version = g->facts.version;
    g->facts = boundedAdvert(m.facts);
    g->facts.version = version;
    // A new port (the router mapped one after all): probe again, with the
    // nonce the host knows.
    if (m.port >= 1 && m.port <= 65535 && m.port != g->port) {
        g->port = m.port;
        g->reach = Reach::Unknown;
        outbox_.probe(g->conn, g->address, g->port, g->nonce);
    }
}

void Coordinator::probeAnswered(int conn, bool reached)
{
    auto it = conns_.find(conn);
    if (it == conns_.end() || it->second.role != Role::Host)
        return;
    HostedGame* g = gameOf(it->second);
    if (!g)
        return;
    g->reach = reached ? Reach::Direct : Reach::Relay;
    store_.put(*g, kSilentHostMs);
    outbox_.send(conn, msg::encode(ReachFound{g->reach}));
}

void Coordinator::resolve(int conn, Conn& c, std::string_view typed)
{
    if (!store_.take("lookup " + c.address, LookupLimit::kLookupBurst, LookupLimit::kLookupRefillMs)) {
        ++counts_.lookupsRefused;
        log("event=refused address=" + c.address);
        answerAndClose(conn, msg::encode(Busy{}));
        return;
    }
    const auto code = readInviteCode(typed);
    const auto g = code ? store_.get(*code) : std::nullopt;
    const HostedGame* here = nullptr;
    if (g && g->instance == config_.instance) {
        auto it = hosts_.find(g->code);
        here = it == hosts_.end() ? nullptr : &it->second;
    }
    if (!g || g->instance.empty() || (g->instance == config_.instance && !here)) {
        ++counts_.joinsFailed;
        log("event=join way=failed address=" + c.address);
        answerAndClose(conn, msg::encode(Unknown{}));
        return;
    }
    if ((g->reach == Reach::Direct && !config_.alwaysRelay) || config_.relayPort == 0) {
        ++counts_.joinsDirect;
        log("event=join way=direct code=" + g->code + " address=" + c.address);
        answerAndClose(conn, msg::encode(Direct{g->address, g->port}));
        return;
    }
    ++counts_.joinsRelayed;
    log("event=join way=relayed code=" + g->code + " address=" + c.address + " host=" + g->instance);
    const std::string ticket = signer_.issue(g->id, clock_() + kTicketLifeMs, random_());
    const std::string connect = msg::encode(Connect{{config_.relayAddress, config_.relayPort, ticket}});
    if (here)
        outbox_.send(here->conn, connect);
    else
        store_.tell(g->instance, eventText(kEventConnect, g->code, connect));
    answerAndClose(conn, msg::encode(RelayAnswer{{config_.relayAddress, config_.relayPort, ticket}}));
}

void Coordinator::list(int conn, Conn& c)
{
    if (!store_.take("lookup " + c.address, LookupLimit::kLookupBurst, LookupLimit::kLookupRefillMs)) {
        ++counts_.lookupsRefused;
        log("event=refused address=" + c.address);
        answerAndClose(conn, msg::encode(Busy{}));
        return;
    }
    conns_[conn].role = Role::Done;
    const auto games = store_.listed(kMaxListedGames);
    for (const HostedGame& g : games)
        outbox_.send(conn, msg::encode(Game{g.code, g.version, g.facts}));
    outbox_.send(conn, msg::encode(ListEnd{static_cast<int>(games.size())}));
    outbox_.close(conn);
}

void Coordinator::tick()
{
    const Ms now = clock_();
    for (auto& [id, c] : conns_) {
        if (c.role == Role::New && now - c.opened >= kFirstMessageMs) {
            c.role = Role::Done;
            outbox_.close(id);
        } else if (c.role == Role::Host) {
            const HostedGame* g = gameOf(c);
            if (g && now - g->seen >= kSilentHostMs) {
                hostGone(c);
                outbox_.close(id);
            }
        }
    }
    store_.expire();
}

std::optional<Ms> Coordinator::nextDeadline() const
{
    std::optional<Ms> next;
    auto consider = [&next](Ms at) { next = next ? std::min(*next, at) : at; };
    for (const auto& [id, c] : conns_) {
        if (c.role == Role::New)
            consider(c.opened + kFirstMessageMs);
    }
    for (const auto& [code, g] : hosts_)
        consider(g.seen + kSilentHostMs);
    if (const auto away = store_.nextExpiry())
        consider(*away);
    return next;
}

} // namespace zk::coord
