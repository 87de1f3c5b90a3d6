#include "coordinator/Coordinator.h"

#include <algorithm>

#include "coordinator/InviteCode.h"

namespace zk::coord {
namespace {

// The reasons a host is refused; it shows them to its player.
constexpr std::string_view kOtherProtocol = "This coordinator speaks another protocol; update Zonkards";
constexpr std::string_view kBadRegistration = "The registration could not be read";
constexpr std::string_view kFull = "The coordinator has no room for more games";

} // namespace

bool LookupLimit::allow(const std::string& address, Ms now)
{
    auto it = buckets_.find(address);
    if (it == buckets_.end()) {
        if (buckets_.size() >= kMaxTrackedAddresses)
            prune(now);
        if (buckets_.size() >= kMaxTrackedAddresses)
            return false;
        it = buckets_.emplace(address, Bucket{kLookupBurst, now}).first;
    }
    Bucket& b = it->second;
    b.tokens = std::min(kLookupBurst, b.tokens + static_cast<double>(now - b.last) / kLookupRefillMs);
    b.last = now;
    if (b.tokens < 1)
        return false;
    b.tokens -= 1;
    return true;
}

void LookupLimit::prune(Ms now)
{
    std::erase_if(buckets_, [now](const auto& entry) {
        const Bucket& b = entry.second;
        return b.tokens + static_cast<double>(now - b.last) / kLookupRefillMs >= kLookupBurst;
    });
}

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

Coordinator::Coordinator(CoordinatorOutbox& outbox, CoordinatorConfig config, Clock clock, Random random)
    : outbox_(outbox), config_(std::move(config)), signer_(config_.relayKey), clock_(std::move(clock)),
      random_(std::move(random))
{
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
    if (c.role == Role::Host) {
        if (HostedGame* g = gameOf(c))
            g->seen = clock_();
    }
    Inbox inbox{*this, conn, c};
    const HandlerResult r = msg::dispatch(ToCoordinator{}, message, inbox);
    // A first message that is none of ours: not a game, so not kept.
    if (r != HandlerResult::Handled && c.role == Role::New) {
        c.role = Role::Done;
        outbox_.close(conn);
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
        g->conn = 0;
        g->seen = clock_();
    }
    c.role = Role::Done;
}

HostedGame* Coordinator::gameOf(const Conn& c)
{
    auto it = games_.find(c.code);
    return it == games_.end() ? nullptr : &it->second;
}

const HostedGame* Coordinator::game(std::string_view code) const
{
    auto it = games_.find(std::string(code));
    return it == games_.end() ? nullptr : &it->second;
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
    const std::string secretHash = sha256Hex(m.secret);
    std::string code;
    if (auto known = bySecret_.find(secretHash); known != bySecret_.end()) {
        code = known->second;
        // The same host again (a restart, a new connection): the old
        // connection, if it still seems alive, is over.
        HostedGame& old = games_.at(code);
        if (old.conn != 0 && old.conn != conn) {
            if (auto oc = conns_.find(old.conn); oc != conns_.end())
                oc->second.role = Role::Done;
            outbox_.close(old.conn);
        }
    } else {
        if (games_.size() >= kMaxGames) {
            refuse(conn, kFull);
            return;
        }
        // Two secrets on one code are rare (10,000 games: one chance in
        // 10^4 of any meeting); the later one takes the secret's next code.
        for (int attempt = 0; code.empty() || games_.contains(code); ++attempt)
            code = inviteCode(m.secret, attempt);
        bySecret_[secretHash] = code;
    }
    HostedGame& g = games_[code];
    if (g.id == 0)
        g.id = random_() | 1; // never 0
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
    g.conn = conn;
    g.seen = clock_();
    c.role = Role::Host;
    c.code = code;
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
    outbox_.send(conn, msg::encode(ReachFound{g->reach}));
}

void Coordinator::resolve(int conn, Conn& c, std::string_view typed)
{
    if (!lookups_.allow(c.address, clock_())) {
        answerAndClose(conn, msg::encode(Busy{}));
        return;
    }
    const auto code = readInviteCode(typed);
    auto it = code ? games_.find(*code) : games_.end();
    if (it == games_.end() || it->second.conn == 0) {
        answerAndClose(conn, msg::encode(Unknown{}));
        return;
    }
    HostedGame& g = it->second;
    if ((g.reach == Reach::Direct && !config_.alwaysRelay) || config_.relayPort == 0) {
        answerAndClose(conn, msg::encode(Direct{g.address, g.port}));
        return;
    }
    const std::string ticket = signer_.issue(g.id, clock_() + kTicketLifeMs, random_());
    outbox_.send(g.conn, msg::encode(Connect{{config_.relayAddress, config_.relayPort, ticket}}));
    answerAndClose(conn, msg::encode(RelayAnswer{{config_.relayAddress, config_.relayPort, ticket}}));
}

void Coordinator::list(int conn, Conn& c)
{
    if (!lookups_.allow(c.address, clock_())) {
        answerAndClose(conn, msg::encode(Busy{}));
        return;
    }
    conns_[conn].role = Role::Done;
    int count = 0;
    for (const auto& [code, g] : games_) {
        if (g.visibility != Visibility::Public || g.conn == 0)
            continue;
        outbox_.send(conn, msg::encode(Game{code, g.version, g.facts}));
        if (static_cast<std::size_t>(++count) == kMaxListedGames)
            break;
    }
    outbox_.send(conn, msg::encode(ListEnd{count}));
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
    std::erase_if(games_, [&](const auto& entry) {
        const HostedGame& g = entry.second;
        if (g.conn != 0 || now - g.seen < kRegistrationGraceMs)
            return false;
        bySecret_.erase(g.secretHash);
        return true;
    });
}

std::optional<Ms> Coordinator::nextDeadline() const
{
    std::optional<Ms> next;
    auto consider = [&next](Ms at) { next = next ? std::min(*next, at) : at; };
    for (const auto& [id, c] : conns_) {
        if (c.role == Role::New)
            consider(c.opened + kFirstMessageMs);
    }
    for (const auto& [code, g] : games_)
        consider(g.seen + (g.conn != 0 ? kSilentHostMs : kRegistrationGraceMs));
    return next;
}

} // namespace zk::coord
