#include "records/Settings.h"

#include <algorithm>
#include <charconv>

#include "records/FileIO.h"
#include "records/IniFile.h"

namespace zk {
namespace {

// A whole decimal integer, or nullopt.
std::optional<int> parseInt(const std::optional<std::string>& text)
{
    if (!text || text->empty())
        return std::nullopt;
    int value = 0;
    const char* first = text->data();
    const char* last = first + text->size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last)
        return std::nullopt;
    return value;
}

// The on/off keys are off only for exactly "false".
bool parseOnOff(const std::optional<std::string>& text)
{
    return !(text && *text == "false");
}

ColourValue parseColour(const std::optional<std::string>& text)
{
    // A missing key reads as "clblack"; anything unreadable is black too.
    if (!text)
        return colour::clBlack;
    return colourFromText(*text).value_or(colour::clBlack);
}

const char* onOffText(bool on)
{
    return on ? "true" : "false";
}

// The real writer of one save: every key is applied to the file's content
// in memory and the file is replaced once, at commit. A crash or a full disk
// in the middle of a save leaves the old file or the new one, never some keys
// of each. The bytes are those that writing the keys one by one would give.
class StagedKeys {
public:
    explicit StagedKeys(const std::filesystem::path& file) : file_(file)
    {
        FileBytes f = readWholeFile(file);
        readable_ = f.status == ReadStatus::Ok || f.status == ReadStatus::Missing;
        bytes_ = std::move(f.bytes);
    }
    KeyWriter writer()
    {
        return [this](const std::filesystem::path&, std::string_view section, std::string_view key,
                      std::string_view value) {
            if (readable_)
                bytes_ = ini::withValue(bytes_, section, key, value);
            return readable_;
        };
    }
    bool commit() const { return readable_ && writeFileAtomically(file_, bytes_) == WriteStatus::Done; }

private:
    std::filesystem::path file_;
    std::string bytes_;
    bool readable_ = false;
};

// Runs one save through the caller's writer, or staged and committed once.
template <typename Body>
std::optional<std::string> save(const std::filesystem::path& file, const KeyWriter& writer, Body&& body)
{
    if (writer)
        return body(writer);
    StagedKeys staged(file);
    if (auto message = body(staged.writer()))
        return message;
    if (!staged.commit())
        return unableToWriteMessage(file);
    return std::nullopt;
}

} // namespace

std::optional<std::string> readSetting(const std::filesystem::path& file, std::string_view section,
                                       std::string_view key)
{
    return ini::readKey(file, section, key);
}

void loadSettings(const std::filesystem::path& file, std::string_view section, SettingsValues& values)
{
    auto read = [&](std::string_view key) { return ini::readKey(file, section, key); };

    values.bounds.top = parseInt(read(settingkey::Top)).value_or(kDefaultBounds.top);
    values.bounds.left = parseInt(read(settingkey::Left)).value_or(kDefaultBounds.left);
    values.bounds.width = parseInt(read(settingkey::Width)).value_or(kDefaultBounds.width);
    values.bounds.height = parseInt(read(settingkey::Height)).value_or(kDefaultBounds.height);

    const auto turn = read(settingkey::Turnsound);
    values.turnSound = turn && *turn == "1" ? TurnSound::New : TurnSound::Classic;
    values.playChatterSounds = parseOnOff(read(settingkey::ChatterSounds));

    // A font of no size or a negative one cannot be shown; it is as
    // unreadable as text that is not a number.
    const auto size = parseInt(read(settingkey::Textsize));
    values.textSize = size && *size > 0 ? *size : 8;

    values.textColour = parseColour(read(settingkey::Textcolor));
    values.actionColour = parseColour(read(settingkey::Actioncolor));

    const auto speed = read(settingkey::Botspeed);
    if (speed && *speed == "1000")
        values.botSpeed = kBotSpeedSlow;
    else if (speed && *speed == "350")
        values.botSpeed = kBotSpeedFast;
    else
        values.botSpeed = kBotSpeedNormal;

    for (int n = 1; n <= kPhraseCount; ++n) {
        const auto phrase = read(phraseKey(n));
        if (phrase && !phrase->empty())
            values.phrases[static_cast<std::size_t>(n - 1)] = *phrase;
    }

    values.playSounds = parseOnOff(read(settingkey::Playsounds));
    values.remindMe = parseOnOff(read(settingkey::Remindme));

    const auto rolls = read(settingkey::Rolls);
    values.rolls = 0;
    for (const char* choice : {"1", "2", "5"}) {
        if (rolls && *rolls == choice)
            values.rolls = *rolls->data() - '0';
    }
}

