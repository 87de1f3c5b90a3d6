// zk-screens: screenshots of the table windows, rendered offscreen.
//
// A real TableLogic is fed the host's messages of a scripted game (no
// network: the environment swallows what the table sends), and the real
// windows are grabbed in these states:
//
//   screen-login.png     after login: players, a spectator, chat lines
//   screen-startgame.png the start-game options window
//   screen-spylist.png   the spy list window
//
// and then a whole real game is played in process (RealGame: the host engine
// with seeded dice, every player's table logic), shown on the hosting
// player's table:
//
//   screen-turn.png      a turn in progress: held dice, a chosen category
//   screen-prompt.png    the roll prompt over the dice
//   screen-bonus.png     bonus mode with BONUS starbursts
//   screen-gameover.png  the game-over board
//
// and the host-or-join dialog listing games as the network would report
// them (screen-hostjoin.png).
//
//   zk-screens docs/
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTreeWidget>
#include <QWidget>

#include <cstdio>
#include <string>
#include <vector>

#include "protocol/Messages.h"
#include "table/Board.h"
#include "table/TableLogic.h"
#include "table/qt/windows/Tchat.h"
#include "table/qt/windows/Tgamestart.h"
#include "table/qt/windows/Tspylist.h"
#include "tools/screens/RealGame.h"
#include "windows/qt/Thostjoin.h"

using namespace zk;

namespace {

// Swallows what the table sends; shows the start window when asked.
class ScriptEnvironment : public zk::QuietLink, public zk::QuietEnvironment {
public:
    QWidget* startWindow = nullptr;
    void showStartGameWindow() override
    {
        if (startWindow)
            startWindow->show();
    }
    void hideStartGameWindow() override
    {
        if (startWindow)
            startWindow->hide();
    }
};

std::vector<DiePair> dice(std::initializer_list<int> faces)
{
    std::vector<DiePair> pairs;
    int n = 1;
    for (int f : faces)
        pairs.push_back({n++, f});
    return pairs;
}

class Script {
public:
    Script(TableLogic& logic, Tchat& chat, Tgamestart& start, Tspylist& spies)
        : logic_(logic), chat_(chat), start_(start), spies_(spies)
    {
    }

