#include "coordinator/Relay.h"

#include <vector>

#include "coordinator/CoordMessages.h"
#include "coordinator/MemoryStore.h"

namespace zk::coord {
namespace {

// What a refused data connection is told before it is closed; the joiner's table shows it.
constexpr std::string_view kBadTicket = "The relay does not know this ticket";
constexpr std::string_view kExpired = "The relay ticket has expired; try again";
constexpr std::string_view kUsed = "The relay ticket was used already; try again";
constexpr std::string_view kTooMany = "The game has as many relayed players as it may have";
constexpr std::string_view kOtherProtocol = "This relay speaks another protocol; update Zonkards";

} // namespace

struct Relay::Inbox {
    Relay& self;
    int conn;
    HandlerResult receive(const msg::Decoded<Open>& m) { return take(m, Side::Host); }
    HandlerResult receive(const msg::Decoded<Join>& m) { return take(m, Side::Joiner); }
    template <typename M>
    HandlerResult take(const msg::Decoded<M>& m, Side side)
    {
        if (m.complete && m->protocol != kProtocol)
            self.refuse(conn, kOtherProtocol);
        else
            self.arrive(conn, side, m.complete ? std::string_view(m->ticket) : "");
        return HandlerResult::Handled;
    }
};

Relay::Relay(RelayOutbox& outbox, std::string_view key, Clock clock, Store* store)
    : outbox_(outbox), signer_(key), clock_(std::move(clock)),
      ownStore_(store ? nullptr : std::make_unique<MemoryStore>(clock_)), store_(store ? *store : *ownStore_)
{
}

Relay::~Relay() = default;

void Relay::opened(int conn, std::string address)
{
    halves_[conn] = Half{std::move(address), {}, 0, 0, clock_()};
}

void Relay::received(int conn, std::string_view message)
{
    auto it = halves_.find(conn);
    if (it == halves_.end() || !it->second.ticket.empty() || partner_.contains(conn))
        return;
    using FirstLines = msg::MessageList<Open, Join>;
    Inbox inbox{*this, conn};
    if (msg::dispatch(FirstLines{}, message, inbox) != HandlerResult::Handled)
        refuse(conn, kBadTicket);
}

void Relay::refuse(int conn, std::string_view reason)
{
    outbox_.send(conn, msg::encode(Refused{std::string(reason)}));
    outbox_.close(conn);
    halves_.erase(conn);
}

void Relay::arrive(int conn, Side side, std::string_view ticket)
{
    const std::int64_t now = clock_();
    const auto facts = signer_.check(ticket);
    if (!facts) {
        refuse(conn, kBadTicket);
        return;
    }
    if (facts->expires <= now) {
        refuse(conn, kExpired);
        return;
    }
    const std::string key(ticket);
    auto [slot, fresh] = waiting_.try_emplace(key, 0, 0);
    int& mine = side == Side::Host ? slot->second.first : slot->second.second;
    if (fresh && pairsOfGame_[facts->game] >= kMaxPairsPerGame) {
        waiting_.erase(slot);
        refuse(conn, kTooMany);
        return;
    }
    if (mine != 0 || store_.used(key)) {
        if (fresh)
            waiting_.erase(slot);
        refuse(conn, kUsed); // this side came already, or the ticket was spent (on any relay)
        return;
    }
    mine = conn;
    Half& half = halves_[conn];
    half.ticket = key;
    half.expires = facts->expires;
    half.game = facts->game;
    const auto [host, joiner] = slot->second;
    if (host == 0 || joiner == 0)
        return;
    // Both halves are here: the ticket is spent, unless another relay sharing
    // the store spent it a moment ago.
    waiting_.erase(slot);
    if (!store_.firstUse(key, facts->expires - now)) {
        refuse(host, kUsed);
        refuse(joiner, kUsed);
        return;
    }
    partner_[host] = joiner;
    partner_[joiner] = host;
    ++pairsOfGame_[facts->game];
    outbox_.send(host, msg::encode(Paired{halves_[joiner].address}));
    outbox_.send(joiner, msg::encode(Paired{}));
    outbox_.pair(host, joiner);
}

void Relay::closed(int conn)
{
    auto it = halves_.find(conn);
    if (it == halves_.end())
        return;
    const Half half = it->second;
    halves_.erase(it);
    if (auto p = partner_.find(conn); p != partner_.end()) {
        const int other = p->second;
        partner_.erase(p);
        partner_.erase(other);
        if (--pairsOfGame_[half.game] <= 0)
            pairsOfGame_.erase(half.game);
        outbox_.close(other); // a pair ends together
        return;
    }
    // A half that waited alone: its place is free again, for the same side
    // to come back until the ticket pairs or expires.
    if (auto w = waiting_.find(half.ticket); w != waiting_.end()) {
        int& mine = w->second.first == conn ? w->second.first : w->second.second;
        mine = 0;
        if (w->second.first == 0 && w->second.second == 0)
            waiting_.erase(w);
    }
}

void Relay::tick()
{
    const std::int64_t now = clock_();
    std::vector<int> late;
    for (const auto& [conn, half] : halves_) {
        if (partner_.contains(conn))
            continue;
        // No ticket within the ticket's life of opening, or its ticket ran out alone.
        const std::int64_t limit = half.ticket.empty() ? half.opened + 30'000 : half.expires;
        if (now >= limit)
            late.push_back(conn);
    }
    for (int conn : late) {
        const bool hadTicket = !halves_[conn].ticket.empty();
        refuse(conn, hadTicket ? kExpired : kBadTicket);
        // refuse() forgot the half; its waiting place goes too.
        for (auto w = waiting_.begin(); w != waiting_.end();) {
            if (w->second.first == conn)
                w->second.first = 0;
            if (w->second.second == conn)
                w->second.second = 0;
            w = (w->second.first == 0 && w->second.second == 0) ? waiting_.erase(w) : std::next(w);
        }
    }
    if (ownStore_)
        ownStore_->expire();
}

} // namespace zk::coord
