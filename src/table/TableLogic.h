// TableLogic: the table's side of the game as plain C++ on a Board.
//
// It owns the Board (what the window shows) and the table state (own name,
// host address, login name, host flag, own seat, logged-in flag, current
// seat). It dispatches every message the host sends and handles the launch,
// the roster, the turns, the dice and the score card itself; the parts that
// share little with the turn own their slice of the board: the chat
// (chat()), the seat menus and the spy list (seatMenus()), the start-game
// window (startOptions()) and the Options menu (options()). It sends through
// its TableLink (the connection to the host) and asks everything else of the
// program around it through a TableEnvironment (hosting, message boxes,
// windows, sounds, settings and the win tally).
//
// Time and chance are inputs: the dice tumble while board().dicetimerRunning
// is set, one tumbleTick() per 500 ms tick of the window's timer, with faces
// from the injected random source; the phrase gate reads the injected
// monotonic clock.
//
//     TableLogic logic(link, env);
//     logic.processParams({"Bob", "10.0.0.5", "false"}); // joins 10.0.0.5
//     logic.handleMessage("CMD_sendlogininfo+3");        // sends the login
//     logic.handleMessage("CMD_newplayerinfo+3+Bob");    // "You are Connected."
//     logic.chat().setChatEntry("hi"); logic.chat().sendit();
//     logic.boardNotice().changed();                     // the windows redraw
//
// Messages arrive without their terminator, one per call, in arrival order.
// A message whose number field cannot be read stops at that field: what was
// done before stands and handleMessage() returns HandlerResult::Malformed.
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/Timing.h"
#include "protocol/Messages.h"
#include "protocol/SockInfo.h"
#include "table/Board.h"
#include "table/BoardNotice.h"
#include "table/TableChat.h"
#include "table/TableContext.h"
#include "table/TableEnvironment.h"
#include "table/TableLink.h"
#include "table/TableOptionsMenu.h"
#include "table/TableSeatMenus.h"
#include "table/TableStartOptions.h"

namespace zk {

enum class MouseButton { Left, Middle, Right };

class TableLogic {
public:
    // A uniform random integer from 0 to n - 1.
    using Random = std::function<int(int n)>;
    // A monotonic clock in milliseconds (its origin does not matter).
    using Clock = std::function<std::chrono::milliseconds()>;

    // Without random source or clock the logic uses a generator seeded from
    // the clock, and the steady clock.
    TableLogic(TableLink& link, TableEnvironment& env, Random random = {}, Clock clock = {});

    const Board& board() const { return board_; }
    // For the settings service, which applies the stored options to the board.
    Board& board() { return board_; }
    const TableState& state() const { return state_; }
    // The Board's "changed" notice that every window drawing it listens to;
    // given by the connection after each host message and by a window after
    // each action of the player (the logic itself never gives it).
    BoardNotice& boardNotice() { return boardNotice_; }

    // Messages and the connection ---------------------------------------------

    // Dispatches one message from the host (without its terminator).
    HandlerResult handleMessage(std::string_view message);
    // A state report of the table's socket. Close ("Socket Closed") ends the
    // program, unless Broken came first (a reset or a timeout, not the host
    // closing): then the table reconnects for reconnectSeconds, with growing
    // pauses, and logs in again; the host gives the seat back.
    void socketInfo(SockInfoKind kind);
    void setReconnectSeconds(int seconds) { reconnectSeconds_ = seconds; }
    bool reconnecting() const { return reconnect_.has_value(); }

    // Time ---------------------------------------------------------------------

