// The host-or-join choice: its checks, the command line it builds, and the
// dialog that starts the new copy.
#include "WindowsTestKit.h"

#include "protocol/Commands.h"
#include "windows/qt/Thostjoin.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace zk::test {
namespace {

TEST(Relaunch, BuildsTheLobbysCommandLine)
{
    EXPECT_EQ(relaunchCommandLine(QStringLiteral("/opt/zonkards/zonkards"), {"Ann", "192.168.1.20", false}),
              (QStringList{"/opt/zonkards/zonkards", "Ann", "192.168.1.20", "false"}));
    EXPECT_EQ(relaunchCommandLine(QStringLiteral("zk"), {"  Bob Smith ", " host.example.org ", true}),
              (QStringList{"zk", "Bob Smith", "host.example.org", "true"}));
    // Hosting needs no address; the new copy connects to itself anyway.
    EXPECT_EQ(relaunchArguments({"Bob", "", true}), (QStringList{"Bob", "127.0.0.1", "true"}));
}

TEST(Relaunch, AcceptsWhatTheWireCarries)
{
    for (const QString& name :
         {QStringLiteral("Ann"), QStringLiteral("Jörg Müller"), QStringLiteral("€uro-Man"),
          QStringLiteral("O'Neil (2)"), QString(kMaxPlayerNameLength, QLatin1Char('x'))})
        EXPECT_EQ(hostJoinProblem({name, "10.0.0.7", false}), QString()) << name.toStdString();
    for (const QString& address : {QStringLiteral("192.168.1.20"), QStringLiteral("::1"),
                                   QStringLiteral("game-host.example.org"), QStringLiteral("localhost"),
                                   QStringLiteral("192.0.2.2:23456"), QStringLiteral("[2001:db8::7]:7773"),
                                   QStringLiteral("game-host.example.org:1"), QStringLiteral("+K7QM2Xr")})
        EXPECT_EQ(hostJoinProblem({"Ann", address, false}), QString()) << address.toStdString();
    EXPECT_EQ(hostJoinProblem({"Ann", "", true}), QString());
}

TEST(Relaunch, RefusesWhatItCannotUseWithAClearMessage)
{
    EXPECT_EQ(hostJoinProblem({"", "10.0.0.7", false}), QStringLiteral("Please enter your name."));
    EXPECT_EQ(hostJoinProblem({"   ", "10.0.0.7", false}), QStringLiteral("Please enter your name."));
    EXPECT_EQ(hostJoinProblem({QString(kMaxPlayerNameLength + 1, QLatin1Char('x')), "10.0.0.7", false}),
              QStringLiteral("Your name can be at most 30 characters long."));
    // Characters the code page lacks, the terminator's own character, the
    // wire's separators and control characters.
    EXPECT_EQ(hostJoinProblem({QStringLiteral("Łukasz"), "10.0.0.7", false}),
              QStringLiteral("Your name cannot contain \"Ł\". Please use other letters."));
    EXPECT_EQ(hostJoinProblem({QStringLiteral("Zo\u00ffa"), "10.0.0.7", false}),
              QStringLiteral("Your name cannot contain \"ÿ\". Please use other letters."));
    EXPECT_EQ(hostJoinProblem({QStringLiteral("Ann\U0001F3B2"), "10.0.0.7", false}),
              QStringLiteral("Your name cannot contain \"\U0001F3B2\". Please use other letters."));
    EXPECT_EQ(hostJoinProblem({"A+B", "10.0.0.7", false}),
              QStringLiteral("Your name cannot contain \"+\". Please use other letters."));
    EXPECT_EQ(hostJoinProblem({"A|B", "10.0.0.7", false}),
              QStringLiteral("Your name cannot contain \"|\". Please use other letters."));
    EXPECT_EQ(hostJoinProblem({"A\tB", "10.0.0.7", false}),
              QStringLiteral("Your name cannot contain the character U+0009. Please use other letters."));

    EXPECT_EQ(hostJoinProblem({"Ann", "", false}),
              QStringLiteral("Please enter the address of the host you want to join."));
    EXPECT_EQ(
        hostJoinProblem({"Ann", "+K7QM2X0", false}),
        QStringLiteral("\"+K7QM2X0\" is not an invite code: a code is + and 7 letters or digits, such as "
                       "+K7QM2Xr."));
    for (const QString& address :
         {QStringLiteral("my host"), QStringLiteral("host_1.example"), QStringLiteral("-bad.example"),
          QStringLiteral("a..b"), QStringLiteral("h\u00f6st.example"), QStringLiteral("my host:7772"),
          QStringLiteral("[::1]x"), QStringLiteral("[my host]:7772")})
        EXPECT_TRUE(hostJoinProblem({"Ann", address, false})
                        .endsWith(QStringLiteral(
                            "is not a host address. Enter an IP address such as 192.168.1.20 or a host name "
                            "such as zonkards.example.org.")))
            << address.toStdString();
}

TEST(Relaunch, RefusesAPortItCannotUse)
{
    for (const QString& address : {QStringLiteral("10.0.0.7:0"), QStringLiteral("host.example:70000"),
                                   QStringLiteral("host.example:"), QStringLiteral("[::1]:port")})
        EXPECT_EQ(hostJoinProblem({"Ann", address, false}),
                  QStringLiteral("The port in \"%1\" must be a number from 1 to 65535.").arg(address));
}

struct DialogHarness {
    QTemporaryDir dir;
    QString marker = dir.filePath(QStringLiteral("started.txt"));
    QString program = dir.filePath(QStringLiteral("zonkards"));
    Thostjoin dialog;
    QStringList events;

