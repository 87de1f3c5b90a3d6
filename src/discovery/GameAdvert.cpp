#include "discovery/GameAdvert.h"

#include <algorithm>
#include <charconv>

namespace zk {

namespace {

constexpr std::string_view stateText(GameAdvert::State state)
{
    switch (state) {
    case GameAdvert::State::Play: return "play";
    case GameAdvert::State::Over: return "over";
    case GameAdvert::State::Wait: break;
    }
    return "wait";
}

int clampedNumber(std::string_view text, int low, int high, int fallback)
{
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range)
        return text.starts_with('-') ? low : high;
    if (error != std::errc() || end != text.data() + text.size())
        return fallback;
    return static_cast<int>(std::clamp<long long>(value, low, high));
}

// The longest prefix of at most `limit` bytes that ends on a UTF-8
// character boundary.
std::string_view utf8Prefix(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

// The text with each control character (C0, DEL, and C1 as UTF-8 encodes
// it: 0xC2 0x80-0x9F) replaced by `with`, which may be empty.
std::string replaceControls(std::string_view text, std::string_view with)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto u = static_cast<unsigned char>(text[i]);
        const bool c1 =
            u == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
        if (u < 0x20 || u == 0x7F || c1) {
            out += with;
            i += c1 ? 1 : 0;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Plain one-line text: control characters dropped, cut to kMaxTxtText.
std::string plainText(std::string_view text)
{
    return std::string(utf8Prefix(replaceControls(text, ""), kMaxTxtText));
}

// DNS-SD keys are ASCII and compared without regard to case.
std::string lowerKey(std::string_view key)
{
    std::string out(key);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

} // namespace

GameAdvert boundedAdvert(GameAdvert a)
{
    a.version = plainText(a.version);
    a.hostPlayer = plainText(a.hostPlayer);
    a.seated = std::clamp(a.seated, 0, kSeatCount);
    a.free = std::clamp(a.free, 0, kSeatCount - a.seated);
    a.spies = std::clamp(a.spies, 0, kSlotCount - kSeatCount);
    a.round = a.state == GameAdvert::State::Play ? std::clamp(a.round, 1, kRounds) : 0;
    return a;
}

std::vector<std::string> toTxt(const GameAdvert& a)
{
    std::vector<std::string> items = {
        "txtvers=" + std::to_string(kTxtLayout), "v=" + a.version,
        "seated=" + std::to_string(a.seated),    "free=" + std::to_string(a.free),
        "spies=" + std::to_string(a.spies),      "state=" + std::string(stateText(a.state)),
    };
    if (a.state == GameAdvert::State::Play)
        items.push_back("round=" + std::to_string(a.round));
    if (!a.hostPlayer.empty())
        items.push_back("host=" + plainText(a.hostPlayer));
    return items;
}

GameAdvert fromTxt(const std::vector<std::string>& items)
{
    GameAdvert a;
    bool seenFree = false;
    // RFC 6763 6.4: only the first occurrence of a key counts, also when it
    // comes without "=" (a boolean attribute), and an item without a key is
    // ignored.
    std::vector<std::string> seen;
    for (const std::string& item : items) {
        const auto eq = item.find('=');
        const std::string key = lowerKey(std::string_view(item).substr(0, eq));
        if (key.empty() || std::find(seen.begin(), seen.end(), key) != seen.end())
            continue;
        seen.push_back(key);
        if (eq == std::string::npos)
            continue;
        const std::string_view value = std::string_view(item).substr(eq + 1);
        if (key == "v") {
            a.version = plainText(value);
        } else if (key == "seated") {
            a.seated = clampedNumber(value, 0, kSeatCount, 0);
        } else if (key == "free") {
            a.free = clampedNumber(value, 0, kSeatCount, kSeatCount);
            seenFree = true;
        } else if (key == "spies") {
            a.spies = clampedNumber(value, 0, kSlotCount - kSeatCount, 0);
        } else if (key == "state") {
            a.state = value == "play"   ? GameAdvert::State::Play
                      : value == "over" ? GameAdvert::State::Over
                                        : GameAdvert::State::Wait;
        } else if (key == "round") {
            a.round = clampedNumber(value, 1, kRounds, 1);
        } else if (key == "host") {
            a.hostPlayer = plainText(value);
        }
    }
    // Seats taken and seats open never add up to more than a table has.
    if (!seenFree || a.seated + a.free > kSeatCount)
        a.free = kSeatCount - a.seated;
    if (a.state != GameAdvert::State::Play)
        a.round = 0;
    else if (a.round == 0)
        a.round = 1;
    return a;
}

std::string gameInstanceName(std::string_view machine, std::string_view player, int port, int defaultPort)
{
    const std::string suffix = port != defaultPort ? " (port " + std::to_string(port) + ")" : std::string();
    const std::string head = player.empty() ? "Zonkards on " : std::string(player) + "'s game on ";
    std::string name = head + std::string(machine.empty() ? std::string_view("this computer") : machine);
    return std::string(utf8Prefix(name, kMaxInstanceBytes - suffix.size())) + suffix;
}

std::string visibleName(std::string_view instance)
{
    return replaceControls(instance, "\uFFFD");
}

std::string describePlayers(const GameAdvert& a)
{
    std::string text = std::to_string(a.seated) + " of " + std::to_string(kSeatCount) + " seated";
    if (a.spies > 0)
        text += ", " + std::to_string(a.spies) + " watching";
    return text;
}

std::string describeState(const GameAdvert& a)
{
    switch (a.state) {
    case GameAdvert::State::Play:
        return "round " + std::to_string(a.round) + " of " + std::to_string(kRounds);
    case GameAdvert::State::Over: return "over";
    case GameAdvert::State::Wait: break;
    }
    return "waiting";
}

std::string joinRefusal(const FoundGame& game, std::string_view ownVersion)
{
    if (game.advert.version != ownVersion) {
        const std::string theirs =
            game.advert.version.empty() ? "an unknown version" : "version " + game.advert.version;
        return "This game runs " + theirs + "; yours is " + std::string(ownVersion) + ".";
    }
    if (game.advert.free == 0 && game.advert.spies >= kSlotCount - kSeatCount)
        return "This game is full.";
    return {};
}

} // namespace zk
