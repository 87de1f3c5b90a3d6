// Feeds the reader of a found game's TXT record any items (the input split
// at NUL bytes, as the daemon hands over byte strings) and checks what the
// dialog would show: seats within the table, seats taken and open adding up
// to six at most, watchers within three, a round only while playing and
// within the seven, texts without control characters and within their
// length; and a record written from what was read reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "discovery/GameAdvert.h"

namespace {

bool plain(const std::string& text)
{
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            return false;
    }
    return text.size() <= zk::kMaxTxtText;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zk;
    std::vector<std::string> items(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            items.emplace_back();
        else
            items.back() += static_cast<char>(data[i]);
    }
    const GameAdvert a = fromTxt(items);
    CHECK(a.seated >= 0 && a.seated <= kSeatCount);
    CHECK(a.free >= 0 && a.seated + a.free <= kSeatCount);
    CHECK(a.spies >= 0 && a.spies <= kSlotCount - kSeatCount);
    CHECK(a.state == GameAdvert::State::Play ? a.round >= 1 && a.round <= kRounds : a.round == 0);
    CHECK(plain(a.version) && plain(a.hostPlayer));
    CHECK(fromTxt(toTxt(a)) == a);
    const FoundGame g{.instance = items.front(), .address = "192.0.2.1", .port = 7772, .advert = a};
    CHECK(!describePlayers(a).empty() && !describeState(a).empty());
    (void)joinRefusal(g, "1.0.2");
    return 0;
}
