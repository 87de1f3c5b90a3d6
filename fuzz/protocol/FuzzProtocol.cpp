// Feeds arbitrary bytes, as a hostile peer would send them, through the
// receive path (Framer, ReceiveQueue) and every message reader, and checks
// what must hold whatever the bytes are:
//   - cutting the stream into different reads gives the same messages;
//   - no queued message is longer than 4096 characters or holds 0xFF;
//   - every message decoder stops at a bad field and nothing worse, and a
//     message read whole writes back to text that reads as the same message;
//   - Windows-1252 text survives the trip to UTF-8 and back;
//   - a colour that reads writes back to text that reads the same.
// The first byte of the input chooses how the rest is cut into reads.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "FuzzCheck.h"
#include "game/Colour.h"
#include "protocol/Commands.h"
#include "protocol/Dispatch.h"
#include "protocol/Framer.h"
#include "protocol/Messages.h"
#include "protocol/ReceiveQueue.h"
#include "protocol/Text.h"

namespace {

using namespace zk;

std::vector<std::string> drain(ReceiveQueue& q)
{
    std::vector<std::string> out;
    while (!q.empty())
        out.push_back(q.take().text);
    return out;
}

// Decodes the arguments as message M: the reading never goes wrong other
// than by stopping at a bad field, and a message read whole writes back to
// text that reads as the same message.
template <typename M>
void decodeAs(std::string_view args)
{
    const msg::Decoded<M> d = msg::decode<M>(args);
    CHECK(d.fields >= 0);
    if (!d.complete)
        return;
    // A roll request with nothing after the seat is no list, and writes back
    // as the request to roll none ("+0").
    if constexpr (std::is_same_v<M, msg::RollTheDice>) {
        if (!d.reached(msg::RollTheDice::Dice))
            return;
    }
    const std::string text = msg::text(d.message);
    CHECK(text.find(kTerminator) == std::string::npos);
    const msg::Decoded<M> again = msg::decode<M>(splitCommand(text).args);
    CHECK(again.complete);
    CHECK(again.message == d.message);
}

template <typename... M>
void decodeAsAll(msg::MessageList<M...>, std::string_view args)
{
    (decodeAs<M>(args), ...);
}

// Everything a handler might do with one message.
void readEveryWay(std::string_view message)
{
    const CommandSplit split = splitCommand(message);
    if (split.name.empty())
        CHECK(message.find('+') == std::string_view::npos || message.front() == '+');
    else
        CHECK(split.name.find('+') == std::string_view::npos);
    const std::string_view args = split.args;

    { // Field by field: no field holds "+".
        FieldReader r(args);
        while (!r.atEnd())
            CHECK(r.text().find('+') == std::string_view::npos);
    }
    // Every message of both directions, whatever the command said.
    decodeAsAll(msg::TableToHost{}, args);
    decodeAsAll(msg::HostToTable{}, args);
    { // Text meets a person and comes back unchanged.
        const std::string utf8 = fromCp1252(message);
        CHECK(toCp1252(utf8) == message);
        CHECK(toCp1252(message).find(kTerminator) == std::string::npos);
    }
    { // A chat line's colour, as the table reads it.
        const auto [text, colour] = msg::ColouredText::parse(args);
        CHECK(text.size() <= args.size());
        if (colour)
            CHECK(colourFromText(colourToText(*colour)) == colour);
    }
    const std::string safe = sanitizeField(message);
    CHECK(safe.size() == message.size());
    CHECK(safe.find(kTerminator) == std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::uint32_t cut = data[0] * 2654435761u + 1;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

    // The same bytes once in reads of varying size and once in one read.
    Framer pieces(1);
    ReceiveQueue piecesQueue;
    bool overflow = false;
    for (std::size_t pos = 0; pos < input.size();) {
        cut = cut * 1103515245u + 12345u;
        const std::size_t n = std::min<std::size_t>(1 + (cut >> 16) % 64, input.size() - pos);
        overflow |= pieces.feed(input.substr(pos, n), piecesQueue) == Framer::Result::Overflow;
        pos += n;
        CHECK(pieces.pending().size() <= kMaxPendingBytes);
    }
    Framer whole(2);
    ReceiveQueue wholeQueue;
    overflow |= whole.feed(input, wholeQueue) == Framer::Result::Overflow;

    const std::vector<std::string> messages = drain(wholeQueue);
    const std::vector<std::string> fromPieces = drain(piecesQueue);
    if (!overflow) {
        CHECK(messages == fromPieces);
        CHECK(whole.pending() == pieces.pending());
    }
    for (const std::string& m : messages) {
        CHECK(m.size() <= kMaxMessageLength);
        CHECK(m.find(kTerminator) == std::string::npos);
        readEveryWay(m);
    }
    // What is still pending is read as the message it would become.
    if (whole.pending().size() <= kMaxMessageLength)
        readEveryWay(whole.pending());
    return 0;
}