    DialogHarness(const QByteArray& variable = {})
    {
        EXPECT_TRUE(test::writeMarkerProgram(program, marker, variable));
        dialog.setProgram(program);
        QObject::connect(&dialog, &Thostjoin::releaseInstanceLockRequested, [this] { events << "release"; });
        QObject::connect(&dialog, &Thostjoin::restoreInstanceLockRequested, [this] { events << "restore"; });
        QObject::connect(&dialog, &Thostjoin::exitRequested, [this] { events << "exit"; });
        dialog.show();
    }
    template <typename T>
    T* child(const char* name)
    {
        return dialog.findChild<T*>(QLatin1String(name));
    }
    void clickOk() { QTest::mouseClick(child<QPushButton>("button_ok"), Qt::LeftButton); }
};

TEST(HostJoinDialog, StartsTheProgramWithTheChoiceAfterReleasingTheLock)
{
    DialogHarness h;
    QTest::keyClicks(h.child<QLineEdit>("edit_name"), QStringLiteral("Ann"));
    QTest::keyClicks(h.child<QLineEdit>("edit_address"), QStringLiteral("192.168.1.20"));
    h.clickOk();
    bool ran = false;
    EXPECT_EQ(test::waitForMarker(h.marker, &ran), (QStringList{"Ann", "192.168.1.20", "false"}));
    EXPECT_TRUE(ran);
    EXPECT_EQ(h.events, (QStringList{"release", "exit"}));
    EXPECT_FALSE(h.dialog.isVisible());
}

TEST(HostJoinDialog, HostingIgnoresTheAddressField)
{
    DialogHarness h;
    h.dialog.setName(QStringLiteral("Bob"));
    QTest::mouseClick(h.child<QRadioButton>("radio_host"), Qt::LeftButton);
    EXPECT_FALSE(h.child<QLineEdit>("edit_address")->isEnabled());
    h.clickOk();
    bool ran = false;
    EXPECT_EQ(test::waitForMarker(h.marker, &ran), (QStringList{"Bob", "127.0.0.1", "true"}));
    EXPECT_EQ(h.events, (QStringList{"release", "exit"}));
}

TEST(HostJoinDialog, BadInputIsExplainedAndNothingHappens)
{
    DialogHarness h;
    h.dialog.setAddress(QStringLiteral("10.0.0.7"));
    h.clickOk();
    EXPECT_EQ(test::takeMessages(&h.dialog), QStringList{"Please enter your name."});
    EXPECT_TRUE(h.events.isEmpty());
    EXPECT_TRUE(h.dialog.isVisible());
    QTest::qWait(100);
    EXPECT_FALSE(QFile::exists(h.marker));
}

TEST(HostJoinDialog, AProgramThatCannotStartTakesTheLockBackAndKeepsTheGame)
{
    DialogHarness h;
    h.dialog.setProgram(h.dir.filePath(QStringLiteral("missing")));
    h.dialog.setName(QStringLiteral("Ann"));
    h.dialog.setAddress(QStringLiteral("10.0.0.7"));
    h.clickOk();
    EXPECT_EQ(test::takeMessages(&h.dialog), QStringList{"An Error has Occurred."});
    EXPECT_EQ(h.events, (QStringList{"release", "restore"}));
}

// Games as the network would report them, for the dialog's list: the
// real browser needs a daemon on a network of its own (tests/integration/lan).
class ListedGames final : public LanBrowser {
public:
    void start() override { setStatus(true, {}); }
    void stop() override {}
    void add(int path, FoundGame game) { serviceResolved(path, game); }
    void remove(int path, const char* instance) { serviceRemoved(path, QString::fromUtf8(instance)); }
};

TEST(HostJoinDialog, ListsTheGamesFoundGreysTheOnesItCannotJoinAndJoinsAPickedOneOnItsPort)
{
    DialogHarness h("ZONKARDS_PORT");
    auto browser = std::make_unique<ListedGames>();
    ListedGames* games = browser.get();
    h.dialog.setOwnGamePort(7772);
    h.dialog.setBrowser(std::move(browser));
    auto* list = h.child<QTreeWidget>("list_games");
    auto* status = h.child<QLabel>("label_lanstatus");
    EXPECT_EQ(status->text(), QStringLiteral("Looking for games on this network..."));

    const GameAdvert open{.version = std::string(kVersionText), .seated = 2, .free = 4, .spies = 1};
    games->add(
        1,
        {.instance = "Zonkards on den (port 23456)", .address = "192.0.2.2", .port = 23456, .advert = open});
    GameAdvert newer = open;
    newer.version = "9.9.9";
    games->add(1, {.instance = "Zonkards on attic", .address = "192.0.2.3", .port = 7772, .advert = newer});
    games->add(1, {.instance = "Zonkards on here",
                   .address = "192.0.2.1",
                   .port = 7772,
                   .advert = open,
                   .local = true});
    ASSERT_EQ(list->topLevelItemCount(), 3);
    const QTreeWidgetItem* den = list->topLevelItem(0);
    EXPECT_EQ(den->text(1), QStringLiteral("2 of 6 seated, 1 watching"));
    EXPECT_EQ(den->text(2), QStringLiteral("waiting"));
    EXPECT_EQ(den->text(4), QStringLiteral("192.0.2.2:23456"));
    EXPECT_FALSE(den->isDisabled());
    EXPECT_TRUE(list->topLevelItem(1)->isDisabled());
    EXPECT_EQ(
        list->topLevelItem(1)->toolTip(0),
        QStringLiteral("This game runs version 9.9.9; yours is %1.").arg(QString::fromLatin1(kVersionText)));
    EXPECT_TRUE(list->topLevelItem(2)->isDisabled());
    EXPECT_EQ(list->topLevelItem(2)->text(0), QStringLiteral("Zonkards on here (this computer)"));
    EXPECT_EQ(status->text(), QStringLiteral("3 games found. Double-click a game to join it."));

    // A game that goes leaves the list; one that changes is shown anew.
    games->remove(1, "Zonkards on attic");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    GameAdvert playing = open;
    playing.state = GameAdvert::State::Play;
    playing.round = 3;
    games->add(1, {.instance = "Zonkards on den (port 23456)",
                   .address = "192.0.2.2",
                   .port = 23456,
                   .advert = playing});
    EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("round 3 of 7"));

