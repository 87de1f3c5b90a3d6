// Messages per second through the receive path on a game's message mix:
// the byte stream is cut into reads, framed, queued, and every message is
// read the way its handler reads it.
//
//   build/release/bench/protocol/bench_protocol
//
// items_per_second is messages per second.
#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "game/Colour.h"
#include "protocol/Commands.h"
#include "protocol/Framer.h"
#include "protocol/Messages.h"
#include "protocol/ReceiveQueue.h"
#include "protocol/Text.h"

namespace {

using namespace zk;

// A stream of `count` messages in roughly the proportions of a busy game:
// mostly rolls and their results, chat, turn changes and scores, and now and
// then the score card sent to a late joiner.
std::string makeStream(int count)
{
    std::mt19937 rng(7772);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const char* lines[] = {"gg", "nice roll!", "come on sixes +1", "brb 2 min",
                           "wow, a zonkard again?! that's 3 + 1 for you today"};
    const char* colours[] = {"clRed", "clBlue", "$00FF8000", "clGreen"};
    std::string out;
    for (int i = 0; i < count; ++i) {
        const int seat = pick(1, 6);
        const int kind = pick(0, 99);
        if (kind < 22) {
            msg::RollTheDice m{seat, {}};
            for (int d = 1; d <= 5; ++d)
                if (pick(0, 1))
                    m.dice.push_back(d);
            out += msg::encode(m);
        } else if (kind < 52) {
            msg::CreateDice m{seat, pick(1, 3), {}};
            for (int d = 1; d <= 5; ++d)
                if (pick(0, 2))
                    m.dice.push_back({d, pick(1, 6)});
            out += msg::encode(m);
        } else if (kind < 67) {
            out += msg::encode(msg::ChatLine{{std::string("Player") + std::to_string(seat) +
                                              " chats: " + lines[pick(0, 4)] + "|" + colours[pick(0, 3)]}});
        } else if (kind < 77) {
            msg::NextPlayer m{seat, std::to_string(pick(1, 7)), {}};
            for (int c = 1; c <= 7; ++c)
                if (pick(0, 1))
                    m.categories.push_back(c);
            out += msg::encode(m);
        } else if (kind < 87) {
            out += msg::encode(msg::SelectedCat{seat, pick(1, 7)});
        } else if (kind < 97) {
            out += msg::encode(msg::PostScores{{seat, pick(0, 300), pick(0, 30), pick(1, 7)}});
        } else {
            msg::LoadScores m{pick(1, 9), {}};
            for (int s = 1; s <= 6; ++s) {
                std::array<int, 8> rows{};
                for (int r = 0; r < 7; ++r)
                    rows[r] = pick(0, 1) ? -1 : pick(0, 30);
                m.groups.push_back(msg::ScoreGroup::of(s, s <= 3, rows));
            }
            out += msg::encode(m);
        }
    }
    return out;
}

// Reads a message as its handler does; returns something that depends on
// every field so the work is not optimised away.
long readMessage(const std::string& message)
{
    const auto [name, args] = splitCommand(message);
    long sum = 0;
    if (name == msg::RollTheDice::command) {
        const auto m = msg::decode<msg::RollTheDice>(args);
        sum += m->seat;
        for (int d : m->dice)
            sum += d;
    } else if (name == msg::CreateDice::command) {
        const auto m = msg::decode<msg::CreateDice>(args);
        sum += m->seat + m->rolls;
        for (const DiePair& p : m->dice)
            sum += p.die * 7 + p.face;
    } else if (name == msg::ChatLine::command) {
        // The table shows the line: its colour, and its text converted for
        // the screen.
        const auto m = msg::decode<msg::ChatLine>(args);
        const auto [text, colour] = msg::ColouredText::parse(m->line);
        sum += static_cast<long>(colour.value_or(colour::clRed));
        sum += static_cast<long>(fromCp1252(text).size());
    } else if (name == msg::NextPlayer::command) {
        const auto m = msg::decode<msg::NextPlayer>(args);
        sum += m->seat + static_cast<long>(m->round.size());
        for (int c : m->categories)
            sum += c;
    } else if (name == msg::SelectedCat::command) {
        const auto m = msg::decode<msg::SelectedCat>(args);
        sum += m->seat + m->category;
    } else if (name == msg::PostScores::command) {
        const auto m = msg::decode<msg::ScoreReport>(args);
        sum += m->seat + m->total.value() + m->points.value() + m->category;
    } else if (name == msg::LoadScores::command) {
        const auto m = msg::decode<msg::LoadScores>(args);
        sum += m->addressee;
        for (const msg::ScoreGroup& g : m->groups)
            for (const auto& [row, value] : g.rows)
                sum += row * value;
    }
    return sum;
}

constexpr int kStreamMessages = 10000;

const std::string& stream()
{
    static const std::string s = makeStream(kStreamMessages);
    return s;
}

// Framing and queueing only, in reads of range(0) bytes.
void BM_Framer(benchmark::State& state)
{
    const std::string& bytes = stream();
    const auto chunk = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        Framer framer;
        ReceiveQueue queue;
        std::size_t taken = 0;
        for (std::size_t pos = 0; pos < bytes.size(); pos += chunk) {
            framer.feed(std::string_view(bytes).substr(pos, chunk), queue);
            while (!queue.empty()) {
                QueuedMessage m = queue.take();
                taken += m.text.size();
            }
        }
        benchmark::DoNotOptimize(taken);
    }
    state.SetItemsProcessed(state.iterations() * kStreamMessages);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_Framer)->Arg(1460)->Arg(32768);

// The whole receive path: framing, queueing and reading every message.
void BM_FramerAndReader(benchmark::State& state)
{
    const std::string& bytes = stream();
    const auto chunk = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        Framer framer;
        ReceiveQueue queue;
        long sum = 0;
        for (std::size_t pos = 0; pos < bytes.size(); pos += chunk) {
            framer.feed(std::string_view(bytes).substr(pos, chunk), queue);
            while (!queue.empty())
                sum += readMessage(queue.take().text);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kStreamMessages);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_FramerAndReader)->Arg(1460)->Arg(32768);

// Reading alone, on messages already framed.
void BM_Reader(benchmark::State& state)
{
    Framer framer;
    ReceiveQueue queue;
    framer.feed(stream(), queue);
    std::vector<std::string> messages;
    while (!queue.empty())
        messages.push_back(queue.take().text);
    for (auto _ : state) {
        long sum = 0;
        for (const std::string& m : messages)
            sum += readMessage(m);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(messages.size()));
}
BENCHMARK(BM_Reader);

} // namespace

BENCHMARK_MAIN();