std::string botSpeedText(int delay)
{
    if (delay == kBotSpeedSlow)
        return "1000";
    if (delay == kBotSpeedFast)
        return "350";
    return "650";
}

std::string rollsText(int rolls)
{
    return rolls == 1 || rolls == 2 || rolls == 5 ? std::to_string(rolls) : "0";
}

std::string unableToWriteMessage(const std::filesystem::path& file)
{
    return "Unable to write to " + pathText(file);
}

std::optional<std::string> saveSettings(const std::filesystem::path& file, std::string_view section,
                                        const SettingsValues& values, const KeyWriter& writer)
{
    return save(file, writer, [&](const KeyWriter& write) -> std::optional<std::string> {
        struct Item {
            std::string_view key;
            std::string value;
            bool mayFail; // its failure alone does not stop the save
        };
        const Item items[] = {
            {settingkey::Textsize, std::to_string(values.textSize), false},
            {settingkey::Textcolor, colourToText(values.textColour), true},
            {settingkey::Actioncolor, colourToText(values.actionColour), true},
            {settingkey::Botspeed, botSpeedText(values.botSpeed), false},
            {settingkey::Rolls, rollsText(values.rolls), false},
            {settingkey::Top, std::to_string(values.bounds.top), false},
            {settingkey::Left, std::to_string(values.bounds.left), false},
            {settingkey::Width, std::to_string(values.bounds.width), false},
            {settingkey::Height, std::to_string(values.bounds.height), false},
            {settingkey::Turnsound, values.turnSound == TurnSound::New ? "1" : "0", false},
            {settingkey::ChatterSounds, onOffText(values.playChatterSounds), false},
            {settingkey::Playsounds, onOffText(values.playSounds), false},
            {settingkey::Remindme, onOffText(values.remindMe), false},
        };
        static_assert(std::size(items) == kSaveOrder.size());
        for (const Item& item : items) {
            if (!write(file, section, item.key, item.value) && !item.mayFail)
                return unableToWriteMessage(file);
        }
        return std::nullopt;
    });
}

std::optional<std::string> savePhrases(const std::filesystem::path& file, std::string_view section,
                                       const PhraseList& phrases, const KeyWriter& writer)
{
    return save(file, writer, [&](const KeyWriter& write) -> std::optional<std::string> {
        for (int n = 1; n <= kPhraseCount; ++n) {
            if (!write(file, section, phraseKey(n), phrases[static_cast<std::size_t>(n - 1)]))
                return unableToWriteMessage(file);
        }
        return std::nullopt;
    });
}

std::optional<WindowBounds> boundsToSaveOnClose(const WindowBounds& window, const WindowBounds& remembered,
                                                int workAreaWidth, int workAreaHeight)
{
    if (window == remembered)
        return std::nullopt;
    WindowBounds saved = window;
    if (saved.width > workAreaWidth)
        saved.width -= 15;
    if (saved.height > workAreaHeight)
        saved.height -= 15;
    return saved;
}

WindowBounds fitToWorkArea(const WindowBounds& stored, const WindowBounds& workArea, int minimumWidth,
                           int minimumHeight)
{
    WindowBounds b = stored;
    b.width = std::max(std::min(b.width, workArea.width), minimumWidth);
    b.height = std::max(std::min(b.height, workArea.height), minimumHeight);
    // Right and bottom edges first, so a window larger than the area keeps
    // its top left corner (title bar and menu) in view.
    b.left = std::max(std::min(b.left, workArea.left + workArea.width - b.width), workArea.left);
    b.top = std::max(std::min(b.top, workArea.top + workArea.height - b.height), workArea.top);
    return b;
}

} // namespace zk
