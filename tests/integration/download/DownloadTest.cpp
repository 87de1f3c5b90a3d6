// The lobby download against a real HTTP server on loopback: the request as
// it arrives on the wire, the status lines at each step, the installer file,
// the installer started, and every way the download can fail.
#include "LoopbackHttpServer.h"
#include "WindowsTestKit.h"

#include "windows/qt/HttpGet.h"
#include "windows/qt/LobbyAddress.h"
#include "windows/qt/Tdownload.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace zk::test {
namespace {

using test::LoopbackHttpServer;

// A body that is not the same byte over and over, so a misplaced piece shows.
QByteArray installerBytes(int size)
{
    QByteArray body(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        body[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return body;
}

// The answer head of the success case: a status line and three header lines.
QByteArray okHead(qsizetype length)
{
    return "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
           QByteArray::number(length) + "\r\nServer: loopback\r\n\r\n";
}

// Sends the head, then the body in pieces, so the window sees several data events.
void answerInPieces(int fd, const QByteArray& head, const QByteArray& body)
{
    if (!LoopbackHttpServer::sendAll(fd, head))
        return;
    for (qsizetype at = 0; at < body.size(); at += 8192) {
        if (!LoopbackHttpServer::sendAll(fd, body.mid(at, 8192)))
            return;
        QThread::msleep(2);
    }
}

// A download window wired to a temporary folder, a recording exit hook and a
// recording installer program, with the history of both status lines.
struct Harness {
    QTemporaryDir dir;
    QString url;
    Tdownload window;
    bool exitRequested = false;
    // Each line's texts in the order shown, starting from the empty line.
    QStringList line1{QString()};
    QStringList line2{QString()};
    QString marker;

    Harness()
    {
        marker = dir.filePath(QStringLiteral("installer-ran.txt"));
        const QString runner = dir.filePath(QStringLiteral("run-installer.sh"));
        EXPECT_TRUE(test::writeMarkerProgram(runner, marker));
        window.setInstallerRunner(runner);
        window.setInstallDirectoryProvider([this] { return dir.path(); });
        window.setSettingLookup(
            [this](const QString& key) { return key == QLatin1String(kLobbyUrlKey) ? url : QString(); });
        QObject::connect(&window, &Tdownload::exitRequested, [this] { exitRequested = true; });
        QObject::connect(&window, &Tdownload::statusChanged, [this](const QString& a, const QString& b) {
            if (line1.last() != a)
                line1 << a;
            if (line2.last() != b)
                line2 << b;
        });
        window.show();
    }

    QPushButton* button(const char* name) { return window.findChild<QPushButton*>(QLatin1String(name)); }

    void clickDownload() { QTest::mouseClick(button("button_download"), Qt::LeftButton); }

    bool waitUntilOver(int timeoutMs = 30000)
    {
        return QTest::qWaitFor([this] { return window.state() != Tdownload::State::Downloading; }, timeoutMs);
    }

    bool buttonsIdle()
    {
        return button("button_download")->isEnabled() && !button("button_stop")->isEnabled();
    }
};

TEST(LobbyDownload, SuccessSendsTheExactRequestSavesTheInstallerStartsItAndEndsTheGame)
{
    const QByteArray body = installerBytes(100000);
    LoopbackHttpServer server([&](LoopbackHttpServer&, int fd, const QByteArray&) {
        answerInPieces(fd, okHead(body.size()), body);
    });
    Harness h;
    h.url = QString::fromLatin1(server.url());
    h.clickDownload();
    ASSERT_TRUE(h.waitUntilOver());

    // The request, byte for byte: the request line and exactly three lines.
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().first(),
              "GET /lobby/lobbysetup.exe HTTP/1.0\r\n"
              "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
              "User-Agent: Mozilla/3.0 (compatible)\r\n"
              "Host: 127.0.0.1:" +
                  QByteArray::number(server.port()) + "\r\n\r\n");

    // First line: Loading, one dot per line of the answer's head, the byte
    // counter rising to the full size, then the received size.
    ASSERT_GE(h.line1.size(), 8);
    EXPECT_EQ(h.line1.mid(0, 6),
              (QStringList{"", "Loading", "Loading.", "Loading..", "Loading...", "Loading...."}));
    const QRegularExpression counter(QStringLiteral("^(\\d+) bytes$"));
    qint64 previous = 0;
    for (int i = 6; i < h.line1.size() - 1; ++i) {
        const auto match = counter.match(h.line1[i]);
        ASSERT_TRUE(match.hasMatch()) << h.line1[i].toStdString();
        EXPECT_GT(match.captured(1).toLongLong(), previous);
        previous = match.captured(1).toLongLong();
    }
    EXPECT_EQ(previous, body.size());
    EXPECT_EQ(h.line1.last(), QStringLiteral("Received 100000 bytes"));
    EXPECT_EQ(h.line2, (QStringList{"", "Downloading: lobbysetup.exe", "Installing"}));
    EXPECT_TRUE(h.buttonsIdle());
    EXPECT_EQ(h.window.state(), Tdownload::State::Finished);

    // The installer file beside the program, whole.
    const QString installer = h.dir.filePath(QStringLiteral("lobbysetup.exe"));
    EXPECT_EQ(h.window.installerFilePath(), installer);
    QFile saved(installer);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll() == body);

    // Started with the quiet-install parameters, and the game asked to end.
    bool ran = false;
    const QStringList args = test::waitForMarker(h.marker, &ran);
    ASSERT_TRUE(ran);
    EXPECT_EQ(args, (QStringList{installer, "/SP-", "/silent", "/noicons"}));
    EXPECT_TRUE(h.exitRequested);
}

TEST(LobbyDownload, NotFoundEndsAbortedAndStartsNothing)
{
    LoopbackHttpServer server([](LoopbackHttpServer&, int fd, const QByteArray&) {
        LoopbackHttpServer::sendAll(fd, "HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n"
                                        "Content-Length: 9\r\n\r\nnot found");
    });
    Harness h;
    h.url = QString::fromLatin1(server.url());
    h.clickDownload();
    ASSERT_TRUE(h.waitUntilOver());

    EXPECT_EQ(h.line1,
              (QStringList{"", "Loading", "Loading.", "Loading..", "Loading...", "Download Aborted"}));
    EXPECT_EQ(h.line2, QStringList{""}); // the error page never counts as the document
    EXPECT_EQ(h.window.state(), Tdownload::State::Aborted);
    EXPECT_TRUE(h.buttonsIdle());
    EXPECT_FALSE(h.exitRequested);
    EXPECT_FALSE(QFile::exists(h.marker));
    EXPECT_EQ(QFile(h.window.installerFilePath()).size(), 0);
    EXPECT_TRUE(test::takeMessages(&h.window).isEmpty());
}

TEST(LobbyDownload, RefusedConnectionEndsAborted)
{
    test::RefusingPort refusing;
    ASSERT_NE(refusing.port(), 0);
    Harness h;
    h.url = QStringLiteral("http://127.0.0.1:%1/lobby/lobbysetup.exe").arg(refusing.port());
    h.clickDownload();
    ASSERT_TRUE(h.waitUntilOver());
    EXPECT_EQ(h.line1, (QStringList{"", "Loading", "Download Aborted"}));
    EXPECT_EQ(h.window.state(), Tdownload::State::Aborted);
    EXPECT_TRUE(h.buttonsIdle());
    EXPECT_FALSE(h.exitRequested);
}

TEST(LobbyDownload, StopDuringASlowAnswerAbortsAtOnce)
{
    LoopbackHttpServer server([](LoopbackHttpServer& s, int fd, const QByteArray&) {
        // A head promising a megabyte, a first piece, then silence.
        if (LoopbackHttpServer::sendAll(fd, okHead(1000000)) &&
            LoopbackHttpServer::sendAll(fd, QByteArray(1000, 'z')))
            s.holdUntilPeerCloses(fd);
    });
    Harness h;
    h.url = QString::fromLatin1(server.url());
    h.clickDownload();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return h.window.statusLine1() == QLatin1String("1000 bytes"); }, 30000));
    EXPECT_EQ(h.window.statusLine2(), QStringLiteral("Downloading: lobbysetup.exe"));
    EXPECT_FALSE(h.button("button_download")->isEnabled());
    EXPECT_TRUE(h.button("button_stop")->isEnabled());

    QTest::mouseClick(h.button("button_stop"), Qt::LeftButton);
    EXPECT_EQ(h.window.statusLine1(), QStringLiteral("Download has been aborted."));
    EXPECT_EQ(h.window.statusLine2(), QStringLiteral("Download Aborted"));

    // The worker ends the request without waiting for the server; the
    // server then sees the connection closed.
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.buttonsIdle(); }, 30000));
    EXPECT_EQ(h.window.statusLine1(), QStringLiteral("Download Aborted"));
    EXPECT_EQ(h.window.statusLine2(), QStringLiteral("Download Aborted"));
    EXPECT_EQ(h.window.state(), Tdownload::State::Aborted);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.sawPeerClose(); }, 30000));
    EXPECT_FALSE(h.exitRequested);
    EXPECT_EQ(QFile(h.window.installerFilePath()).size(), 1000); // the partial file stays

    // A new click starts over.
    h.clickDownload();
    EXPECT_EQ(h.window.statusLine1(), QStringLiteral("Loading"));
    EXPECT_EQ(h.window.state(), Tdownload::State::Downloading);
    QTest::mouseClick(h.button("button_stop"), Qt::LeftButton);
    ASSERT_TRUE(h.waitUntilOver());
}

