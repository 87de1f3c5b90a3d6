// Feeds one table (the table logic over an environment that records what it
// sends) any sequence of host messages: raw text, the host's commands with
// hostile fields, floods of chat lines, between the player's clicks and the
// dice timer's ticks. After every step the board must show what a window can
// draw and a player can read:
//   - dice faces (recorded and drawn) 0 to 6, the roll count 0 to 3;
//   - the turn marker, the bars and the seat menu on a seat 0 to 6;
//   - every score cell empty or a decimal number;
//   - the chat display within 2000 lines and 1 MB, its byte count true;
//   - the spy list's pointer on an entry or none, the start window's limit
//     one of its tick boxes;
// and everything the table sends is one whole message (the login two).
// The first byte chooses how the table starts (join, host or solo).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "protocol/Commands.h"
#include "protocol/Dispatch.h"
#include "table/TableLogic.h"

namespace {

using namespace zk;

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool done() const { return pos_ >= size_; }
    int byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // A short text: a length byte, then that many bytes.
    std::string text(std::size_t most = 64)
    {
        const std::size_t n = static_cast<std::size_t>(byte()) % most;
        std::string s;
        for (std::size_t i = 0; i < n && pos_ < size_; ++i)
            s += static_cast<char>(data_[pos_++]);
        return s;
    }
    // A text of up to a message's length: two length bytes, then the bytes.
    std::string longText()
    {
        const std::size_t n = (static_cast<std::size_t>(byte()) << 8 | static_cast<std::size_t>(byte())) %
                              (kMaxMessageLength + 1);
        std::string s;
        for (std::size_t i = 0; i < n && pos_ < size_; ++i)
            s += static_cast<char>(data_[pos_++]);
        return s;
    }
    // A number field: usually a seat, die, face or category, sometimes odd.
    std::string number()
    {
        switch (byte() % 10) {
        case 0: return "-" + std::to_string(byte());
        case 1: return byte() % 2 ? "2147483647" : "-2147483648";
        case 2: return "";
        case 3: return text(8);
        case 4: return std::to_string(byte() * 97);
        default: return std::to_string(byte() % 12);
        }
    }
    // A CMD_loadscores group: "seat*flag*row*value...".
    std::string scoreGroup()
    {
        std::string g = number();
        g += byte() % 4 ? (byte() % 2 ? "*t" : "*f") : "*" + text(4);
        const int rows = byte() % 10;
        for (int i = 0; i < rows; ++i) {
            g += "*" + (byte() % 4 ? std::to_string(1 + byte() % 9) : number());
            g += "*" + number();
        }
        return g;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Every command a table takes, in the order of the host's list (the corpus
// picks them by index).
constexpr auto kHostCommands = msg::HostToTable::commands;

// A table's world that keeps nothing but checks every message handed to it.
class Environment : public QuietLink, public QuietEnvironment {
public:
    bool socketOpen = true;

    bool send(std::string_view bytes) override
    {
        CHECK(bytes.starts_with("CMD_"));
        CHECK(!bytes.empty() && bytes.back() == kTerminator);
        std::size_t terminators = 0;
        for (char c : bytes)
            terminators += c == kTerminator;
        // The login name carries its own terminator (see TableLogic::sendloginfo).
        CHECK(terminators == (bytes.starts_with(msg::LoginInfo::command) ? 2u : 1u));
        return socketOpen;
    }
};

bool isDecimalText(std::string_view t)
{
    if (t.starts_with('-'))
        t.remove_prefix(1);
    if (t.empty())
        return false;
    for (char c : t) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

bool onSeatOrNone(int seat)
{
    return seat == 0 || Board::isSeat(seat);
}

void checkBoard(const Board& b, bool countChatBytes)
{
    for (const Die& d : b.dice) {
        CHECK(d.face >= 0 && d.face <= kFaceCount);
        CHECK(d.picture.face >= 0 && d.picture.face <= kFaceCount);
    }
    CHECK(b.rollCount >= 0 && b.rollCount <= kRollsPerTurn);
    CHECK(onSeatOrNone(b.turnMarker.seat));
    for (const CategoryRow& row : b.categories)
        CHECK(onSeatOrNone(row.barSeat));
    CHECK(onSeatOrNone(b.seatMenu.seat));
    for (const SeatColumn& seat : b.seats) {
        for (const ScoreCell& cell : seat.cells)
            CHECK(cell.text.empty() || isDecimalText(cell.text));
    }

    const ChatDisplay& chat = b.chat;
    CHECK(chat.lines.size() <= ChatDisplay::kMaxLines);
    CHECK(chat.bytes <= ChatDisplay::kMaxBytes || chat.lines.size() == 1);
    if (countChatBytes) {
        std::size_t bytes = 0;
        for (const ChatLine& line : chat.lines)
            bytes += line.text.size();
        CHECK(bytes == chat.bytes);
    }

    const SpyList& spies = b.spyList;
    CHECK(spies.entryUnderPointer >= -1 && spies.entryUnderPointer < static_cast<int>(spies.entries.size()));
    bool known = false;
    for (std::size_t i = 0; i < kLimitBoxes.size(); ++i) {
        CHECK(b.startWindow.ticked[i] == (kLimitBoxes[i] == b.startWindow.limit));
        known = known || kLimitBoxes[i] == b.startWindow.limit;
    }
    CHECK(known);
}

// One message of the host: a command and a few fields of any kind.
std::string hostMessage(Input& in)
{
    const std::string_view command =
        kHostCommands[static_cast<std::size_t>(in.byte()) % std::size(kHostCommands)];
    std::string m(command);
    const int fields = in.byte() % 14;
    for (int i = 0; i < fields; ++i) {
        switch (in.byte() % 8) {
        case 0: m += "+" + in.text(); break;
        case 1: m += "+" + in.scoreGroup(); break;
        default: m += "+" + in.number();
        }
    }
    if (in.byte() % 2)
        m += "+";
    return m;
}

// One thing the player does.
void playerAction(Input& in, TableLogic& logic)
{
    const int n = in.byte() % 12;
    switch (in.byte() % 25) {
    case 0: logic.rollClick(); break;
    case 1: logic.yesClick(); break;
    case 2: logic.noClick(); break;
    case 3: logic.okClick(); break;
    case 4: logic.dieRelease(n, n % 3 ? MouseButton::Left : MouseButton::Right); break;
    case 5: logic.categoryButtonClick(n); break;
    case 6: logic.categoryBarClick(n); break;
    case 7: logic.tumbleTick(); break;
    case 8:
        logic.chat().setChatEntry(in.text());
        logic.chat().sendit();
        break;
    case 9: logic.chat().phraseClick(n); break;
    case 10: logic.chat().chatterChoice(n); break;
    case 11: logic.chat().clearMainChat(); break;
    case 12:
        logic.seatMenus().seatMenuOpening(n);
        logic.seatMenus().removeFromGameClick();
        break;
    case 13:
        logic.seatMenus().seatMenuOpening(n);
        n % 2 ? logic.seatMenus().setToJustWatchClick() : logic.seatMenus().unsetJustWatchClick();
        break;
    case 14: logic.seatMenus().justWatchClick(); break;
    case 15:
        logic.seatMenus().spyPointerOver(n - 1);
        logic.seatMenus().spyRemoveClick();
        break;
    case 16: logic.startOptions().startClick(); break;
    case 17: logic.startOptions().limitBoxClick(n % 7); break;
    case 18: logic.startOptions().startGameClick(); break;
    case 19: logic.options().togglePlaySounds(); break;
    case 20: logic.options().togglePlayChatterSounds(); break;
    case 21: logic.options().toggleRemindMe(); break;
    case 22: logic.chat().toggleScrollLock(); break;
    case 23: logic.connectFailed(in.text(40), in.text(40)); break;
    default:
        logic.socketInfo(n % 3 == 0   ? SockInfoKind::Close
                         : n % 3 == 1 ? SockInfoKind::Connect
                                      : SockInfoKind::Broken);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in(data, size);
    Environment env;
    std::uint32_t seed = 1;
    std::chrono::milliseconds now{100000};
    TableLogic logic(
        env, env,
        [&seed](int n) {
            seed = seed * 1103515245u + 12345u;
            return static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(n));
        },
        [&now] { return now; });

    switch (in.byte() % 3) {
    case 0: logic.processParams({"Eve", "10.0.0.5", "false"}); break;
    case 1: logic.processParams({"Ann", "127.0.0.1", "true"}); break;
    default: logic.processParams({}); break;
    }
    checkBoard(logic.board(), true);

    int steps = 0;
    int floodBudget = 2500;
    while (!in.done() && ++steps < 4000) {
        bool flooded = false;
        switch (in.byte() % 8) {
        case 0: logic.handleMessage(in.longText()); break;
        case 1: {
            // A flood of one line, as a chatty or hostile peer sends it.
            std::string line(in.byte() % 2 ? msg::Action::command : msg::Chat::command);
            line += "+" + in.text(255);
            line += std::string(static_cast<std::size_t>(in.byte()) * 16, 'x');
            line.resize(std::min(line.size(), kMaxMessageLength)); // as the framer lets it through
            // Enough to pass either bound of the chat display, within a
            // budget for the whole input so that one run stays short.
            const int times = std::min(1 + in.byte() * 16, floodBudget);
            floodBudget -= times;
            for (int i = 0; i < times; ++i)
                logic.handleMessage(line);
            flooded = true;
            break;
        }
        case 2: playerAction(in, logic); break;
        case 3:
            // Time passes; the logic is woken as the window's timer wakes it.
            now += std::chrono::milliseconds(in.byte() * 50);
            if (const auto at = logic.nextWake(); at && *at <= now)
                logic.wake();
            break;
        case 4: env.socketOpen = !env.socketOpen; break;
        default: logic.handleMessage(hostMessage(in));
        }
        checkBoard(logic.board(), flooded);
    }
    checkBoard(logic.board(), true);
    return 0;
}
