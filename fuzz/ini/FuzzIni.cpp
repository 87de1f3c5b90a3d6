// Feeds the settings file's INI reader and writer any file content and any
// section, key and value:
//   "section" NUL "key" NUL "value" NUL "probe section" NUL "probe key" NUL content
// (missing parts are "agame", "Top", "40", "agame", "Left"). Whatever the
// content, reading and writing must not fail; for a section and key the
// format can hold (no line breaks, no blanks at either end, no "]" in the
// section, no "=" in the key, a key that reads as neither comment nor
// header) the written value reads back as it was given, less its blanks at
// either end and with line breaks as spaces; every other key reads as it
// did; only the written line changes and at most the key's line and a
// section header are added. The same goes through a real file with
// ini::writeKey and ini::readKey (for inputs whose length is a multiple of 8).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

#include "FuzzCheck.h"
#include "records/CaseFold.h"
#include "records/FileIO.h"
#include "records/IniFile.h"

namespace {

using namespace zk;

// The next NUL-ended part of the input, or the fallback when none is left.
std::string_view part(std::string_view& in, std::string_view fallback)
{
    const std::size_t nul = in.find('\0');
    if (nul == std::string_view::npos)
        return fallback;
    const std::string_view p = in.substr(0, nul);
    in.remove_prefix(nul + 1);
    return p;
}

bool holdsLineBreak(std::string_view t)
{
    return t.find_first_of("\r\n") != std::string_view::npos;
}

bool legalName(std::string_view name)
{
    return !holdsLineBreak(name) && trimBlanks(name) == name;
}

bool legalSection(std::string_view section)
{
    return legalName(section) && section.find(']') == std::string_view::npos;
}

bool legalKey(std::string_view key)
{
    return legalName(key) && key.find('=') == std::string_view::npos && !key.starts_with(';') &&
           !key.starts_with('[');
}

// The value as it reads back: line breaks as spaces, no blanks at either end.
std::string readBack(std::string_view value)
{
    std::string out(value);
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return std::string(trimBlanks(out));
}

std::size_t count(std::string_view t, char c)
{
    std::size_t n = 0;
    for (char x : t)
        n += x == c;
    return n;
}

// What changed from before to after lies within one line of before, and
// after gained at most three lines (a line ending, a header, the key).
void checkOneLineChanged(std::string_view before, std::string_view after)
{
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const std::string_view removed = before.substr(prefix, before.size() - prefix - suffix);
    const std::string_view added = after.substr(prefix, after.size() - prefix - suffix);
    CHECK(count(removed, '\n') == 0);
    CHECK(count(added, '\n') <= 3);
}

const std::filesystem::path& scratchFile()
{
    static const std::filesystem::path file = [] {
        static const auto dir =
            std::filesystem::temp_directory_path() / ("zk-fuzz-ini-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        });
        return dir / "settings.ini";
    }();
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::string_view section = part(in, "agame");
    const std::string_view key = part(in, "Top");
    const std::string_view value = part(in, "40");
    const std::string_view probeSection = part(in, "agame");
    const std::string_view probeKey = part(in, "Left");
    const std::string_view content = in;

    const auto before = ini::findValue(content, section, key);
    if (before) {
        CHECK(trimBlanks(*before) == *before);
        CHECK(before->find('\n') == std::string::npos);
    }
    const std::string after = ini::withValue(content, section, key, value);
    if (!legalSection(section) || !legalKey(key))
        return 0;

    CHECK(ini::findValue(after, section, key) == readBack(value));
    checkOneLineChanged(content, after);
    if (!equalsIgnoringCase(probeSection, section) || !equalsIgnoringCase(probeKey, key))
        CHECK(ini::findValue(after, probeSection, probeKey) ==
              ini::findValue(content, probeSection, probeKey));

    // The same through a real file, for one input in eight: each write is
    // flushed to the disk, which costs a hundred times the rest.
    if (size % 8 != 0)
        return 0;
    const std::filesystem::path& file = scratchFile();
    CHECK(writeFileAtomically(file, content) == WriteStatus::Done);
    CHECK(ini::readKey(file, section, key) == before);
    CHECK(ini::writeKey(file, section, key, value));
    CHECK(ini::readKey(file, section, key) == readBack(value));
    CHECK(readWholeFile(file).bytes == after);
    return 0;
}
