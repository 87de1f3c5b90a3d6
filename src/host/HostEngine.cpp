// Admission, login, the roster, relays, departures, dispatch and timer1.
// The turns themselves are in HostTurns.cpp.
#include "HostEngine.h"

#include <algorithm>

#include "protocol/Commands.h"

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
    : outbox_(outbox), notices_(std::move(notices)), drawDie_(std::move(dice)),
      botSpeed_(std::move(botSpeed))
{
    static constexpr const char* kBotNames[] = {"Klot", "Klock", "Kling", "Klick", "Krazy"};
    for (int s = 2; s <= kSeatCount; ++s)
        seat(s).botname = kBotNames[s - 2];
}

const tplayer& HostEngine::player(int slot) const
{
    static const tplayer kNone;
    if (slot < 1 || slot > kSlotRecords)
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

void HostEngine::sendTo(int slot, const std::string& bytes)
{
    if (slot >= 1 && slot <= kMaxConnections && seat(slot).connected)
        outbox_.send(slot, bytes);
}

void HostEngine::sendToAll(const std::string& bytes)
{
    for (int s = 1; s <= connections_; ++s)
        sendTo(s, bytes);
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
    return (f >= 1 && f <= 6) ? f : ((f % 6) + 6) % 6 + 1;
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

// --- Connections ---------------------------------------------------------

int HostEngine::freeSlot() const
{
    if (connections_ == 0)
        return 1;
    for (int s = 1; s <= connections_; ++s) {
        if (!seat(s).connected)
            return s;
    }
    if (connections_ < kMaxConnections)
        return connections_ + 1;
    return kRefusalSlot;
}

void HostEngine::connectionArrived(int slot, int connectionId)
{
    Entry entry(*this);
    if (slot == kRefusalSlot) {
        // The refused connection is live for this moment only; it is never
        // marked connected, so nothing else is ever sent to it.
        outbox_.send(kRefusalSlot, MessageWriter(cmd::full).separator().finish());
        outbox_.close(kRefusalSlot);
        return;
    }
    if (slot < 1 || slot > kMaxConnections || connectionId == 0 || seat(slot).connected)
        return;
    connections_ = std::max(connections_, slot);
    tplayer& p = seat(slot);
    p.connected = true;
    p.connectionId = connectionId;
    p.name.clear();
    sendTo(slot, MessageWriter(cmd::sendlogininfo).field(slot).finish());
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
    const std::string gone =
        MessageWriter(cmd::playerdisconnected).field(slot).field(p.name).finish();
    p.connected = false;
    p.connectionId = 0;
    sendToAll(gone);
    p.name.clear();
    p.watching = false;

    if (gamestarted_ && slot == currentplayer_ && p.turnactive) {
        if (slot == 1 || slot == 2) {
            // The computer finishes the turn and plays the seat from now on.
            // Seat 1 is kept like seat 2: the round count advances when the
            // turn reaches seat 1, so it must stay in the game.
            armTimer(kTimerComputerStep, 1);
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

HandlerResult HostEngine::handleMessage(int connectionId, std::string_view message)
{
    Entry entry(*this);
    const CommandSplit split = splitCommand(message);
    if (split.name.empty())
        return HandlerResult::Ignored;
    // The sender is the connection the message came on; a message queued by
    // a connection that has gone is not taken for the next holder of its slot.
    const int slot = slotOf(connectionId);
    if (slot == 0)
        return HandlerResult::Ignored;
    FieldReader f(split.args);
    const std::string_view name = split.name;
    if (name == cmd::logininfo)
        return receivedlogininfo(slot, f);
    if (name == cmd::kickhim)
        return kickhim(slot, f);
    if (name == cmd::chat || name == cmd::action)
        return relay(slot, f, name);
    if (name == cmd::startgame)
        return slot == 1 ? startgame(f) : HandlerResult::Ignored;
    if (name == cmd::justwatch)
        return justwatch(slot, f);
    if (name == cmd::rollthedice)
        return rollRequest(slot, f);
    if (name == cmd::selectcat)
        return selectRequest(slot, f);
    if (name == cmd::playasound)
        return playasound(slot, f);
    return HandlerResult::Ignored;
}

// --- Login and snapshot --------------------------------------------------

HandlerResult HostEngine::receivedlogininfo(int slot, FieldReader& f)
{
    f.text(); // the slot the table writes: the connection's own slot counts
    const std::string version(f.text());
    tplayer& p = seat(slot);
    p.name = std::string(f.rest());
    p.connected = true;

    sendToAll(MessageWriter(cmd::newplayerinfo).field(slot).field(p.name).finish());
    for (int s = 1; s <= connections_; ++s) {
        if (s != slot && seat(s).connected)
            sendTo(slot, MessageWriter(cmd::existingplayers).field(s).field(seat(s).name).finish());
    }
    if (version != kVersionText) {
        sendTo(1, MessageWriter(cmd::havewrongversion).field(p.name).finish());
        sendTo(slot, MessageWriter(cmd::wrongversion).separator().finish());
    }
    if (gamestarted_)
        sendSnapshot(slot);
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
    const std::vector<DiePair> pairs = allDicePairs();
    sendTo(slot, MessageWriter(cmd::loadstats)
                     .field(slot)
                     .field(currentplayer_)
                     .field(bonuslimit_)
                     .field(onTurn ? cur.rolls : 0)
                     .field(round_)
                     .field(onTurn ? cur.category : 0)
                     .diePairs(pairs)
                     .finish());
    MessageWriter scores(cmd::loadscores);
    scores.field(slot);
    for (int s = 1; s <= kSeatCount; ++s)
        scores.scoreGroup(s, seat(s).playing, seat(s).scores);
    sendTo(slot, scores.finish());
}

// --- Kick, just watch, relays --------------------------------------------

HandlerResult HostEngine::kickhim(int slot, FieldReader& f)
{
    const auto sender = f.number();
    if (!sender)
        return HandlerResult::Malformed;
    if (slot != 1 || *sender != 1)
        return HandlerResult::Ignored;
    const auto target = f.number();
    if (!target)
        return HandlerResult::Malformed;
    if (*target < 1 || *target > kMaxConnections || !seat(*target).connected)
        return HandlerResult::Ignored;
    disconnectsock(*target);
    return HandlerResult::Handled;
}

HandlerResult HostEngine::justwatch(int slot, FieldReader& f)
{
    const auto s = f.number();
    if (!s)
        return HandlerResult::Malformed;
    const std::string_view mode = f.rest();
    if (*s < 1 || *s > kSeatCount)
        return HandlerResult::Ignored;
    // A table speaks for its own seat; the hosting table's seat menu for any.
    if (slot != 1 && *s != slot)
        return HandlerResult::Ignored;
    tplayer& p = seat(*s);
    if (mode == "2") {
        p.watching = false;
        sendToAll(MessageWriter(cmd::justwatching).field(*s).field(2).finish());
        return HandlerResult::Handled;
    }
    if (mode == "1") {
        if (!gamestarted_)
            return HandlerResult::Ignored;
        p.watching = true;
        sendToAll(MessageWriter(cmd::justwatching).field(*s).field(1).finish());
        if (*s == currentplayer_ && p.turnactive)
            armTimer(kTimerComputerStep, 1);
        return HandlerResult::Handled;
    }
    return HandlerResult::Ignored;
}

HandlerResult HostEngine::relay(int slot, FieldReader& f, std::string_view command)
{
    const auto sender = f.number();
    if (!sender)
        return HandlerResult::Malformed;
    if (*sender != slot)
        return HandlerResult::Ignored;
    const std::string_view text = f.rest();
    std::string line = seat(slot).name;
    line += command == cmd::chat ? " chats: " : " ";
    line += text;
    sendToAll(MessageWriter(command).field(line).finish());
    return HandlerResult::Handled;
}

HandlerResult HostEngine::playasound(int slot, FieldReader& f)
{
    const auto sender = f.number();
    if (!sender)
        return HandlerResult::Malformed;
    if (*sender != slot)
        return HandlerResult::Ignored;
    sendToAll(MessageWriter(cmd::playasound).field(slot).field(f.rest()).finish());
    return HandlerResult::Handled;
}

} // namespace zk
