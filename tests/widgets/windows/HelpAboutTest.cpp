// The help window's pages and the About window's version line.
#include "WindowsTestKit.h"

#include "protocol/Commands.h"
#include "windows/qt/LobbyAddress.h"
#include "windows/qt/Maker.h"
#include "windows/qt/Tabout.h"
#include "windows/qt/Tdownload.h"
#include "windows/qt/Thostjoin.h"
#include "windows/qt/Thelp.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QUrl>

#include <gtest/gtest.h>

namespace zk::test {
namespace {

QString fromView(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

TEST(Help, PageButtonsBringTheirPageForwardAndDoneKeepsIt)
{
    Thelp help;
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Zonkards - Help File"));
    EXPECT_EQ(help.size(), QSize(521, 422));
    EXPECT_EQ(help.currentPage(), 1);
    EXPECT_EQ(help.caption(), QStringLiteral("Overview"));

    help.show();
    const QStringList captions{"Overview", "Connecting", "Game Play", "Scoring", "Documentation", "License"};
    for (int page : {4, 2, 6, 3, 5, 1, 4}) {
        auto* button = help.findChild<QPushButton*>(QStringLiteral("button_page%1").arg(page));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), captions[page - 1]);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(help.currentPage(), page);
        EXPECT_EQ(help.caption(), captions[page - 1]);
    }
    QTest::mouseClick(help.findChild<QPushButton*>(QStringLiteral("button_done")), Qt::LeftButton);
    EXPECT_FALSE(help.isVisible());
    help.show();
    EXPECT_EQ(help.currentPage(), 4);
    EXPECT_EQ(help.caption(), QStringLiteral("Scoring"));

    // Escape closes it too, from the page as from a button, and keeps the page.
    for (const char* focus : {"page_4", "button_page2"}) {
        help.show();
        QTest::keyClick(help.findChild<QWidget*>(QLatin1String(focus)), Qt::Key_Escape);
        EXPECT_FALSE(help.isVisible()) << focus;
    }
    EXPECT_EQ(help.currentPage(), 4);
}

TEST(Help, TheAboutButtonAsksForTheAboutWindow)
{
    Thelp help;
    help.show();
    QSignalSpy about(&help, &Thelp::aboutRequested);
    QTest::mouseClick(help.findChild<QPushButton*>(QStringLiteral("button_about")), Qt::LeftButton);
    EXPECT_EQ(about.count(), 1);
    EXPECT_TRUE(help.isVisible());
}

TEST(Help, PagesCarryTheFactsPlayersNeed)
{
    Thelp help;
    const QString connecting = help.pageText(2);
    EXPECT_TRUE(connecting.contains(QStringLiteral("TCP port %1").arg(kDefaultPort)));
    EXPECT_TRUE(connecting.contains(QStringLiteral("All play ends if the host disconnects.")));
    const QString play = help.pageText(3);
    for (const char* fact :
         {"7 rounds", "three rolls", "round 7", "zonkard", "bonus-roll limit", "Just Watch"})
        EXPECT_TRUE(play.contains(QLatin1String(fact)) || help.pageText(1).contains(QLatin1String(fact)))
            << fact;
    const QString scoring = help.pageText(4);
    for (const char* points : {"15", "20", "35", "40", "three fours in Fours score 12"})
        EXPECT_TRUE(scoring.contains(QLatin1String(points))) << points;
    // The history ends with the version this program sends at login.
    const QString documentation = help.pageText(5);
    ASSERT_TRUE(documentation.contains(QStringLiteral("History")));
    const QString history = documentation.mid(documentation.indexOf(QStringLiteral("History")));
    const QString latest = history.split(QLatin1Char('\n'), Qt::SkipEmptyParts).last();
    EXPECT_TRUE(latest.startsWith(fromView(kVersionText) + QLatin1Char(':'))) << latest.toStdString();
    EXPECT_FALSE(help.pageText(6).isEmpty());
}

// Receives the addresses the desktop would open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

TEST(About, ShowsTheVersionSentAtLoginAndOpensTheMakersPage)
{
    Tabout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Zonkards - About"));
    EXPECT_EQ(about.size(), QSize(304, 174));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_EQ(about.versionText(), fromView(kVersionText));
    EXPECT_EQ(about.versionText(), QStringLiteral("1.0.2"));
    EXPECT_EQ(about.buildSuffix(), QStringLiteral(".7"));

    // "Version", "1.0.2" and ".7" read left to right on one line.
    auto* caption = about.findChild<QLabel*>(QStringLiteral("label_versioncaption"));
    auto* version = about.findChild<QLabel*>(QStringLiteral("label_version"));
    auto* build = about.findChild<QLabel*>(QStringLiteral("label_build"));
    ASSERT_TRUE(caption && version && build);
    EXPECT_EQ(caption->text(), QStringLiteral("Version"));
    EXPECT_EQ(caption->y(), version->y());
    EXPECT_EQ(version->y(), build->y());
    EXPECT_LT(caption->geometry().right(), version->x()); // a gap after "Version"
    EXPECT_LT(version->geometry().right(), build->x());
    EXPECT_LE(build->geometry().right(), about.width());

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    about.show();
    auto* web = about.findChild<QLabel*>(QStringLiteral("label_web"));
    ASSERT_NE(web, nullptr);
    EXPECT_TRUE(web->text().contains(QLatin1String(kMakerWebAddress)));
    QTest::mouseClick(web, Qt::LeftButton, {}, QPoint(20, web->height() / 2));
    EXPECT_TRUE(openMakerWebPage());
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(catcher.opened,
              (QList<QUrl>{QUrl(QLatin1String(kMakerWebAddress)), QUrl(QLatin1String(kMakerWebAddress))}));

    QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("button_done")), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
}

TEST(About, TakesItsPictureBeforeAndAfterItsContentsAreMade)
{
    QPixmap logo(200, 100);
    logo.fill(Qt::red);
    Tabout about;
    about.setPicture(logo); // the contents are made at the first showing
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("image_about")), nullptr);
    about.show();
    auto* picture = about.findChild<QLabel*>(QStringLiteral("image_about"));
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->pixmap().isNull());
    EXPECT_LE(picture->pixmap().width(), picture->width());
    about.setPicture(QPixmap());
    EXPECT_TRUE(picture->pixmap().isNull());
}

TEST(Windows, TakeTheirBackgroundPicture)
{
    QPixmap backdrop(16, 16);
    backdrop.fill(QColor(10, 120, 30));
    Thelp help;
    Tabout about;
    Tdownload download;
    Thostjoin hostjoin;
    help.setBackground(backdrop);
    about.setBackground(backdrop);
    download.setBackground(backdrop);
    hostjoin.setBackground(backdrop);
    for (QWidget* window : std::initializer_list<QWidget*>{&help, &about, &download, &hostjoin}) {
        EXPECT_TRUE(window->autoFillBackground()) << window->objectName().toStdString();
        EXPECT_EQ(window->palette().window().texture().toImage(), backdrop.toImage())
            << window->objectName().toStdString();
    }
}

} // namespace
} // namespace zk::test

#include "HelpAboutTest.moc"