TEST(LobbyDownload, StopWithoutADownloadOnlySetsTheTexts)
{
    Harness h;
    EXPECT_TRUE(h.button("button_stop")->isEnabled()); // enabled when the window opens
    QTest::mouseClick(h.button("button_stop"), Qt::LeftButton);
    EXPECT_EQ(h.window.statusLine1(), QStringLiteral("Download has been aborted."));
    EXPECT_EQ(h.window.statusLine2(), QStringLiteral("Download Aborted"));
    EXPECT_TRUE(h.button("button_download")->isEnabled());
}

TEST(LobbyDownload, AnInstallerThatCannotStartShowsAnErrorAndTheGameGoesOn)
{
    const QByteArray body = installerBytes(5000);
    LoopbackHttpServer server([&](LoopbackHttpServer&, int fd, const QByteArray&) {
        LoopbackHttpServer::sendAll(fd, okHead(body.size()) + body);
    });
    Harness h;
    h.url = QString::fromLatin1(server.url());
    h.window.setInstallerRunner(h.dir.filePath(QStringLiteral("no-such-program")));
    h.clickDownload();
    ASSERT_TRUE(h.waitUntilOver());
    EXPECT_EQ(h.window.statusLine1(), QStringLiteral("Received 5000 bytes"));
    EXPECT_EQ(h.window.statusLine2(), QStringLiteral("Installing"));
    EXPECT_EQ(test::takeMessages(&h.window), QStringList{"An Error has Occurred."});
    EXPECT_FALSE(h.exitRequested);
}

