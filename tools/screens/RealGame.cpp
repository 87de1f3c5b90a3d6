#include "tools/screens/RealGame.h"

#include <algorithm>
#include <array>

#include "host/DiceSource.h"
#include "protocol/Commands.h"

namespace zk::screens {
namespace {

// Cuts a byte stream of whole messages at each terminator.
std::vector<std::string> split(std::string_view bytes)
{
    std::vector<std::string> out;
    std::size_t from = 0;
    while (from < bytes.size()) {
        const std::size_t end = bytes.find(kTerminator, from);
        if (end == std::string_view::npos)
            break;
        out.emplace_back(bytes.substr(from, end - from));
        from = end + 1;
    }
    return out;
}

} // namespace

struct RealGame::Table : QuietLink, QuietEnvironment {
    RealGame& game;
    int id;
    int slot = 0;
    std::unique_ptr<TableLogic> own; // the other players' tables
    TableLogic* logic = nullptr;
    std::vector<std::string> args;

    Table(RealGame& g, int connectionId) : game(g), id(connectionId) {}

    bool send(std::string_view bytes) override
    {
        for (std::string& m : split(bytes))
            game.toHost_.emplace_back(id, std::move(m));
        return true;
    }
    bool connectTo(std::string_view) override
    {
        slot = game.engine_->freeSlot();
        game.engine_->connectionArrived(slot, id);
        return true;
    }
};

class Outbox : public HostOutbox {
public:
    explicit Outbox(RealGame& game) : game_(game) {}
    void send(int slot, std::string_view bytes) override
    {
        for (std::string& m : split(bytes))
            game_.toTables_.emplace_back(slot, std::move(m));
    }
    void close(int) override {}
    void move(int, int) override {}

private:
    RealGame& game_;
};

RealGame::RealGame(std::uint64_t seed, std::vector<std::string> players, std::vector<std::string> watchers)
{
    outbox_ = std::make_unique<Outbox>(*this);
    engineOwner_ = std::make_unique<HostEngine>(
        *outbox_, [](const std::string&) {}, seededDice(seed), [] { return 650; });
    engine_ = engineOwner_.get();
    int id = 100;
    for (std::size_t i = 0; i < players.size() + watchers.size(); ++i) {
        auto t = std::make_unique<Table>(*this, ++id);
        const std::string& name = i < players.size() ? players[i] : watchers[i - players.size()];
        t->args = {name, "127.0.0.1", i == 0 ? "true" : "false"};
        if (i > 0) {
            // Tumbling faces are the table's own business; any will do.
            t->own = std::make_unique<TableLogic>(*t, *t, [](int n) { return n - 1; });
            t->logic = t->own.get();
        }
        tables_.push_back(std::move(t));
    }
}

RealGame::~RealGame() = default;

TableLink& RealGame::hostLink()
{
    return *tables_.front();
}

TableEnvironment& RealGame::hostEnvironment()
{
    return *tables_.front();
}

void RealGame::attachHostTable(TableLogic& table)
{
    tables_.front()->logic = &table;
}

bool RealGame::deliver()
{
    if (!toHost_.empty()) {
        auto [id, text] = std::move(toHost_.front());
        toHost_.pop_front();
        engine_->handleMessage(id, text);
        return true;
    }
    if (!toTables_.empty()) {
        auto [slot, text] = std::move(toTables_.front());
        toTables_.pop_front();
        for (auto& t : tables_) {
            if (t->slot == slot)
                t->logic->handleMessage(text);
        }
        return true;
    }
    return false;
}

void RealGame::seatEveryone()
{
    for (auto& t : tables_) {
        t->logic->processParams(t->args);
        while (deliver()) {
        }
    }
}

void RealGame::start(int bonusLimit)
{
    TableLogic& host = *tables_.front()->logic;
    host.startOptions().startClick();
    host.startOptions().limitBoxClick(bonusLimit);
    host.startOptions().startGameClick();
}

bool RealGame::move(Table& t)
{
    TableLogic& logic = *t.logic;
    const Board& b = logic.board();
    const TableState& s = logic.state();
    if (!b.rollButtonShown || s.currentSeat != s.ownSeat || s.ownSeat < 1 || s.ownSeat > kSeatCount)
        return false;
    if (b.rollCount == 0) {
        logic.rollClick();
        return true;
    }
    const int chosen = b.turnMarker.selectedCategory;
    if (chosen == 0) {
        // The open category whose face the dice show most; the straight last.
        std::array<int, 7> count{};
        for (int d = 1; d <= kDiceCount; ++d)
            ++count[static_cast<std::size_t>(b.die(d).face)];
        int best = 0;
        for (int c = 1; c <= kCategoryCount; ++c) {
            const CategoryRow& row = b.category(c);
            if (!row.buttonShown || !row.buttonChoosable)
                continue;
            if (best == 0 || (c <= 6 && (best == 7 || count[static_cast<std::size_t>(c)] >=
                                                          count[static_cast<std::size_t>(best)])))
                best = c;
        }
        if (best == 0)
            return false;
        logic.categoryButtonClick(best);
        return true;
    }
    // Hold the dice of the chosen face, let the others go, and roll.
    for (int d = 1; d <= kDiceCount; ++d) {
        const bool keep = chosen <= 6 && b.die(d).face == chosen;
        if (b.die(d).held != keep)
            logic.dieRelease(d, MouseButton::Left);
    }
    logic.rollClick();
    return true;
}

bool RealGame::hostMove()
{
    return move(*tables_.front());
}

bool RealGame::step()
{
    if (deliver())
        return true;
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        if ((i > 0 || hostAutoPlay_) && move(*tables_[i]))
            return true;
    }
    if (engine_->timer1().enabled) {
        engine_->tickTimer1();
        return true;
    }
    return false;
}

} // namespace zk::screens
