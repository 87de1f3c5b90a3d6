// CoordinatorLink: a hosting game's control connection to the coordinator.
// It registers the game (its facts as the LAN announcement has them, its
// visibility, the port outside reaches it on, the host's secret), keeps the
// facts current (changes spaced by one second, and a word at least every
// kHeartbeatMs so the coordinator knows the host is there), learns the
// game's invite code and how joiners reach it, and opens a data connection
// to the relay whenever the coordinator asks for one, handing the paired
// socket on. A lost connection is made again after 2, 4 ... 60 s; the same
// secret gets the same code back.
//
//     CoordinatorLink link({where, tls, secret, coord::Visibility::Invite});
//     connect(&link, &CoordinatorLink::registered, [](const QString& code) { show(code); });
//     connect(&link, &CoordinatorLink::relayed, [&](QSslSocket* s, const QString& joiner) { host.take(s, joiner); });
//     link.start(port, facts);  ...  link.update(port, facts);
#pragma once

#include <QObject>
#include <QSslConfiguration>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>

#include "coordinator/CoordMessages.h"
#include "discovery/UpdateGate.h"
#include "protocol/Port.h"

class QSslSocket;

namespace zk {

class CoordinatorLink : public QObject {
    Q_OBJECT
public:
    struct Setup {
        HostPort coordinator;
        QSslConfiguration tls;
        std::string secret; // newSecret(); kept by the game so its code stays
        coord::Visibility visibility = coord::Visibility::Invite;
    };
    explicit CoordinatorLink(Setup setup, QObject* parent = nullptr);
    ~CoordinatorLink() override;

    // A link for a game hosted for others, when a coordinator is configured
    // (coordinatorAddress() of the setting); null when none is.
    static std::unique_ptr<CoordinatorLink> forGame(coord::Visibility visibility, std::string secret,
                                                    const std::optional<std::string>& addressSetting,
                                                    const std::optional<std::string>& caSetting);
    // The secret kept in a file of its own (zonkards-host): read when the
    // file holds one, else made and written, readable by its owner only.
    // Empty, with the reason, when it can be neither read nor written.
    static std::string keptSecret(const QString& file, QString* error);

    // Registers with the port outside reaches the game on (a mapped one, or
    // the one listened on) and the game's facts.
    void start(int port, const GameAdvert& facts);
    void update(int port, const GameAdvert& facts);
    // The router now passes the port the game is registered with (a mapping
    // of the same number): the coordinator probes only a new port, so a game
    // that was found unreachable registers again to be probed again.
    void portOpened();
    void stop();

    // The code as players see it ("+K7QM2Xr"); empty until registered.
    const QString& code() const { return code_; }
    coord::Reach reach() const { return reach_; }
    bool connected() const;
    // True while a probe is due and peer is the coordinator's address: the
    // host holds such a connection until its first bytes tell what it is.
    bool probeExpected(const std::string& peer) const;
    // The answer to a probe with this nonce, or empty when it is not ours.
    std::string probeAnswer(std::string_view probeLine) const;

    struct Inbox;

signals:
    void registered(const QString& code);
    void reachFound(coord::Reach reach);
    // Why the coordinator cannot be used now (a retry follows unless it refused the game).
    void unavailable(const QString& why);
    // A joiner came through the relay: the socket (no parent, yours) and the joiner's address.
    void relayed(QSslSocket* sock, const QString& joinerAddress);

private:
    void connectNow();
    void lost(const QString& why);
    void readable();
    void sendFacts();
    std::string registration() const;

    Setup setup_;
    QSslSocket* sock_ = nullptr;
    std::string pending_;
    int port_ = 0;
    GameAdvert facts_;
    bool running_ = false;
    bool refused_ = false;
    QString code_;
    std::string nonce_;
    bool probeDue_ = false;
    coord::Reach reach_ = coord::Reach::Unknown;
    std::string coordinatorPeer_;
    UpdateGate gate_{1000};
    QTimer held_;      // a held change's turn
    QTimer heartbeat_; // a word at least every kHeartbeatMs
    QTimer retry_;
    int failures_ = 0;
};

} // namespace zk
