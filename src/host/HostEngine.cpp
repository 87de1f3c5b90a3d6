// Admission, login, the roster, relays, departures, dispatch and timer1.
// The turns themselves are in HostTurns.cpp.
#include "host/HostEngine.h"

#include <algorithm>

#include "protocol/Commands.h"
#include "protocol/Dispatch.h"

namespace zk {

// Every entry point opens one. A connection closed from inside an entry (a
// kick, a refusal, a peer dropped by the transport while a broadcast runs)
// is queued and its departure handled when the outermost entry ends.
class HostEngine::Entry {
public:
    explicit Entry(HostEngine& engine) : engine_(engine) { ++engine_.entryDepth_; }
    ~Entry()
    {
        if (engine_.entryDepth_ == 1) {
            auto& closed = engine_.closedDuringEntry_;
            // A departure may itself close more connections; they join the end.
            for (std::size_t i = 0; i < closed.size(); ++i)
                engine_.departure(closed[i]);
            closed.clear();
        }
        --engine_.entryDepth_;
    }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

private:
    HostEngine& engine_;
};

HostEngine::HostEngine(HostOutbox& outbox, NoticeSink notices, DieSource dice, BotSpeed botSpeed)
    : outbox_(outbox), notices_(std::move(notices)), drawDie_(std::move(dice)), botSpeed_(std::move(botSpeed))
{
    // The computer players' names for seats 2 to 6; seat 2's is the one its label shows.
    static constexpr std::string_view kBotNames[] = {kComputerName, "Klock", "Kling", "Klick", "Krazy"};
    for (int s = kComputerSeat; s <= kSeatCount; ++s)
        seat(s).botname = std::string(kBotNames[s - kComputerSeat]);
}

const tplayer& HostEngine::player(int slot) const
{
    static const tplayer kNone;
    if (slot < 1 || slot > kRefusalSlot)
        return kNone;
    return seat(slot);
}

int HostEngine::slotOf(int connectionId) const
{
    if (connectionId == 0)
        return 0;
    for (int s = 1; s <= kMaxConnections; ++s) {
        if (seat(s).connected && seat(s).connectionId == connectionId)
            return s;
    }
    return 0;
}

bool HostEngine::computerPlayed(int s) const
{
    if (s < 1 || s > kSeatCount)
        return false;
    return !seat(s).connected || seat(s).watching;
}

// --- Sending -------------------------------------------------------------

void HostEngine::sendBytes(int slot, const std::string& bytes)
{
    if (slot >= 1 && slot <= kMaxConnections && seat(slot).connected)
        outbox_.send(slot, bytes);
}

void HostEngine::notify(std::string_view text)
{
    if (notices_)
        notices_(std::string(text));
}

int HostEngine::drawFace()
{
    const int f = drawDie_();
    // The source promises 1 to 6; anything else is folded into that range
    // rather than stored as a face no table can show.
    return (f >= 1 && f <= kFaceCount) ? f : ((f % kFaceCount) + kFaceCount) % kFaceCount + 1;
}

// --- timer1 --------------------------------------------------------------

void HostEngine::armTimer(int tag, int count)
{
    int interval = kNextPlayerIntervalMs;
    if (tag != kTimerNextPlayer)
        interval = botSpeed_ ? botSpeed_() : kBotSpeedBeforeSettings; // read at every arming
    timer_.tag = tag;
    timer_.countdown = count;
    timer_.intervalMs = std::max(1, interval);
    timer_.enabled = true;
    ++timer_.generation;
}

void HostEngine::tickTimer1()
{
    Entry entry(*this);
    if (!timer_.enabled)
        return;
    --timer_.countdown;
    if (timer_.countdown >= 1)
        return;
    timer_.enabled = false;
    switch (timer_.tag) {
    case kTimerNextPlayer: findplayer(); break;
    case kTimerBonusRoll: bonusrolls(currentplayer_); break;
    case kTimerComputerStep: computerplay(currentplayer_); break;
    default: break;
    }
}

void HostEngine::checkDeadlines()
{
    Entry entry(*this);
    deadlinesDue(); // HostSeats.cpp
}

// --- Connections ---------------------------------------------------------

int HostEngine::freeSlot(std::string_view address) const
{
    if (connections_ == 0)
        return 1;
    for (int s = 1; s <= connections_; ++s) {
        if (!seat(s).connected && !seatHeld(s))
            return s;
    }
    if (connections_ < kMaxConnections)
        return connections_ + 1;
    // Full but for held seats: one held for this address may be its player's.
    for (int s = 1; s <= kSeatCount && !address.empty(); ++s) {
        if (!seat(s).connected && seatHeld(s) && holds_[static_cast<std::size_t>(s)]->address == address)
            return s;
    }
    return kRefusalSlot;
}

void HostEngine::connectionArrived(int slot, int connectionId, std::string_view address)
{
    Entry entry(*this);
    if (slot == kRefusalSlot) {
        // The refused connection is live for this moment only; it is never
        // marked connected, so nothing else is ever sent to it.
        outbox_.send(kRefusalSlot, msg::encode(msg::Full{}));
        outbox_.close(kRefusalSlot);
        return;
    }
    if (slot < 1 || slot > kMaxConnections || connectionId == 0 || seat(slot).connected)
        return;
    connections_ = std::max(connections_, slot);
    tplayer& p = seat(slot);
    p.connected = true;
    p.connectionId = connectionId;
    p.loggedIn = false;
    p.name.clear();
    p.address = std::string(address);
    sendTo(slot, msg::SendLoginInfo{slot});
}

void HostEngine::connectionClosed(int connectionId)
{
    if (entryDepth_ > 0) {
        closedDuringEntry_.push_back(connectionId);
        return;
    }
    Entry entry(*this);
    departure(connectionId);
}

void HostEngine::departure(int connectionId)
{
    const int slot = slotOf(connectionId);
    if (slot == 0)
        return; // already free: a second "Socket Closed", or a refused connection
    tplayer& p = seat(slot);
    const msg::PlayerDisconnected gone{slot, p.name};
    const bool held = holdSeat(slot);
    p.connected = false;
    p.connectionId = 0;
    p.loggedIn = false;
    sendToAll(gone);
    p.name.clear();
    p.loginName.clear();
    p.watching = false; // a held seat keeps it in its hold
    if (slot == powerSlot_)
        passPowers(slot);

    if (gamestarted_ && slot == currentplayer_ && p.turnactive) {
        stopTurnClock();
        if (held || slot == 1 || slot == kComputerSeat) {
            // The computer finishes the turn and plays the seat from now on.
            // Seat 1 is kept like seat 2: the round count advances when the
            // turn reaches seat 1, so it must stay in the game.
            armTimer(kTimerComputerStep, kComputerStepTicks);
        } else {
            // The turn so far is dropped unscored; the seat leaves the game.
            p.playing = false;
            p.turnactive = false;
            findplayer();
        }
    }
}

void HostEngine::disconnectsock(int slot)
{
    if (slot >= 1 && slot <= kMaxConnections && seat(slot).connected)
        outbox_.close(slot);
}

// --- Dispatch ------------------------------------------------------------

// Every message a table sends, to its handler; `slot` is the sender's.
struct HostEngine::Inbox {
    HostEngine& h;
    using R = HandlerResult;
    R receive(int slot, const msg::Decoded<msg::LoginInfo>& m) { return h.receivedlogininfo(slot, m); }
    R receive(int slot, const msg::Decoded<msg::KickHim>& m) { return h.kickhim(slot, m); }
    R receive(int slot, const msg::Decoded<msg::Chat>& m)
    {
        return h.relay<msg::Chat, msg::ChatLine>(slot, m, " chats: ");
    }
    R receive(int slot, const msg::Decoded<msg::Action>& m)
    {
        return h.relay<msg::Action, msg::ActionLine>(slot, m, " ");
    }
    // Only the table with the host powers (the hosting table, slot 1) starts a game.
    R receive(int slot, const msg::Decoded<msg::StartGame>& m)
    {
        return slot == h.powerSlot_ ? h.startgame(m) : R::Ignored;
    }
    R receive(int slot, const msg::Decoded<msg::JustWatch>& m) { return h.justwatch(slot, m); }
    R receive(int slot, const msg::Decoded<msg::RollTheDice>& m) { return h.rollthediceRequested(slot, m); }
    R receive(int slot, const msg::Decoded<msg::SelectCat>& m) { return h.selectcatRequested(slot, m); }
    R receive(int slot, const msg::Decoded<msg::PlayASound>& m) { return h.playasound(slot, m); }
};

HandlerResult HostEngine::handleMessage(int connectionId, std::string_view message)
{
    Entry entry(*this);
    // The sender is the connection the message came on; a message queued by
    // a connection that has gone is not taken for the next holder of its slot.
    const int slot = slotOf(connectionId);
    if (slot == 0)
        return HandlerResult::Ignored;
    Inbox inbox{*this};
    return msg::dispatch(msg::TableToHost{}, message, inbox, slot);
}

// --- Login and snapshot --------------------------------------------------

HandlerResult HostEngine::receivedlogininfo(int slot, const msg::Decoded<msg::LoginInfo>& m)
{
    // The slot the table writes is not read: the connection's own slot counts.
    // A connection logs in once; a second login would rename the player (to
    // another player's name too) in the middle of the game.
    tplayer& p = seat(slot);
    if (p.loggedIn)
        return HandlerResult::Ignored;
    const std::string login = cleanLoginName(m->name);

    // A player whose seat is held comes back to it: a table given another
    // slot is moved there and logs in again (as every table does on
    // CMD_sendlogininfo). Anyone else given a held slot moves off it.
    const int held = heldSeatFor(login, p.address);
    if (held != 0 && held != slot) {
        moveConnection(slot, held);
        return HandlerResult::Handled;
    }
    if (held == 0 && slot <= kSeatCount && seatHeld(slot)) {
        const int other = freeSlot();
        if (other == kRefusalSlot) {
            sendTo(slot, msg::Full{});
            disconnectsock(slot);
        } else {
            moveConnection(slot, other);
        }
        return HandlerResult::Handled;
    }

    const bool returning = held == slot;
    std::string name;
    if (returning) {
        const SeatHold hold = *holds_[static_cast<std::size_t>(slot)];
        holds_[static_cast<std::size_t>(slot)].reset();
        name = hold.name;
        p.watching = hold.watching;
    } else {
        name = tableName(slot, login);
    }
    p.loggedIn = true;
    p.loginName = login;
    p.name = name;
    p.connected = true;
    p.loginOrder = ++logins_;

    sendToAll(msg::NewPlayerInfo{slot, p.name});
    for (int s = 1; s <= connections_; ++s) {
        if (s != slot && seat(s).connected)
            sendTo(slot, msg::ExistingPlayers{s, seat(s).name});
    }
    if (m->version != kVersionText) {
        sendTo(powerSlot_, msg::HaveWrongVersion{p.name});
        sendTo(slot, msg::WrongVersion{});
    }
    if (powerSlot_ != 1)
        sendTo(slot, msg::HostPowers{powerSlot_});
    if (turnClockMs_ > 0)
        sendTo(slot, msg::TurnClock{static_cast<int>(turnClockMs_ / 1000)});
    if (gamestarted_)
        sendSnapshot(slot);
    if (returning) {
        if (p.watching)
            sendToAll(msg::JustWatching{slot, true});
        sendToAll(hostLine(p.name + " is back."));
        // Back during his own turn: he goes on with it, on the clock.
        if (slot == currentplayer_ && p.turnactive && !computerPlayed(slot))
            startTurnClock(slot);
    } else if (p.name != m->name) {
        sendTo(slot, hostLine("You are " + p.name + " at this table."));
    }
    return HandlerResult::Handled;
}

std::vector<DiePair> HostEngine::allDicePairs() const
{
    std::vector<DiePair> pairs;
    for (int d = 1; d <= kDiceCount; ++d)
        pairs.push_back({d, dice_[static_cast<std::size_t>(d - 1)]});
    return pairs;
}

void HostEngine::sendSnapshot(int slot)
{
    const bool onTurn = currentplayer_ >= 1 && currentplayer_ <= kSeatCount;
    const tplayer& cur = player(onTurn ? currentplayer_ : 0);
    sendTo(slot, msg::LoadStats{slot, currentplayer_, bonuslimit_, onTurn ? cur.rolls : 0, round_,
                                onTurn ? cur.category : 0, allDicePairs()});
    msg::LoadScores scores{slot, {}};
    for (int s = 1; s <= kSeatCount; ++s)
        scores.groups.push_back(msg::ScoreGroup::of(s, seat(s).playing, seat(s).scores));
    sendTo(slot, scores);
}

// --- Kick, just watch, relays --------------------------------------------

HandlerResult HostEngine::kickhim(int slot, const msg::Decoded<msg::KickHim>& m)
{
    if (!m.reached(msg::KickHim::Sender))
        return HandlerResult::Malformed;
    if (slot != powerSlot_ || m->sender != powerSlot_)
        return HandlerResult::Ignored;
    if (!m.reached(msg::KickHim::Target))
        return HandlerResult::Malformed;
    const int target = m->target;
    if (target < 1 || target > kMaxConnections || !seat(target).connected)
        return HandlerResult::Ignored;
    disconnectsock(target);
    return HandlerResult::Handled;
}

HandlerResult HostEngine::justwatch(int slot, const msg::Decoded<msg::JustWatch>& m)
{
    if (!m.reached(msg::JustWatch::Seat))
        return HandlerResult::Malformed;
    const int s = m->seat;
    if (s < 1 || s > kSeatCount)
        return HandlerResult::Ignored;
    // A table speaks for its own seat; the seat menu of the host powers for any.
    if (slot != powerSlot_ && s != slot)
        return HandlerResult::Ignored;
    tplayer& p = seat(s);
    if (m->mode == msg::JustWatch::Mode::Play) {
        p.watching = false;
        sendToAll(msg::JustWatching{s, false});
        if (s == currentplayer_ && p.turnactive && !computerPlayed(s))
            startTurnClock(s);
        return HandlerResult::Handled;
    }
    if (m->mode == msg::JustWatch::Mode::Watch) {
        if (!gamestarted_)
            return HandlerResult::Ignored;
        p.watching = true;
        sendToAll(msg::JustWatching{s, true});
        if (s == currentplayer_ && p.turnactive) {
            stopTurnClock();
            armTimer(kTimerComputerStep, kComputerStepTicks);
        }
        return HandlerResult::Handled;
    }
    return HandlerResult::Ignored;
}

template <typename Request, typename Relayed>
HandlerResult HostEngine::relay(int slot, const msg::Decoded<Request>& m, std::string_view between)
{
    if (!m.reached(Request::Slot))
        return HandlerResult::Malformed;
    if (m->slot != slot)
        return HandlerResult::Ignored;
    sendToAll(Relayed{seat(slot).name + std::string(between) + m->line});
    return HandlerResult::Handled;
}

HandlerResult HostEngine::playasound(int slot, const msg::Decoded<msg::PlayASound>& m)
{
    if (!m.reached(msg::PlayASound::Slot))
        return HandlerResult::Malformed;
    if (m->slot != slot)
        return HandlerResult::Ignored;
    sendToAll(msg::PlayASound{slot, m->sound});
    return HandlerResult::Handled;
}

} // namespace zk
