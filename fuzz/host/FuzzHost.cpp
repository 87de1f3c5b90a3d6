// Feeds the host engine random sequences of events from several slots:
// connections and departures, well-formed commands with hostile fields, raw
// bytes, messages from connections that have gone, and timer ticks. The
// engine must never crash, never send on a slot without a live connection,
// always send whole messages, and every game timer it arms must be
// runnable (a positive interval and count).
//
//     scripts: CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DZK_FUZZ=ON -DZK_TESTS=OFF -DZK_BENCH=OFF
//              build/fuzz/fuzz/host/fuzz_host fuzz/host/corpus
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

#include "HostHarness.h"

namespace {

using zk::test::HostHarness;

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool done() const { return pos_ >= size_; }
    int byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // A short text: a length byte, then that many bytes.
    std::string text()
    {
        const std::size_t n = static_cast<std::size_t>(byte()) % 48;
        std::string s;
        for (std::size_t i = 0; i < n && pos_ < size_; ++i)
            s += static_cast<char>(data_[pos_++]);
        return s;
    }
    // A number field: usually small, sometimes odd.
    std::string number()
    {
        switch (byte() % 8) {
        case 0: return "-" + std::to_string(byte());
        case 1: return "99999999999";
        case 2: return "";
        case 3: return text();
        default: return std::to_string(byte() % 12);
        }
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

const char* const kCommands[] = {
    "CMD_logininfo", "CMD_kickhim",     "CMD_chat",      "CMD_action",     "CMD_startgame",
    "CMD_justwatch", "CMD_rollthedice", "CMD_selectcat", "CMD_playasound", "CMD_nextplayer",
};

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in(data, size);
    HostHarness h(1 + in.byte() % 50);
    h.dice.reseed(42);
    // Seats held for returning players and a turn clock, or neither.
    if (in.byte() % 2) {
        h.engine.setSeatHold(1000 * (in.byte() % 8));
        h.engine.setTurnClock(1000 * (in.byte() % 8));
    }
    // Players from four machines, so that returns and strangers meet.
    const auto address = [&in] { return "10.0.0." + std::to_string(1 + in.byte() % 4); };
    int staleId = 0;
    int steps = 0;
    while (!in.done() && ++steps < 4000) {
        const int slot = 1 + in.byte() % 10;
        switch (in.byte() % 9) {
        case 0: h.connect(address()); break;
        case 1:
            if (h.connectionOf(slot) != 0) {
                staleId = h.connectionOf(slot);
                h.vanish(slot);
            }
            break;
        case 2: h.login(in.text(), std::string(zk::kVersionText), address()); break;
        case 3: {
            std::string m = kCommands[in.byte() % std::size(kCommands)];
            const int fields = in.byte() % 7;
            for (int i = 0; i < fields; ++i)
                m += "+" + (in.byte() % 3 == 0 ? in.text() : in.number());
            h.say(slot, m);
            break;
        }
        case 4: h.say(slot, in.text()); break;
        case 5: h.sayFrom(staleId, "CMD_chat+" + std::to_string(slot) + "+" + in.text()); break;
        case 6: {
            const int ticks = in.byte() % 64;
            for (int i = 0; i < ticks && h.tick(); ++i) {
            }
            h.advance(100 * (in.byte() % 64)); // deadlines: holds end, turn clocks run out
            break;
        }
        case 7: h.say(1, "CMD_startgame+x+" + in.number() + "+"); break;
        default: {
            // A likely move for the seat on turn, so that games get far.
            const int cur = h.engine.currentPlayer();
            if (in.byte() % 2)
                h.say(cur, "CMD_selectcat+" + std::to_string(cur) + "+" + in.number() + "+");
            else
                h.say(cur, "CMD_rollthedice+" + std::to_string(cur) + "+" + in.number() + "+" + in.number());
        }
        }
        const zk::GameTimer& t = h.engine.timer1();
        check(!t.enabled || (t.intervalMs >= 1 && t.countdown >= 1));
        check(h.deadSends == 0);
        check(h.badFrames == 0);
        check(h.engine.currentPlayer() >= 0 && h.engine.currentPlayer() <= zk::kSeatCount);
        check(h.engine.powerSlot() >= 1 && h.engine.powerSlot() <= zk::kMaxConnections);
        if (h.log.size() > 100000)
            h.log.clear();
    }
    return 0;
}