    template <typename M>
    void host(const M& message)
    {
        logic_.handleMessage(msg::text(message));
        refresh();
    }
    void refresh()
    {
        chat_.refresh();
        start_.refresh();
        spies_.refresh();
        QApplication::processEvents();
    }
    void chat(const std::string& line) { host(msg::ChatLine{{line}}); }
    void action(const std::string& line) { host(msg::ActionLine{{line}}); }
    void arrive(int seat, const std::string& name) { host(msg::NewPlayerInfo{{seat, name}}); }
    void turn(int seat, int round, std::vector<int> open)
    {
        host(msg::NextPlayer{seat, std::to_string(round), std::move(open)});
    }
    void roll(int seat, int rolls, const std::vector<DiePair>& pairs)
    {
        // The player on turn asks for the roll, as he would with ROLL DICE.
        if (logic_.board().rollButtonShown)
            logic_.rollClick();
        host(msg::CreateDice{seat, rolls, pairs});
    }
    void choose(int seat, int category) { host(msg::SelectedCat{seat, category}); }
    void post(int seat, int total, int points, int category)
    {
        host(msg::PostScores{{seat, total, points, category}});
    }
    // A whole turn of a seat that ends in a posted score.
    void playTurn(int seat, int round, int& total, int points, int category)
    {
        turn(seat, round, {1, 2, 3, 4, 5, 6, 7});
        if (category == 7) { // the straight
            roll(seat, 1, dice({2, 2, 4, 5, 6}));
            choose(seat, category);
            roll(seat, 3, dice({2, 3, 4, 5, 6}));
        } else {
            roll(seat, 1, dice({category, 2, category, 4, 6}));
            choose(seat, category);
            roll(seat, 3, dice({category, 3, category, category, 1}));
        }
        total += points;
        post(seat, total, points, category);
    }

private:
    TableLogic& logic_;
    Tchat& chat_;
    Tgamestart& start_;
    Tspylist& spies_;
};

bool save(QWidget& window, const QDir& dir, const char* name)
{
    QApplication::processEvents();
    const QString path = dir.filePath(QString::fromLatin1(name));
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "zk-screens: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

bool bonusShown(const Board& b)
{
    for (int d = 1; d <= kDiceCount; ++d) {
        if (b.die(d).bonusMarker) // a BONUS starburst: a bonus roll that scored
            return true;
    }
    return false;
}

bool ownTurn(const TableLogic& logic)
{
    return logic.board().rollButtonShown && logic.state().currentSeat == logic.state().ownSeat;
}

// The first seed whose game brings bonus mode to the table, found without
// windows.
std::uint64_t seedWithABonus()
{
    for (std::uint64_t seed = 1; seed < 2000; ++seed) {
        screens::RealGame game(seed, {"Ann", "Bob", "Cecilia", "Dave"}, {});
        TableLogic logic(game.hostLink(), game.hostEnvironment(), [](int n) { return n - 1; });
        game.attachHostTable(logic);
        game.seatEveryone();
        game.start(5);
        bool bonus = false;
        while (game.step())
            bonus = bonus || bonusShown(logic.board());
        if (bonus)
            return seed;
    }
    return 1;
}

// A real game of Ann (this table, hosting), Bob, Cecilia and Dave: a turn in progress, the roll prompt, bonus mode and the
// game over, as they come.
bool playRealGame(const QDir& dir)
{
    const std::uint64_t seed = seedWithABonus();
    screens::RealGame game(seed, {"Ann", "Bob", "Cecilia", "Dave"}, {});
    int next = 0;
    TableLogic logic(game.hostLink(), game.hostEnvironment(), [&next](int n) { return (next += 5) % n; });
    game.attachHostTable(logic);
    Tchat chat(logic);
    chat.show();
    game.setHostAutoPlay(false);
    game.seatEveryone();
    logic.chat().phraseClick(1); // "Way To Go!" from Ann, before the start
    game.start(5);
    bool ok = true;
    bool turnShot = false, promptShot = false, bonusShot = false;
    auto shoot = [&](const char* name) {
        chat.refresh();
        ok &= save(chat, dir, name);
    };
    while (true) {
        chat.refresh();
        const Board& b = logic.board();
        if (!bonusShot && bonusShown(b)) {
            shoot("screen-bonus.png");
            bonusShot = true;
        }
        if (ownTurn(logic) && !turnShot && b.round == "Round: 3" && b.rollCount == 2 &&
            b.turnMarker.selectedCategory != 0) {
            for (int d = 1; d <= kDiceCount; ++d) { // Ann holds her dice of the chosen face
                if (b.die(d).face == b.turnMarker.selectedCategory && !b.die(d).held)
                    logic.dieRelease(d, MouseButton::Left);
            }
            shoot("screen-turn.png");
            turnShot = true;
        }
        if (ownTurn(logic) && !promptShot && b.round == "Round: 4" && b.rollCount == 1 &&
            b.turnMarker.selectedCategory == 0) {
            logic.rollClick(); // a second roll without a category: the reminder asks
            shoot("screen-prompt.png");
            logic.noClick();
            promptShot = true;
        }
        if (game.step())
            continue;
        if (!game.hostMove())
            break;
    }
    shoot("screen-gameover.png");
    if (!turnShot || !promptShot || !bonusShot)
        std::fprintf(stderr, "zk-screens: seed %llu missed a moment (turn %d, prompt %d, bonus %d)\n",
                     static_cast<unsigned long long>(seed), turnShot, promptShot, bonusShot);
    return ok && turnShot && promptShot && bonusShot && logic.board().winnerPanelShown;
}

// Games as a local network would report them.
class ScriptedGames final : public LanBrowser {
public:
    void start() override
    {
        setStatus(true, {});
        const std::string version(kVersionText);
        serviceResolved(1, {.instance = "Ann's game on den",
                            .address = "192.168.1.20",
                            .port = 7772,
                            .advert = {.version = version, .seated = 3, .free = 3, .spies = 1}});
        serviceResolved(
            1,
            {.instance = "Zonkards on attic (port 7773)",
             .address = "192.168.1.31",
             .port = 7773,
             .advert = {
                 .version = version, .seated = 5, .free = 1, .state = GameAdvert::State::Play, .round = 4}});
        serviceResolved(1, {.instance = "Zonkards on garage",
                            .address = "192.168.1.44",
                            .port = 7772,
                            .advert = {.version = "1.1.0", .seated = 2, .free = 4}});
        emit searched();
    }
    void stop() override {}
};

bool shootHostJoin(const QDir& dir)
{
    Thostjoin dialog;
    dialog.setBrowser(std::make_unique<ScriptedGames>());
    dialog.setName(QStringLiteral("Bob"));
    dialog.setInviteCode(QStringLiteral("+K7QM2Xr"));
    dialog.show();
    QApplication::processEvents();
    auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("list_games"));
    list->setCurrentItem(list->topLevelItem(0));
    return save(dialog, dir, "screen-hostjoin.png");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    if (!dir.exists() && !QDir().mkpath(dir.path()))
        return 1;

    ScriptEnvironment env;
    // Fixed tumbling faces, so the screenshots come out the same every time.
    int next = 0;
    TableLogic logic(env, env, [&next](int n) { return (next += 5) % n; });
    Tchat chat(logic);
    Tgamestart start(logic);
    Tspylist spies(logic);
    env.startWindow = &start;
    Script s(logic, chat, start, spies);
    chat.show();
    QApplication::processEvents();
    bool ok = true;

    // After login: the hosting table of Ann, three players and a spectator.
    logic.processParams({"Ann", "127.0.0.1", "true"});
    s.host(msg::SendLoginInfo{1});
    s.arrive(1, "Ann");
    s.arrive(3, "Bob");
    s.arrive(4, "Cecilia");
    s.arrive(7, "Dave");
    s.arrive(8, "Eve");
    s.chat("Bob chats: Hi all! Ready for a game?|clGreen");
    s.action("Cecilia says: Way To Go!|clPurple");
    s.chat("Ann chats: The rules are at www.example.org, have a look.|clNavy");
    s.action("Dave waves from the rail|$00006CB0");
    ok &= save(chat, dir, "screen-login.png");

    // The start window and the spy list of the same table.
    logic.startOptions().startClick();
    logic.startOptions().limitBoxClick(5);
    s.refresh();
    ok &= save(start, dir, "screen-startgame.png");

    spies.show();
    s.refresh();
    ok &= save(spies, dir, "screen-spylist.png");
    spies.hide();
    start.hide();
    chat.hide();

    ok &= playRealGame(dir);
    ok &= shootHostJoin(dir);
    return ok ? 0 : 1;
}