    // A click on a greyed game changes nothing; a double click on an open one joins it.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(1)).center());
    EXPECT_TRUE(h.child<QLineEdit>("edit_address")->text().isEmpty());
    h.dialog.setName(QStringLiteral("Ann"));
    const QPoint denAt = list->visualItemRect(list->topLevelItem(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, denAt);
    EXPECT_EQ(h.child<QLineEdit>("edit_address")->text(), QStringLiteral("192.0.2.2:23456"));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, denAt);
    bool ran = false;
    // The port goes with the address only: a later start of the new copy
    // (hosting, or a typed address) keeps the game's own port.
    EXPECT_EQ(test::waitForMarker(h.marker, &ran),
              (QStringList{"Ann", "192.0.2.2:23456", "false", "ZONKARDS_PORT="}));
    EXPECT_EQ(h.events, (QStringList{"release", "exit"}));
}

TEST(HostJoinDialog, TheKeyboardReachesTheListAndEnterJoinsTheGameOnce)
{
    DialogHarness h;
    h.dialog.setProgram(h.dir.filePath(QStringLiteral("missing"))); // each try says so
    auto browser = std::make_unique<ListedGames>();
    ListedGames* games = browser.get();
    h.dialog.setBrowser(std::move(browser));
    h.dialog.setName(QStringLiteral("Ann"));
    for (const char* den : {"Zonkards on den", "Zonkards on loft"})
        games->add(1, {.instance = den,
                       .address = den[12] == 'd' ? "192.0.2.2" : "192.0.2.3",
                       .port = 7772,
                       .advert = {.version = std::string(kVersionText)}});
    auto* list = h.child<QTreeWidget>("list_games");
    h.dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.dialog));
    QTest::keyClick(&h.dialog, Qt::Key_G, Qt::AltModifier);
    EXPECT_TRUE(list->hasFocus()) << "Alt+G: the list's caption";
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(h.child<QLineEdit>("edit_address")->text(), QStringLiteral("192.0.2.3:7772"));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(test::takeMessages(&h.dialog), QStringList{"An Error has Occurred."});
    EXPECT_EQ(h.events, (QStringList{"release", "restore"}));
}

