// Feeds the lobby download's answer handling (HttpAnswer.h: the head lines,
// the body pieces and the verdict at the end of each hop, as HttpGet's curl
// callbacks and worker use them) any sequence of answers: status lines of
// any status, head lines of any text (Location among them, absolute,
// relative or of any scheme), interim heads, bodies in pieces, a sink that
// may refuse, and transfers that end cut short or failed. curl itself is
// not run: the status curl would read is taken from the status line, and
// its redirection address is the Location resolved against the hop's
// address. Whatever the answers, the request ends after at most five
// redirections; no body byte but those of a 2xx answer reaches the sink;
// success means a complete 2xx answer the sink took whole; a redirection is
// followed only to an http or https address with a host (https only after
// https); reported head lines are never empty and carry no line end; and a
// failure always says why.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QByteArray>
#include <QString>
#include <QUrl>

#include "FuzzCheck.h"
#include "windows/HttpAnswer.h"
#include "windows/qt/LobbyAddress.h"

namespace {

using namespace zk;

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool done() const { return pos_ >= size_; }
    int byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    QByteArray bytes(std::size_t most)
    {
        const std::size_t n = static_cast<std::size_t>(byte()) % most;
        QByteArray s;
        for (std::size_t i = 0; i < n && pos_ < size_; ++i)
            s += static_cast<char>(data_[pos_++]);
        return s;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

const long kStatuses[] = {200, 204, 206, 299, 301, 302, 303, 304, 307,
                          308, 399, 100, 101, 199, 0,   400, 404, 500};

const char* const kLocations[] = {
    "http://lobby.zonkards.example/new/lobbysetup.exe",
    "https://mirror.zonkards.example/lobbysetup.exe",
    "/elsewhere/lobbysetup.exe",
    "lobbysetup2.exe",
    "file:///etc/passwd",
    "ftp://lobby.zonkards.example/x",
    "http:///nohost",
    "//other.example/path",
    "",
};

const char* const kStartUrls[] = {
    "http://lobby.zonkards.example/lobby/lobbysetup.exe",
    "https://lobby.zonkards.example/lobby/lobbysetup.exe",
};

// The status curl reads from a status line "HTTP/x.y NNN ...", 0 for none.
long statusOf(const QByteArray& line)
{
    if (!line.startsWith("HTTP/"))
        return 0;
    const int space = line.indexOf(' ');
    if (space < 0 || line.size() < space + 4)
        return 0;
    bool ok = false;
    const long code = line.mid(space + 1, 3).toLong(&ok);
    return ok && code >= 0 ? code : 0;
}

bool isHttps(const QUrl& url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

struct Hop {
    bool stopped = false;      // a callback ended the transfer
    long status = 0;           // of the last head
    QByteArray location;       // the last head's Location value
    bool documentSunk = false; // body bytes of this hop reached the sink
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in(data, size);
    QUrl url(QString::fromLatin1(kStartUrls[in.byte() % 2]));
    const bool startedSecure = isHttps(url);
    HttpAnswer answer;
    qint64 sunk = 0;

    for (int hop = 0;; ++hop) {
        CHECK(hop <= kMaxRedirections);
        Hop h;
        // One or more heads (interim answers first), each line through readHeadLine.
        const int heads = 1 + in.byte() % 3;
        for (int head = 0; head < heads && !h.stopped; ++head) {
            QByteArray status;
            if (in.byte() % 8 == 0)
                status = in.bytes(40); // any text at all
            else {
                status = "HTTP/1." + QByteArray::number(in.byte() % 2) + " ";
                status +=
                    QByteArray::number(kStatuses[static_cast<std::size_t>(in.byte()) % std::size(kStatuses)]);
                status += " " + in.bytes(8);
            }
            h.status = statusOf(status);
            h.location.clear();
            QList<QByteArray> lines = {status};
            const int more = in.byte() % 6;
            for (int i = 0; i < more; ++i) {
                switch (in.byte() % 4) {
                case 0: {
                    const QByteArray name = in.byte() % 2 ? "Location:" : "LOCATION: ";
                    const QByteArray value =
                        in.byte() % 3
                            ? QByteArray(
                                  kLocations[static_cast<std::size_t>(in.byte()) % std::size(kLocations)])
                            : in.bytes(48);
                    lines.append(name + value);
                    h.location = value.trimmed();
                    break;
                }
                case 1: lines.append("Content-Length: " + QByteArray::number(in.byte() * 37)); break;
                default: lines.append(in.bytes(64));
                }
            }
            lines.append(QByteArray());
            for (const QByteArray& line : lines) {
                const QByteArray raw = line + (in.byte() % 4 ? "\r\n" : "\n");
                const HeadLine read =
                    readHeadLine(answer, std::string_view(raw.constData(), raw.size()), h.status);
                if (read.line) {
                    CHECK(!read.line->empty());
                    CHECK(read.line->back() != '\n' && read.line->back() != '\r');
                }
                if (!read.proceed) {
                    CHECK(h.status >= 400);
                    h.stopped = true;
                    break;
                }
            }
        }
        // The body in pieces, as far as the answer goes.
        const int pieces = h.stopped ? 0 : in.byte() % 5;
        for (int i = 0; i < pieces; ++i) {
            const QByteArray piece = in.bytes(200);
            const BodyUse use = bodyUse(answer, h.status);
            if (use == BodyUse::Refused) {
                h.stopped = true;
                break;
            }
            if (use == BodyUse::RedirectionNote) {
                CHECK(h.status >= 300 && h.status <= 399);
                continue;
            }
            CHECK(h.status >= 200 && h.status <= 299);
            // The sink may refuse (a full disk), which ends the transfer.
            if (!piece.isEmpty() && in.byte() % 16 == 0) {
                h.stopped = true;
                break;
            }
            sunk += piece.size();
            h.documentSunk = h.documentSunk || !piece.isEmpty();
        }

        HopReport report;
        const int ending = in.byte() % 16;
        report.aborted = ending == 1;
        report.pollFailed = ending == 2;
        if (report.pollFailed)
            report.pollError = "poll failed";
        report.finished = ending != 3;
        // A callback that returned 0 ends the transfer as a write error;
        // otherwise the body may be cut short or the line fail.
        report.transferOk = !h.stopped && ending < 12;
        if (!report.transferOk)
            report.transferError = "transfer closed with outstanding read data remaining";
        report.status = h.status;
        if (report.transferOk && h.status >= 300 && h.status <= 399 && !h.location.isEmpty()) {
            report.redirection = url.resolved(QUrl(QString::fromUtf8(h.location))).toEncoded().toStdString();
            judgeRedirectionAddress(report);
        }

        const HopVerdict verdict = judgeHop(answer, report, hop, startedSecure);
        if (verdict.kind == HopVerdict::Kind::Follow) {
            CHECK(report.transferOk && h.status >= 300 && h.status <= 399);
            CHECK(hop + 1 <= kMaxRedirections);
            const QUrl next(QString::fromStdString(verdict.next));
            CHECK(isDownloadAddress(next));
            CHECK(!startedSecure || isHttps(next));
            CHECK(!h.documentSunk);
            url = next;
            continue;
        }
        if (verdict.kind == HopVerdict::Kind::Done) {
            CHECK(verdict.error.empty());
            CHECK(report.transferOk && !report.aborted && !report.pollFailed && report.finished);
            CHECK(h.status >= 200 && h.status <= 299);
            CHECK(!answer.statusFailed);
        } else {
            CHECK(!verdict.error.empty());
        }
        // Only the last hop's answer, a 2xx one, ever fed the sink.
        CHECK(sunk == 0 || h.status >= 200 && h.status <= 299);
        break;
    }
    return 0;
}
