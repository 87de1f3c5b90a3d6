// Shared by the table logic tests: an outbox that records what the logic
// asks of the outside, host messages built the way the host builds them,
// and a fixture with a stepped clock and scripted dice faces.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <string>
#include <vector>

#include "protocol/Messages.h"
#include "table/TableLogic.h"

namespace zk::test {

// Records every request of the table logic, to its link and to the program
// around it, in order.
class Outbox : public TableLink, public TableEnvironment {
public:
    std::vector<std::string> sent; // whole messages, terminators included
    std::vector<std::string> sounds;
    std::vector<std::string> log; // every call, in order, as short text
    bool socketOpen = true;       // false: sends fail as on a never-opened socket
    bool canListen = true;

    bool send(std::string_view bytes) override
    {
        log.push_back("send " + std::string(bytes));
        if (!socketOpen)
            return false;
        sent.emplace_back(bytes);
        return true;
    }
    bool connectTo(std::string_view address) override
    {
        return note("connect " + std::string(address)), true;
    }
    void openLobby() override { note("lobby connection"); }
    void dropConnection() override { note("drop connection"); }
    bool startHostListening() override { return note("listen"), canListen; }
    void showMessage(std::string_view text) override { note("message " + std::string(text)); }
    void showMessageThenClose(std::string_view text) override
    {
        note("message then close " + std::string(text));
    }
    void closeProgram() override { note("close"); }
    void showLobbyDownload() override { note("lobby download"); }
    void showStartGameWindow() override { note("show start window"); }
    void hideStartGameWindow() override { note("hide start window"); }
    void playSound(std::string_view name) override
    {
        sounds.emplace_back(name);
        note("sound " + std::string(name));
    }
    void loadSettings() override { note("load settings"); }
    void saveSettings() override { note("save settings"); }
    void recordGame(const GameOutcome& outcome) override
    {
        note(outcome.playerWon ? std::string("record own win") : "record opponent " + outcome.winner);
    }
    void offerHighestScore(std::string_view total) override { note("highest " + std::string(total)); }
    void countOwnZonkard() override { note("count zonkard"); }
    void countOwnBonusMode() override { note("count bonus mode"); }

    // How many log entries equal the text.
    int count(const std::string& entry) const
    {
        int n = 0;
        for (const auto& e : log)
            n += e == entry;
        return n;
    }
    bool has(const std::string& entry) const { return count(entry) > 0; }
    // The last message sent, without its terminator; empty when none was.
    std::string lastSent() const
    {
        if (sent.empty())
            return {};
        std::string m = sent.back();
        if (!m.empty() && m.back() == kTerminator)
            m.pop_back();
        return m;
    }
    void clear()
    {
        sent.clear();
        sounds.clear();
        log.clear();
    }

private:
    void note(std::string entry) { log.push_back(std::move(entry)); }
};

// Host-to-table messages as the host writes them (without the terminator,
// which the framer has cut off by the time a message is dispatched).
namespace host {

inline std::string sendlogininfo(int slot)
{
    return msg::text(msg::SendLoginInfo{slot});
}
inline std::string newplayer(int slot, std::string_view name)
{
    return msg::text(msg::NewPlayerInfo{{slot, std::string(name)}});
}
inline std::string existing(int slot, std::string_view name)
{
    return msg::text(msg::ExistingPlayers{{slot, std::string(name)}});
}
inline std::string disconnected(int slot, std::string_view name)
{
    return msg::text(msg::PlayerDisconnected{{slot, std::string(name)}});
}
inline std::string justwatching(int seat, std::string_view flag)
{
    return msg::text(msg::JustWatching{seat, flag == "1"});
}
inline std::string startgame(std::string_view starter, int limit)
{
    return msg::text(msg::StartGame{std::string(starter), std::to_string(limit)});
}
inline std::string nextplayer(int seat, int round, const std::vector<int>& open)
{
    return msg::text(msg::NextPlayer{seat, std::to_string(round), open});
}
inline std::string createdice(int seat, int rolls, const std::vector<DiePair>& pairs)
{
    return msg::text(msg::CreateDice{seat, rolls, pairs});
}
inline std::string selectedcat(int seat, int category)
{
    return msg::text(msg::SelectedCat{seat, category});
}
inline std::string needcat(int seat)
{
    return msg::text(msg::NeedCat{seat});
}
inline std::string postscores(int seat, int total, int points, int category)
{
    return msg::text(msg::PostScores{{seat, total, points, category}});
}
inline std::string zonkard(int seat, int total, int points, const std::vector<DiePair>& pairs)
{
    return msg::text(msg::Zonkard{seat, total, points, kRollsPerTurn, pairs});
}
inline std::string bonustime(int seat, int total, int points, int category)
{
    return msg::text(msg::BonusTime{{seat, total, points, category}});
}
inline std::string gotbonus(int seat, int total, int bonus, int category, int score,
                            const std::vector<DiePair>& pairs)
{
    return msg::text(msg::GotBonus{seat, total, bonus, category, score, pairs});
}
inline std::string bonusend(int seat, const std::vector<DiePair>& pairs)
{
    return msg::text(msg::BonusEnd{seat, pairs});
}
inline std::string winner(const std::vector<int>& seats)
{
    return msg::text(msg::Winner{seats});
}
inline std::string chat(std::string_view line)
{
    return msg::text(msg::ChatLine{{std::string(line)}});
}
inline std::string action(std::string_view line)
{
    return msg::text(msg::ActionLine{{std::string(line)}});
}
inline std::string playasound(int slot, std::string_view sound)
{
    return msg::text(msg::PlayASound{slot, std::string(sound) + "+"});
}

} // namespace host

// Five dice pairs with the given faces for dice 1 to 5.
inline std::vector<DiePair> faces(std::array<int, 5> f)
{
    return {{1, f[0]}, {2, f[1]}, {3, f[2]}, {4, f[3]}, {5, f[4]}};
}

class TableTest : public ::testing::Test {
protected:
    Outbox env;
    std::chrono::milliseconds now{100000};
    std::deque<int> scriptedRandom; // values in 0..n-1 handed out in order
    TableLogic logic{env, env,
                     [this](int n) {
                         int v = 0;
                         if (!scriptedRandom.empty()) {
                             v = scriptedRandom.front();
                             scriptedRandom.pop_front();
                         }
                         return v % n;
                     },
                     [this] { return now; }};

    const Board& board() const { return logic.board(); }
    const TableState& state() const { return logic.state(); }

    HandlerResult host(const std::string& message) { return logic.handleMessage(message); }

    // A joining table named `name` that the host seats at `seat`.
    void joinAs(std::string name, int seat)
    {
        logic.processParams({name, "10.0.0.5", "false"});
        host(host::sendlogininfo(seat));
        host(host::newplayer(seat, name));
        env.clear();
    }
    // The hosting table, always seat 1.
    void hostAs(std::string name)
    {
        logic.processParams({name, "127.0.0.1", "true"});
        host(host::sendlogininfo(1));
        host(host::newplayer(1, name));
        env.clear();
    }
    // The texts of the chat display's lines.
    std::vector<std::string> chatTexts() const
    {
        std::vector<std::string> out;
        for (const auto& line : board().chat.lines)
            out.push_back(line.text);
        return out;
    }
    std::string lastLine() const
    {
        return board().chat.lines.empty() ? std::string() : board().chat.lines.back().text;
    }
};

} // namespace zk::test
