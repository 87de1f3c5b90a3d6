// The download address: which address, which file name, which Host line.
#include "windows/qt/LobbyAddress.h"

#include <gtest/gtest.h>

namespace zk::test {
namespace {

TEST(LobbyAddress, TheDefaultIsOursWithTheInstallerPath)
{
    const QUrl url = lobbyDownloadUrl(QString());
    EXPECT_TRUE(isDownloadAddress(url));
    EXPECT_EQ(url.path(), QStringLiteral("/lobby/lobbysetup.exe"));
    EXPECT_EQ(installerFileName(url), QStringLiteral("lobbysetup.exe"));
    EXPECT_EQ(lobbyDownloadUrl(QStringLiteral("   ")), url);
    EXPECT_EQ(lobbyDownloadUrl(QStringLiteral(" http://10.1.2.3/x/setup.exe ")).toString(),
              QStringLiteral("http://10.1.2.3/x/setup.exe"));
}

TEST(LobbyAddress, OnlyHttpAndHttpsAddressesWithAHostDownload)
{
    EXPECT_TRUE(isDownloadAddress(QUrl(QStringLiteral("https://dl.example/lobby/lobbysetup.exe"))));
    EXPECT_TRUE(isDownloadAddress(QUrl(QStringLiteral("HTTP://dl.example/a"))));
    EXPECT_FALSE(isDownloadAddress(QUrl(QStringLiteral("ftp://dl.example/a"))));
    EXPECT_FALSE(isDownloadAddress(QUrl(QStringLiteral("file:///tmp/a"))));
    EXPECT_FALSE(isDownloadAddress(QUrl(QStringLiteral("/lobby/lobbysetup.exe"))));
    EXPECT_FALSE(isDownloadAddress(lobbyDownloadUrl(QStringLiteral("http://"))));
}

TEST(LobbyAddress, TheFileNameNeverLeavesTheChosenFolder)
{
    const auto name = [](const char* url) { return installerFileName(QUrl(QString::fromLatin1(url))); };
    EXPECT_EQ(name("http://h/files/setup-2.exe"), QStringLiteral("setup-2.exe"));
    EXPECT_EQ(name("http://h/files/setup.exe?v=3"), QStringLiteral("setup.exe"));
    EXPECT_EQ(name("http://h/files/"), QStringLiteral("lobbysetup.exe"));
    EXPECT_EQ(name("http://h"), QStringLiteral("lobbysetup.exe"));
    EXPECT_EQ(name("http://h/a/%2E%2E"), QStringLiteral("lobbysetup.exe"));
    EXPECT_EQ(name("http://h/a/..%5C..%5Cevil.exe"), QStringLiteral("lobbysetup.exe"));
    EXPECT_EQ(name("http://h/a/C:evil.exe"), QStringLiteral("lobbysetup.exe"));
    EXPECT_EQ(name("http://h/a/..%2Fevil.exe"), QStringLiteral("evil.exe")); // only the last part
}

TEST(LobbyAddress, TheHostLineNamesAPortOnlyWhenItIsNotTheDefault)
{
    const auto host = [](const char* url) { return hostHeaderValue(QUrl(QString::fromLatin1(url))); };
    EXPECT_EQ(host("http://dl.example/lobby/lobbysetup.exe"), "dl.example");
    EXPECT_EQ(host("http://dl.example:80/x"), "dl.example");
    EXPECT_EQ(host("https://dl.example:443/x"), "dl.example");
    EXPECT_EQ(host("https://dl.example:80/x"), "dl.example:80");
    EXPECT_EQ(host("http://127.0.0.1:8080/x"), "127.0.0.1:8080");
    EXPECT_EQ(host("http://[::1]:8080/x"), "[::1]:8080");
    EXPECT_EQ(lobbyRequestHeaders(QUrl(QStringLiteral("http://dl.example/x"))),
              (QList<QByteArray>{"Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*",
                                 "User-Agent: Mozilla/3.0 (compatible)", "Host: dl.example"}));
}

} // namespace
} // namespace zk::test
