#include "windows/HttpAnswer.h"

#include "windows/LobbyAddress.h"

namespace zk {

namespace {

bool isHttps(const QUrl& url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

HopVerdict failed(QString why)
{
    return {HopVerdict::Kind::Failed, {}, std::move(why)};
}

} // namespace

HeadLine readHeadLine(HttpAnswer& answer, QByteArrayView raw, long status)
{
    QByteArray line = raw.toByteArray();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty()) {
        // The head is complete; a status of 400 or more ends the request here.
        if (status >= 400) {
            answer.statusFailed = true;
            return {false, std::nullopt};
        }
        return {true, std::nullopt};
    }
    if (line.startsWith("HTTP/"))
        answer.sawLocation = false; // a new answer begins
    else if (line.toLower().startsWith("location:"))
        answer.sawLocation = true;
    return {true, std::move(line)};
}

BodyUse bodyUse(HttpAnswer& answer, long status)
{
    if (status >= 300 && status <= 399 && answer.sawLocation)
        return BodyUse::RedirectionNote; // run() follows it: not the document
    // Only a successful answer is the document; any other body (a redirection
    // that leads nowhere, say) would otherwise be saved and run as the installer.
    if (status < 200 || status > 299) {
        answer.statusFailed = true;
        return BodyUse::Refused;
    }
    return BodyUse::Document;
}

HopVerdict judgeHop(const HttpAnswer& answer, const HopReport& report, int hop, bool startedSecure)
{
    const long code = report.status;
    if (report.aborted)
        return failed(QStringLiteral("aborted"));
    if (report.pollFailed)
        return failed(report.pollError);
    if (!report.finished)
        return failed(QStringLiteral("the transfer did not finish"));
    if (report.transferOk && code >= 300 && code <= 399 && !report.redirection.isEmpty()) {
        const QUrl next(QString::fromUtf8(report.redirection));
        if (hop + 1 > kMaxRedirections)
            return failed(QStringLiteral("too many redirections"));
        if (!isDownloadAddress(next) || (startedSecure && !isHttps(next)))
            return failed(QStringLiteral("redirected to an address that is not allowed"));
        return {HopVerdict::Kind::Follow, next, {}};
    }
    if (answer.statusFailed || (report.transferOk && (code < 200 || code > 299)))
        return failed(QStringLiteral("HTTP status %1").arg(code));
    if (!report.transferOk)
        return failed(report.transferError);
    return {HopVerdict::Kind::Done, {}, {}};
}

} // namespace zk
