// The coordinator's core with 10,000 registered games: what handling one
// host's update costs (reading the message, finding the game, keeping the
// facts), without the network.
#include <benchmark/benchmark.h>

#include <random>

#include "coordinator/Coordinator.h"
#include "coordinator/InviteCode.h"

namespace {

using namespace zk;
using namespace zk::coord;

struct Quiet : CoordinatorOutbox {
    void send(int, std::string_view) override {}
    void close(int) override {}
    void probe(int, const std::string&, int, const std::string&) override {}
};

void HostUpdate(benchmark::State& state)
{
    Quiet out;
    Ms now = 1'000'000;
    std::uint64_t counter = 0;
    std::mt19937_64 random(7);
    Coordinator c{out, CoordinatorConfig{"", 7781, std::string(32, 'k')}, [&] { return now; },
                  [&] { return ++counter; }};
    const int games = static_cast<int>(state.range(0));
    for (int id = 1; id <= games; ++id) {
        c.opened(id, "198.51." + std::to_string(id / 250) + "." + std::to_string(id % 250));
        c.received(id, msg::text(Register{kProtocol, "1.0.2", newSecret([&] { return random(); }), "n",
                                          Visibility::Public, 7772, GameAdvert{.seated = 1, .free = 5}}));
    }
    std::vector<std::string> updates;
    for (int seated = 1; seated <= 6; ++seated)
        updates.push_back(msg::text(Update{7772, GameAdvert{.seated = seated, .free = 6 - seated}}));
    int id = 0;
    for (auto _ : state) {
        id = id % games + 1;
        c.received(id, updates[static_cast<std::size_t>(id) % updates.size()]);
    }
    state.counters["games"] = static_cast<double>(c.gameCount());
}
BENCHMARK(HostUpdate)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
