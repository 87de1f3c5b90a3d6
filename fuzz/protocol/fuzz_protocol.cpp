// Feeds arbitrary bytes, as a hostile peer would send them, through the
// receive path (Framer, ReceiveQueue) and every message reader, and checks
// what must hold whatever the bytes are:
//   - cutting the stream into different reads gives the same messages;
//   - no queued message is longer than 4096 characters or holds 0xFF;
//   - the readers never fail other than by reporting a malformed field, and
//     what they read writes back to text that reads the same;
//   - Windows-1252 text survives the trip to UTF-8 and back;
//   - a colour that reads writes back to text that reads the same.
// The first byte of the input chooses how the rest is cut into reads.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/Colour.h"
#include "protocol/Commands.h"
#include "protocol/Framer.h"
#include "protocol/Message.h"
#include "protocol/ReceiveQueue.h"
#include "protocol/Text.h"

namespace {

using namespace zk;

#define CHECK(cond)                                                                   \
    do {                                                                              \
        if (!(cond)) {                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                             \
        }                                                                             \
    } while (0)

std::vector<std::string> drain(ReceiveQueue& q)
{
    std::vector<std::string> out;
    while (!q.empty())
        out.push_back(q.take().text);
    return out;
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

    {   // Field by field: no field holds "+".
        FieldReader r(args);
        while (!r.atEnd())
            CHECK(r.text().find('+') == std::string_view::npos);
    }
    {   // A number, a text, then the rest.
        FieldReader r(args);
        auto n = r.number();
        CHECK(n.has_value() != r.failed());
        if (n)
            CHECK(parseDecimal(std::to_string(*n)) == n);
        (void)r.text();
        (void)r.rest();
        CHECK(r.atEnd());
    }
    {   // Die pairs: die 0 is skipped; what was read writes and reads back.
        FieldReader r(args);
        auto pairs = readDiePairs(r);
        for (const DiePair& p : pairs.items)
            CHECK(p.die != 0);
        MessageWriter w(cmd::createdice);
        w.diePairs(pairs.items);
        FieldReader back(splitCommand(w.text()).args);
        auto again = readDiePairs(back);
        CHECK(!again.malformed);
        CHECK(again.items == pairs.items);
    }
    {   // Number lists, with and without the "0" that stands for none.
        FieldReader r(args);
        auto list = readNumberList(r);
        for (int n : list.items)
            CHECK(n != 0);
        MessageWriter w(cmd::nextplayer);
        w.numberList(list.items);
        FieldReader back(splitCommand(w.text()).args);
        auto again = readNumberList(back);
        CHECK(!again.malformed);
        CHECK(again.items == list.items);

        FieldReader raw(args);
        auto all = readNumbers(raw);
        CHECK(all.malformed || raw.atEnd());
    }
    {   // Winners: the seats before the closing 0.
        FieldReader r(args);
        auto winners = readWinners(r);
        for (int n : winners.items)
            CHECK(n != 0);
        MessageWriter w(cmd::winner);
        w.winnerList(winners.items);
        FieldReader back(splitCommand(w.text()).args);
        auto again = readWinners(back);
        CHECK(!again.malformed);
        CHECK(again.items == winners.items);
    }
    {   // Score groups after the addressee.
        FieldReader r(args);
        (void)r.number();
        auto groups = readScoreGroups(r);
        for (const ScoreGroup& g : groups.items)
            CHECK(g.flag.find('+') == std::string::npos);
    }
    {   // Text meets a person and comes back unchanged.
        const std::string utf8 = fromCp1252(message);
        CHECK(toCp1252(utf8) == message);
        CHECK(toCp1252(message).find(kTerminator) == std::string::npos);
    }
    {   // A chat line's colour, as the table reads it.
        const auto bar = args.rfind('|');
        const std::string_view colourText = bar == std::string_view::npos ? args : args.substr(bar + 1);
        if (auto v = colourFromText(colourText)) {
            const std::string written = colourToText(*v);
            CHECK(colourFromText(written) == v);
        }
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
