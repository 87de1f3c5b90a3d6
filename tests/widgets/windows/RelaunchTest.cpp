// The host-or-join choice: its checks, the command line it builds, and the
// dialog that starts the new copy.
#include "WindowsTestKit.h"

#include "windows/hostjoinform.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

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
                                   QStringLiteral("game-host.example.org"), QStringLiteral("localhost")})
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
    for (const QString& address :
         {QStringLiteral("my host"), QStringLiteral("host_1.example"), QStringLiteral("-bad.example"),
          QStringLiteral("a..b"), QStringLiteral("h\u00f6st.example")})
        EXPECT_TRUE(hostJoinProblem({"Ann", address, false})
                        .endsWith(QStringLiteral(
                            "is not a host address. Enter an IP address such as 192.168.1.20 or a host name "
                            "such as zonkards.example.org.")))
            << address.toStdString();
}

struct DialogHarness {
    QTemporaryDir dir;
    QString marker = dir.filePath(QStringLiteral("started.txt"));
    QString program = dir.filePath(QStringLiteral("zonkards"));
    Thostjoin dialog;
    QStringList events;

    DialogHarness()
    {
        EXPECT_TRUE(test::writeMarkerProgram(program, marker));
        dialog.setProgram(program);
        dialog.setReleaseInstanceLock([this] { events << "release"; });
        dialog.setRestoreInstanceLock([this] { events << "restore"; });
        dialog.setExitRequest([this] { events << "exit"; });
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

} // namespace
} // namespace zk::test
