// Every message of the game, defined once: a struct per command with its
// fields, written by encode() and read back by decode(). The host's send
// sites, the table's handlers and senders, the tests, the benchmarks and the
// fuzz targets all speak through these; nothing else builds or cuts a
// message. The grammar of each command is the table in Commands.h.
//
//     std::string bytes = msg::encode(msg::CreateDice{3, 1, pairs}); // terminator included
//     auto m = msg::decode<msg::CreateDice>(args); // args: the text after "CMD_createdice+"
//     if (!m.reached(msg::CreateDice::Rolls)) return HandlerResult::Malformed;
//     show(m->dice);                               // the pairs read before a bad one
//     if (!m.complete) return HandlerResult::Malformed;
//
// Decoding keeps the receiving rules: fields are read in order, a field that
// must be a number and is not stops the reading there (`fields` says how many
// were read whole, so a handler can let what it did before stand), text after
// the last field is ignored, and a list runs to the end of the message,
// keeping the items read before a bad one. A "(rest)" field runs to the end
// and keeps its "+". Number fields that a table shows exactly as written
// (totals, points, a round) are Decimal: checked as numbers, kept as text.
#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/Game.h"
#include "game/Colour.h"
#include "protocol/Commands.h"
#include "protocol/FieldCodec.h"

namespace zk::msg {

// A message read from the wire, with how far its reading got.
template <typename M>
struct Decoded {
    M message;
    int fields = 0;        // leading fields read whole (a list counts once)
    bool complete = false; // every field read, none bad
    Decoded() = default;
    // A command read as the fields it shares with others (NewPlayerInfo as
    // SlotName), for a handler that takes them all.
    template <typename Command>
    requires std::derived_from<Command, M> &&(!std::same_as<Command, M>)
        Decoded(const Decoded<Command>& d) // NOLINT: a command is its shared fields
        : message(d.message), fields(d.fields), complete(d.complete)
    {
    }
    bool reached(int field) const { return fields >= field; }
    const M* operator->() const { return &message; }
    friend bool operator==(const Decoded&, const Decoded&) = default;
};

// How a list field is written and read.
enum class List {
    ZeroWhenEmpty,         // "+0" for none; a 0 read is not kept
    ZeroWhenEmptyOptional, // "+0" for none; zeros are kept, and nothing at all reads as no list
    ZeroEnded,             // the items and a closing "+0"; a 0 read is not kept
};
// How far a named choice's text runs: one field, or to the end (rest).
enum class Extent { Field, Rest };

// A number field whose text is shown as the host wrote it ("007").
struct Decimal {
    std::string text = "0";
    Decimal() = default;
    Decimal(int value) : text(std::to_string(value)) {} // NOLINT: a number is a Decimal
    int value() const { return parseDecimal(text).value_or(0); }
    friend bool operator==(const Decimal&, const Decimal&) = default;
};

// Chat text and its colour as one field carries them: "text|colour".
struct ColouredText {
    std::string text;
    ColourValue colour = colour::clBlack;
    // "text|colour".
    std::string format() const;
    // A received line: the text before the first "|" and the colour after
    // it; the whole line and nullopt when there is no "|", nullopt for a
    // colour that cannot be read.
    static std::pair<std::string_view, std::optional<ColourValue>> parse(std::string_view line);
};

// One group of CMD_loadscores: a seat, whether it takes part in the game,
// and its rows 1 to 8 as (row, value).
struct ScoreGroup {
    int seat = 0;
    std::string flag; // "t" takes part, "f" does not; as received
    std::vector<std::pair<int, int>> rows;
    bool playing() const { return flag == "t"; }
    // A seat's group as the host writes it: all eight rows.
    static ScoreGroup of(int seat, bool playing, const std::array<int, kScoreRows>& rows);
    friend bool operator==(const ScoreGroup&, const ScoreGroup&) = default;
};

// --- Table to host -----------------------------------------------------------

// The answer to CMD_sendlogininfo. The name is written exactly as given: the
// table's login name carries its own terminator, so a login ends with two.
// CMD_logininfo slot; version; name(rest) -- answer to CMD_sendlogininfo
struct LoginInfo {
    static constexpr std::string_view command = "CMD_logininfo";
    enum Field { Slot = 1, Version, Name };
    std::string slot; // the host reads it as text and ignores it
    std::string version;
    std::string name; // (rest)
    static void fields(auto& c, auto& m) { c.text(m.slot).text(m.version).raw(m.name); }
    friend bool operator==(const LoginInfo&, const LoginInfo&) = default;
};

// CMD_kickhim sender slot; target slot; "+" -- "Remove From Game" (host's table)
struct KickHim {
    static constexpr std::string_view command = "CMD_kickhim";
    enum Field { Sender = 1, Target };
    int sender = 0;
    int target = 0;
    static void fields(auto& c, auto& m) { c.number(m.sender).number(m.target).separator(); }
    friend bool operator==(const KickHim&, const KickHim&) = default;
};

// A typed line (CMD_chat) or a "/me" line or phrase (CMD_action): the
// sender's slot and the line, normally ColouredText::format(); the host
// relays the line as it came.
struct SlotLine {
    enum Field { Slot = 1, Line };
    int slot = 0;
    std::string line; // (rest)
    static void fields(auto& c, auto& m) { c.number(m.slot).rest(m.line); }
    friend bool operator==(const SlotLine&, const SlotLine&) = default;
};
// CMD_chat slot; text "|" colour (rest) -- a typed line
struct Chat : SlotLine {
    static constexpr std::string_view command = "CMD_chat";
    friend bool operator==(const Chat&, const Chat&) = default;
};
// CMD_action slot; text "|" colour (rest) -- "/me" line or phrase button
struct Action : SlotLine {
    static constexpr std::string_view command = "CMD_action";
    friend bool operator==(const Action&, const Action&) = default;
};

// Both ways: the start request of slot 1 and the host's announcement.
// CMD_startgame to the host: starter name; bonus limit; "+" -- START GAME (host's table); to a table: starter name; limit; "+"
struct StartGame {
    static constexpr std::string_view command = "CMD_startgame";
    enum Field { Starter = 1, Limit };
    std::string starter;
    std::string limit; // "0" unlimited; read as text by both sides
    static void fields(auto& c, auto& m) { c.text(m.starter).text(m.limit).separator(); }
    friend bool operator==(const StartGame&, const StartGame&) = default;
};

// CMD_justwatch seat; "1" | "2" (rest) -- Just Watch on / off
struct JustWatch {
    static constexpr std::string_view command = "CMD_justwatch";
    enum Field { Seat = 1, Flag };
    enum class Mode { Watch, Play, Other }; // "1", "2", anything else
    static constexpr std::array<std::pair<Mode, std::string_view>, 2> kModes{
        {{Mode::Watch, "1"}, {Mode::Play, "2"}}};
    int seat = 0;
    Mode mode = Mode::Other; // (rest)
    static void fields(auto& c, auto& m)
    {
        c.number(m.seat).choice(m.mode, kModes, Mode::Other, Extent::Rest);
    }
    friend bool operator==(const JustWatch&, const JustWatch&) = default;
};

// The dice to roll, ascending; an empty list is written "0". Read back, an
// empty list means nothing followed the seat.
// CMD_rollthedice seat; die numbers joined by "+", or "0"
struct RollTheDice {
    static constexpr std::string_view command = "CMD_rollthedice";
    enum Field { Seat = 1, Dice };
    int seat = 0;
    std::vector<int> dice;
    static void fields(auto& c, auto& m) { c.number(m.seat).numbers(m.dice, List::ZeroWhenEmptyOptional); }
    friend bool operator==(const RollTheDice&, const RollTheDice&) = default;
};

// CMD_selectcat seat; category; "+"
struct SelectCat {
    static constexpr std::string_view command = "CMD_selectcat";
    enum Field { Seat = 1, Category };
    int seat = 0;
    int category = 0;
    static void fields(auto& c, auto& m) { c.number(m.seat).number(m.category).separator(); }
    friend bool operator==(const SelectCat&, const SelectCat&) = default;
};

// Both ways: a chatter sound asked for ("wave"n and "+") and relayed to
// every table as it came.
// CMD_playasound to the host: slot; "wave"n "+" (rest) -- chatter sound menu; to a table: slot; sound name as received (rest)
struct PlayASound {
    static constexpr std::string_view command = "CMD_playasound";
    enum Field { Slot = 1, Sound };
    int slot = 0;
    std::string sound; // (rest)
    static PlayASound chatter(int slot, int item) { return {slot, "wave" + std::to_string(item) + "+"}; }
    // The sound's name: its text up to a "+".
    std::string_view name() const { return std::string_view(sound).substr(0, sound.find('+')); }
    static void fields(auto& c, auto& m) { c.number(m.slot).rest(m.sound); }
    friend bool operator==(const PlayASound&, const PlayASound&) = default;
};

// --- Host to table -----------------------------------------------------------

// CMD_sendlogininfo slot -- the slot given to a connection
struct SendLoginInfo {
    static constexpr std::string_view command = "CMD_sendlogininfo";
    enum Field { Slot = 1 };
    int slot = 0;
    static void fields(auto& c, auto& m) { c.number(m.slot); }
    friend bool operator==(const SendLoginInfo&, const SendLoginInfo&) = default;
};

// CMD_full (none) -- a tenth connection; then closed
struct Full {
    static constexpr std::string_view command = "CMD_full";
    static void fields(auto& c, auto&) { c.separator(); }
    friend bool operator==(const Full&, const Full&) = default;
};

// Someone logged in (to all), who was there (to the newcomer), and who
// left: a slot and a name (rest).
struct SlotName {
    enum Field { Slot = 1, Name };
    int slot = 0;
    std::string name;
    static void fields(auto& c, auto& m) { c.number(m.slot).rest(m.name); }
    friend bool operator==(const SlotName&, const SlotName&) = default;
};
// CMD_newplayerinfo slot; name(rest) -- to all: someone logged in
struct NewPlayerInfo : SlotName {
    static constexpr std::string_view command = "CMD_newplayerinfo";
    friend bool operator==(const NewPlayerInfo&, const NewPlayerInfo&) = default;
};
// CMD_existingplayers slot; name(rest) -- to a newcomer: who was there
struct ExistingPlayers : SlotName {
    static constexpr std::string_view command = "CMD_existingplayers";
    friend bool operator==(const ExistingPlayers&, const ExistingPlayers&) = default;
};
// CMD_playerdisconnected slot; name(rest)
struct PlayerDisconnected : SlotName {
    static constexpr std::string_view command = "CMD_playerdisconnected";
    friend bool operator==(const PlayerDisconnected&, const PlayerDisconnected&) = default;
};

// To slot 1: the newcomer's version differs; the whole text is the name.
// CMD_havewrongversion name(rest) -- to slot 1: newcomer's version differs
struct HaveWrongVersion {
    static constexpr std::string_view command = "CMD_havewrongversion";
    enum Field { Name = 1 };
    std::string name;
    static void fields(auto& c, auto& m) { c.rest(m.name); }
    friend bool operator==(const HaveWrongVersion&, const HaveWrongVersion&) = default;
};
// CMD_wrongversion (none) -- to the newcomer
struct WrongVersion {
    static constexpr std::string_view command = "CMD_wrongversion";
    static void fields(auto& c, auto&) { c.separator(); }
    friend bool operator==(const WrongVersion&, const WrongVersion&) = default;
};

// CMD_turnclock seconds -- to a table: a seat whose player makes no request
// for this long is set to just watch (0: no clock). Tables that do not know
// the command ignore it, as every table ignores an unknown one.
struct TurnClock {
    static constexpr std::string_view command = "CMD_turnclock";
    enum Field { Seconds = 1 };
    int seconds = 0;
    static void fields(auto& c, auto& m) { c.number(m.seconds); }
    friend bool operator==(const TurnClock&, const TurnClock&) = default;
};
// CMD_hostpowers slot -- to every table: the slot that may start games,
// remove players and use the seat menu, once it is not slot 1
struct HostPowers {
    static constexpr std::string_view command = "CMD_hostpowers";
    enum Field { Slot = 1 };
    int slot = 0;
    static void fields(auto& c, auto& m) { c.number(m.slot); }
    friend bool operator==(const HostPowers&, const HostPowers&) = default;
};

// The turn in progress for a late joiner.
// CMD_loadstats slot; seat; limit; rolls; round; category; 5 die pairs
struct LoadStats {
    static constexpr std::string_view command = "CMD_loadstats";
    enum Field { Addressee = 1, Seat, Limit, Rolls, Round, Category, Dice };
    int addressee = 0;
    int seat = 0;
    Decimal limit;
    int rolls = 0;
    Decimal round;
    int category = 0;
    std::vector<DiePair> dice;
    static void fields(auto& c, auto& m)
    {
        c.number(m.addressee)
            .number(m.seat)
            .decimal(m.limit)
            .number(m.rolls)
            .decimal(m.round)
            .number(m.category)
            .pairs(m.dice);
    }
    friend bool operator==(const LoadStats&, const LoadStats&) = default;
};

// The score card for a late joiner: one group per seat 1 to 6.
// The fields read are the addressee and then one for each group read whole,
// so group i (from 0) was read whole when reached(Groups + i).
// CMD_loadscores slot; 6 groups "+s*t|f*1*v1*2*v2 ... *8*v8"
struct LoadScores {
    static constexpr std::string_view command = "CMD_loadscores";
    enum Field { Addressee = 1, Groups };
    int addressee = 0;
    std::vector<ScoreGroup> groups; // the last one may be cut short
    static void fields(auto& c, auto& m) { c.number(m.addressee).scoreGroups(m.groups); }
    friend bool operator==(const LoadScores&, const LoadScores&) = default;
};

// CMD_justwatching seat; "1" | "2"
struct JustWatching {
    static constexpr std::string_view command = "CMD_justwatching";
    enum Field { Seat = 1, Flag };
    int seat = 0;
    bool watching = false; // "1"; any other flag plays again
    static constexpr std::array<std::pair<bool, std::string_view>, 2> kFlags{{{true, "1"}, {false, "2"}}};
    static void fields(auto& c, auto& m)
    {
        c.number(m.seat).choice(m.watching, kFlags, false, Extent::Field);
    }
    friend bool operator==(const JustWatching&, const JustWatching&) = default;
};

// The next turn: seat, round and the categories it may fill (written "0"
// when there is none; a 0 offers nothing and is not kept).
// CMD_nextplayer seat; round; open categories, or "0"
struct NextPlayer {
    static constexpr std::string_view command = "CMD_nextplayer";
    enum Field { Seat = 1, Round, Categories };
    int seat = 0;
    std::string round;
    std::vector<int> categories;
    static void fields(auto& c, auto& m)
    {
        c.number(m.seat).text(m.round).numbers(m.categories, List::ZeroWhenEmpty);
    }
    friend bool operator==(const NextPlayer&, const NextPlayer&) = default;
};

// CMD_selectedcat seat; category; "+"
struct SelectedCat {
    static constexpr std::string_view command = "CMD_selectedcat";
    enum Field { Seat = 1, Category };
    int seat = 0;
    int category = 0;
    static void fields(auto& c, auto& m) { c.number(m.seat).number(m.category).separator(); }
    friend bool operator==(const SelectedCat&, const SelectedCat&) = default;
};

// CMD_needcat seat; "+" -- to that seat only
struct NeedCat {
    static constexpr std::string_view command = "CMD_needcat";
    enum Field { Seat = 1 };
    int seat = 0;
    static void fields(auto& c, auto& m) { c.number(m.seat).separator(); }
    friend bool operator==(const NeedCat&, const NeedCat&) = default;
};

// A roll: the dice that were rolled, "+0+0" for none.
// CMD_createdice seat; rolls; die pairs
struct CreateDice {
    static constexpr std::string_view command = "CMD_createdice";
    enum Field { Seat = 1, Rolls, Dice };
    int seat = 0;
    int rolls = 0;
    std::vector<DiePair> dice;
    static void fields(auto& c, auto& m) { c.number(m.seat).number(m.rolls).pairs(m.dice); }
    friend bool operator==(const CreateDice&, const CreateDice&) = default;
};

// CMD_zonkard seat; total; points; rolls(3); 5 die pairs
struct Zonkard {
    static constexpr std::string_view command = "CMD_zonkard";
    enum Field { Seat = 1, Total, Points, Rolls, Dice };
    int seat = 0;
    Decimal total;
    Decimal points;
    int rolls = 3;
    std::vector<DiePair> dice;
    static void fields(auto& c, auto& m)
    {
        c.number(m.seat).decimal(m.total).decimal(m.points).number(m.rolls).pairs(m.dice);
    }
    friend bool operator==(const Zonkard&, const Zonkard&) = default;
};

// A turn scored (CMD_postscores) or scored with five of a kind, which opens
// bonus mode (CMD_bonustime): the same fields.
struct ScoreReport {
    enum Field { Seat = 1, Total, Points, Category };
    int seat = 0;
    Decimal total;
    Decimal points;
    int category = 0;
    static void fields(auto& c, auto& m)
    {
        c.number(m.seat).decimal(m.total).decimal(m.points).number(m.category).separator();
    }
    friend bool operator==(const ScoreReport&, const ScoreReport&) = default;
};
// CMD_postscores seat; total; points; category; "+"
struct PostScores : ScoreReport {
    static constexpr std::string_view command = "CMD_postscores";
    friend bool operator==(const PostScores&, const PostScores&) = default;
};
// CMD_bonustime seat; total; points; category; "+"
struct BonusTime : ScoreReport {
    static constexpr std::string_view command = "CMD_bonustime";
    friend bool operator==(const BonusTime&, const BonusTime&) = default;
};

// CMD_gotbonus seat; total; points; category; category score; 5 die pairs
struct GotBonus {
    static constexpr std::string_view command = "CMD_gotbonus";
    enum Field { Seat = 1, Total, Points, Category, CategoryScore, Dice };
    int seat = 0;
    Decimal total;
    Decimal points;
    int category = 0;
    Decimal categoryScore;
    std::vector<DiePair> dice;
    static void fields(auto& c, auto& m)
    {
        c.number(m.seat)
            .decimal(m.total)
            .decimal(m.points)
            .number(m.category)
            .decimal(m.categoryScore)
            .pairs(m.dice);
    }
    friend bool operator==(const GotBonus&, const GotBonus&) = default;
};

// The end of bonus mode: the roll that scored nothing, or "+0+0" at the limit.
// CMD_bonusend seat; 5 die pairs, or "+0+0" at the bonus limit
struct BonusEnd {
    static constexpr std::string_view command = "CMD_bonusend";
    enum Field { Seat = 1, Dice };
    int seat = 0;
    std::vector<DiePair> dice;
    static void fields(auto& c, auto& m) { c.number(m.seat).pairs(m.dice); }
    friend bool operator==(const BonusEnd&, const BonusEnd&) = default;
};

// The winning seats, written with a closing "+0+"; read back, every seat up
// to the end of the message other than 0.
// CMD_winner winning seats; "0"; "+"
struct Winner {
    static constexpr std::string_view command = "CMD_winner";
    enum Field { Seats = 1 };
    std::vector<int> seats;
    static void fields(auto& c, auto& m) { c.numbers(m.seats, List::ZeroEnded).separator(); }
    friend bool operator==(const Winner&, const Winner&) = default;
};

// A chat or action line as the host relays it: "name chats: text|colour" or
// "name text|colour" (rest).
struct RelayedLine {
    enum Field { Line = 1 };
    std::string line;
    static void fields(auto& c, auto& m) { c.rest(m.line); }
    friend bool operator==(const RelayedLine&, const RelayedLine&) = default;
};
// CMD_chat name " chats: " text "|" colour (rest)
struct ChatLine : RelayedLine {
    static constexpr std::string_view command = "CMD_chat";
    friend bool operator==(const ChatLine&, const ChatLine&) = default;
};
// CMD_action name " " text "|" colour (rest)
struct ActionLine : RelayedLine {
    static constexpr std::string_view command = "CMD_action";
    friend bool operator==(const ActionLine&, const ActionLine&) = default;
};

// --- Encoding and decoding ----------------------------------------------------

// Writes a message's fields after its command, each preceded by "+".
class FieldWriter {
public:
    explicit FieldWriter(MessageWriter& w) : w_(w) {}
    FieldWriter& number(int value)
    {
        w_.field(value);
        return *this;
    }
    FieldWriter& text(const std::string& value)
    {
        w_.field(value);
        return *this;
    }
    FieldWriter& decimal(const Decimal& value)
    {
        w_.field(value.text);
        return *this;
    }
    FieldWriter& rest(const std::string& value)
    {
        w_.field(value);
        return *this;
    }
    FieldWriter& raw(const std::string& value)
    {
        w_.rawField(value);
        return *this;
    }
    FieldWriter& separator()
    {
        w_.separator();
        return *this;
    }
    FieldWriter& numbers(const std::vector<int>& values, List form);
    FieldWriter& pairs(const std::vector<DiePair>& pairs);
    FieldWriter& scoreGroups(const std::vector<ScoreGroup>& groups);
    template <typename E, std::size_t N>
    FieldWriter& choice(const E& value, const std::array<std::pair<E, std::string_view>, N>& names, const E&,
                        Extent)
    {
        std::string_view name;
        for (const auto& [v, n] : names) {
            if (v == value)
                name = n;
        }
        w_.field(name);
        return *this;
    }

private:
    MessageWriter& w_;
};

// Reads a message's fields in order and counts the ones read whole; after
// a bad one, every later read is skipped.
class FieldSource {
public:
    explicit FieldSource(FieldReader& r) : r_(r) {}
    FieldSource& number(int& out);
    FieldSource& text(std::string& out);
    FieldSource& decimal(Decimal& out);
    FieldSource& rest(std::string& out);
    FieldSource& raw(std::string& out) { return rest(out); }
    FieldSource& separator() { return *this; } // trailing text is ignored
    FieldSource& numbers(std::vector<int>& out, List form);
    FieldSource& pairs(std::vector<DiePair>& out);
    FieldSource& scoreGroups(std::vector<ScoreGroup>& out);
    // A name from the list, or `otherwise` for any other text.
    template <typename E, std::size_t N>
    FieldSource& choice(E& out, const std::array<std::pair<E, std::string_view>, N>& names,
                        const E& otherwise, Extent extent)
    {
        std::string name;
        if (extent == Extent::Rest)
            rest(name);
        else
            text(name);
        out = otherwise;
        for (const auto& [v, n] : names) {
            if (n == name)
                out = v;
        }
        return *this;
    }
    int finish(bool& complete) const
    {
        complete = !bad_;
        return count_;
    }

private:
    FieldReader& r_;
    int count_ = 0;
    bool bad_ = false;
};

// The message without its terminator.
template <typename M>
std::string text(const M& m)
{
    MessageWriter w(M::command);
    FieldWriter fields(w);
    M::fields(fields, m);
    return w.text();
}

// The message with its terminator, ready for the socket.
template <typename M>
std::string encode(const M& m)
{
    MessageWriter w(M::command);
    FieldWriter fields(w);
    M::fields(fields, m);
    return w.finish();
}

// Reads the text after the command and its "+". M may be the common fields
// of several commands (SlotName, RelayedLine, ScoreReport) where one
// handler takes them all.
template <typename M>
Decoded<M> decode(std::string_view args)
{
    Decoded<M> d;
    FieldReader r(args);
    FieldSource fields(r);
    M::fields(fields, d.message);
    d.fields = fields.finish(d.complete);
    return d;
}

} // namespace zk::msg
