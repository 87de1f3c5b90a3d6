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
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/Game.h"
#include "game/Colour.h"
#include "protocol/Commands.h"
#include "protocol/Message.h"

namespace zk::msg {

// A message read from the wire, with how far its reading got.
template <typename M>
struct Decoded {
    M message;
    int fields = 0;        // leading fields read whole (a list counts once)
    bool complete = false; // every field read, none bad
    bool reached(int field) const { return fields >= field; }
    const M* operator->() const { return &message; }
    friend bool operator==(const Decoded&, const Decoded&) = default;
};

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
struct LoginInfo {
    static constexpr std::string_view command = cmd::logininfo;
    enum Field { Slot = 1, Version, Name };
    std::string slot; // the host reads it as text and ignores it
    std::string version;
    std::string name; // (rest)
    friend bool operator==(const LoginInfo&, const LoginInfo&) = default;
};

struct KickHim {
    static constexpr std::string_view command = cmd::kickhim;
    enum Field { Sender = 1, Target };
    int sender = 0;
    int target = 0;
    friend bool operator==(const KickHim&, const KickHim&) = default;
};

// A typed line (CMD_chat) or a "/me" line or phrase (CMD_action): the
// sender's slot and the line, normally ColouredText::format(); the host
// relays the line as it came.
struct SlotLine {
    enum Field { Slot = 1, Line };
    int slot = 0;
    std::string line; // (rest)
    friend bool operator==(const SlotLine&, const SlotLine&) = default;
};
struct Chat : SlotLine {
    static constexpr std::string_view command = cmd::chat;
    friend bool operator==(const Chat&, const Chat&) = default;
};
struct Action : SlotLine {
    static constexpr std::string_view command = cmd::action;
    friend bool operator==(const Action&, const Action&) = default;
};

// Both ways: the start request of slot 1 and the host's announcement.
struct StartGame {
    static constexpr std::string_view command = cmd::startgame;
    enum Field { Starter = 1, Limit };
    std::string starter;
    std::string limit; // "0" unlimited; read as text by both sides
    friend bool operator==(const StartGame&, const StartGame&) = default;
};

struct JustWatch {
    static constexpr std::string_view command = cmd::justwatch;
    enum Field { Seat = 1, Flag };
    enum class Mode { Watch, Play, Other }; // "1", "2", anything else
    int seat = 0;
    Mode mode = Mode::Other; // (rest)
    friend bool operator==(const JustWatch&, const JustWatch&) = default;
};

// The dice to roll, ascending; an empty list is written "0". Read back, an
// empty list means nothing followed the seat.
struct RollTheDice {
    static constexpr std::string_view command = cmd::rollthedice;
    enum Field { Seat = 1, Dice };
    int seat = 0;
    std::vector<int> dice;
    friend bool operator==(const RollTheDice&, const RollTheDice&) = default;
};

struct SelectCat {
    static constexpr std::string_view command = cmd::selectcat;
    enum Field { Seat = 1, Category };
    int seat = 0;
    int category = 0;
    friend bool operator==(const SelectCat&, const SelectCat&) = default;
};

// Both ways: a chatter sound asked for ("wave"n and "+") and relayed to
// every table as it came.
struct PlayASound {
    static constexpr std::string_view command = cmd::playasound;
    enum Field { Slot = 1, Sound };
    int slot = 0;
    std::string sound; // (rest)
    static PlayASound chatter(int slot, int item) { return {slot, "wave" + std::to_string(item) + "+"}; }
    // The sound's name: its text up to a "+".
    std::string_view name() const { return std::string_view(sound).substr(0, sound.find('+')); }
    friend bool operator==(const PlayASound&, const PlayASound&) = default;
};

// --- Host to table -----------------------------------------------------------

struct SendLoginInfo {
    static constexpr std::string_view command = cmd::sendlogininfo;
    enum Field { Slot = 1 };
    int slot = 0;
    friend bool operator==(const SendLoginInfo&, const SendLoginInfo&) = default;
};

struct Full {
    static constexpr std::string_view command = cmd::full;
    friend bool operator==(const Full&, const Full&) = default;
};

// Someone logged in (to all), who was there (to the newcomer), and who
// left: a slot and a name (rest).
struct SlotName {
    enum Field { Slot = 1, Name };
    int slot = 0;
    std::string name;
    friend bool operator==(const SlotName&, const SlotName&) = default;
};
struct NewPlayerInfo : SlotName {
    static constexpr std::string_view command = cmd::newplayerinfo;
    friend bool operator==(const NewPlayerInfo&, const NewPlayerInfo&) = default;
};
struct ExistingPlayers : SlotName {
    static constexpr std::string_view command = cmd::existingplayers;
    friend bool operator==(const ExistingPlayers&, const ExistingPlayers&) = default;
};
struct PlayerDisconnected : SlotName {
    static constexpr std::string_view command = cmd::playerdisconnected;
    friend bool operator==(const PlayerDisconnected&, const PlayerDisconnected&) = default;
};

// To slot 1: the newcomer's version differs; the whole text is the name.
struct HaveWrongVersion {
    static constexpr std::string_view command = cmd::havewrongversion;
    enum Field { Name = 1 };
    std::string name;
    friend bool operator==(const HaveWrongVersion&, const HaveWrongVersion&) = default;
};
struct WrongVersion {
    static constexpr std::string_view command = cmd::wrongversion;
    friend bool operator==(const WrongVersion&, const WrongVersion&) = default;
};

// The turn in progress for a late joiner.
struct LoadStats {
    static constexpr std::string_view command = cmd::loadstats;
    enum Field { Addressee = 1, Seat, Limit, Rolls, Round, Category, Dice };
    int addressee = 0;
    int seat = 0;
    Decimal limit;
    int rolls = 0;
    Decimal round;
    int category = 0;
    std::vector<DiePair> dice;
    friend bool operator==(const LoadStats&, const LoadStats&) = default;
};

// The score card for a late joiner: one group per seat 1 to 6.
// The fields read are the addressee and then one for each group read whole,
// so group i (from 0) was read whole when reached(Groups + i).
struct LoadScores {
    static constexpr std::string_view command = cmd::loadscores;
    enum Field { Addressee = 1, Groups };
    int addressee = 0;
    std::vector<ScoreGroup> groups; // the last one may be cut short
    friend bool operator==(const LoadScores&, const LoadScores&) = default;
};

struct JustWatching {
    static constexpr std::string_view command = cmd::justwatching;
    enum Field { Seat = 1, Flag };
    int seat = 0;
    bool watching = false; // "1"; any other flag plays again
    friend bool operator==(const JustWatching&, const JustWatching&) = default;
};

// The next turn: seat, round and the categories it may fill (written "0"
// when there is none; a 0 offers nothing and is not kept).
struct NextPlayer {
    static constexpr std::string_view command = cmd::nextplayer;
    enum Field { Seat = 1, Round, Categories };
    int seat = 0;
    std::string round;
    std::vector<int> categories;
    friend bool operator==(const NextPlayer&, const NextPlayer&) = default;
};

struct SelectedCat {
    static constexpr std::string_view command = cmd::selectedcat;
    enum Field { Seat = 1, Category };
    int seat = 0;
    int category = 0;
    friend bool operator==(const SelectedCat&, const SelectedCat&) = default;
};

struct NeedCat {
    static constexpr std::string_view command = cmd::needcat;
    enum Field { Seat = 1 };
    int seat = 0;
    friend bool operator==(const NeedCat&, const NeedCat&) = default;
};

// A roll: the dice that were rolled, "+0+0" for none.
struct CreateDice {
    static constexpr std::string_view command = cmd::createdice;
    enum Field { Seat = 1, Rolls, Dice };
    int seat = 0;
    int rolls = 0;
    std::vector<DiePair> dice;
    friend bool operator==(const CreateDice&, const CreateDice&) = default;
};

struct Zonkard {
    static constexpr std::string_view command = cmd::zonkard;
    enum Field { Seat = 1, Total, Points, Rolls, Dice };
    int seat = 0;
    Decimal total;
    Decimal points;
    int rolls = 3;
    std::vector<DiePair> dice;
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
    friend bool operator==(const ScoreReport&, const ScoreReport&) = default;
};
struct PostScores : ScoreReport {
    static constexpr std::string_view command = cmd::postscores;
    friend bool operator==(const PostScores&, const PostScores&) = default;
};
struct BonusTime : ScoreReport {
    static constexpr std::string_view command = cmd::bonustime;
    friend bool operator==(const BonusTime&, const BonusTime&) = default;
};

struct GotBonus {
    static constexpr std::string_view command = cmd::gotbonus;
    enum Field { Seat = 1, Total, Points, Category, CategoryScore, Dice };
    int seat = 0;
    Decimal total;
    Decimal points;
    int category = 0;
    Decimal categoryScore;
    std::vector<DiePair> dice;
    friend bool operator==(const GotBonus&, const GotBonus&) = default;
};

// The end of bonus mode: the roll that scored nothing, or "+0+0" at the limit.
struct BonusEnd {
    static constexpr std::string_view command = cmd::bonusend;
    enum Field { Seat = 1, Dice };
    int seat = 0;
    std::vector<DiePair> dice;
    friend bool operator==(const BonusEnd&, const BonusEnd&) = default;
};

// The winning seats, written with a closing "+0+"; read back, every seat up
// to the end of the message other than 0.
struct Winner {
    static constexpr std::string_view command = cmd::winner;
    enum Field { Seats = 1 };
    std::vector<int> seats;
    friend bool operator==(const Winner&, const Winner&) = default;
};

// A chat or action line as the host relays it: "name chats: text|colour" or
// "name text|colour" (rest).
struct RelayedLine {
    enum Field { Line = 1 };
    std::string line;
    friend bool operator==(const RelayedLine&, const RelayedLine&) = default;
};
struct ChatLine : RelayedLine {
    static constexpr std::string_view command = cmd::chat;
    friend bool operator==(const ChatLine&, const ChatLine&) = default;
};
struct ActionLine : RelayedLine {
    static constexpr std::string_view command = cmd::action;
    friend bool operator==(const ActionLine&, const ActionLine&) = default;
};

// --- Encoding and decoding ----------------------------------------------------

// Writes the fields after the command (each preceded by "+").
void writeFields(MessageWriter& w, const LoginInfo& m);
void writeFields(MessageWriter& w, const KickHim& m);
void writeFields(MessageWriter& w, const SlotLine& m);
void writeFields(MessageWriter& w, const StartGame& m);
void writeFields(MessageWriter& w, const JustWatch& m);
void writeFields(MessageWriter& w, const RollTheDice& m);
void writeFields(MessageWriter& w, const SelectCat& m);
void writeFields(MessageWriter& w, const PlayASound& m);
void writeFields(MessageWriter& w, const SendLoginInfo& m);
void writeFields(MessageWriter& w, const Full& m);
void writeFields(MessageWriter& w, const SlotName& m);
void writeFields(MessageWriter& w, const HaveWrongVersion& m);
void writeFields(MessageWriter& w, const WrongVersion& m);
void writeFields(MessageWriter& w, const LoadStats& m);
void writeFields(MessageWriter& w, const LoadScores& m);
void writeFields(MessageWriter& w, const JustWatching& m);
void writeFields(MessageWriter& w, const NextPlayer& m);
void writeFields(MessageWriter& w, const SelectedCat& m);
void writeFields(MessageWriter& w, const NeedCat& m);
void writeFields(MessageWriter& w, const CreateDice& m);
void writeFields(MessageWriter& w, const Zonkard& m);
void writeFields(MessageWriter& w, const ScoreReport& m);
void writeFields(MessageWriter& w, const GotBonus& m);
void writeFields(MessageWriter& w, const BonusEnd& m);
void writeFields(MessageWriter& w, const Winner& m);
void writeFields(MessageWriter& w, const RelayedLine& m);

// Reads the fields in order; returns how many were read whole, and sets
// `complete` when none was bad.
int readFields(FieldReader& r, LoginInfo& m, bool& complete);
int readFields(FieldReader& r, KickHim& m, bool& complete);
int readFields(FieldReader& r, SlotLine& m, bool& complete);
int readFields(FieldReader& r, StartGame& m, bool& complete);
int readFields(FieldReader& r, JustWatch& m, bool& complete);
int readFields(FieldReader& r, RollTheDice& m, bool& complete);
int readFields(FieldReader& r, SelectCat& m, bool& complete);
int readFields(FieldReader& r, PlayASound& m, bool& complete);
int readFields(FieldReader& r, SendLoginInfo& m, bool& complete);
int readFields(FieldReader& r, Full& m, bool& complete);
int readFields(FieldReader& r, SlotName& m, bool& complete);
int readFields(FieldReader& r, HaveWrongVersion& m, bool& complete);
int readFields(FieldReader& r, WrongVersion& m, bool& complete);
int readFields(FieldReader& r, LoadStats& m, bool& complete);
int readFields(FieldReader& r, LoadScores& m, bool& complete);
int readFields(FieldReader& r, JustWatching& m, bool& complete);
int readFields(FieldReader& r, NextPlayer& m, bool& complete);
int readFields(FieldReader& r, SelectedCat& m, bool& complete);
int readFields(FieldReader& r, NeedCat& m, bool& complete);
int readFields(FieldReader& r, CreateDice& m, bool& complete);
int readFields(FieldReader& r, Zonkard& m, bool& complete);
int readFields(FieldReader& r, ScoreReport& m, bool& complete);
int readFields(FieldReader& r, GotBonus& m, bool& complete);
int readFields(FieldReader& r, BonusEnd& m, bool& complete);
int readFields(FieldReader& r, Winner& m, bool& complete);
int readFields(FieldReader& r, RelayedLine& m, bool& complete);

// The message without its terminator.
template <typename M>
std::string text(const M& m)
{
    MessageWriter w(M::command);
    writeFields(w, m);
    return w.text();
}

// The message with its terminator, ready for the socket.
template <typename M>
std::string encode(const M& m)
{
    MessageWriter w(M::command);
    writeFields(w, m);
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
    d.fields = readFields(r, d.message, d.complete);
    return d;
}

} // namespace zk::msg