TEST(LobbyDownload, AnInstallerFileThatCannotBeCreatedIsReportedAndNothingIsSent)
{
    LoopbackHttpServer server(
        [](LoopbackHttpServer&, int fd, const QByteArray&) { LoopbackHttpServer::sendAll(fd, okHead(0)); });
    Harness h;
    h.url = QString::fromLatin1(server.url());
    // A folder where the file should go: no user, root included, can open it as a file.
    ASSERT_TRUE(QDir(h.dir.path()).mkdir(QStringLiteral("lobbysetup.exe")));
    h.clickDownload();
    const QString path = QDir::toNativeSeparators(h.dir.filePath(QStringLiteral("lobbysetup.exe")));
    EXPECT_EQ(test::takeMessages(&h.window), QStringList{"Cannot create file " + path});
    EXPECT_EQ(h.window.state(), Tdownload::State::Idle);
    EXPECT_EQ(h.line1, QStringList{""});
    EXPECT_TRUE(h.button("button_download")->isEnabled());
    QTest::qWait(50);
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST(LobbyDownload, TheConfiguredAddressNamesTheFileAndAnUnusableOneAbortsAtOnce)
{
    const QByteArray body = installerBytes(300);
    LoopbackHttpServer server([&](LoopbackHttpServer&, int fd, const QByteArray&) {
        LoopbackHttpServer::sendAll(fd, okHead(body.size()) + body);
    });
    Harness h;
    h.url = QString::fromLatin1(server.url("/files/zonkards-lobby-2.exe"));
    h.clickDownload();
    ASSERT_TRUE(h.waitUntilOver());
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(server.requests().first().startsWith("GET /files/zonkards-lobby-2.exe HTTP/1.0\r\n"));
    EXPECT_EQ(h.window.installerFilePath(), h.dir.filePath(QStringLiteral("zonkards-lobby-2.exe")));
    EXPECT_EQ(h.line2.value(1), QStringLiteral("Downloading: zonkards-lobby-2.exe"));

    h.url = QStringLiteral("ftp://127.0.0.1/lobby/lobbysetup.exe");
    h.clickDownload();
    EXPECT_EQ(h.window.statusLine1(), QStringLiteral("Download Aborted"));
    EXPECT_EQ(h.window.state(), Tdownload::State::Aborted);
    EXPECT_EQ(server.requests().size(), 1);
}

TEST(LobbyWindow, ShowsItsTextsAndPicture)
{
    Tdownload window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Download The Quorlan Lobby"));
    EXPECT_EQ(window.size(), QSize(724, 500));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.hasPicture());
    QStringList texts;
    for (const QLabel* label : window.findChildren<QLabel*>())
        texts << label->text();
    for (const QString& expected :
         {QStringLiteral("IS CLOSED"),
          QStringLiteral("Download The Quorlan Lobby Now to play this  and other exciting games online "
                         "with other players!"),
          QStringLiteral("To proceed to the game without the ability to play against others click the "
                         "button below."),
          QStringLiteral("Note: Even if you are playing offline, you will need to configure your FIREWALL "
                         "to allow the game to access the internet components."),
          QStringLiteral("If you already have The Quorlan Lobby and you wish to play with others then "
                         "click the button below to close this game and open The Quorlan Lobby.")})
        EXPECT_TRUE(texts.contains(expected)) << expected.toStdString();
    EXPECT_TRUE(window.statusLine1().isEmpty());
    EXPECT_TRUE(window.statusLine2().isEmpty());
}

