// zk-screens: screenshots of the table windows, rendered offscreen.
//
// A real TableLogic is fed the host's messages of a scripted game (no
// network: the environment swallows what the table sends), and the real
// windows are grabbed in these states:
//
//   screen-login.png     after login: players, a spectator, chat lines
//   screen-turn.png      a turn in progress: held dice, a chosen category
//   screen-bonus.png     bonus mode with BONUS starbursts
//   screen-gameover.png  the game-over board
//   screen-prompt.png    the roll prompt over the dice
//   screen-startgame.png the start-game options window
//   screen-spylist.png   the spy list window
//
//   zk-screens docs/
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

#include <cstdio>
#include <string>
#include <vector>

#include "protocol/Messages.h"
#include "table/Board.h"
#include "table/TableLogic.h"
#include "table/qt/chatform.h"
#include "table/qt/gamestartform.h"
#include "table/qt/spylistform.h"

using namespace zk;

namespace {

// Swallows what the table sends; shows the start window when asked.
class QuietEnvironment : public TableEnvironment {
public:
    QWidget* startWindow = nullptr;
    bool sendToHost(std::string_view) override { return true; }
    bool startHostListening() override { return true; }
    bool connectToHost(std::string_view) override { return true; }
    void openLobbyConnection() override {}
    void showMessage(std::string_view) override {}
    void showMessageThenClose(std::string_view) override {}
    void closeProgram() override {}
    void showLobbyDownload() override {}
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
    void playSound(std::string_view) override {}
    void loadSettings() override {}
    void saveSettings() override {}
    void recordGame(const GameOutcome&) override {}
    void offerHighestScore(std::string_view) override {}
    void countOwnZonkard() override {}
    void countOwnBonusMode() override {}
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

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    if (!dir.exists() && !QDir().mkpath(dir.path()))
        return 1;

    QuietEnvironment env;
    // Fixed tumbling faces, so the screenshots come out the same every time.
    int next = 0;
    TableLogic logic(env, [&next](int n) { return (next += 5) % n; });
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

    // A game: two rounds played, then Ann's turn in round 3 with fives chosen.
    s.host(msg::StartGame{"Ann", "5"});
    int totals[7] = {};
    const int points[3][4] = {{3, 8, 2, 4}, {6, 4, 9, 12}, {0, 0, 0, 0}};
    const int seats[4] = {1, 2, 3, 4};
    for (int round = 1; round <= 2; ++round) {
        for (int i = 0; i < 4; ++i)
            s.playTurn(seats[i], round, totals[seats[i]], points[round - 1][i], round + i % 2 * 2);
    }
    s.turn(1, 3, {3, 5, 6, 7});
    s.roll(1, 1, dice({5, 2, 5, 6, 5}));
    for (int d : {1, 3, 5})
        logic.dieRelease(d, MouseButton::Left);
    s.choose(1, 5);
    s.chat("Bob chats: Come on, fives!|clGreen");
    ok &= save(chat, dir, "screen-turn.png");

    // Bonus mode: five fives on the third roll, then a bonus roll that scores.
    s.roll(1, 3, dice({5, 5, 5, 5, 5}));
    totals[1] += 25;
    s.host(msg::BonusTime{{1, totals[1], 25, 5}});
    totals[1] += 10;
    s.host(msg::GotBonus{1, totals[1], 10, 5, 35, dice({5, 3, 5, 6, 2})});
    ok &= save(chat, dir, "screen-bonus.png");

    // The prompt of a second roll without a category.
    s.host(msg::BonusEnd{1, dice({1, 3, 4, 6, 2})});
    s.turn(1, 4, {3, 6, 7});
    s.roll(1, 1, dice({3, 3, 1, 6, 2}));
    logic.rollClick();
    s.refresh();
    ok &= save(chat, dir, "screen-prompt.png");
    logic.noClick();

    // The rest of the game, then Bob and Ann share the win.
    for (int round = 4; round <= 7; ++round) {
        for (int i = 0; i < 4; ++i)
            s.playTurn(seats[i], round, totals[seats[i]], 3 * round + (i == 2 ? 7 : 0), round - 1 + (i % 2));
    }
    s.post(1, totals[1] = totals[3], 0, 7);
    s.host(msg::Winner{{1, 3}});
    ok &= save(chat, dir, "screen-gameover.png");

    logic.startOptions().startClick();
    logic.startOptions().limitBoxClick(5);
    s.refresh();
    ok &= save(start, dir, "screen-startgame.png");

    spies.show();
    s.refresh();
    ok &= save(spies, dir, "screen-spylist.png");
    return ok ? 0 : 1;
}
