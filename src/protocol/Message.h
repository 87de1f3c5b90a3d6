// Building and reading the messages listed in Commands.h.
//
// Writing:
//     std::string bytes = MessageWriter(cmd::createdice)
//                             .field(seat).field(rolls).diePairs(pairs).finish();
//
// Reading (the drain step has already cut off the terminator):
//     auto [name, args] = splitCommand(line);          // name empty: ignore
//     FieldReader r(args);
//     auto seat = r.number();                           // nullopt: malformed
//     if (!seat) return HandlerResult::Malformed;       // stop at that field
//     std::string_view who = r.rest();
//
// A number field that cannot be read is a distinct outcome, never an
// exception: the handler stops there, what it did before stands, and nothing
// is sent in reply.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Commands.h"

namespace zk {

// What a message handler made of a message.
enum class HandlerResult {
    Handled,   // acted on
    Ignored,   // not for us, not allowed now, or unknown
    Malformed, // a number field could not be read; handling stopped there
};

struct DiePair {
    int die = 0;  // 1 to 5; 0 means "no die" and is skipped by readers
    int face = 0; // 1 to 6
    friend bool operator==(const DiePair&, const DiePair&) = default;
};

// Replaces every terminator byte in text that came from a person, so that a
// typed "ÿ" (0xFF in Windows-1252) cannot split a message in two.
std::string sanitizeField(std::string_view text);

class MessageWriter {
public:
    explicit MessageWriter(std::string_view command);

    // "+" and a text field; terminator bytes are replaced (see sanitizeField).
    MessageWriter& field(std::string_view text);
    MessageWriter& field(const char* text) { return field(std::string_view(text)); }
    MessageWriter& field(const std::string& text) { return field(std::string_view(text)); }
    // "+" and a decimal number.
    MessageWriter& field(int number);
    // "+" and the bytes exactly as given. Only for the login name, which by
    // design carries its own terminator (the login ends with two of them).
    MessageWriter& rawField(std::string_view bytes);
    // "+die+face" for each pair, or "+0+0" when there is none.
    MessageWriter& diePairs(std::span<const DiePair> pairs);
    // "+n" for every number, or "+0" when there is none: the category list of
    // CMD_nextplayer and the dice of CMD_rollthedice.
    MessageWriter& numberList(std::span<const int> numbers);
    // The winner list of CMD_winner: "+seat" for each winner, then "+0+".
    MessageWriter& winnerList(std::span<const int> seats);
    // One CMD_loadscores group: "+seat*t" (or "*f") then "*row*value" for rows 1-8.
    MessageWriter& scoreGroup(int seat, bool playing, std::span<const int, kScoreRows> rows);
    // A trailing "+" after the last field (or the lone "+" of a command without fields).
    MessageWriter& separator();

    // The message without its terminator.
    const std::string& text() const { return text_; }
    // The message with its terminator, ready for the socket.
    std::string finish() const;

private:
    std::string text_;
};

struct CommandSplit {
    std::string_view name; // text before the first "+"; empty when there is none
    std::string_view args; // text after the first "+"
};
CommandSplit splitCommand(std::string_view message);

// Parses a decimal number: an optional "-" and one or more digits, within the
// 32-bit signed range. Anything else (empty text included) is malformed.
std::optional<int> parseDecimal(std::string_view text);

// Takes fields from the front of a message's argument text.
class FieldReader {
public:
    explicit FieldReader(std::string_view args) : rest_(args) {}

    // True when no text is left.
    bool atEnd() const { return rest_.empty(); }
    // The next field: the text up to the next "+" (or all that is left).
    std::string_view text();
    // The next field as a decimal number; nullopt when it is not one, after
    // which failed() is true.
    std::optional<int> number();
    // Everything left, "+" included; the reader is then at its end.
    std::string_view rest();
    // What is left, without taking it.
    std::string_view remaining() const { return rest_; }
    bool failed() const { return failed_; }

private:
    std::string_view rest_;
    bool failed_ = false;
};

// A list read to the end of the message; on a malformed field, items holds
// what was read before it and malformed is set.
template <typename T>
struct ListRead {
    std::vector<T> items;
    bool malformed = false;
};

// Die pairs up to the end of the message, skipping pairs whose die is 0.
ListRead<DiePair> readDiePairs(FieldReader& reader);
// Numbers up to the end of the message (category lists, roll requests, winners).
// A trailing "+" (an empty last field) ends the list without error.
ListRead<int> readNumbers(FieldReader& reader);

// A list written by MessageWriter::numberList: the numbers other than 0, so
// the lone "0" that stands for "none" reads as an empty list.
ListRead<int> readNumberList(FieldReader& reader);
// The winner list of CMD_winner: the seats before the closing 0; what follows
// the 0 (the trailing "+") is left unread.
ListRead<int> readWinners(FieldReader& reader);

// One group of CMD_loadscores.
struct ScoreGroup {
    int seat = 0;
    std::string flag; // "t" if the seat takes part in the game, "f" if not
    std::vector<std::pair<int, int>> rows; // (row, value) in message order
};
// The six groups that follow the addressee of CMD_loadscores.
ListRead<ScoreGroup> readScoreGroups(FieldReader& reader);

} // namespace zk