    // When wake() next has something to do (a reconnect try, the turn
    // clock's display); nothing while nothing waits. The window's timer
    // calls wake() then and gives the board's "changed" notice.
    std::optional<std::chrono::milliseconds> nextWake() const;
    void wake();
    // The connection to the address could not be made (reason: the socket's
    // error or the failed lookup): the table stays open and idle, and a
    // system line in the chat tells the player why nothing happens.
    void connectFailed(std::string_view address, std::string_view reason);
    // A step of joining by invite code ("Looking up the game +K7QM2Xr ..."),
    // said in the chat; the tries of a reconnect go without a word.
    void joinStep(std::string_view text);
    // The hosted game's invite code from the coordinator ("+K7QM2Xr"; empty:
    // none now): kept for the copy action and said once in the chat.
    void setInviteCode(std::string_view code);
    // A line of the program's own in the chat (the coordinator's state).
    void programLine(std::string_view text) { systemLine(text); }

    // Launch -----------------------------------------------------------------

    // The command line without the program name, as Windows-1252 bytes: none
    // plays solo, one or two stay idle, three or more host ("true") or join.
    void processParams(const std::vector<std::string>& args);
    void hostPress();
    void joinPress();

    // The parts ---------------------------------------------------------------

    TableChat& chat() { return chat_; }
    TableSeatMenus& seatMenus() { return seatMenus_; }
    TableStartOptions& startOptions() { return startOptions_; }
    TableOptionsMenu& options() { return options_; }

    // Dice -------------------------------------------------------------------

    void rollClick();
    // A mouse button released over die 1-5.
    void dieRelease(int die, MouseButton button);
    void yesClick();
    void noClick();
    void okClick();
    // One 500 ms tick of dicetimer (the window runs it while
    // board().dicetimerRunning is set); does nothing when it is not set.
    void tumbleTick();

    // Score card -------------------------------------------------------------

    void categoryButtonClick(int category);
    void categoryBarClick(int category);

private:
    // Handlers of the host's messages (TableLaunch.cpp, TableRoster.cpp, TableGameFlow.cpp,
    // TableDice.cpp, TableScoreCard.cpp, TableBonus.cpp, TableSnapshot.cpp,
    // the chat's in TableChat.cpp), each given the message as decoded so far.
    HandlerResult sendloginfo(const msg::Decoded<msg::SendLoginInfo>& m);
    HandlerResult newplayerinfo(const msg::Decoded<msg::SlotName>& m);
    HandlerResult havewrongversion(const msg::Decoded<msg::HaveWrongVersion>& m);
    HandlerResult wrongversion(const msg::Decoded<msg::WrongVersion>& m);
    HandlerResult playerdisconnected(const msg::Decoded<msg::SlotName>& m);
    HandlerResult startthegame(const msg::Decoded<msg::StartGame>& m);
    HandlerResult getnextplayer(const msg::Decoded<msg::NextPlayer>& m);
    HandlerResult winner(const msg::Decoded<msg::Winner>& m);
    HandlerResult full(const msg::Decoded<msg::Full>& m);
    HandlerResult justwatching(const msg::Decoded<msg::JustWatching>& m);
    HandlerResult createdice(const msg::Decoded<msg::CreateDice>& m);
    HandlerResult selectedcat(const msg::Decoded<msg::SelectedCat>& m);
    HandlerResult bonustime(const msg::Decoded<msg::ScoreReport>& m);
    HandlerResult bonusend(const msg::Decoded<msg::BonusEnd>& m);
    HandlerResult gotbonus(const msg::Decoded<msg::GotBonus>& m);
    HandlerResult postscore(const msg::Decoded<msg::ScoreReport>& m);
    HandlerResult zonkard(const msg::Decoded<msg::Zonkard>& m);
    HandlerResult needcat(const msg::Decoded<msg::NeedCat>& m);
    HandlerResult loadstats(const msg::Decoded<msg::LoadStats>& m);
    HandlerResult loadscores(const msg::Decoded<msg::LoadScores>& m);
    HandlerResult turnclock(const msg::Decoded<msg::TurnClock>& m);
    HandlerResult hostpowers(const msg::Decoded<msg::HostPowers>& m);

    // The handler of every message the host sends (TableLogic.cpp).
    struct Inbox;

