// TableLogic: the table's side of the game as plain C++ on a Board.
//
// It owns the Board (what the window shows) and the table state (own name,
// host address, login name, host flag, own seat, logged-in flag, current
// seat). It handles every message the host sends and every action of the
// player, and asks the world outside for everything else through a
// TableEnvironment (the connection, message boxes, windows, sounds, settings
// and the win tally).
//
// Time and chance are inputs: the dice tumble while board().dicetimerRunning
// is set, one tumbleTick() per 500 ms tick of the window's timer, with faces
// from the injected random source; the phrase gate reads the injected
// monotonic clock.
//
//     TableLogic logic(env);
//     logic.processParams({"Bob", "10.0.0.5", "false"}); // joins 10.0.0.5
//     logic.handleMessage("CMD_sendlogininfo+3");        // sends the login
//     logic.handleMessage("CMD_newplayerinfo+3+Bob");    // "You are Connected."
//     window.redraw(logic.board());
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

#include "protocol/Messages.h"
#include "table/Board.h"
#include "table/TableEnvironment.h"

namespace zk {

// The connection state of the table; the roster, the scores and the turn
// live on the Board.
struct TableState {
    std::string ownName;     // first argument, or "You" in a solo game
    std::string hostAddress; // second argument, or "127.0.0.1" in a solo game
    std::string loginName;   // own name and one terminator byte, once hosting or joining
    bool hostFlag = false;   // this program hosts; never cleared
    int ownSeat = 0;         // given by the host at login; above 6 watches
    bool loggedIn = false;   // set when the seat arrives; never cleared
    // The seat on turn as the board shows it; 0 for none, and 0 right after
    // this table sent a roll or a category choice (the guard against a second
    // request before the host answers).
    int currentSeat = 0;
};

enum class MouseButton { Left, Middle, Right };

class TableLogic {
public:
    // A uniform random integer from 0 to n - 1.
    using Random = std::function<int(int n)>;
    // A monotonic clock in milliseconds (its origin does not matter).
    using Clock = std::function<std::chrono::milliseconds()>;

    // Without random source or clock the logic uses a generator seeded from
    // the clock, and the steady clock.
    explicit TableLogic(TableEnvironment& env, Random random = {}, Clock clock = {});

    const Board& board() const { return board_; }
    // For the settings service, which applies the stored options to the board.
    Board& board() { return board_; }
    const TableState& state() const { return state_; }

    // Messages and the connection ---------------------------------------------

    // Dispatches one message from the host (without its terminator).
    HandlerResult handleMessage(std::string_view message);
    // A state text of the table's socket; "Socket Closed" ends the program.
    void socketInfo(std::string_view text);

    // Launch -----------------------------------------------------------------

    // The command line without the program name, as Windows-1252 bytes: none
    // plays solo, one or two stay idle, three or more host ("true") or join.
    void processParams(const std::vector<std::string>& args);
    void hostPress();
    void joinPress();

    // Game flow and start options --------------------------------------------

    // button_start and File, "Start Game".
    void startClick();
    // A tick box of the start-game window: limit 1, 2, 5 or 0 (Unlimited).
    void limitBoxClick(int limit);
    // The limit as the settings file stores it ("Rolls"): "1", "2" or "5"
    // tick that box; any other text, none included, ticks Unlimited.
    void applyStoredLimit(std::string_view stored);
    // START GAME.
    void startGameClick();
    // The start-game window closed by its frame: it only hides.
    void startWindowClosed();
    void botSpeedClick(BotSpeedItem item);

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

    // Roster -----------------------------------------------------------------

    // Options, "Just Watch".
    void justWatchClick();
    // The right button on seat n's name label, before the seat menu opens.
    void seatMenuOpening(int seat);
    void removeFromGameClick();
    void setToJustWatchClick();
    void unsetJustWatchClick();
    // Asks the host to remove a seat (host's table only).
    void kicking(int seat);
    // The spy list entry under the pointer (-1 when none), and its
    // "Remove From Game" item.
    void spyPointerOver(int index);
    void spyRemoveClick();

    // Chat -------------------------------------------------------------------

