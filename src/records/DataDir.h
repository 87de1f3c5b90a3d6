// Where the settings file and the tally file live.
//
// The program's own directory when it is writable (a copy unpacked anywhere
// keeps its files beside it); otherwise the per-user data directory
// (QStandardPaths::AppDataLocation, created on demand), so that an installed
// copy under /usr works too. The environment variable ZONKARDS_DATA_DIR
// overrides both (tests, several players on one machine).
//
//     chooseDataDirectory(override, programDir, writable, userDir);
//
// The rule applied to this process is records/qt/DataPaths.h.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "game/Options.h" // kGameKey

namespace zk {

inline constexpr std::string_view kSettingsFileName = "quorlanlobby.ini";
inline constexpr std::string_view kTallyFileSuffix = "tally.tld";
inline constexpr const char* kDataDirVariable = "ZONKARDS_DATA_DIR";

// The rule itself, free of the environment: the override when it is set and
// not empty, else the program's directory when writable, else the per-user one.
std::filesystem::path chooseDataDirectory(const std::optional<std::filesystem::path>& override,
                                          const std::filesystem::path& programDir, bool programDirWritable,
                                          const std::filesystem::path& userDataDir);

} // namespace zk
