// Text on the wire and in files is single-byte Windows-1252; inside the
// program it is UTF-8 until it meets a person (a QString in a view).
#pragma once

#include <string>
#include <string_view>

namespace zk {

// UTF-8 to Windows-1252. Characters the code page cannot hold become "?";
// malformed UTF-8 sequences become "?" too. "ÿ" becomes "y", because its
// Windows-1252 byte 0xFF is the message terminator.
std::string toCp1252(std::string_view utf8);

// Windows-1252 to UTF-8. The five bytes the code page leaves undefined map to
// the C1 control characters of the same value, as Windows itself does.
std::string fromCp1252(std::string_view bytes);

} // namespace zk
