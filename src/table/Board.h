// Board: everything the table window shows, as plain data.
//
// The table keeps its game state where the player sees it: in the name
// labels, the score cells, the dice and the markers. Board mirrors those
// widget families as arrays so that the table logic reads and writes them
// and the window only draws them. A test reads a Board the way a player reads
// the screen:
//
//     const Board& b = logic.board();
//     b.seat(2).name                   // "Klot"
//     b.seat(3).cell(8).text           // seat 3's total
//     b.category(5).buttonChoosable    // while fives may be chosen
//     b.die(4).raised                  // a held (or kept) die
//     b.chat.lines.back().text         // the newest chat line
//
// Numbered families are reached with their own numbers (seats and rows and
// categories and dice from 1), as the widget names count them; the arrays
// themselves are 0-based. Text is Windows-1252 bytes, as on the wire.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "game/Colour.h"
#include "protocol/Commands.h"
#include "game/Game.h"
#include "game/Options.h"
#include "game/Timing.h"

namespace zk {

inline constexpr int kChatterSoundCount = 12;

inline constexpr std::string_view kChatPlaceholder = "<Enter Chat Here>";

// Colour of every notice the table writes into its own chat.
inline constexpr ColourValue kSystemColour = colour::clBlue;
// Colour of a received line whose colour is missing or unreadable.
inline constexpr ColourValue kUnreadableChatColour = colour::clRed;

// The bonus-roll limits the start-game window offers, in the order of its
// tick boxes (image_1, image_2, image_5, image_0).
inline constexpr std::array<int, 4> kLimitBoxes = {1, 2, 5, 0};

// Captions of the chatter sound menu; item n (1-12) plays the sound "wave"n.
inline constexpr std::array<std::string_view, kChatterSoundCount + 1> kChatterCaptions = {
    "<Cancel>", "Doh",     "Cough",  "Hello",  "Thank You", "Where have you been?", "Snoring", "Sneezing",
    "Sorry",    "Welcome", "Yeehaa", "Yippee", "Oh No",
};

enum class CellColour { Black, Grey };

// One score label score_<seat><row>.
struct ScoreCell {
    std::string text;
    CellColour colour = CellColour::Black;
    bool bold = false;
    friend bool operator==(const ScoreCell&, const ScoreCell&) = default;
};

// What belongs to one playing seat: its name label above the column, the
// column's markers and its eight score cells.
struct SeatColumn {
    std::string name{kWaitingName}; // label_playername<n>
    std::string hint;               // "Klot" on seat 2, empty elsewhere
    bool eyes = false;              // image_eyes<n>: the seat just watches
    bool notPlaying = false;        // image_notplaying<n> (seats 3-6 only)
    bool winnerRing = false;        // image_winner<n>
    std::array<ScoreCell, kScoreRows> cells{};

    ScoreCell& cell(int row) { return cells.at(static_cast<std::size_t>(row - 1)); }
    const ScoreCell& cell(int row) const { return cells.at(static_cast<std::size_t>(row - 1)); }
};

// One category row: image_button<n>, image_spacer<n> (the bar) and
// image_cat<n> (the chosen-category marker). A button or bar that is
// choosable chooses its category when clicked; otherwise a click does
// nothing. (The game's documents keep this as the widgets' hint text, "t"
// or "f".)
struct CategoryRow {
    bool buttonShown = false;
    bool buttonChoosable = false;
    bool barShown = false;
    bool barChoosable = false;
    int barSeat = 0; // the column the bar reaches (its width); 0: closed
    bool chosenMarker = false;
};

enum class DieBody { None, Plain, Bonus };

// What is drawn on one die's picture: a body (image 7 or 8 of the dice list)
// and a face (image 1-6) over it. A cleared picture has neither.
struct DiePicture {
    DieBody body = DieBody::None;
    int face = 0; // 0: no face drawn
    bool cleared() const { return body == DieBody::None && face == 0; }
    friend bool operator==(const DiePicture&, const DiePicture&) = default;
};

// One die: the record the host last reported (face, held) and its widget
// image_d<n> with the bonus marker image_bonus<n> above it.
struct Die {
    int face = 0;      // 0: not rolled yet this turn
    bool held = false; // not named in the next roll request
    DiePicture picture;
    bool raised = false; // top 110 instead of 119
    bool bonusMarker = false;
};

// The turn column marker image_scoreturn over a seat's column; it also
// holds the category chosen in the current turn (0 for none), which the
// roll button reads.
struct TurnMarker {
    bool shown = false;
    int seat = 0;
    int selectedCategory = 0;
};

// One line of the chat display. The part up to and including the first ":"
// is drawn bold; the rest regular; all in the line's colour.
struct ChatLine {
    std::string text;
    ColourValue colour = colour::clBlack;
    // Length of the bold part (0 when the line has no ":").
    std::size_t boldLength() const
    {
        const auto colon = text.find(':');
        return colon == std::string::npos ? 0 : colon + 1;
    }
};

// The chat display keeps the newest lines only: at most kMaxLines lines and
// kMaxBytes of text, whichever bound comes first; the oldest go. Without a
// bound any peer could grow every table's memory by chatting.
struct ChatDisplay {
    static constexpr std::size_t kMaxLines = 2000;
    static constexpr std::size_t kMaxBytes = 1024 * 1024;

