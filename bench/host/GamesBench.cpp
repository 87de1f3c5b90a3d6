// Whole games refereed per second by the host engine, computer players only,
// timer1 stepped instead of waited for. The outbox only records messages.
#include <benchmark/benchmark.h>

#include "HostHarness.h"

namespace {

using zk::test::HostHarness;
namespace msg = zk::msg;

void BM_ComputerGame(benchmark::State& state)
{
    const int seats = static_cast<int>(state.range(0));
    HostHarness h(650);
    h.dice.reseed(2024);
    for (int s = 1; s <= seats; ++s)
        h.login(std::string("P").append(std::to_string(s)));
    std::int64_t messages = 0;
    std::int64_t games = 0;
    for (auto _ : state) {
        h.log.clear();
        h.say(1, msg::text(msg::StartGame{"P1", "3"}));
        for (int s = 1; s <= seats; ++s) // the computer plays all
            h.say(1, msg::text(msg::JustWatch{s, msg::JustWatch::Mode::Watch}));
        while (h.engine.gameStarted() && h.tick()) {
        }
        if (h.engine.gameStarted()) {
            state.SkipWithError("a game stalled");
            break;
        }
        messages += static_cast<std::int64_t>(h.log.size());
        ++games;
    }
    state.SetItemsProcessed(games);
    state.counters["games_per_s"] =
        benchmark::Counter(static_cast<double>(games), benchmark::Counter::kIsRate);
    state.counters["msgs_per_game"] = games ? static_cast<double>(messages) / static_cast<double>(games) : 0;
}
BENCHMARK(BM_ComputerGame)->Arg(2)->Arg(6)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
