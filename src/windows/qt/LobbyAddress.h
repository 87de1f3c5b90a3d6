// The lobby installer's download address and the request made for it: which
// address, which file name, and the exact header lines sent.
//
//     QUrl url = zk::lobbyDownloadUrl(settingOrEmpty);
//     QString name = zk::installerFileName(url);        // "lobbysetup.exe"
//     QList<QByteArray> lines = zk::lobbyRequestHeaders(url);
#pragma once

#include "windows/HttpAnswer.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

namespace zk {

// Where the lobby installer is downloaded from when the settings name no
// other address (key kLobbyUrlKey). A placeholder host of ours: a real
// deployment puts its own https address into the settings file.
inline constexpr const char* kDefaultLobbyUrl = "https://lobby.zonkards.example/lobby/lobbysetup.exe";

// Settings keys (section "agame") read by the lobby window; never written.
inline constexpr const char* kLobbyUrlKey = "LobbyUrl";
inline constexpr const char* kLobbyPathKey = "LobbyPath";

// The installer file's name when the address does not end in a usable one.
inline constexpr const char* kDefaultInstallerName = "lobbysetup.exe";
// Parameters that make the installer run quietly.
inline constexpr const char* kInstallerParameters = "/SP- /silent /noicons";

// The three header lines of the request, in the order they are sent.
inline constexpr const char* kAcceptHeader =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
inline constexpr const char* kUserAgentHeader = "User-Agent: Mozilla/3.0 (compatible)";

// The address to download from: the configured text when it is given, else
// kDefaultLobbyUrl. Leading and trailing blanks of the setting are ignored.
QUrl lobbyDownloadUrl(const QString& configured);

// True for an absolute http or https address with a host.
bool isDownloadAddress(const QUrl& url);

// The text after the address's last "/". An address whose last part is
// empty, "." or "..", or holds a path separator or drive colon, gives
// kDefaultInstallerName, so the file always lands in the chosen directory.
QString installerFileName(const QUrl& url);

// The value of the Host header: the host, with the port when the address
// names one that is not the scheme's default; IPv6 hosts in brackets.
QByteArray hostHeaderValue(const QUrl& url);

// "Accept: ...", "User-Agent: ..." and "Host: ..." without line ends.
QList<QByteArray> lobbyRequestHeaders(const QUrl& url);

// Judges a hop's redirection address for judgeHop: fills the report's
// redirectionUsable (isDownloadAddress) and redirectionSecure (https).
void judgeRedirectionAddress(HopReport& report);

} // namespace zk
