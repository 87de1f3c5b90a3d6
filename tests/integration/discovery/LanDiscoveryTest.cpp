// The discovery objects without a daemon to talk to: the opt-outs, what a
// browser says when searching cannot work, and the spacing of updates.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "discovery/qt/LanDiscovery.h"

namespace zk {
namespace {

TEST(LanDiscovery, TheSettingAndTheVariableTurnItOff)
{
    qunsetenv(kLanDiscoveryVariable);
    EXPECT_TRUE(lanDiscoveryEnabled(std::nullopt));
    EXPECT_TRUE(lanDiscoveryEnabled("1"));
    EXPECT_TRUE(lanDiscoveryEnabled("yes"));
    EXPECT_FALSE(lanDiscoveryEnabled(" 0 "));
    qputenv(kLanDiscoveryVariable, "0");
    EXPECT_FALSE(lanDiscoveryEnabled("1"));
    qunsetenv(kLanDiscoveryVariable);
}

TEST(LanDiscovery, ATurnedOffBrowserSaysSoAndFindsNothing)
{
    auto browser = makeLanBrowser(false);
    QSignalSpy status(browser.get(), &LanBrowser::status);
    browser->start();
    ASSERT_TRUE(status.wait(2000));
    EXPECT_FALSE(status[0][0].toBool());
    EXPECT_EQ(status[0][1].toString(), QString::fromLatin1(kLanTurnedOff));
    EXPECT_EQ(browser->games().size(), 0u);
}

// Counts what the announcer hands its backend.
class CountingAnnouncer final : public LanAnnouncer {
public:
    std::vector<std::vector<std::string>> updates;
    int published = 0;
    int withdrawn = 0;

private:
    void publish(const QString&, int, const std::vector<std::string>&) override { ++published; }
    void updateTxt(const std::vector<std::string>& txt) override { updates.push_back(txt); }
    void withdraw() override { ++withdrawn; }
};

TEST(LanDiscovery, ABurstOfChangesGoesOutAsItsLastStateAfterTheSpacing)
{
    CountingAnnouncer a;
    GameAdvert advert{.version = "1.0.2"};
    a.update(advert);
    EXPECT_EQ(a.published, 0) << "nothing before start";
    a.start(QStringLiteral("Zonkards on box"), 7772, advert);
    EXPECT_EQ(a.published, 1);
    for (int seated = 1; seated <= 4; ++seated) {
        advert.seated = seated;
        advert.free = kSeatCount - seated;
        a.update(advert);
    }
    EXPECT_TRUE(a.updates.empty()) << "inside the spacing after the start";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !a.updates.empty(); }, 3000));
    EXPECT_EQ(a.updates.back(), toTxt(advert));
    QTest::qWait(1200);
    EXPECT_EQ(a.updates.size(), 1u) << "one update for the whole burst";
    a.update(advert);
    EXPECT_EQ(a.updates.size(), 1u) << "no change, nothing sent";
    a.stop();
    a.stop();
    EXPECT_EQ(a.withdrawn, 1);
}

} // namespace
} // namespace zk
