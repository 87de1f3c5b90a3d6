// The wire protocol between the host engine and the tables, at one glance.
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
//
// Table to host                                        (sender: every table)
//   CMD_logininfo    slot; version; name(rest)         answer to CMD_sendlogininfo
//   CMD_kickhim      sender slot; target slot; "+"     "Remove From Game" (host's table)
//   CMD_chat         slot; text "|" colour (rest)      a typed line
//   CMD_action       slot; text "|" colour (rest)      "/me" line or phrase button
//   CMD_startgame    starter name; bonus limit; "+"    START GAME (host's table)
//   CMD_justwatch    seat; "1" | "2" (rest)            Just Watch on / off
//   CMD_rollthedice  seat; die numbers joined by "+", or "0"
//   CMD_selectcat    seat; category; "+"
//   CMD_playasound   slot; "wave"n "+" (rest)          chatter sound menu
//
// Host to table
//   CMD_sendlogininfo   slot                           the slot given to a connection
//   CMD_full            (none)                         a tenth connection; then closed
//   CMD_newplayerinfo   slot; name(rest)               to all: someone logged in
//   CMD_existingplayers slot; name(rest)               to a newcomer: who was there
//   CMD_havewrongversion name(rest)                    to slot 1: newcomer's version differs
//   CMD_wrongversion    (none)                         to the newcomer
//   CMD_loadstats       slot; seat; limit; rolls; round; category; 5 die pairs
//   CMD_loadscores      slot; 6 groups "+s*t|f*1*v1*2*v2 ... *8*v8"
//   CMD_playerdisconnected slot; name(rest)
//   CMD_justwatching    seat; "1" | "2"
//   CMD_startgame       starter name; limit; "+"
//   CMD_nextplayer      seat; round; open categories, or "0"
//   CMD_selectedcat     seat; category; "+"
//   CMD_needcat         seat; "+"                      to that seat only
//   CMD_createdice      seat; rolls; die pairs
//   CMD_zonkard         seat; total; points; rolls(3); 5 die pairs
//   CMD_postscores      seat; total; points; category; "+"
//   CMD_bonustime       seat; total; points; category; "+"
//   CMD_gotbonus        seat; total; points; category; category score; 5 die pairs
//   CMD_bonusend        seat; 5 die pairs, or "+0+0" at the bonus limit
//   CMD_winner          winning seats; "0"; "+"
//   CMD_chat            name " chats: " text "|" colour (rest)
//   CMD_action          name " " text "|" colour (rest)
//   CMD_playasound      slot; sound name as received (rest)
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

namespace cmd {
// Table to host.
inline constexpr std::string_view logininfo = "CMD_logininfo";
inline constexpr std::string_view kickhim = "CMD_kickhim";
inline constexpr std::string_view chat = "CMD_chat";
inline constexpr std::string_view action = "CMD_action";
inline constexpr std::string_view startgame = "CMD_startgame";
inline constexpr std::string_view justwatch = "CMD_justwatch";
inline constexpr std::string_view rollthedice = "CMD_rollthedice";
inline constexpr std::string_view selectcat = "CMD_selectcat";
inline constexpr std::string_view playasound = "CMD_playasound";

// Host to table (chat, action, startgame and playasound are shared names).
inline constexpr std::string_view sendlogininfo = "CMD_sendlogininfo";
inline constexpr std::string_view full = "CMD_full";
inline constexpr std::string_view newplayerinfo = "CMD_newplayerinfo";
inline constexpr std::string_view existingplayers = "CMD_existingplayers";
inline constexpr std::string_view havewrongversion = "CMD_havewrongversion";
inline constexpr std::string_view wrongversion = "CMD_wrongversion";
inline constexpr std::string_view loadstats = "CMD_loadstats";
inline constexpr std::string_view loadscores = "CMD_loadscores";
inline constexpr std::string_view playerdisconnected = "CMD_playerdisconnected";
inline constexpr std::string_view justwatching = "CMD_justwatching";
inline constexpr std::string_view nextplayer = "CMD_nextplayer";
inline constexpr std::string_view selectedcat = "CMD_selectedcat";
inline constexpr std::string_view needcat = "CMD_needcat";
inline constexpr std::string_view createdice = "CMD_createdice";
inline constexpr std::string_view zonkard = "CMD_zonkard";
inline constexpr std::string_view postscores = "CMD_postscores";
inline constexpr std::string_view bonustime = "CMD_bonustime";
inline constexpr std::string_view gotbonus = "CMD_gotbonus";
inline constexpr std::string_view bonusend = "CMD_bonusend";
inline constexpr std::string_view winner = "CMD_winner";
} // namespace cmd

} // namespace zk
