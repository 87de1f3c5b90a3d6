// Construction, dispatch and the steps the handlers share.
#include "table/TableLogic.h"

#include <memory>
#include <random>

namespace zk {

const TableLogic::Route TableLogic::kRoutes[] = {
    {msg::SendLoginInfo::command, &route<msg::SendLoginInfo, &TableLogic::sendloginfo>},
    {msg::ChatLine::command, &routeToChat<msg::RelayedLine, &TableChat::chatrecieved>},
    {msg::ActionLine::command, &routeToChat<msg::RelayedLine, &TableChat::chatrecieved>},
    {msg::NewPlayerInfo::command, &route<msg::SlotName, &TableLogic::newplayerinfo>},
    {msg::HaveWrongVersion::command, &route<msg::HaveWrongVersion, &TableLogic::havewrongversion>},
    {msg::WrongVersion::command, &route<msg::WrongVersion, &TableLogic::wrongversion>},
    {msg::ExistingPlayers::command, &route<msg::SlotName, &TableLogic::newplayerinfo>},
    {msg::PlayerDisconnected::command, &route<msg::SlotName, &TableLogic::playerdisconnected>},
    {msg::StartGame::command, &route<msg::StartGame, &TableLogic::startthegame>},
    {msg::NextPlayer::command, &route<msg::NextPlayer, &TableLogic::getnextplayer>},
    {msg::Winner::command, &route<msg::Winner, &TableLogic::winner>},
    {msg::Full::command, &route<msg::Full, &TableLogic::full>},
    {msg::JustWatching::command, &route<msg::JustWatching, &TableLogic::justwatching>},
    {msg::CreateDice::command, &route<msg::CreateDice, &TableLogic::createdice>},
    {msg::SelectedCat::command, &route<msg::SelectedCat, &TableLogic::selectedcat>},
    {msg::BonusTime::command, &route<msg::ScoreReport, &TableLogic::bonustime>},
    {msg::BonusEnd::command, &route<msg::BonusEnd, &TableLogic::bonusend>},
    {msg::GotBonus::command, &route<msg::GotBonus, &TableLogic::gotbonus>},
    {msg::PostScores::command, &route<msg::ScoreReport, &TableLogic::postscore>},
    {msg::Zonkard::command, &route<msg::Zonkard, &TableLogic::zonkard>},
    {msg::NeedCat::command, &route<msg::NeedCat, &TableLogic::needcat>},
    {msg::LoadStats::command, &route<msg::LoadStats, &TableLogic::loadstats>},
    {msg::LoadScores::command, &route<msg::LoadScores, &TableLogic::loadscores>},
    {msg::PlayASound::command, &routeToChat<msg::PlayASound, &TableChat::playasound>},
};

namespace {

std::chrono::milliseconds steadyNow()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

} // namespace

TableLogic::TableLogic(TableLink& link, TableEnvironment& env, Random random, Clock clock)
    : link_(link), env_(env), random_(std::move(random)), chat_(table_, clock ? std::move(clock) : steadyNow)
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
    const CommandSplit split = splitCommand(message);
    if (split.name.empty())
        return HandlerResult::Ignored;
    for (const Route& route : kRoutes) {
        if (route.command == split.name)
            return route.handle(*this, split.args);
    }
    return HandlerResult::Ignored;
}

void TableLogic::socketInfo(SockInfoKind kind)
{
    if (kind == SockInfoKind::Close)
        env_.closeProgram();
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
