// Feeds arbitrary bytes to the tally file reader. Whatever it accepts must
// survive being written and read again unchanged, and the bytes themselves,
// taken as a text, must come back from a container unchanged. A decoded text
// that reads as a tally must write back to a text that reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "records/LZRW1KH.h"
#include "records/Tally.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const zk::lzrw1kh::Result read = zk::lzrw1kh::decompress(bytes, "fuzz");
    if (read.ok()) {
        const zk::lzrw1kh::Result again = zk::lzrw1kh::decompress(zk::lzrw1kh::compress(read.text), "fuzz");
        if (!again.ok() || again.text != read.text)
            std::abort();
        if (const auto tally = zk::Tally::fromText(read.text)) {
            const std::string text = tally->toText();
            const auto back = zk::Tally::fromText(text);
            if (!back || back->toText() != text)
                std::abort();
        }
    } else if (!read.text.empty()) {
        std::abort(); // a failure never hands out part of a text
    }

    const zk::lzrw1kh::Result trip = zk::lzrw1kh::decompress(zk::lzrw1kh::compress(bytes), "fuzz");
    if (!trip.ok() || trip.text != bytes)
        std::abort();
    return 0;
}
