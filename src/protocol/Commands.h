// The wire protocol between the host engine and the tables: the form of a
// message and the limits of the transport. The messages themselves, each with
// its fields, are in Messages.h; which side receives which, in Dispatch.h.
//
// A message is a command name, then "+" and each field, then the byte 0xFF:
//
//     CMD_<word> ( "+" field )* [ "+" ] 0xFF
//
// Text is single-byte Windows-1252. There is no length prefix, checksum or
// escaping; the receiver cuts the byte stream at every 0xFF. Numbers are
// decimal, negative ones with a leading "-". A "(rest)" field runs to the end
// of the message and may itself hold "+". Die pairs are "+die+face" for every
// die reported, "+0+0" for none. A command without fields is its name and one
// "+" ("CMD_full+").
#pragma once

#include <cstddef>
#include <string_view>

#include "game/Version.h" // kVersionText, sent at login

namespace zk {

// The byte that ends every message.
inline constexpr char kTerminator = '\xFF';

// TCP port of the host; ZONKARDS_PORT overrides it (see Port.h).
inline constexpr int kDefaultPort = 7772;
// Local port the lobby program may listen on (opened by three-argument starts).
inline constexpr int kLobbyPort = 9001;

// A receiver handles at most this many characters of one message.
inline constexpr std::size_t kMaxMessageLength = 4096;
// Pending bytes without a terminator beyond which a peer is treated as abusive.
inline constexpr std::size_t kMaxPendingBytes = 64 * 1024;
// Unsent outgoing bytes beyond which the host drops a peer that never reads.
inline constexpr std::size_t kMaxUnsentBytes = 1024 * 1024;
// One read from a socket takes at most this many bytes.
inline constexpr std::size_t kMaxReadChunk = 32768;

} // namespace zk