    // The entry field's text as the player edited it.
    void setChatEntry(std::string text);
    // Any key in the entry field; while it shows "<Enter Chat Here>" the key
    // first empties it. Enter is this, then sendit().
    void chatEntryKeyPressed();
    // "Paste": the clipboard's text replaces the whole field.
    void pasteIntoChatEntry(std::string text);
    // Sends the entry field's text (chat, "/me" action) and empties it.
    void sendit();
    // Phrase button 1-9.
    void phraseClick(int button);
    // Chatter sound menu item 0 ("<Cancel>") to 12.
    void chatterChoice(int item);
    // Appends one line to the chat display.
    void addLineToChat(std::string_view text, ColourValue colour);
    void clearMainChat();
    void toggleScrollLock();
    // True while a phrase button may send.
    bool phraseGateOpen() const;

    // Options that save the settings ------------------------------------------

    void togglePlaySounds();
    void togglePlayChatterSounds();
    void chooseTurnSound(TurnSound sound);
    void toggleRemindMe();
    void chooseTextSize(int size);
    // "Text Color" confirmed with a colour (a cancelled dialog changes nothing).
    void textColourConfirmed(ColourValue colour);
    // "Action Color" closed: confirmed with a colour, or cancelled.
    void actionColourDialogClosed(std::optional<ColourValue> colour);

private:
    // Handlers of the host's messages (TableLaunch.cpp, TableRoster.cpp, TableGameFlow.cpp,
    // TableDice.cpp, TableScoreCard.cpp, TableBonus.cpp, TableSnapshot.cpp,
    // TableChat.cpp), each given the message as decoded so far.
    HandlerResult sendloginfo(const msg::Decoded<msg::SendLoginInfo>& m);
    HandlerResult chatrecieved(const msg::Decoded<msg::RelayedLine>& m);
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
    HandlerResult playasound(const msg::Decoded<msg::PlayASound>& m);

    // The dispatcher's table: a command and the step that decodes its
    // fields (as Fields) and hands them to the handler.
    struct Route {
        std::string_view command;
        HandlerResult (*handle)(TableLogic& logic, std::string_view args);
    };
    template <typename Fields, HandlerResult (TableLogic::*Handler)(const msg::Decoded<Fields>&)>
    static HandlerResult route(TableLogic& logic, std::string_view args)
    {
        return (logic.*Handler)(msg::decode<Fields>(args));
    }
    static const Route kRoutes[];

    // Shared steps.
    template <typename M>
    bool send(const M& message)
    {
        return env_.sendToHost(msg::encode(message));
    }
    void systemLine(std::string_view text) { addLineToChat(text, kSystemColour); }
    void eventSound(std::string_view name);
    void turnSound();
    // The text of seat n's name label; empty when n has no label (a spectator).
    std::string labelText(int seat) const;
    // The own seat is the seat on turn and its player plays it (while it
    // is set to just watch, the computer does).
    bool onTurn() const;
    // The hosting table's powers (Start, "Start Game", removals, the seat
    // menu): this program hosts, or the host gave this table slot 1, as a
    // headless host does to the first table that joins it.
    bool hasHostPowers() const { return state_.hostFlag || state_.ownSeat == 1; }
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
    void sendJustWatch(int seat, msg::JustWatch::Mode mode);
    bool sendRoll(bool allFive);
    void saveSettings() { env_.saveSettings(); }

    TableEnvironment& env_;
    Random random_;
    Clock clock_;
    Board board_;
    TableState state_;
    // When the phrase gate closed; empty while it is open.
    std::optional<std::chrono::milliseconds> gateClosedAt_;
    // The seat whose turn the board shows (0 outside a turn) and the
    // categories its turn offered; kept apart from the current seat, which
    // the table's own requests set to 0.
    int turnSeat_ = 0;
    std::array<bool, kCategoryCount> offered_{};
    // The roll button was hidden by a click that sent nothing because the
    // host had not yet answered a category choice; the answer brings it back.
    bool rollWithheld_ = false;
    // The starter's name this table sent with its last start request.
    std::optional<std::string> startSentAs_;
};

} // namespace zk