    std::deque<ChatLine> lines;
    // Grows by one at every "Clear Main Chat", so a view can tell a cleared
    // display from one that merely has as many lines as before.
    std::uint64_t clearCount = 0;
    // Lines let go from the front to keep the bound since the last clear:
    // lines[i] is line number dropped + i of the display.
    std::uint64_t dropped = 0;
    std::size_t bytes = 0; // text of the kept lines

    // Adds a line at the end, letting the oldest go past the bound.
    void append(ChatLine line);
    // Empties the display ("Clear Main Chat").
    void clear();
};

enum class BotSpeedItem { Slow, Normal, Fast };

// The delay an item sets, and the item a delay ticks (Normal for any delay
// other than Slow's and Fast's).
int botSpeedDelay(BotSpeedItem item);
BotSpeedItem botSpeedItemFor(int delay);

// The items of the Options and File menus that hold state: the player's
// options (kOptionsAtStart until the settings are applied) and the rest.
struct MenuState : PlayerOptions {
    bool startGameEnabled = false; // File, "Start Game"
    bool justWatchChecked = false; // Options, "Just Watch"
    // The ticked Bot Speed item; Normal is ticked from the start, while the
    // delay is still 750 ms until the settings are applied.
    BotSpeedItem botSpeedItem = BotSpeedItem::Normal;
    // The Text Size item of the font's size (8, 10, 12, 14) is ticked, none
    // when it is another size.
    bool scrollLock = false; // both "Scroll Chat Off" items
};

// The seat menu popup_kick of the name labels.
struct SeatMenu {
    bool removeEnabled = false;
    bool setJustWatchEnabled = false;
    bool unsetJustWatchEnabled = false;
    int seat = 0; // the label's seat the menu was opened on
};

// The spy list window's list and its "Remove From Game" item.
struct SpyList {
    std::vector<std::string> entries; // "7: Ann", in arrival order
    bool removeEnabled = false;
    int entryUnderPointer = -1; // the list's tag
};

// The start-game options window Tgamestart.
struct StartGameWindow {
    bool shown = false;
    // Tick boxes in the order of kLimitBoxes: 1 Roll, 2 Rolls, 5 Rolls, Unlimited.
    std::array<bool, 4> ticked = {false, false, false, true};
    int limit = 0; // the value of label_rolls
};

struct Board {
    // Roster and score card.
    std::array<SeatColumn, kSeatCount> seats{};
    std::array<CategoryRow, kCategoryCount> categories{};
    TurnMarker turnMarker;

    // Dice area.
    std::array<Die, kDiceCount> dice{};
    int rollCount = 0; // image_rolls: rolls used this turn, 0-3
    bool dicetimerRunning = false;
    bool rollButtonShown = false;      // button_roll
    bool startButtonShown = false;     // button_start
    bool rollPromptShown = false;      // panel_error: "Roll Without Selecting A Category?"
    bool thirdRollPromptShown = false; // panel_error1: "You must select a Category..."
    bool winnerPanelShown = false;     // panel_winner
    std::string winnerText;            // label_winner1 and its shadow label_winner2

    std::string status{"Welcome to Zonkards"}; // label_status
    int turnClockLeft = 0;                     // the own turn's clock, in its last seconds; 0: not shown
    std::string round{"Round: 0"};             // label_round
    std::string bonusCaption{"Bonus Rolls Limited to 5 Rolls"}; // label_rl

    // Chat.
    ChatDisplay chat;
    std::string chatEntry{kChatPlaceholder}; // mychat
    PhraseList phrases = kBuiltInPhrases;

    // Menus and the small windows.
    MenuState menu;
    SeatMenu seatMenu;
    SpyList spyList;
    StartGameWindow startWindow;

    Board() { seat(kComputerSeat).hint = std::string(kComputerName); }
    // The status line as shown: the status, and the own turn's seconds left.
    std::string statusLine() const;

    // Families by their own numbers.
    SeatColumn& seat(int n) { return seats.at(static_cast<std::size_t>(n - 1)); }
    const SeatColumn& seat(int n) const { return seats.at(static_cast<std::size_t>(n - 1)); }
    CategoryRow& category(int n) { return categories.at(static_cast<std::size_t>(n - 1)); }
    const CategoryRow& category(int n) const { return categories.at(static_cast<std::size_t>(n - 1)); }
    Die& die(int n) { return dice.at(static_cast<std::size_t>(n - 1)); }
    const Die& die(int n) const { return dice.at(static_cast<std::size_t>(n - 1)); }

    static bool isSeat(int n) { return n >= 1 && n <= kSeatCount; }
    static bool isCategory(int n) { return n >= 1 && n <= kCategoryCount; }
    static bool isDie(int n) { return n >= 1 && n <= kDiceCount; }
    static bool isFace(int n) { return n >= 1 && n <= kFaceCount; }
};

// Caption of label_rl for a bonus-roll limit given as decimal text.
std::string bonusLimitCaption(std::string_view limit);

} // namespace zk
