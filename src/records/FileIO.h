// Whole-file reading and atomic replacement for the settings and tally files.
//
// A write goes to a temporary sibling of the target and is renamed over it
// only when every byte is on disk, so a crash or a full disk never leaves a
// half-written file: the target holds either the old or the new content.
//
//     FileBytes f = readWholeFile(path);           // f.status == ReadStatus::Missing ...
//     if (writeFileAtomically(path, bytes) != WriteStatus::Done) { ... }
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zk {

enum class ReadStatus {
    Ok,
    Missing,    // nothing at that path
    OpenFailed, // something is there but it cannot be opened as a file
    ReadFailed, // opened, but reading stopped before the end
};

struct FileBytes {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
};

FileBytes readWholeFile(const std::filesystem::path& path);

enum class WriteStatus {
    Done,
    OpenFailed,  // the temporary sibling could not be created
    WriteFailed, // writing, flushing or the final rename failed; the target is unchanged
};

WriteStatus writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Removes the temporary siblings that writes of this file left behind when
// the program was killed in the middle of one
// ("quorlanlobby.ini.zktmp-0123456789abcdef~": the file's name, ".zktmp-",
// 16 lower-case hex digits and "~"), and nothing else: a player's own
// "quorlanlobby.ini.backup" stays. Call it only while no write of the file
// can be under way (at start, with the single-instance lock held). Returns
// how many were removed; errors are passed over.
int removeStaleTemporaries(const std::filesystem::path& file);

// Renames file to the first name beside it that is free: its own name with
// suffix, then with suffix and "-2", "-3"... ("agametally.tld.unreadable-
// 2026-12-10-2"). Nothing is replaced. The new path, or nullopt when the
// rename failed.
std::optional<std::filesystem::path> renameAside(const std::filesystem::path& file, std::string_view suffix);

// A path as UTF-8 text, for messages shown to the player.
std::string pathText(const std::filesystem::path& path);

} // namespace zk
