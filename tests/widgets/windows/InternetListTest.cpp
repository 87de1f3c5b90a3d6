// The host-or-join dialog's Internet list against a real coordinator over
// TLS on loopback: without one it says so and contacts nothing; a dead one
// is explained; a public game (and not an invite-only one) is listed with
// its code, picked into the address field, marked as this computer's own
// when it is; the host's choice of whom the game is for.
#include "TestCoordinator.h"
#include "WindowsTestKit.h"

#include "coordinator/InviteCode.h"
#include "host/qt/TServer.h"
#include "windows/qt/Thostjoin.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace zk::test {
namespace {

// A hosting engine registered with the coordinator for the given audience.
std::unique_ptr<TServer> hostFor(const TestCoordinator& c, coord::Visibility visibility, std::string* code)
{
    auto host = std::make_unique<TServer>([] { return 1; }, [](const std::string&) {});
    const std::string secret = coord::newSecret(coord::strongRandom);
    *code = coord::shownCode(coord::inviteCode(secret));
    host->setCoordinator(
        std::make_unique<CoordinatorLink>(CoordinatorLink::Setup{c.where(), c.trust(), secret, visibility}),
        false);
    std::string error;
    EXPECT_TRUE(host->startListening(0, &error)) << error;
    return host;
}

TEST(HostJoinDialog, TheInternetListShowsTheCoordinatorsPublicGames)
{
    Thostjoin dialog;
    auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("list_internet"));
    auto* status = dialog.findChild<QLabel*>(QStringLiteral("label_internetstatus"));
    dialog.show();
    EXPECT_EQ(status->text(), QStringLiteral("No coordinator is configured."));

    // A coordinator that does not answer: said plainly, the rest goes on.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 deadPort = closed.serverPort();
    closed.close();
    dialog.setCoordinator(HostPort{"127.0.0.1", deadPort});
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return status->text().startsWith(QStringLiteral("The coordinator cannot"));
    })) << status->text().toStdString();
    EXPECT_TRUE(
        status->text().endsWith(QStringLiteral("Games on this network and typed addresses still work.")));

    TestCoordinator c;
    ASSERT_TRUE(c.server) << c.ca.error();
    std::string publicCode, inviteCode;
    auto listed = hostFor(c, coord::Visibility::Public, &publicCode);
    auto unlisted = hostFor(c, coord::Visibility::Invite, &inviteCode);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !listed->coordinator()->code().isEmpty(); }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !unlisted->coordinator()->code().isEmpty(); }));
    dialog.setCoordinator(c.where(), c.trust());
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->topLevelItemCount() > 0; }))
        << status->text().toStdString();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    QTreeWidgetItem* game = list->topLevelItem(0);
    EXPECT_EQ(game->text(1), QStringLiteral("0 of 6 seated"));
    EXPECT_EQ(game->text(4).toStdString(), publicCode);
    EXPECT_FALSE(game->isDisabled());
    EXPECT_EQ(status->text(), QStringLiteral("1 public game found on the internet."));
    list->setCurrentItem(game);
    EXPECT_EQ(dialog.choice().address.toStdString(), publicCode);
    EXPECT_FALSE(dialog.choice().host);

    // This computer's own game, its code and the Copy button.
    dialog.setInviteCode(QString::fromStdString(publicCode));
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("button_refresh")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return list->topLevelItemCount() == 1 && list->topLevelItem(0)->isDisabled(); }));
    EXPECT_TRUE(list->topLevelItem(0)->text(0).endsWith(QStringLiteral("(this computer)")));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("label_invitecode"))->text().toStdString(),
              "Your game's invite code is " + publicCode);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("button_copycode")), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), publicCode);

    // A game that ends leaves the list at the next look.
    listed.reset();
    auto* refresh = dialog.findChild<QPushButton*>(QStringLiteral("button_refresh"));
    for (int look = 0; look < 10 && list->topLevelItemCount() > 0; ++look) {
        QTest::mouseClick(refresh, Qt::LeftButton);
        QTest::qWait(500);
    }
    ASSERT_EQ(list->topLevelItemCount(), 0) << status->text().toStdString();
    EXPECT_EQ(status->text(), QStringLiteral("No public games on the internet yet."));

    // Whom a hosted game is for: a choice while hosting is chosen.
    auto* forPublic = dialog.findChild<QRadioButton*>(QStringLiteral("radio_public"));
    EXPECT_FALSE(forPublic->isEnabled());
    EXPECT_EQ(dialog.hostFor(), QStringLiteral("lan"));
    QTest::mouseClick(dialog.findChild<QRadioButton*>(QStringLiteral("radio_host")), Qt::LeftButton);
    QTest::mouseClick(forPublic, Qt::LeftButton);
    EXPECT_TRUE(dialog.choice().host);
    EXPECT_EQ(dialog.hostFor(), QStringLiteral("public"));
    dialog.setHostFor(QStringLiteral("invite"));
    EXPECT_EQ(dialog.hostFor(), QStringLiteral("invite"));
}

} // namespace
} // namespace zk::test
