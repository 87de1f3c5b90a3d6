// Compression and decompression throughput of the tally file's block codec
// beside LZ4, both cutting the input into the same 32768-byte pieces and
// writing into buffers they keep. Counters: MB/s of input, and "ratio", the
// compressed size over the input size.
#include <benchmark/benchmark.h>

#include <lz4.h>

#include <random>
#include <string>
#include <vector>

#include "records/LZRW1KH.h"
#include "records/Tally.h"

namespace {

using zk::lzrw1kh::kPieceSize;

std::string tallyText()
{
    zk::Tally t;
    std::vector<std::string> names;
    for (const char* n : {"Ann", "Bob", "Cyril", "Dee", "Eve", "Frank", "Gail", "Hal", "Ivy", "Jo"})
        names.emplace_back(n);
    t.rebuildCurrentPlayers(names);
    for (std::size_t i = 0; i < names.size(); ++i)
        t.tickCurrentPlayer(i);
    std::mt19937 rng(1);
    for (int game = 0; game < 300; ++game) {
        const std::size_t w = rng() % (names.size() + 1);
        t.recordGame(w == names.size() ? zk::GameOutcome::ownWin() : zk::GameOutcome::wonBy(names[w]),
                     {names[rng() % names.size()], names[rng() % names.size()]});
        t.offerHighestScore(std::to_string(rng() % 180));
    }
    return t.toText();
}

std::string textLike(std::size_t n)
{
    static const char* words[] = {
        "the",   "dice", "roll",  "zonkard", "bonus", "player", "wins",     "game",     "score", "round",
        "Bob",   "Ann",  "table", "and",     "turn",  "seven",  "category", "straight", "host",  "chat",
        "says:", "Way",  "To",    "Go!",     "Nice",  "Try!",   "has",      "Won",      "the",   "Game!"};
    std::mt19937 rng(7);
    std::string s;
    while (s.size() < n) {
        s += words[rng() % std::size(words)];
        s += (rng() % 11 == 0) ? "\r\n" : " ";
    }
    s.resize(n);
    return s;
}

std::string randomData(std::size_t n)
{
    std::mt19937 rng(3);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(rng());
    return s;
}

const std::string& input(int which)
{
    static const std::string inputs[] = {tallyText(), textLike(1 << 20), randomData(1 << 20)};
    return inputs[which];
}

const char* inputName(int which)
{
    static const char* names[] = {"tally", "text_1MB", "random_1MB"};
    return names[which];
}

// Compressed pieces, each kept apart so both directions work piece by piece.
struct Pieces {
    std::vector<std::string> blocks;
    std::size_t total = 0;
};

Pieces lzrwPieces(const std::string& in)
{
    Pieces p;
    for (std::size_t pos = 0; pos < in.size(); pos += kPieceSize) {
        std::string b;
        zk::lzrw1kh::compressBlock(std::string_view(in).substr(pos, kPieceSize), b);
        p.total += b.size();
        p.blocks.push_back(std::move(b));
    }
    return p;
}

Pieces lz4Pieces(const std::string& in)
{
    Pieces p;
    std::string dst(static_cast<std::size_t>(LZ4_compressBound(static_cast<int>(kPieceSize))), '\0');
    for (std::size_t pos = 0; pos < in.size(); pos += kPieceSize) {
        const int n = static_cast<int>(std::min(kPieceSize, in.size() - pos));
        const int written =
            LZ4_compress_default(in.data() + pos, dst.data(), n, static_cast<int>(dst.size()));
        p.blocks.emplace_back(dst.data(), static_cast<std::size_t>(written));
        p.total += static_cast<std::size_t>(written);
    }
    return p;
}

void finish(benchmark::State& state, const std::string& in, std::size_t compressed)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
    state.counters["ratio"] = static_cast<double>(compressed) / static_cast<double>(in.size());
    state.SetLabel(inputName(static_cast<int>(state.range(0))));
}

void BM_Lzrw1khCompress(benchmark::State& state)
{
    const std::string& in = input(static_cast<int>(state.range(0)));
    std::string out;
    out.reserve(kPieceSize + 16);
    std::size_t compressed = 0;
    for (auto _ : state) {
        compressed = 0;
        for (std::size_t pos = 0; pos < in.size(); pos += kPieceSize) {
            out.clear();
            zk::lzrw1kh::compressBlock(std::string_view(in).substr(pos, kPieceSize), out);
            compressed += out.size();
        }
        benchmark::DoNotOptimize(out.data());
    }
    finish(state, in, compressed);
}

void BM_Lzrw1khDecompress(benchmark::State& state)
{
    const std::string& in = input(static_cast<int>(state.range(0)));
    const Pieces pieces = lzrwPieces(in);
    std::vector<unsigned char> out(kPieceSize);
    for (auto _ : state) {
        for (const std::string& b : pieces.blocks) {
            const auto n = zk::lzrw1kh::decompressBlock(reinterpret_cast<const unsigned char*>(b.data()),
                                                        b.size(), out.data());
            benchmark::DoNotOptimize(n);
        }
        benchmark::ClobberMemory();
    }
    finish(state, in, pieces.total);
}

void BM_Lz4Compress(benchmark::State& state)
{
    const std::string& in = input(static_cast<int>(state.range(0)));
    std::string dst(static_cast<std::size_t>(LZ4_compressBound(static_cast<int>(kPieceSize))), '\0');
    std::size_t compressed = 0;
    for (auto _ : state) {
        compressed = 0;
        for (std::size_t pos = 0; pos < in.size(); pos += kPieceSize) {
            const int n = static_cast<int>(std::min(kPieceSize, in.size() - pos));
            compressed += static_cast<std::size_t>(
                LZ4_compress_default(in.data() + pos, dst.data(), n, static_cast<int>(dst.size())));
        }
        benchmark::DoNotOptimize(dst.data());
    }
    finish(state, in, compressed);
}

void BM_Lz4Decompress(benchmark::State& state)
{
    const std::string& in = input(static_cast<int>(state.range(0)));
    const Pieces pieces = lz4Pieces(in);
    std::string out(kPieceSize, '\0');
    for (auto _ : state) {
        for (const std::string& b : pieces.blocks) {
            const int n = LZ4_decompress_safe(b.data(), out.data(), static_cast<int>(b.size()),
                                              static_cast<int>(kPieceSize));
            benchmark::DoNotOptimize(n);
        }
        benchmark::ClobberMemory();
    }
    finish(state, in, pieces.total);
}

BENCHMARK(BM_Lzrw1khCompress)->DenseRange(0, 2);
BENCHMARK(BM_Lz4Compress)->DenseRange(0, 2);
BENCHMARK(BM_Lzrw1khDecompress)->DenseRange(0, 2);
BENCHMARK(BM_Lz4Decompress)->DenseRange(0, 2);

} // namespace

BENCHMARK_MAIN();
