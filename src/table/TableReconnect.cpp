// A table whose connection broke: it keeps its window and logs in again.
// The own turn's clock and the host powers the host passes on.
#include "table/TableLogic.h"

#include <algorithm>

namespace zk {

namespace {

using std::chrono::milliseconds;

// The pause before each try: 0.5 s, 1 s, 2 s, 4 s, then every 8 s.
milliseconds pauseBeforeTry(int tries)
{
    return milliseconds(500 << std::min(std::max(tries, 0), 4));
}
// A try that has not reached the host by then is given up.
constexpr milliseconds kTryLimit{5000};

} // namespace

void TableLogic::socketInfo(SockInfoKind kind)
{
    if (kind == SockInfoKind::Broken) {
        linkBroken_ = true;
        return;
    }
    if (kind != SockInfoKind::Close)
        return;
    const bool broken = linkBroken_;
    linkBroken_ = false;
    if (reconnect_) {
        reconnectTryFailed(); // a try's connection went before the login
        return;
    }
    // The host ending the connection (a kick, a full table, its program
    // closing) ends the table; a connection that broke is tried again.
    if (broken && state_.loggedIn && reconnectSeconds_ > 0) {
        beginReconnect();
        return;
    }
    env_.closeProgram();
}

void TableLogic::beginReconnect()
{
    systemLine("Connection to the host lost. Reconnecting...");
    link_.dropConnection(); // half a message of the old connection must not prefix the new one's
    const milliseconds now = clock_();
    reconnect_ = Reconnect{now, now + pauseBeforeTry(0), 0, false};
    // Nothing can be asked of the host until it has seated the table again.
    state_.loggedIn = false;
    state_.currentSeat = 0;
    state_.powerSlot = 1;
    stopTurnClock();
    forgetRoster();
    board_.rollButtonShown = false;
    board_.startButtonShown = false;
}

void TableLogic::forgetRoster()
{
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        SeatColumn& column = board_.seat(seat);
        column.name = seat == kComputerSeat ? column.hint : std::string(kWaitingName);
        column.eyes = false;
    }
    board_.spyList.entries.clear();
    board_.spyList.entryUnderPointer = -1;
}

void TableLogic::tryReconnect()
{
    reconnect_->trying = true;
    ++reconnect_->tries;
    reconnect_->nextTryAt = clock_() + kTryLimit;
    const std::string address = state_.hostFlag ? std::string(kLocalHostAddress) : state_.hostAddress;
    if (!link_.connectTo(address))
        reconnectTryFailed();
}

void TableLogic::reconnectTryFailed()
{
    if (!reconnect_)
        return;
    link_.dropConnection();
    const milliseconds now = clock_();
    const milliseconds end =
        reconnect_->lostAt + milliseconds(static_cast<long long>(reconnectSeconds_) * 1000);
    if (now >= end) {
        reconnect_.reset();
        env_.closeProgram(); // as a connection that closed
        return;
    }
    reconnect_->trying = false;
    reconnect_->nextTryAt = std::min(now + pauseBeforeTry(reconnect_->tries), end);
}

// --- Time ----------------------------------------------------------------------

std::optional<milliseconds> TableLogic::nextWake() const
{
    std::optional<milliseconds> next;
    if (reconnect_)
        next = reconnect_->nextTryAt;
    if (turnClockEndsAt_) {
        const milliseconds now = clock_();
        const milliseconds left = *turnClockEndsAt_ - now;
        const milliseconds shownFrom{kTurnClockShownSeconds * 1000};
        // Before the last seconds: when they begin; then each time the
        // whole seconds shown change.
        milliseconds at = left > shownFrom
                              ? *turnClockEndsAt_ - shownFrom
                              : now + milliseconds((std::max<long long>(left.count(), 1) - 1) % 1000 + 1);
        if (!next || at < *next)
            next = at;
    }
    return next;
}

void TableLogic::wake()
{
    if (reconnect_) {
        if (reconnect_->trying && clock_() >= reconnect_->nextTryAt)
            reconnectTryFailed(); // this try never got through
        if (reconnect_ && !reconnect_->trying && clock_() >= reconnect_->nextTryAt)
            tryReconnect();
    }
    showTurnClock();
}

// --- The turn clock ---------------------------------------------------------------

HandlerResult TableLogic::turnclock(const msg::Decoded<msg::TurnClock>& m)
{
    if (!m.complete)
        return HandlerResult::Malformed;
    state_.turnClockSeconds = std::clamp(m->seconds, 0, 24 * 3600);
    restartTurnClock();
    return HandlerResult::Handled;
}

void TableLogic::restartTurnClock()
{
    const bool ownTurn = turnSeat_ != 0 && turnSeat_ == state_.ownSeat && !board_.menu.justWatchChecked;
    if (!ownTurn || state_.turnClockSeconds <= 0) {
        stopTurnClock();
        return;
    }
    turnClockEndsAt_ = clock_() + milliseconds(static_cast<long long>(state_.turnClockSeconds) * 1000);
    showTurnClock();
}

void TableLogic::stopTurnClock()
{
    turnClockEndsAt_.reset();
    board_.turnClockLeft = 0;
}

void TableLogic::showTurnClock()
{
    if (!turnClockEndsAt_) {
        board_.turnClockLeft = 0;
        return;
    }
    const long long left = (*turnClockEndsAt_ - clock_()).count();
    if (left <= 0) {
        // The host decides what happens now; the table stops counting.
        stopTurnClock();
        return;
    }
    const int seconds = static_cast<int>((left + 999) / 1000);
    board_.turnClockLeft = seconds <= kTurnClockShownSeconds ? seconds : 0;
}

// --- Host powers ------------------------------------------------------------------

HandlerResult TableLogic::hostpowers(const msg::Decoded<msg::HostPowers>& m)
{
    if (!m.complete)
        return HandlerResult::Malformed;
    state_.powerSlot = m->slot;
    showHostPowers();
    return HandlerResult::Handled;
}

void TableLogic::showHostPowers()
{
    const bool powers = hasHostPowers();
    board_.menu.startGameEnabled = powers;
    board_.spyList.removeEnabled = powers;
    // The Start button shows between games only.
    board_.startButtonShown = powers && turnSeat_ == 0;
}

} // namespace zk