TEST(LobbyWindow, PlaySoloClosesOnlyTheWindow)
{
    Harness h;
    ASSERT_TRUE(h.window.isVisible());
    QTest::mouseClick(h.button("button_solo"), Qt::LeftButton);
    EXPECT_FALSE(h.window.isVisible());
    EXPECT_FALSE(h.exitRequested);
}

TEST(LobbyWindow, PlayWithOthersStartsTheConfiguredLobbyAndEndsTheGame)
{
    Harness h;
    const QString lobby = h.dir.filePath(QStringLiteral("my-lobby"));
    const QString marker = h.dir.filePath(QStringLiteral("lobby-ran.txt"));
    ASSERT_TRUE(test::writeMarkerProgram(lobby, marker));
    h.window.setSettingLookup(
        [&](const QString& key) { return key == QLatin1String(kLobbyPathKey) ? lobby : QString(); });
    QTest::mouseClick(h.button("button_others"), Qt::LeftButton);
    bool ran = false;
    EXPECT_EQ(test::waitForMarker(marker, &ran), QStringList{}); // started with no parameters
    EXPECT_TRUE(ran);
    EXPECT_TRUE(h.exitRequested);
}

TEST(LobbyWindow, PlayWithOthersFindsTheLobbyOnThePathOrSaysWhatToDo)
{
    Harness h;
    const QByteArray oldPath = qgetenv("PATH");
    QTemporaryDir bin;
    qputenv("PATH", QFile::encodeName(bin.path()));
    // A configured path that does not exist counts as none.
    h.window.setSettingLookup([&](const QString& key) {
        return key == QLatin1String(kLobbyPathKey) ? bin.filePath(QStringLiteral("gone")) : QString();
    });

    QTest::mouseClick(h.button("button_others"), Qt::LeftButton);
    EXPECT_EQ(test::takeMessages(&h.window),
              QStringList{"Please close the game and open the Quorlan Lobby using the icon on your desktop "
                          "or using the your Window's start-up menu."});
    EXPECT_FALSE(h.exitRequested);

    const QString marker = h.dir.filePath(QStringLiteral("path-lobby-ran.txt"));
    ASSERT_TRUE(test::writeMarkerProgram(bin.filePath(QStringLiteral("QuorlanLobby")), marker));
    QTest::mouseClick(h.button("button_others"), Qt::LeftButton);
    bool ran = false;
    test::waitForMarker(marker, &ran);
    qputenv("PATH", oldPath);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(h.exitRequested);
}

// The client below the window: what counts as a document and as a failure.
struct GetResult {
    bool done = false;
    bool ok = false;
    QByteArray body;
    int headerLines = 0;
    int documentBegins = 0;
};

