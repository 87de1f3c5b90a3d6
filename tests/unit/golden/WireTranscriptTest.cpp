// The exact bytes of a whole scripted game, both directions: the host engine
// and three real table logics (plus bare connections that only log in or
// only connect) exchange every command there is, edge cases included ("+" in
// names and chat, a typed 0xFF, "+0" and "+0+0", the double terminator of the
// login, the winner list's closing "+0+", a refused tenth connection). The
// transcript is compared line by line with wire-transcript.txt: a change of
// any byte that a peer sees fails here. ZK_WRITE_GOLDEN=1 writes the file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "host/HostEngine.h"
#include "table/TableLogic.h"

namespace zk::test {
namespace {

std::string escaped(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += ch;
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

class Wire;

// A table logic whose connection is a line of the wire.
class Table : public TableLink, public QuietEnvironment {
public:
    Table(Wire& wire, std::string name) : wire_(wire), label(std::move(name)) {}

    bool send(std::string_view bytes) override;
    bool connectTo(std::string_view) override;
    void openLobby() override {}
    void dropConnection() override {}
    void closeProgram() override { closed = true; }

    // Plays the own turn when it may act: a roll, the first category
    // offered after the first roll, then rolls. True when it did something.
    bool autoPlay()
    {
        const Board& b = logic.board();
        if (logic.state().currentSeat != logic.state().ownSeat || !b.rollButtonShown)
            return false;
        if (b.rollCount >= 1 && b.turnMarker.selectedCategory == 0) {
            for (int c = 1; c <= kCategoryCount; ++c) {
                if (b.category(c).buttonShown && b.category(c).buttonChoosable) {
                    logic.categoryButtonClick(c);
                    return true;
                }
            }
        }
        logic.rollClick();
        return true;
    }

    Wire& wire_;
    std::string label;
    TableLogic logic{*this, *this, [](int n) { return n - 1; }, [] { return std::chrono::milliseconds(0); }};
    int connection = 0;
    bool closed = false;
};

class Wire : public HostOutbox {
public:
    Wire()
        : engine(
              *this, [this](const std::string& t) { transcript.push_back("notice " + t); },
              [this] { return draw(); }, [] { return 650; })
    {
    }

    // A connection from a table (nullptr: a bare connection that the test
    // drives by hand); its connection id.
    int connect(Table* table)
    {
        const int slot = engine.freeSlot();
        const int id = ++lastId_;
        slotConnection_[slot] = id;
        tables_[id] = table;
        transcript.push_back("connect as slot " + std::to_string(slot));
        if (table)
            table->connection = id;
        engine.connectionArrived(slot, id);
        settle();
        return id;
    }
    // Bytes a connection writes to the host, cut at every terminator.
    void toHost(int id, std::string_view bytes)
    {
        transcript.push_back("slot " + std::to_string(engine.slotOf(id)) + " > " + escaped(bytes));
        std::string_view rest = bytes;
        for (auto end = rest.find(kTerminator); end != std::string_view::npos; end = rest.find(kTerminator)) {
            pending_.push_back({0, id, std::string(rest.substr(0, end))});
            rest.remove_prefix(end + 1);
        }
    }
    void hangUp(int id)
    {
        transcript.push_back("slot " + std::to_string(engine.slotOf(id)) + " hangs up");
        drop(id);
        engine.connectionClosed(id);
        settle();
    }

    void send(int slot, std::string_view bytes) override
    {
        transcript.push_back("host > " + std::to_string(slot) + " " + escaped(bytes));
        const int id = slotConnection_[slot];
        if (tables_[id]) {
            std::string_view rest = bytes;
            for (auto end = rest.find(kTerminator); end != std::string_view::npos;
                 end = rest.find(kTerminator)) {
                pending_.push_back({1, id, std::string(rest.substr(0, end))});
                rest.remove_prefix(end + 1);
            }
        }
    }
    void move(int from, int to) override
    {
        transcript.push_back("host moves " + std::to_string(from) + " to " + std::to_string(to));
        slotConnection_[to] = slotConnection_[from];
        slotConnection_[from] = 0;
    }
    void close(int slot) override
    {
        transcript.push_back("host closes " + std::to_string(slot));
        const int id = slotConnection_[slot];
        if (id != 0) {
            drop(id);
            engine.connectionClosed(id);
        }
    }

    // Delivers everything in flight, in order.
    void settle()
    {
        while (!pending_.empty()) {
            const Delivery d = pending_.front();
            pending_.pop_front();
            if (d.toTable) {
                if (Table* table = tables_[d.id])
                    table->logic.handleMessage(d.text);
            } else {
                engine.handleMessage(d.id, d.text);
            }
        }
    }
    // Lets the tables play and timer1 run until the transcript names the
    // command, or nothing is left to do.
    void runUntil(std::string_view command, std::vector<Table*> players, int maxSteps = 20000)
    {
        const std::size_t from = transcript.size();
        for (int step = 0; step < maxSteps; ++step) {
            settle();
            for (std::size_t i = from; i < transcript.size(); ++i) {
                if (transcript[i].find(command) != std::string::npos)
                    return;
            }
            bool acted = false;
            for (Table* t : players)
                acted = acted || t->autoPlay();
            if (acted)
                continue;
            if (!engine.timer1().enabled)
                return;
            engine.tickTimer1();
        }
    }

    std::deque<int> faces; // drawn first; then a seeded generator
    std::vector<std::string> transcript;
    HostEngine engine;

private:
    struct Delivery {
        int toTable;
        int id;
        std::string text;
    };
    int draw()
    {
        if (!faces.empty()) {
            const int f = faces.front();
            faces.pop_front();
            return f;
        }
        return std::uniform_int_distribution<int>(1, 6)(random_);
    }
    void drop(int id)
    {
        for (auto& [slot, conn] : slotConnection_) {
            if (conn == id)
                conn = 0;
        }
        if (Table* table = tables_[id])
            table->logic.socketInfo(SockInfoKind::Close);
        tables_[id] = nullptr;
    }

    std::mt19937 random_{20261209};
    std::map<int, int> slotConnection_;
    std::map<int, Table*> tables_;
    std::deque<Delivery> pending_;
    int lastId_ = 0;
};

bool Table::send(std::string_view bytes)
{
    if (connection == 0)
        return false;
    wire_.toHost(connection, bytes);
    return true;
}

bool Table::connectTo(std::string_view)
{
    wire_.connect(this);
    return true;
}

std::vector<std::string> scriptedGame()
{
    Wire wire;
    Table ann(wire, "ann"), bob(wire, "bob"), cy(wire, "cy");
    auto sayRaw = [&](int id, std::string_view text) {
        wire.toHost(id, std::string(text) + kTerminator);
        wire.settle();
    };

    // The host's table, a table of another version in slot 2 that leaves,
    // and a joiner whose name holds a "+".
    ann.logic.processParams({"A+nn", "127.0.0.1", "true"});
    wire.settle();
    const int old = wire.connect(nullptr);
    sayRaw(old, "CMD_logininfo+2+1.0.1+Old\xFF");
    bob.logic.processParams({"B+b", "10.0.0.5", "false"});
    wire.settle();
    wire.hangUp(old);

    // Chat, an action, a typed 0xFF, a line that is not sent, a phrase and
    // a chatter sound.
    bob.logic.chat().setChatEntry("hi + there \xFF|x");
    bob.logic.chat().sendit();
    ann.logic.chat().setChatEntry("/me waves+");
    ann.logic.chat().sendit();
    ann.logic.chat().setChatEntry("/meow");
    ann.logic.chat().sendit();
    ann.logic.chat().setChatEntry("/who");
    ann.logic.chat().sendit();
    bob.logic.chat().phraseClick(3);
    ann.logic.chat().chatterChoice(5);
    ann.logic.options().textColourConfirmed(0x00123456);
    ann.logic.chat().setChatEntry("colour");
    ann.logic.chat().sendit();
    wire.settle();

    // A game with one bonus roll; Klot plays seat 2.
    ann.logic.startOptions().startClick();
    ann.logic.startOptions().limitBoxClick(1);
    ann.logic.startOptions().startGameClick();
    wire.settle();
    wire.faces = {3, 1, 4, 2, 5}; // Ann: a zonkard at once
    wire.runUntil("CMD_zonkard", {&ann});
    wire.runUntil("CMD_nextplayer+3", {&ann});
    // Bob: twos, three held, the rest twos too, then a roll of none.
    wire.faces = {2, 2, 2, 5, 6};
    bob.logic.rollClick();
    wire.settle();
    bob.logic.categoryButtonClick(2);
    wire.settle();
    for (int die = 1; die <= 3; ++die)
        bob.logic.dieRelease(die, MouseButton::Left);
    wire.faces = {2, 2};
    bob.logic.rollClick();
    wire.settle();
    for (int die = 4; die <= 5; ++die)
        bob.logic.dieRelease(die, MouseButton::Left);
    bob.logic.rollClick();
    wire.settle();
    wire.faces = {2, 6, 2, 3, 4}; // one scoring bonus roll, then the limit
    wire.runUntil("CMD_nextplayer+1", {});

    // Round 2: Ann plays; Bob asks for a third roll without a category,
    // then watches while the computer plays and comes back.
    wire.runUntil("CMD_nextplayer+3", {&ann});
    bob.logic.rollClick();
    wire.settle();
    sayRaw(bob.connection, "CMD_rollthedice+3+1+2+3+4+5");
    sayRaw(bob.connection, "CMD_rollthedice+3+1+2+3+4+5");
    bob.logic.seatMenus().justWatchClick();
    wire.settle();
    wire.runUntil("CMD_postscores+3", {});
    bob.logic.seatMenus().justWatchClick();
    wire.settle();

    // A late joiner takes seat 2 during the game and is removed.
    cy.logic.processParams({"Cy", "10.0.0.6", "false"});
    wire.settle();
    ann.logic.seatMenus().seatMenuOpening(2);
    ann.logic.seatMenus().removeFromGameClick();
    wire.settle();

    // The rest of the game.
    wire.runUntil("CMD_winner", {&ann, &bob});

    // A second game without a bonus limit: five sixes, kept by two rolls
    // of none, a scoring bonus roll and one that ends bonus mode.
    ann.logic.startOptions().startClick();
    ann.logic.startOptions().limitBoxClick(0);
    ann.logic.startOptions().startGameClick();
    wire.settle();
    wire.faces = {6, 6, 6, 6, 6, 6, 6, 1, 2, 3, 1, 2, 3, 4, 5};
    ann.logic.categoryButtonClick(6);
    wire.settle();
    ann.logic.rollClick();
    wire.settle();
    for (int die = 1; die <= 5; ++die)
        ann.logic.dieRelease(die, MouseButton::Left);
    for (int roll = 0; roll < 2; ++roll) {
        ann.logic.rollClick();
        wire.settle();
    }
    wire.runUntil("CMD_bonusend", {});

    // Every slot taken, a spectator that logs in, and a tenth connection.
    std::vector<int> bare;
    for (int i = 0; i < 7; ++i)
        bare.push_back(wire.connect(nullptr));
    sayRaw(bare[4], "CMD_logininfo+7+1.0.2+Spy");
    wire.connect(nullptr);
    return wire.transcript;
}

TEST(WireTranscript, AWholeScriptedGameSendsTheRecordedBytes)
{
    const std::vector<std::string> lines = scriptedGame();
    const std::string path = ZK_SOURCE_DIR "/tests/unit/golden/wire-transcript.txt";
    if (std::getenv("ZK_WRITE_GOLDEN")) {
        std::ofstream out(path, std::ios::binary);
        for (const auto& line : lines)
            out << line << '\n';
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    std::vector<std::string> golden;
    for (std::string line; std::getline(in, line);)
        golden.push_back(line);
    for (std::size_t i = 0; i < std::min(lines.size(), golden.size()); ++i)
        ASSERT_EQ(lines[i], golden[i]) << "line " << i + 1;
    EXPECT_EQ(lines.size(), golden.size());
}

} // namespace
} // namespace zk::test
