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

#include "protocol/Colour.h"
#include "protocol/Commands.h"
#include "protocol/Framer.h"
#include "protocol/Message.h"
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
        MessageWriter w("");
        if (kind < 22) {
            w = MessageWriter(cmd::rollthedice);
            w.field(seat);
            std::vector<int> dice;
            for (int d = 1; d <= 5; ++d)
                if (pick(0, 1))
                    dice.push_back(d);
            w.numberList(dice);
        } else if (kind < 52) {
            w = MessageWriter(cmd::createdice);
            w.field(seat).field(pick(1, 3));
            std::vector<DiePair> pairs;
            for (int d = 1; d <= 5; ++d)
                if (pick(0, 2))
                    pairs.push_back({d, pick(1, 6)});
            w.diePairs(pairs);
        } else if (kind < 67) {
            w = MessageWriter(cmd::chat);
            w.field(std::string("Player") + std::to_string(seat) + " chats: " + lines[pick(0, 4)] +
                    "|" + colours[pick(0, 3)]);
        } else if (kind < 77) {
            w = MessageWriter(cmd::nextplayer);
            w.field(seat).field(pick(1, 7));
            std::vector<int> open;
            for (int c = 1; c <= 7; ++c)
                if (pick(0, 1))
                    open.push_back(c);
            w.numberList(open);
        } else if (kind < 87) {
            w = MessageWriter(cmd::selectedcat);
            w.field(seat).field(pick(1, 7)).separator();
        } else if (kind < 97) {
            w = MessageWriter(cmd::postscores);
            w.field(seat).field(pick(0, 300)).field(pick(0, 30)).field(pick(1, 7)).separator();
        } else {
            w = MessageWriter(cmd::loadscores);
            w.field(pick(1, 9));
            for (int s = 1; s <= 6; ++s) {
                std::array<int, 8> rows{};
                for (int r = 0; r < 7; ++r)
                    rows[r] = pick(0, 1) ? -1 : pick(0, 30);
                w.scoreGroup(s, s <= 3, rows);
            }
        }
        out += w.finish();
    }
    return out;
}

// Reads a message as its handler does; returns something that depends on
// every field so the work is not optimised away.
long readMessage(const std::string& message)
{
    const CommandSplit split = splitCommand(message);
    FieldReader r(split.args);
    long sum = 0;
    if (split.name == cmd::rollthedice) {
        sum += r.number().value_or(0);
        for (int d : readNumberList(r).items)
            sum += d;
    } else if (split.name == cmd::createdice) {
        sum += r.number().value_or(0) + r.number().value_or(0);
        for (const DiePair& p : readDiePairs(r).items)
            sum += p.die * 7 + p.face;
    } else if (split.name == cmd::chat) {
        // The table shows the line: the colour after the last "|", the text
        // before it converted for the screen.
        const std::string_view line = r.rest();
        const auto bar = line.rfind('|');
        sum += static_cast<long>(colourFromText(line.substr(bar + 1)).value_or(colour::clRed));
        sum += static_cast<long>(fromCp1252(line.substr(0, bar)).size());
    } else if (split.name == cmd::nextplayer) {
        sum += r.number().value_or(0) + r.number().value_or(0);
        for (int c : readNumberList(r).items)
            sum += c;
    } else if (split.name == cmd::selectedcat) {
        sum += r.number().value_or(0) + r.number().value_or(0);
    } else if (split.name == cmd::postscores) {
        for (int i = 0; i < 4; ++i)
            sum += r.number().value_or(0);
    } else if (split.name == cmd::loadscores) {
        sum += r.number().value_or(0);
        for (const ScoreGroup& g : readScoreGroups(r).items)
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
