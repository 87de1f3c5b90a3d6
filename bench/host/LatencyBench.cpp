// The host's added latency, measured from outside: a started zonkards-host,
// nine clients on loopback, and the time from the roll request of the seat
// on turn to the moment the CMD_createdice has reached every client. It is
// bounded below by the 10 ms drain tick (the request waits for the next
// tick of socktimer). Each iteration is one roll; p50 and p99 are reported.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "HostProcess.h"

namespace {

using namespace zk::test;
namespace msg = zk::msg;

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

void BM_RollToCreateDiceAtNineClients(benchmark::State& state)
{
    HostProcess host({"--port", "0", "--bot-speed", "650"});
    const int port = host.port();
    if (port == 0) {
        state.SkipWithError("zonkards-host did not start");
        return;
    }
    std::vector<std::unique_ptr<LineClient>> clients;
    for (int i = 1; i <= 9; ++i) {
        clients.push_back(std::make_unique<LineClient>(port));
        if (clients.back()->login(std::string("P").append(std::to_string(i))) != i) {
            state.SkipWithError("login failed");
            return;
        }
    }
    // Everyone has heard of everyone before the clock starts.
    for (auto& c : clients)
        c->waitFor(msg::text(msg::NewPlayerInfo{{9, ""}}));
    LineClient& me = *clients[0];
    // Every client has seen seat 1's turn begin.
    auto everyoneSeesTheTurn = [&] {
        for (auto& c : clients) {
            while (true) {
                const auto m = c->next();
                if (!m)
                    return false;
                const auto [name, args] = zk::splitCommand(*m);
                if (name == msg::NextPlayer::command && msg::decode<msg::NextPlayer>(args)->seat == 1)
                    break;
            }
        }
        return true;
    };

    std::vector<double> samples;
    int rolls = 2; // start a fresh game first
    for (auto _ : state) {
        if (rolls == 2) {
            // Two rolls per turn are measured; a fresh start gives a new turn
            // at once (no pause between turns).
            me.send(msg::text(msg::StartGame{"P1", "0"}));
            if (!everyoneSeesTheTurn()) {
                state.SkipWithError("no turn");
                break;
            }
            rolls = 0;
        }
        const auto t0 = Clock::now();
        me.send(msg::text(
            msg::RollTheDice{1, rolls == 0 ? std::vector<int>{1, 2, 3, 4, 5} : std::vector<int>{1, 2}}));
        bool ok = true;
        for (auto& c : clients) {
            while (true) {
                const auto m = c->next();
                if (!m) {
                    ok = false;
                    break;
                }
                const auto [name, args] = zk::splitCommand(*m);
                if (name == msg::CreateDice::command &&
                    msg::decode<msg::CreateDice>(args)->rolls == rolls + 1)
                    break;
                if (name == msg::Zonkard::command) {
                    rolls = 1; // the turn is over: the next iteration restarts
                    break;
                }
            }
        }
        const double ms = msSince(t0);
        if (!ok) {
            state.SkipWithError("no answer to a roll");
            break;
        }
        state.SetIterationTime(ms / 1000.0);
        samples.push_back(ms);
        ++rolls;
    }
    if (!samples.empty()) {
        std::sort(samples.begin(), samples.end());
        auto at = [&](double q) {
            return samples[std::min(samples.size() - 1,
                                    static_cast<std::size_t>(q * static_cast<double>(samples.size())))];
        };
        state.counters["p50_ms"] = at(0.50);
        state.counters["p99_ms"] = at(0.99);
        state.counters["max_ms"] = samples.back();
    }
}
BENCHMARK(BM_RollToCreateDiceAtNineClients)->Iterations(600)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
