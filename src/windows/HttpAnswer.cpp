#include "windows/HttpAnswer.h"

#include <algorithm>
#include <cctype>

namespace zk {

namespace {

HopVerdict failed(std::string why)
{
    return {HopVerdict::Kind::Failed, {}, std::move(why)};
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

HeadLine readHeadLine(HttpAnswer& answer, std::string_view raw, long status)
{
    std::string line(raw);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    if (line.empty()) {
        // The head is complete; a status of 400 or more ends the request here.
        if (status >= 400) {
            answer.statusFailed = true;
            return {false, std::nullopt};
        }
        return {true, std::nullopt};
    }
    if (line.starts_with("HTTP/"))
        answer.sawLocation = false; // a new answer begins
    else if (startsWithNoCase(line, "location:"))
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
        return failed("aborted");
    if (report.pollFailed)
        return failed(report.pollError);
    if (!report.finished)
        return failed("the transfer did not finish");
    if (report.transferOk && code >= 300 && code <= 399 && !report.redirection.empty()) {
        if (hop + 1 > kMaxRedirections)
            return failed("too many redirections");
        if (!report.redirectionUsable || (startedSecure && !report.redirectionSecure))
            return failed("redirected to an address that is not allowed");
        return {HopVerdict::Kind::Follow, report.redirection, {}};
    }
    if (answer.statusFailed || (report.transferOk && (code < 200 || code > 299)))
        return failed("HTTP status " + std::to_string(code));
    if (!report.transferOk)
        return failed(report.transferError);
    return {HopVerdict::Kind::Done, {}, {}};
}

} // namespace zk