GetResult runGet(const QByteArray& url)
{
    GetResult r;
    HttpGet get;
    QObject::connect(&get, &HttpGet::headerLine, [&] { ++r.headerLines; });
    QObject::connect(&get, &HttpGet::documentBegins, [&] { ++r.documentBegins; });
    QObject::connect(&get, &HttpGet::finished, [&](bool ok) {
        r.done = true;
        r.ok = ok;
    });
    QByteArray* sink = &r.body;
    EXPECT_TRUE(get.start(QUrl(QString::fromLatin1(url)), [sink](const char* p, std::size_t n) {
        sink->append(p, static_cast<qsizetype>(n));
        return true;
    }));
    EXPECT_FALSE(get.start(QUrl(QString::fromLatin1(url)), [](const char*, std::size_t) { return true; }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return r.done; }, 30000));
    return r;
}

TEST(HttpGet, FollowsARedirectionAndSendsTheHostOfTheNewAddress)
{
    const QByteArray body = installerBytes(2000);
    LoopbackHttpServer server([&](LoopbackHttpServer& s, int fd, const QByteArray& request) {
        if (request.startsWith("GET /old "))
            LoopbackHttpServer::sendAll(fd, "HTTP/1.0 302 Found\r\nLocation: " + s.url("/new") +
                                                "\r\n"
                                                "Content-Length: 5\r\n\r\nmoved");
        else
            LoopbackHttpServer::sendAll(fd, okHead(body.size()) + body);
    });
    const GetResult r = runGet(server.url("/old"));
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.body == body); // the redirection's own body is not part of the file
    EXPECT_EQ(r.documentBegins, 1);
    EXPECT_EQ(r.headerLines, 3 + 4); // both heads
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_EQ(server.requests()[1], "GET /new HTTP/1.0\r\n"
                                    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
                                    "User-Agent: Mozilla/3.0 (compatible)\r\n"
                                    "Host: 127.0.0.1:" +
                                        QByteArray::number(server.port()) + "\r\n\r\n");
}

TEST(HttpGet, RedirectionsToOtherSchemesOrWithoutEndFail)
{
    LoopbackHttpServer elsewhere([](LoopbackHttpServer&, int fd, const QByteArray&) {
        LoopbackHttpServer::sendAll(fd, "HTTP/1.0 301 Moved\r\nLocation: file:///etc/passwd\r\n\r\n");
    });
    EXPECT_FALSE(runGet(elsewhere.url()).ok);
    EXPECT_EQ(elsewhere.requests().size(), 1);

    LoopbackHttpServer circle([](LoopbackHttpServer& s, int fd, const QByteArray&) {
        LoopbackHttpServer::sendAll(fd, "HTTP/1.0 302 Found\r\nLocation: " + s.url() + "\r\n\r\n");
    });
    const GetResult r = runGet(circle.url());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.documentBegins, 0);
    EXPECT_EQ(circle.requests().size(), 6); // the first request and five redirections
}

TEST(HttpGet, ARedirectionWithoutAnAddressOrACutBodyIsAFailure)
{
    LoopbackHttpServer unfollowed([](LoopbackHttpServer&, int fd, const QByteArray&) {
        LoopbackHttpServer::sendAll(fd, "HTTP/1.0 302 Found\r\nContent-Length: 11\r\n\r\nnot a file!");
    });
    const GetResult a = runGet(unfollowed.url());
    EXPECT_FALSE(a.ok);
    EXPECT_TRUE(a.body.isEmpty());
    EXPECT_EQ(a.documentBegins, 0);

    LoopbackHttpServer cut([](LoopbackHttpServer&, int fd, const QByteArray&) {
        LoopbackHttpServer::sendAll(fd, okHead(5000) + QByteArray(1200, 'c')); // then the connection closes
    });
    const GetResult b = runGet(cut.url());
    EXPECT_FALSE(b.ok);
    EXPECT_EQ(b.body.size(), 1200);
}

TEST(HttpGet, RefusesAddressesThatAreNotHttp)
{
    HttpGet get;
    QSignalSpy finished(&get, &HttpGet::finished);
    const auto sink = [](const char*, std::size_t) { return true; };
    EXPECT_FALSE(get.start(QUrl(QStringLiteral("file:///etc/passwd")), sink));
    EXPECT_FALSE(get.start(QUrl(QStringLiteral("lobbysetup.exe")), sink));
    EXPECT_FALSE(get.isRunning());
    QTest::qWait(20);
    EXPECT_EQ(finished.count(), 0);
}

} // namespace
} // namespace zk::test
