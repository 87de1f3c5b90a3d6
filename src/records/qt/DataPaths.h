// Where this process keeps the settings file and the tally file: the rule of
// records/DataDir.h applied to the program's directory, the per-user data
// directory and ZONKARDS_DATA_DIR.
//
//     ini::readKey(settingsFilePath(), kGameKey, "Top");
//     lzrw1kh::readFile(tallyFilePath());
#pragma once

#include <filesystem>
#include <string_view>

#include "records/DataDir.h"

namespace zk {

// The rule applied to this process (QCoreApplication's directory and names,
// the environment). The chosen directory is created when it is missing.
std::filesystem::path dataDirectory();

// The settings file, "quorlanlobby.ini" in the data directory.
std::filesystem::path settingsFilePath();

// The tally file: the game key followed by "tally.tld", in the data directory.
std::filesystem::path tallyFilePath(std::string_view gameKey = kGameKey);

} // namespace zk