    // Shared steps.
    template <typename M>
    bool send(const M& message)
    {
        return table_.send(message);
    }
    void systemLine(std::string_view text) { table_.systemLine(text); }
    void eventSound(std::string_view name) { table_.eventSound(name); }
    void turnSound();
    std::string labelText(int seat) const { return table_.labelText(seat); }
    // The own seat is the seat on turn and its player plays it (while it
    // is set to just watch, the computer does).
    bool onTurn() const;
    bool hasHostPowers() const { return table_.hasHostPowers(); }
    // The own seat's turn is in progress with rolls left; the player plays it.
    bool ownTurnOpen() const;
    // Gives the player his own turn back as it stands: status, roll button
    // and, before a category is chosen, the categories offered this turn.
    void resumeOwnTurn();
    // Withdraws the own turn from the player: the computer plays it.
    void withdrawOwnTurn();
    void clearall();
    // The turn highlight: marker, colours, and the offered categories. With
    // keepChosenMarkers the chosen-category markers stay as they are.
    void placeTurnColumn(int seat, bool keepChosenMarkers);
    void offerCategory(int seat, int category);
    void newTurnDice();
    // The rolls used as the host reports them, within the 0 to 3 the counter
    // shows: a count beyond either end reads as that end.
    void showRollCount(int reported);
    void drawDie(Die& die, DieBody body);
    // The die a reported pair names, with its face taken and its hold
    // released; nullptr for a pair that names no die or no face.
    Die* reportedDie(const DiePair& pair);
    // The rolled dice of the pairs, with their new faces and lowered.
    void showRolledDice(const std::vector<DiePair>& pairs);
    // The status line, turn sound and roll button of the seat on turn.
    void announceTurn(int seat);
    void setCell(int seat, int row, std::string_view text);
    // After a snapshot group: the seat's total, and the own turn's offer.
    void showSnapshotTotal(const msg::ScoreGroup& group);
    void choose(int category);
    // Chooses the category clicked while the own roll was on its way.
    void choosePending();
    bool sendRoll(bool allFive);
    // The connection broke: the table keeps its window and tries again
    // (TableReconnect.cpp).
    void beginReconnect();
    void tryReconnect();
    void reconnectTryFailed();
    // The roster as a table before its login shows it.
    void forgetRoster();
    // The own turn's clock: runs from the turn's start or the own last
    // request; the board shows the seconds left in its last seconds.
    void restartTurnClock();
    void stopTurnClock();
    void showTurnClock();
    // The host powers as the own seat has them now: Start button, Start
    // Game, Remove From Game.
    void showHostPowers();

    TableLink& link_;
    TableEnvironment& env_;
    Random random_;
    Clock clock_;
    Board board_;
    BoardNotice boardNotice_;
    TableState state_;
    TableContext table_{link_, env_, board_, state_};
    TableChat chat_;
    TableSeatMenus seatMenus_{table_};
    TableStartOptions startOptions_{table_};
    TableOptionsMenu options_{table_};
    // The seat whose turn the board shows (0 outside a turn) and the
    // categories its turn offered; kept apart from the current seat, which
    // the table's own requests set to 0.
    int turnSeat_ = 0;
    std::array<bool, kCategoryCount> offered_{};
    // The roll button was hidden by a click that sent nothing because the
    // host had not yet answered a category choice; the answer brings it back.
    bool rollWithheld_ = false;
    // The own roll request is on its way (sent, its dice not yet drawn).
    bool rollInFlight_ = false;
    // A category clicked while that roll was on its way: chosen as soon as
    // the roll's dice arrive, so the click is never lost (0: none).
    int pendingCategory_ = 0;

    struct Reconnect {
        std::chrono::milliseconds lostAt{0};
        std::chrono::milliseconds nextTryAt{0};
        int tries = 0;
        bool trying = false; // a connection is being made, or logging in
    };
    int reconnectSeconds_ = kDefaultReconnectSeconds;
    bool linkBroken_ = false;
    std::optional<Reconnect> reconnect_;
    std::optional<std::chrono::milliseconds> turnClockEndsAt_;
};

} // namespace zk
