// Seats that survive a dropped connection (the hold), one name per table,
// the turn clock and the passing of the host powers.
#include "host/HostEngine.h"

#include <chrono>

#include "game/Colour.h"

namespace zk {

namespace {

// A name containing this would read as somebody else's chat line.
constexpr std::string_view kChatsMark = " chats: ";

} // namespace

std::string cleanLoginName(std::string_view raw)
{
    std::string name;
    for (const char c : raw) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F)
            name += c;
    }
    const auto first = name.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    name = name.substr(first, name.find_last_not_of(' ') - first + 1);
    if (name.size() > static_cast<std::size_t>(kMaxPlayerNameLength))
        name.resize(static_cast<std::size_t>(kMaxPlayerNameLength));
    return name;
}

std::int64_t HostEngine::now() const
{
    if (clock_)
        return clock_();
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// --- Seat holds ------------------------------------------------------------

bool HostEngine::seatHeld(int s) const
{
    if (s < 1 || s > kSeatCount)
        return false;
    const auto& hold = holds_[static_cast<std::size_t>(s)];
    return hold && now() < hold->until;
}

bool HostEngine::holdSeat(int slot)
{
    if (seatHeld(slot))
        return true; // a connection that never logged in left a held seat
    const tplayer& p = seat(slot);
    if (seatHoldMs_ == 0 || !gamestarted_ || slot > kSeatCount || !p.playing || !p.loggedIn)
        return false;
    holds_[static_cast<std::size_t>(slot)] =
        SeatHold{p.loginName, p.name, p.address, p.watching, now() + seatHoldMs_};
    return true;
}

int HostEngine::heldSeatFor(std::string_view loginName, std::string_view address) const
{
    for (int s = 1; s <= kSeatCount; ++s) {
        const auto& hold = holds_[static_cast<std::size_t>(s)];
        if (seatHeld(s) && !seat(s).loggedIn && hold->loginName == loginName && hold->address == address)
            return s;
    }
    return 0;
}

void HostEngine::moveConnection(int from, int to)
{
    tplayer& source = seat(from);
    tplayer& target = seat(to);
    target.connected = true;
    target.connectionId = source.connectionId;
    target.address = source.address;
    target.loggedIn = false;
    target.name.clear();
    connections_ = std::max(connections_, to);
    // Only the connection moves: the seat's game (scores, turn) stays put.
    source.connected = false;
    source.connectionId = 0;
    source.address.clear();
    source.name.clear();
    outbox_.move(from, to);
    sendTo(to, msg::SendLoginInfo{to});
}

// --- Names -------------------------------------------------------------------

bool HostEngine::nameTaken(int slot, std::string_view name) const
{
    for (int s = 1; s <= kMaxConnections; ++s) {
        if (s != slot && seat(s).connected && seat(s).loggedIn && seat(s).name == name)
            return true;
        if (s != slot && seatHeld(s) && holds_[static_cast<std::size_t>(s)]->name == name)
            return true;
    }
    return false;
}

std::string HostEngine::tableName(int slot, const std::string& loginName) const
{
    std::string base = loginName;
    if (base.empty() || base.find(kChatsMark) != std::string::npos)
        base = "Player " + std::to_string(slot);
    if (!nameTaken(slot, base))
        return base;
    for (int n = 2;; ++n) {
        const std::string suffix = " (" + std::to_string(n) + ")";
        const std::size_t room = static_cast<std::size_t>(kMaxPlayerNameLength) - suffix.size();
        const std::string candidate = base.substr(0, std::min(base.size(), room)) + suffix;
        if (!nameTaken(slot, candidate))
            return candidate;
    }
}

msg::ActionLine HostEngine::hostLine(const std::string& text)
{
    return msg::ActionLine{{msg::ColouredText{text, colour::clBlue}.format()}};
}

// --- The turn clock ------------------------------------------------------------

void HostEngine::startTurnClock(int s)
{
    if (turnClockMs_ > 0 && s == currentplayer_ && !computerPlayed(s))
        turnDeadline_ = now() + turnClockMs_;
    else
        turnDeadline_.reset();
}

void HostEngine::turnRequested(int slot)
{
    if (turnDeadline_ && slot == currentplayer_)
        startTurnClock(slot);
}

std::optional<std::int64_t> HostEngine::nextDeadline() const
{
    std::optional<std::int64_t> next = turnDeadline_;
    for (const auto& hold : holds_) {
        if (hold && (!next || hold->until < *next))
            next = hold->until;
    }
    return next;
}

void HostEngine::deadlinesDue()
{
    const std::int64_t t = now();
    for (auto& hold : holds_) {
        if (hold && t >= hold->until)
            hold.reset(); // the seat is free again, as any departed seat
    }
    if (!turnDeadline_ || t < *turnDeadline_)
        return;
    turnDeadline_.reset();
    const int s = currentplayer_;
    if (!gamestarted_ || s < 1 || s > kSeatCount || !seat(s).turnactive || computerPlayed(s))
        return;
    // The player has walked away: the computer plays the seat until he
    // takes it back with Just Watch.
    seat(s).watching = true;
    sendToAll(msg::JustWatching{s, true});
    armTimer(kTimerComputerStep, kComputerStepTicks);
}

// --- Host powers -----------------------------------------------------------------

void HostEngine::passPowers(int leaving)
{
    int oldest = 0;
    for (int s = 1; s <= kMaxConnections; ++s) {
        const tplayer& p = seat(s);
        if (s != leaving && p.connected && p.loggedIn &&
            (oldest == 0 || p.loginOrder < seat(oldest).loginOrder))
            oldest = s;
    }
    if (oldest == 0) {
        powerSlot_ = 1; // nobody left: the next table in slot 1 has them, as at the start
        return;
    }
    powerSlot_ = oldest;
    sendToAll(msg::HostPowers{oldest});
    sendToAll(hostLine(seat(oldest).name + " may now start games."));
}

} // namespace zk
