#include "records/LZRW1KH.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "records/FileIO.h"

namespace zk::lzrw1kh {
namespace {

constexpr std::size_t kHashSize = 4096;
constexpr std::uint16_t kEmpty = 0xFFFF;
constexpr std::size_t kMaxOffset = 4095;
constexpr std::size_t kMinCopy = 3;
constexpr std::size_t kMaxCopy = 18;
constexpr std::size_t kMinRun = 16;
constexpr std::size_t kMaxRun = 4095;

inline std::uint32_t hashAt(const unsigned char* s)
{
    return ((((((std::uint32_t{s[0]} << 4) ^ s[1]) << 4) ^ s[2]) * 40543u) >> 4) & 0x0FFF;
}

void putLe16(std::string& out, std::size_t at, std::size_t value)
{
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

std::uint32_t le32(const unsigned char* p)
{
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

} // namespace

void compressBlock(std::string_view piece, std::string& out)
{
    if (piece.size() > kPieceSize)
        throw std::invalid_argument("lzrw1kh: piece longer than 32768 bytes");
    const std::size_t n = piece.size();
    const std::size_t start = out.size();
    auto store = [&] {
        out.resize(start);
        out.push_back(static_cast<char>(kStoredFlag));
        out.append(piece);
    };
    if (n < kMinCopy) {
        store();
        return;
    }

    // Room for the piece's length plus one more item and control word: the
    // output is checked against the piece's length after every item.
    out.resize(start + n + 8);
    auto* const base = reinterpret_cast<unsigned char*>(out.data() + start);
    const auto* const src = reinterpret_cast<const unsigned char*>(piece.data());
    unsigned char* d = base;
    *d++ = kCompressedFlag;

    std::array<std::uint16_t, kHashSize> table;
    table.fill(kEmpty);

    unsigned char* control = nullptr; // where the open group's control word goes
    unsigned bits = 0;                // control bits of the open group so far
    unsigned items = 0;               // items in the open group
    std::size_t p = 0;
    while (p < n) {
        if (items == 16) {
            control[0] = static_cast<unsigned char>(bits >> 8);
            control[1] = static_cast<unsigned char>(bits);
            items = 0;
        }
        if (items == 0) {
            control = d;
            d += 2;
            bits = 0;
        }

        const unsigned char c = src[p];
        const std::size_t runLimit = std::min(kMaxRun, n - p);
        std::size_t run = 1;
        while (run < runLimit && src[p + run] == c)
            ++run;

        if (run >= kMinRun) {
            const std::size_t v = run - kMinRun;
            d[0] = 0;
            d[1] = static_cast<unsigned char>(v >> 8);
            d[2] = static_cast<unsigned char>(v);
            d[3] = c;
            d += 4;
            bits = (bits << 1) | 1;
            p += run;
        } else {
            std::size_t length = 0;
            std::size_t offset = 0;
            if (n - p >= 3) {
                const std::uint32_t h = hashAt(src + p);
                const std::uint16_t candidate = table[h];
                table[h] = static_cast<std::uint16_t>(p);
                if (candidate != kEmpty && p - candidate <= kMaxOffset) {
                    const std::size_t limit = std::min(kMaxCopy, n - p);
                    const unsigned char* a = src + candidate;
                    const unsigned char* b = src + p;
                    while (length < limit && a[length] == b[length])
                        ++length;
                    offset = p - candidate;
                }
            }
            if (length >= kMinCopy) {
                const std::size_t v = offset * 16 + (length - kMinCopy);
                d[0] = static_cast<unsigned char>(v >> 8);
                d[1] = static_cast<unsigned char>(v);
                d += 2;
                bits = (bits << 1) | 1;
                p += length;
            } else {
                *d++ = c;
                bits <<= 1;
                ++p;
            }
        }
        ++items;
        if (static_cast<std::size_t>(d - base) > n) {
            store();
            return;
        }
    }
    if (items > 0) {
        bits <<= (16 - items); // the used bits are the high bits
        control[0] = static_cast<unsigned char>(bits >> 8);
        control[1] = static_cast<unsigned char>(bits);
    }
    out.resize(start + static_cast<std::size_t>(d - base));
}

std::optional<std::size_t> decompressBlock(const unsigned char* s, std::size_t size, unsigned char* dst)
{
    if (size == 0)
        return std::nullopt;
    if (s[0] == kStoredFlag) {
        if (size - 1 > kPieceSize)
            return std::nullopt;
        std::memcpy(dst, s + 1, size - 1);
        return size - 1;
    }
    if (s[0] != kCompressedFlag)
        return std::nullopt;

    std::size_t o = 0; // bytes produced
    std::size_t i = 1; // next input byte
    while (i < size) {
        if (size - i < 2)
            return std::nullopt;
        unsigned control = (unsigned{s[i]} << 8) | s[i + 1];
        i += 2;
        for (int k = 0; k < 16 && i < size; ++k, control <<= 1) {
            if ((control & 0x8000) == 0) {
                if (o >= kPieceSize)
                    return std::nullopt;
                dst[o++] = s[i++];
                continue;
            }
            if (size - i < 2)
                return std::nullopt;
            const unsigned value = (unsigned{s[i]} << 8) | s[i + 1];
            const std::size_t offset = value >> 4;
            if (offset == 0) {
                if (size - i < 4)
                    return std::nullopt;
                const std::size_t length = ((std::size_t{s[i + 1]} << 8) | s[i + 2]) + kMinRun;
                if (length > kMaxRun || kPieceSize - o < length)
                    return std::nullopt;
                std::memset(dst + o, s[i + 3], length);
                o += length;
                i += 4;
            } else {
                const std::size_t length = (value & 0x0F) + kMinCopy;
                if (offset > o || kPieceSize - o < length)
                    return std::nullopt;
                const unsigned char* from = dst + o - offset;
                if (offset >= length) {
                    std::memcpy(dst + o, from, length);
                } else {
                    // Byte by byte: the copy overlaps the bytes it produces.
                    for (std::size_t j = 0; j < length; ++j)
                        dst[o + j] = from[j];
                }
                o += length;
                i += 2;
            }
        }
    }
    return o;
}

bool decompressBlock(std::string_view block, std::string& out)
{
    unsigned char buffer[kPieceSize];
    const auto produced =
        decompressBlock(reinterpret_cast<const unsigned char*>(block.data()), block.size(), buffer);
    if (!produced)
        return false;
    out.append(reinterpret_cast<const char*>(buffer), *produced);
    return true;
}

std::string compress(std::string_view text)
{
    if (text.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("lzrw1kh: text too long for the container");
    std::string out;
    out.reserve(8 + text.size() / 2 + 16);
    out.append(kIdentifier, 4);
    const auto size = static_cast<std::uint32_t>(text.size());
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<char>((size >> (8 * k)) & 0xFF));

    std::size_t pos = 0;
    for (;;) {
        const std::string_view piece = text.substr(pos, kPieceSize);
        const std::size_t lengthAt = out.size();
        out.append(2, '\0');
        compressBlock(piece, out);
        putLe16(out, lengthAt, out.size() - lengthAt - 2);
        pos += piece.size();
        if (piece.size() < kPieceSize)
            break;
    }
    return out;
}

Result decompress(std::string_view container, std::string_view path)
{
    Result r;
    const auto* const s = reinterpret_cast<const unsigned char*>(container.data());
    if (container.size() < 4 || std::memcmp(s, kIdentifier, 4) != 0) {
        r.error = noValidHeaderMessage(path);
        return r;
    }
    if (container.size() < 8) {
        r.error = readErrorMessage(path);
        return r;
    }
    const std::uint32_t expected = le32(s + 4);
    std::size_t pos = 8;
    for (;;) {
        if (container.size() - pos < 2) {
            r.error = readErrorMessage(path);
            break;
        }
        const std::size_t length = std::size_t{s[pos]} | (std::size_t{s[pos + 1]} << 8);
        pos += 2;
        if (container.size() - pos < length) {
            r.error = readErrorMessage(path);
            break;
        }
        const std::size_t before = r.text.size();
        if (!decompressBlock(container.substr(pos, length), r.text)) {
            r.error = sizesDoNotMatchMessage();
            break;
        }
        pos += length;
        // More than the stored size can never end well; stop before the
        // text grows any further.
        if (r.text.size() > expected) {
            r.error = sizesDoNotMatchMessage();
            break;
        }
        if (r.text.size() - before < kPieceSize) {
            if (r.text.size() != expected)
                r.error = sizesDoNotMatchMessage();
            break;
        }
    }
    if (!r.ok())
        r.text.clear();
    return r;
}

std::string noValidHeaderMessage(std::string_view path)
{
    return std::string(path) + " : Lzrw1 decompression : this file has no valid header !";
}

std::string sizesDoNotMatchMessage()
{
    return "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
}

std::string readErrorMessage(std::string_view path)
{
    return "Lzrw1 : Error reading from input file : " + std::string(path);
}

std::string openInputFailedMessage(std::string_view path)
{
    return "Lzrw1 (de)compression : Failed to open input file : " + std::string(path);
}

std::string openOutputFailedMessage(std::string_view path)
{
    return "Lzrw1 (de)compression : Failed to open output file : " + std::string(path);
}

std::string writeErrorMessage(std::string_view path)
{
    return "Lzrw1 : Error writing to output file : " + std::string(path);
}

Result readFile(const std::filesystem::path& path)
{
    const std::string name = pathText(path);
    const FileBytes f = readWholeFile(path);
    switch (f.status) {
    case ReadStatus::Ok: return decompress(f.bytes, name);
    case ReadStatus::ReadFailed: return Result{{}, readErrorMessage(name)};
    case ReadStatus::Missing:
    case ReadStatus::OpenFailed: break;
    }
    return Result{{}, openInputFailedMessage(name)};
}

std::optional<std::string> writeFile(const std::filesystem::path& path, std::string_view text)
{
    const std::string bytes = compress(text);
    switch (writeFileAtomically(path, bytes)) {
    case WriteStatus::Done: return std::nullopt;
    case WriteStatus::OpenFailed: return openOutputFailedMessage(pathText(path));
    case WriteStatus::WriteFailed: break;
    }
    return writeErrorMessage(pathText(path));
}

} // namespace zk::lzrw1kh
