// The field forms under every message (Messages.h defines the messages):
// writing fields joined by "+", cutting a message into its command and its
// argument text, and reading fields one by one.
//
//     std::string bytes = MessageWriter("CMD_selectcat").field(3).field(5).separator().finish();
//     auto [name, args] = splitCommand(line);          // name empty: ignore
//     FieldReader r(args);
//     auto seat = r.number();                           // nullopt: malformed
//
// A number field that cannot be read is a distinct outcome, never an
// exception: the reading stops there, what was read before stands, and
// nothing is sent in reply. Only the protocol layer writes and reads fields;
// everyone else speaks in the messages of Messages.h.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/Commands.h"

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

} // namespace zk
