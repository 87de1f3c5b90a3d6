// Where this process keeps the settings file and the tally file: the rule of
// records/DataDir.h applied to the program's directory, the per-user data
// directory and ZONKARDS_DATA_DIR.
//
//     ini::readKey(settingsFilePath(), kGameKey, "Top");
//     lzrw1kh::readFile(tallyFilePath());
#pragma once

#include <filesystem>
#include <string_view>

#include <QString>

#include "records/DataDir.h"

namespace zk {

// An installed copy: its folder's ../share/metainfo holds our metainfo file
// (bin/ of /usr, /usr/local or any --prefix). It keeps its files per user even
// where it could write beside itself (run as root, or a user-owned prefix).
bool isInstalledProgramDirectory(const QString& dir);
// Whether a program in dir keeps its files beside itself: writable and not
// installed.
bool keepsFilesInProgramDirectory(const QString& dir);

// The rule applied to this process (QCoreApplication's directory and names,
// the environment). The chosen directory is created when it is missing.
std::filesystem::path dataDirectory();

// The settings file, "quorlanlobby.ini" in the data directory.
std::filesystem::path settingsFilePath();

// The tally file: the game key followed by "tally.tld", in the data directory.
std::filesystem::path tallyFilePath(std::string_view gameKey = kGameKey);

} // namespace zk
