#include "protocol/FieldCodec.h"

#include <limits>

namespace zk {

std::string sanitizeField(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == kTerminator)
            c = 'y'; // "ÿ" reads as the nearest plain letter
    }
    return out;
}

MessageWriter::MessageWriter(std::string_view command) : text_(command)
{
}

MessageWriter& MessageWriter::field(std::string_view text)
{
    text_ += '+';
    text_ += sanitizeField(text);
    return *this;
}

MessageWriter& MessageWriter::field(int number)
{
    text_ += '+';
    text_ += std::to_string(number);
    return *this;
}

MessageWriter& MessageWriter::rawField(std::string_view bytes)
{
    text_ += '+';
    text_ += bytes;
    return *this;
}

MessageWriter& MessageWriter::separator()
{
    text_ += '+';
    return *this;
}

std::string MessageWriter::finish() const
{
    std::string out = text_;
    out += kTerminator;
    return out;
}

CommandSplit splitCommand(std::string_view message)
{
    const auto plus = message.find('+');
    if (plus == std::string_view::npos)
        return {{}, {}};
    return {message.substr(0, plus), message.substr(plus + 1)};
}

std::optional<int> parseDecimal(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    const bool negative = text.front() == '-';
    std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty())
        return std::nullopt;
    long long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return std::nullopt;
    return static_cast<int>(value);
}

std::string_view FieldReader::text()
{
    const auto plus = rest_.find('+');
    std::string_view field;
    if (plus == std::string_view::npos) {
        field = rest_;
        rest_ = {};
    } else {
        field = rest_.substr(0, plus);
        rest_.remove_prefix(plus + 1);
    }
    return field;
}

std::optional<int> FieldReader::number()
{
    auto value = parseDecimal(text());
    if (!value)
        failed_ = true;
    return value;
}

std::string_view FieldReader::rest()
{
    std::string_view all = rest_;
    rest_ = {};
    return all;
}

} // namespace zk
