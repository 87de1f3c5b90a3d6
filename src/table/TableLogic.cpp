// Construction, dispatch and the steps the handlers share.
#include "table/TableLogic.h"

#include <memory>
#include <random>

#include "protocol/Dispatch.h"

namespace zk {

// Every message the host sends, to the step that takes it: the table's own
// or its chat's. Commands that share their fields share a handler.
struct TableLogic::Inbox {
    TableLogic& t;
    using R = HandlerResult;
    R receive(const msg::Decoded<msg::SendLoginInfo>& m) { return t.sendloginfo(m); }
    R receive(const msg::Decoded<msg::Full>& m) { return t.full(m); }
    R receive(const msg::Decoded<msg::NewPlayerInfo>& m) { return t.newplayerinfo(m); }
    R receive(const msg::Decoded<msg::ExistingPlayers>& m) { return t.newplayerinfo(m); }
    R receive(const msg::Decoded<msg::HaveWrongVersion>& m) { return t.havewrongversion(m); }
    R receive(const msg::Decoded<msg::WrongVersion>& m) { return t.wrongversion(m); }
    R receive(const msg::Decoded<msg::LoadStats>& m) { return t.loadstats(m); }
    R receive(const msg::Decoded<msg::LoadScores>& m) { return t.loadscores(m); }
    R receive(const msg::Decoded<msg::PlayerDisconnected>& m) { return t.playerdisconnected(m); }
    R receive(const msg::Decoded<msg::JustWatching>& m) { return t.justwatching(m); }
    R receive(const msg::Decoded<msg::StartGame>& m) { return t.startthegame(m); }
    R receive(const msg::Decoded<msg::NextPlayer>& m) { return t.getnextplayer(m); }
    R receive(const msg::Decoded<msg::SelectedCat>& m) { return t.selectedcat(m); }
    R receive(const msg::Decoded<msg::NeedCat>& m) { return t.needcat(m); }
    R receive(const msg::Decoded<msg::CreateDice>& m) { return t.createdice(m); }
    R receive(const msg::Decoded<msg::Zonkard>& m) { return t.zonkard(m); }
    R receive(const msg::Decoded<msg::PostScores>& m) { return t.postscore(m); }
    R receive(const msg::Decoded<msg::BonusTime>& m) { return t.bonustime(m); }
    R receive(const msg::Decoded<msg::GotBonus>& m) { return t.gotbonus(m); }
    R receive(const msg::Decoded<msg::BonusEnd>& m) { return t.bonusend(m); }
    R receive(const msg::Decoded<msg::Winner>& m) { return t.winner(m); }
    R receive(const msg::Decoded<msg::ChatLine>& m) { return t.chat_.chatrecieved(m); }
    R receive(const msg::Decoded<msg::ActionLine>& m) { return t.chat_.chatrecieved(m); }
    R receive(const msg::Decoded<msg::PlayASound>& m) { return t.chat_.playasound(m); }
    R receive(const msg::Decoded<msg::TurnClock>& m) { return t.turnclock(m); }
    R receive(const msg::Decoded<msg::HostPowers>& m) { return t.hostpowers(m); }
};

namespace {

std::chrono::milliseconds steadyNow()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

} // namespace

TableLogic::TableLogic(TableLink& link, TableEnvironment& env, Random random, Clock clock)
    : link_(link), env_(env), random_(std::move(random)), clock_(clock ? std::move(clock) : Clock(steadyNow)),
      chat_(table_, clock_)
{
    if (!random_) {
        // Seeded once from the clock, as the dice animation needs no more.
        auto engine = std::make_shared<std::mt19937>(static_cast<std::mt19937::result_type>(
            std::chrono::system_clock::now().time_since_epoch().count()));
        random_ = [engine](int n) { return std::uniform_int_distribution<int>(0, n - 1)(*engine); };
    }
    clearall();
    state_.currentSeat = 0;
}

HandlerResult TableLogic::handleMessage(std::string_view message)
{
    Inbox inbox{*this};
    return msg::dispatch(msg::HostToTable{}, message, inbox);
}

void TableLogic::turnSound()
{
    eventSound(board_.menu.turnSound == TurnSound::New ? "turnnew" : "turn");
}

bool TableLogic::onTurn() const
{
    // Seat 0 is nobody's turn: before the login the own seat is 0 as well.
    return state_.currentSeat != 0 && state_.currentSeat == state_.ownSeat && !board_.menu.justWatchChecked;
}

bool TableLogic::ownTurnOpen() const
{
    return turnSeat_ != 0 && turnSeat_ == state_.ownSeat && !board_.menu.justWatchChecked &&
           board_.turnMarker.shown && board_.rollCount < kRollsPerTurn;
}

void TableLogic::resumeOwnTurn()
{
    if (!ownTurnOpen())
        return;
    state_.currentSeat = state_.ownSeat;
    board_.status = "Your Turn";
    board_.rollButtonShown = true;
    rollWithheld_ = false;
    if (board_.turnMarker.selectedCategory == 0) {
        for (int c = 1; c <= kCategoryCount; ++c) {
            if (offered_[static_cast<std::size_t>(c - 1)])
                offerCategory(turnSeat_, c);
        }
    }
}

void TableLogic::withdrawOwnTurn()
{
    if (turnSeat_ == 0 || turnSeat_ != state_.ownSeat)
        return;
    board_.rollButtonShown = false;
    board_.rollPromptShown = false;
    board_.thirdRollPromptShown = false;
    rollWithheld_ = false;
    rollInFlight_ = false;
    pendingCategory_ = 0;
    // The offer stays recorded; only the buttons the player could press go.
    for (CategoryRow& row : board_.categories) {
        if (row.buttonChoosable) {
            row.buttonShown = row.barShown = false;
            row.buttonChoosable = row.barChoosable = false;
        }
    }
    if (board_.turnMarker.shown)
        board_.status = labelText(turnSeat_) + "'s turn";
}

void TableLogic::setCell(int seat, int row, std::string_view text)
{
    if (Board::isSeat(seat) && row >= 1 && row <= kScoreRows)
        board_.seat(seat).cell(row).text = std::string(text);
}

} // namespace zk