// An open game's name is seen whole: the other columns take what their
// texts need, and the tooltip has a name the column cuts; a greyed game's
// tooltip says why. A hostile name's control characters are not shown.
TEST(HostJoinDialog, AnOpenGameShowsItsWholeName)
{
    DialogHarness h;
    auto browser = std::make_unique<ListedGames>();
    ListedGames* games = browser.get();
    h.dialog.setBrowser(std::move(browser));
    const GameAdvert open{.version = std::string(kVersionText), .seated = 1, .free = 5};
    const std::string longName = "Zonkards on the-machine-in-the-back-room-by-the-window";
    games->add(1,
               {.instance = "Zonkards on machine-a", .address = "192.0.2.2", .port = 7772, .advert = open});
    games->add(1, {.instance = longName, .address = "192.0.2.3", .port = 7772, .advert = open});
    games->add(1, {.instance = "Zonkards\non\x1b box", .address = "192.0.2.4", .port = 7772, .advert = open});
    auto* list = h.child<QTreeWidget>("list_games");
    ASSERT_EQ(list->topLevelItemCount(), 3);
    const QTreeWidgetItem* a = list->topLevelItem(0);
    const int needed =
        static_cast<QAbstractItemView*>(list)->sizeHintForIndex(list->model()->index(0, 0)).width();
    EXPECT_GE(list->header()->sectionSize(0), needed) << a->text(0).toStdString() << " is cut";
    EXPECT_EQ(a->toolTip(0), QStringLiteral("Zonkards on machine-a"));
    EXPECT_EQ(list->topLevelItem(1)->toolTip(0), QString::fromStdString(longName));
    EXPECT_EQ(list->topLevelItem(1)->toolTip(4), QString::fromStdString(longName));
    EXPECT_EQ(list->topLevelItem(2)->text(0), QStringLiteral("Zonkards\uFFFDon\uFFFD box"));
}

} // namespace
} // namespace zk::test
