// Private-profile (INI) access: one key of one section read or written at a
// time, as the settings file of the table is used.
//
// Section and key names match without regard to letter case. A write changes
// only the value of that one key: every other line (other sections, comments,
// blank lines, key order, line endings) stays byte for byte as it was. A
// missing file or section is created on write, and the file is replaced
// atomically (see FileIO.h).
//
//     ini::writeKey(file, "agame", "Top", "40");    // false: not written
//     auto top = ini::readKey(file, "agame", "top"); // "40"
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zk::ini {

// The value of the first key of that name in the first section of that name
// in content, with spaces and tabs around it removed; nullopt when absent.
std::optional<std::string> findValue(std::string_view content, std::string_view section,
                                     std::string_view key);

// content with that key set to value. An existing key keeps its line, its
// spelling and its line ending; a new key goes after the last non-blank line
// of the section; a new section goes at the end. Line breaks inside value
// become spaces, so a value can never add lines of its own.
std::string withValue(std::string_view content, std::string_view section, std::string_view key,
                      std::string_view value);

// Reads the file afresh; a missing or unreadable file gives nullopt.
std::optional<std::string> readKey(const std::filesystem::path& file, std::string_view section,
                                   std::string_view key);

// Reads the file afresh, sets the key and replaces the file. False when the
// file exists but cannot be read (it is then left alone) or cannot be written.
bool writeKey(const std::filesystem::path& file, std::string_view section, std::string_view key,
              std::string_view value);

} // namespace zk::ini
