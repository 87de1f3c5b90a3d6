// What the download makes of the answers to its request, without curl: each
// line of an answer's head, each piece of its body, and the verdict at the
// end of each hop (done, follow a redirection, or failed). HttpGet's curl
// callbacks and its worker hand these what curl reports and act on the result.
// Plain C++: the addresses are judged by the caller (HttpGet, with QUrl).
//
//     HttpAnswer answer;
//     HeadLine head = readHeadLine(answer, "Location: /new\r\n", 302);
//     BodyUse use = bodyUse(answer, 302);             // a redirection's note
//     HopVerdict v = judgeHop(answer, report, 0, false);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zk {

// Redirections followed before the request counts as failed.
inline constexpr int kMaxRedirections = 5;

// What one request has seen of its answers so far.
struct HttpAnswer {
    bool statusFailed = false; // an answer that is neither 2xx nor a followed redirection
    bool bodyStarted = false;
    bool sawLocation = false; // the current answer's head names another address
    std::int64_t received = 0;
};

// One line of an answer's head as curl hands it, line end included, and the
// status of the answer it belongs to. `line` is the line to report without
// its end; the empty line that ends a head is not reported. `proceed` is
// false when the request ends here: a head of status 400 or more is over.
struct HeadLine {
    bool proceed = true;
    std::optional<std::string> line;
};
HeadLine readHeadLine(HttpAnswer& answer, std::string_view raw, long status);

// What a piece of body of an answer with that status is: the note of a
// redirection that will be followed (dropped), the document (for the sink),
// or refused, which fails the request: only a 2xx answer is the document.
enum class BodyUse { RedirectionNote, Document, Refused };
BodyUse bodyUse(HttpAnswer& answer, long status);

// What curl reported at the end of one hop.
struct HopReport {
    bool aborted = false;
    bool pollFailed = false; // curl's multi interface failed, with pollError
    std::string pollError;
    bool finished = false;   // curl reported the transfer done
    bool transferOk = false; // ... with success; otherwise transferError says why
    std::string transferError;
    long status = 0;
    std::string redirection; // the absolute address a 3xx answer points to; may be empty
    // What the caller's address parser says of `redirection`: an absolute
    // http or https address with a host, and whether it is https.
    bool redirectionUsable = false;
    bool redirectionSecure = false;
};

struct HopVerdict {
    enum class Kind { Done, Follow, Failed };
    Kind kind = Kind::Failed;
    std::string next;  // Follow: the address of the next hop
    std::string error; // Failed: why
};

// The end of hop number `hop` (0 for the first request) of a request that
// started at an https address when startedSecure: a complete 2xx answer is
// done; a 3xx answer with an address is followed to an http or https address
// (only https after https) at most kMaxRedirections times; all else fails.
HopVerdict judgeHop(const HttpAnswer& answer, const HopReport& report, int hop, bool startedSecure);

} // namespace zk
