// Feeds the coordinator and the relay any messages (the input cut at each
// terminator, the first byte of each message choosing one of four
// connections, and the clock stepping with it) and checks what they keep:
// every game's facts within what a table holds, codes of the alphabet, a
// bounded registry, pairs only of two halves, and nothing ever sent on a
// connection after it was closed.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "FuzzCheck.h"
#include "coordinator/Coordinator.h"
#include "coordinator/InviteCode.h"
#include "coordinator/Relay.h"

namespace {

using namespace zk;
using namespace zk::coord;

struct Outbox : CoordinatorOutbox, RelayOutbox {
    std::set<int> closed;
    void send(int conn, std::string_view bytes) override
    {
        CHECK(!closed.contains(conn));
        CHECK(bytes.size() <= kMaxCoordMessage + 8);
    }
    void close(int conn) override { closed.insert(conn); }
    void probe(int, const std::string&, int port, const std::string& nonce) override
    {
        CHECK(port >= 1 && port <= 65535);
        CHECK(!nonce.empty());
    }
    void pair(int host, int joiner) override { CHECK(host != joiner); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Outbox out;
    std::int64_t now = 1'700'000'000'000;
    std::uint64_t random = 1;
    Coordinator c(
        out, CoordinatorConfig{"", 7781, std::string(32, 'k')}, [&] { return now; },
        [&] { return random++; });
    Relay relay(out, std::string(32, 'k'), [&] { return now; });
    for (int conn = 1; conn <= 4; ++conn) {
        c.opened(conn, "198.51.100." + std::to_string(conn));
        relay.opened(conn + 4, "198.51.100." + std::to_string(conn));
    }
    std::string message;
    for (std::size_t i = 0; i < size; ++i) {
        if (static_cast<char>(data[i]) != kTerminator) {
            message += static_cast<char>(data[i]);
            continue;
        }
        if (message.empty())
            continue;
        const int conn = 1 + (static_cast<unsigned char>(message[0]) & 7);
        now += static_cast<unsigned char>(message[0]) * 500;
        const std::string_view body = std::string_view(message).substr(1);
        if (conn <= 4) {
            c.received(conn, body);
            if ((message[0] & 0x30) == 0x30)
                c.probeAnswered(conn, message[0] & 0x40);
        } else {
            relay.received(conn, body);
        }
        if ((message[0] & 0x80) != 0) {
            c.tick();
            relay.tick();
        }
        message.clear();
    }
    CHECK(c.gameCount() <= 4);
    for (const char* secret : {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "0123456789abcdef0123456789abcdef"}) {
        const std::string code = inviteCode(secret);
        CHECK(readInviteCode(code) == code);
        if (const HostedGame* g = c.game(code)) {
            CHECK(g->facts.seated >= 0 && g->facts.seated + g->facts.free <= kSeatCount);
            CHECK(g->facts.spies >= 0 && g->facts.spies <= kSlotCount - kSeatCount);
            CHECK(g->port >= 1 && g->port <= 65535);
        }
    }
    CHECK(relay.pairs() <= 2);
    return 0;
}
