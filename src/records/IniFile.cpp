#include "records/IniFile.h"

#include <vector>

#include "records/CaseFold.h"
#include "records/FileIO.h"

namespace zk::ini {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// One line of the file: where it starts, its text without the line ending,
// its full length with the ending, and whether that ending holds a line feed
// (a last line may end in a lone carriage return, which reads as no part of
// the text but ends no line either).
struct Line {
    std::size_t start = 0;
    std::string_view text;
    std::size_t fullLength = 0;
    bool endsWithLineFeed = false;
};

std::vector<Line> splitLines(std::string_view content)
{
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < content.size()) {
        const std::size_t nl = content.find('\n', pos);
        const std::size_t end = nl == std::string_view::npos ? content.size() : nl + 1;
        std::string_view text = content.substr(pos, end - pos);
        if (!text.empty() && text.back() == '\n')
            text.remove_suffix(1);
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        lines.push_back({pos, text, end - pos, nl != std::string_view::npos});
        pos = end;
    }
    if (!lines.empty() && lines.front().text.starts_with(kBom))
        lines.front().text.remove_prefix(kBom.size());
    return lines;
}

// The section name of a header line "[name]", or nullopt for other lines.
std::optional<std::string_view> sectionName(std::string_view text)
{
    text = trimBlanks(text);
    if (text.empty() || text.front() != '[')
        return std::nullopt;
    text.remove_prefix(1);
    const std::size_t close = text.find(']');
    if (close != std::string_view::npos)
        text = text.substr(0, close);
    return trimBlanks(text);
}

// The key name of a "key=value" line; nullopt for comments and lines
// without "=".
std::optional<std::string_view> keyName(std::string_view text)
{
    const std::string_view t = trimBlanks(text);
    if (t.empty() || t.front() == ';')
        return std::nullopt;
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return trimBlanks(text.substr(0, eq));
}

// The lines [first, last) of the first section named section; first is the
// header's index, or nullopt when the section is absent.
struct SectionRange {
    std::size_t header = 0;
    std::size_t end = 0;
};

std::optional<SectionRange> findSection(const std::vector<Line>& lines, std::string_view section)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i].text);
        if (!name || !equalsIgnoringCase(*name, section))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !sectionName(lines[end].text))
            ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<Line>& lines, SectionRange range, std::string_view key)
{
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const auto name = keyName(lines[i].text);
        if (name && equalsIgnoringCase(*name, key))
            return i;
    }
    return std::nullopt;
}

std::string singleLine(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

std::string_view lineEndingOf(std::string_view content)
{
    const std::size_t nl = content.find('\n');
    if (nl == std::string_view::npos)
        return "\r\n"; // the platform's own INI files end lines this way
    return nl > 0 && content[nl - 1] == '\r' ? "\r\n" : "\n";
}

// Ends the last line of text, which has no line feed: a carriage return at
// its end gets the line feed it lacks, so the line reads as it did (another
// carriage return would become part of its value); otherwise nl.
void endLastLine(std::string& text, std::string_view nl)
{
    text.append(!text.empty() && text.back() == '\r' ? "\n" : nl);
}

} // namespace

std::optional<std::string> findValue(std::string_view content, std::string_view section, std::string_view key)
{
    const std::vector<Line> lines = splitLines(content);
    const auto range = findSection(lines, section);
    if (!range)
        return std::nullopt;
    const auto index = findKey(lines, *range, key);
    if (!index)
        return std::nullopt;
    const std::string_view text = lines[*index].text;
    return std::string(trimBlanks(text.substr(text.find('=') + 1)));
}

std::string withValue(std::string_view content, std::string_view section, std::string_view key,
                      std::string_view value)
{
    const std::vector<Line> lines = splitLines(content);
    const std::string_view nl = lineEndingOf(content);
    const std::string cleanValue = singleLine(value);
    std::string out;
    out.reserve(content.size() + key.size() + value.size() + section.size() + 8);

    const auto range = findSection(lines, section);
    if (!range) {
        out.append(content);
        if (!out.empty() && out.back() != '\n')
            endLastLine(out, nl);
        out.append("[").append(section).append("]").append(nl);
        out.append(key).append("=").append(cleanValue).append(nl);
        return out;
    }

    if (const auto index = findKey(lines, *range, key)) {
        // Keep everything up to and including "=" as it stands (the key's own
        // spelling and spacing) and the line's ending; replace the value.
        const Line& line = lines[*index];
        const auto textStart = static_cast<std::size_t>(line.text.data() - content.data());
        out.append(content.substr(0, textStart + line.text.find('=') + 1));
        out.append(cleanValue);
        out.append(content.substr(textStart + line.text.size()));
        return out;
    }

    // A new key goes after the section's last non-blank line, so blank lines
    // that separate it from the next section stay where they are.
    std::size_t after = range->header;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (!trimBlanks(lines[i].text).empty())
            after = i;
    }
    const Line& anchor = lines[after];
    const std::size_t insertAt = anchor.start + anchor.fullLength;
    out.append(content.substr(0, insertAt));
    if (!anchor.endsWithLineFeed)
        endLastLine(out, nl);
    out.append(key).append("=").append(cleanValue).append(nl);
    out.append(content.substr(insertAt));
    return out;
}

std::optional<std::string> readKey(const std::filesystem::path& file, std::string_view section,
                                   std::string_view key)
{
    const FileBytes f = readWholeFile(file);
    if (f.status != ReadStatus::Ok)
        return std::nullopt;
    return findValue(f.bytes, section, key);
}

bool writeKey(const std::filesystem::path& file, std::string_view section, std::string_view key,
              std::string_view value)
{
    const FileBytes f = readWholeFile(file);
    if (f.status != ReadStatus::Ok && f.status != ReadStatus::Missing)
        return false;
    return writeFileAtomically(file, withValue(f.bytes, section, key, value)) == WriteStatus::Done;
}

} // namespace zk::ini
