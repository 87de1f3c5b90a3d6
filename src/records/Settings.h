// The player's options as stored in the settings file (section "agame"):
// reading them with every rule and default, writing them in their fixed
// order, the phrase keys, and the rule that decides what closing the main
// window writes.
//
// The main window keeps the options in its menus (PlayerOptions too); it
// copies them whole into a SettingsValues to save, and back when it applies
// a loaded one:
//
//     SettingsValues v;
//     v.phrases = buttons;                   // an empty key keeps the button's text
//     loadSettings(settingsFilePath(), kGameKey, v);
//     static_cast<PlayerOptions&>(menu) = v; remembered = v.bounds;
//     ...
//     if (auto msg = saveSettings(settingsFilePath(), kGameKey, current()))
//         QMessageBox::warning(..., QString::fromUtf8(*msg));   // "Unable to write to ..."
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "game/Colour.h"
#include "game/Options.h"
#include "game/Timing.h"
#include "records/Phrases.h"

namespace zk {

// What the settings file stores: the player's options, the window's
// bounds, the phrases and the start window's limit. A value made anew holds
// what missing keys give.
struct SettingsValues : PlayerOptions {
    SettingsValues() : PlayerOptions(kOptionsForMissingKeys) {}
    WindowBounds bounds = kDefaultBounds;
    PhraseList phrases = kBuiltInPhrases;
    int rolls = 0;
};

namespace settingkey {
inline constexpr std::string_view Top = "Top";
inline constexpr std::string_view Left = "Left";
inline constexpr std::string_view Width = "Width";
inline constexpr std::string_view Height = "Height";
inline constexpr std::string_view Turnsound = "Turnsound";
inline constexpr std::string_view ChatterSounds = "ChatterSounds";
inline constexpr std::string_view Textsize = "Textsize";
inline constexpr std::string_view Textcolor = "Textcolor";
inline constexpr std::string_view Actioncolor = "Actioncolor";
inline constexpr std::string_view Botspeed = "Botspeed";
inline constexpr std::string_view Playsounds = "Playsounds";
inline constexpr std::string_view Remindme = "Remindme";
inline constexpr std::string_view Rolls = "Rolls";
// The lobby download window reads LobbyUrl and LobbyPath (its own keys,
// LobbyAddress.h) through readSetting; the table never does.
} // namespace settingkey

// The order in which Load settings reads and applies the keys. The window
// is given its four bounds in one step after Height.
inline constexpr std::array<std::string_view, 22> kLoadOrder = {
    settingkey::Top,
    settingkey::Left,
    settingkey::Width,
    settingkey::Height,
    settingkey::Turnsound,
    settingkey::ChatterSounds,
    settingkey::Textsize,
    settingkey::Textcolor,
    settingkey::Actioncolor,
    settingkey::Botspeed,
    "Phrase1",
    "Phrase2",
    "Phrase3",
    "Phrase4",
    "Phrase5",
    "Phrase6",
    "Phrase7",
    "Phrase8",
    "Phrase9",
    settingkey::Playsounds,
    settingkey::Remindme,
    settingkey::Rolls,
};

// The order in which Save settings writes the keys.
inline constexpr std::array<std::string_view, 13> kSaveOrder = {
    settingkey::Textsize, settingkey::Textcolor, settingkey::Actioncolor,   settingkey::Botspeed,
    settingkey::Rolls,    settingkey::Top,       settingkey::Left,          settingkey::Width,
    settingkey::Height,   settingkey::Turnsound, settingkey::ChatterSounds, settingkey::Playsounds,
    settingkey::Remindme,
};

// Writes one key of one section; false when it could not be written. A
// caller may pass its own (to log, for instance, or to fail on purpose);
// without one, a save replaces the file once with every key applied.
using KeyWriter = std::function<bool(const std::filesystem::path& file, std::string_view section,
                                     std::string_view key, std::string_view value)>;

// The one value of one key, for keys that other windows own (LobbyUrl,
// LobbyPath); nullopt when the file, the section or the key is missing.
std::optional<std::string> readSetting(const std::filesystem::path& file, std::string_view section,
                                       std::string_view key);

// Load settings: every field of values except the phrases is set from the
// file or to its default; a phrase is replaced only by a non-empty value, so
// values.phrases should hold the buttons' current texts on entry.
void loadSettings(const std::filesystem::path& file, std::string_view section, SettingsValues& values);

// Save settings: writes the keys of kSaveOrder from values, never the phrase
// keys. A key that cannot be written stops the save and gives the message
// "Unable to write to <path>" (UTF-8); a failure on Textcolor or Actioncolor
// alone is passed over. nullopt when everything was written.
std::optional<std::string> saveSettings(const std::filesystem::path& file, std::string_view section,
                                        const SettingsValues& values, const KeyWriter& write = {});

// Save phrases (the phrase editor's "Done"): writes Phrase1 to Phrase9 and
// stops at the first key that cannot be written, with the same message.
std::optional<std::string> savePhrases(const std::filesystem::path& file, std::string_view section,
                                       const PhraseList& phrases, const KeyWriter& write = {});

// "Unable to write to <path>".
std::string unableToWriteMessage(const std::filesystem::path& file);

// The text written for each value.
std::string botSpeedText(int delay); // "1000", "350", anything else "650"
std::string rollsText(int rolls);    // "1", "2", "5", anything else "0"

// Closing the main window: nullopt when its bounds equal the remembered ones
// (nothing is written). Otherwise the bounds to store and remember: the width
// is reduced once by 15 pixels when it is greater than the work area's width,
// and the height likewise.
std::optional<WindowBounds> boundsToSaveOnClose(const WindowBounds& window, const WindowBounds& remembered,
                                                int workAreaWidth, int workAreaHeight);

// The bounds a window is given from the file: no wider or taller than the
// work area and no smaller than the minimum, placed wholly inside the work
// area (a window larger than the area sits at its top left corner), so no
// stored value can make a window that cannot be drawn or cannot be seen.
WindowBounds fitToWorkArea(const WindowBounds& stored, const WindowBounds& workArea, int minimumWidth,
                           int minimumHeight);

} // namespace zk
