// The LZRW1/KH block codec and the "WRZL" container of the win tally file.
//
// Container: "WRZL", the text's size (4 bytes, little-endian), then blocks,
// each a 2-byte little-endian length and the block. The text is cut into
// pieces of kPieceSize bytes, one block each; the last block always stands for
// fewer than kPieceSize bytes (an empty piece when the size is a multiple of
// it), and that is how the reader knows where to stop.
//
// Block: byte 0 is kStoredFlag (the piece follows unchanged) or
// kCompressedFlag, then groups of a 16-bit control word (high byte first,
// most significant bit first, 1 for a copy or run, 0 for a literal) and up to
// 16 items: a literal byte; a copy of 2 bytes, big-endian offset*16 + (length-3),
// offset 1-4095 back, length 3-18; or a run of 4 bytes: 0, the high and low
// byte of length-16 (length 16-4095), and the byte repeated.
//
//     std::string file = lzrw1kh::compress(text);
//     lzrw1kh::Result r = lzrw1kh::decompress(file, "agametally.tld");
//     if (!r.ok()) show(r.error);
//
// The reader checks every length, offset and size against its buffers, so a
// damaged or hostile file is reported with one of the messages below and never
// makes it read or write outside them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zk::lzrw1kh {

inline constexpr std::size_t kPieceSize = 32768;
inline constexpr unsigned char kStoredFlag = 0x80;
inline constexpr unsigned char kCompressedFlag = 0x40;
inline constexpr char kIdentifier[] = "WRZL"; // the 32-bit value 0x4C5A5257 on disk

// Appends the block for one piece of at most kPieceSize bytes: compressed, or
// stored (1 + piece size bytes) when compressing would not make it shorter.
void compressBlock(std::string_view piece, std::string& out);

// Decodes one block of size bytes into dst, which has room for kPieceSize
// bytes; the number of bytes produced, or nullopt when the block is malformed
// or would give more than kPieceSize bytes.
std::optional<std::size_t> decompressBlock(const unsigned char* block, std::size_t size, unsigned char* dst);

// Appends what one block stands for. False, with out unchanged, when the
// block is malformed or would give more than kPieceSize bytes.
bool decompressBlock(std::string_view block, std::string& out);

// The whole container for text. Texts of 4 GiB or more cannot be described
// by the size field and throw std::length_error.
std::string compress(std::string_view text);

struct Result {
    std::string text;
    std::string error; // one of the messages below; empty on success
    bool ok() const { return error.empty(); }
};

// Reads a container; path only names the file in the messages.
Result decompress(std::string_view container, std::string_view path);

// The messages of the reader; path is the file's path as text.
std::string noValidHeaderMessage(std::string_view path);
std::string sizesDoNotMatchMessage();
std::string readErrorMessage(std::string_view path);
std::string openInputFailedMessage(std::string_view path);
std::string openOutputFailedMessage(std::string_view path);
std::string writeErrorMessage(std::string_view path);

// Reads and decompresses a file.
Result readFile(const std::filesystem::path& path);

// Compresses text into a file, replacing it atomically: on failure the
// previous file is kept. Returns the failure's message, or nullopt.
std::optional<std::string> writeFile(const std::filesystem::path& path, std::string_view text);

} // namespace zk::lzrw1kh
