// The game's side of the coordinator, shared by the hosting table, the
// joining table and the host-or-join dialog: where the coordinator is (the
// CoordinatorAddress setting, ZONKARDS_COORDINATOR, or the distributor's
// build default; none means the game contacts nothing at all), the TLS it is
// reached with (the system's certificate store, plus a CA file given by the
// CoordinatorCA setting or ZONKARDS_COORDINATOR_CA), a look-up (a code to a
// way in, or the list of public games) and a data connection to the relay.
//
//     auto where = coordinatorAddress(readSetting(file, kGameKey, "CoordinatorAddress"));
//     if (!where) say("No coordinator is configured");
//     auto* lookup = new CoordinatorLookup(*where, coordinatorTls(caSetting), this);
//     lookup->resolve("K7QM2Xr", [](const LookupAnswer& a) { ... });   // deletes itself after answering
//
//     dialRelay(way, RelayDial::Side::Joiner, tls, this, [](QSslSocket* s, std::string, QString error) {
//         if (s) table.take(s);   // the game's bytes from here on
//     });
#pragma once

#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "coordinator/CoordMessages.h"
#include "protocol/Port.h"

class QSslSocket;

namespace zk::coord {

inline constexpr const char* kCoordinatorVariable = "ZONKARDS_COORDINATOR";
inline constexpr const char* kCoordinatorCaVariable = "ZONKARDS_COORDINATOR_CA";
inline constexpr std::string_view kCoordinatorAddressKey = "CoordinatorAddress";
inline constexpr std::string_view kCoordinatorCaKey = "CoordinatorCA";
inline constexpr int kCoordinatorPort = 7780;
inline constexpr int kLookupTimeoutMs = 8000;

// The coordinator to use: ZONKARDS_COORDINATOR when set, else the setting,
// else the build's default; "", "0", "none" or "off" (and an address that
// cannot be read) mean none. Without a port, kCoordinatorPort.
std::optional<HostPort> coordinatorAddress(const std::optional<std::string>& setting);
// The client TLS: the system's CAs, and the CA file of ZONKARDS_COORDINATOR_CA
// or the setting when one is given and readable.
QSslConfiguration coordinatorTls(const std::optional<std::string>& caSetting);

// A game of the public list.
struct ListedGame {
    std::string code;
    std::string version;
    GameAdvert facts;
};

struct LookupAnswer {
    enum class Kind { Direct, Relay, Unknown, Busy, Failed };
    Kind kind = Kind::Failed;
    std::string host; // Direct: the game; Relay: the relay (the coordinator's when it names none)
    int port = 0;
    std::string ticket;
    std::vector<ListedGame> games; // list(): the public games
    QString error;                 // Failed, Busy, Unknown: what the player is told
};

// One look-up on its own short connection. It deletes itself after it has answered.
class CoordinatorLookup : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const LookupAnswer&)>;
    CoordinatorLookup(HostPort coordinator, QSslConfiguration tls, QObject* parent = nullptr);
    ~CoordinatorLookup() override;
    void resolve(const std::string& code, Done done);
    void list(Done done);

    struct Inbox;

private:
    void start(std::string request, Done done);
    void readable();
    void finish(LookupAnswer answer);

    HostPort coordinator_;
    QSslConfiguration tls_;
    QSslSocket* sock_ = nullptr;
    QTimer timeout_;
    std::string pending_;
    std::string code_;
    LookupAnswer answer_;
    Done done_;
};

// A data connection to the relay: TLS, the ticket line, and the relay's
// answer; then the socket carries the game's own bytes. The socket handed
// back has no parent and nothing read past the relay's answer.
struct RelayDial {
    enum class Side { Host, Joiner };
    using Done =
        std::function<void(QSslSocket* sock, const std::string& joinerAddress, const QString& error)>;
};
void dialRelay(const std::string& host, int port, const std::string& ticket, RelayDial::Side side,
               const QSslConfiguration& tls, QObject* context, RelayDial::Done done);

// The text of a TLS or socket failure on the way to the coordinator.
QString coordinatorFailure(QSslSocket& sock);

} // namespace zk::coord
