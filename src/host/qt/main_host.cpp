// zonkards-host: the host engine without any window, for an always-on machine
// or for tests. The first connection gets slot 1 and the hosting table's
// powers (start the game, remove players, the seat menu). It announces its
// game on the local network unless told not to (--no-announce, or
// ZONKARDS_LAN_DISCOVERY=0), and says on standard output under which name.
// With --invite or --public it registers with the coordinator and prints
// the game's invite code ("invite code +K7QM2Xr").
#include <QCoreApplication>
#include <QStandardPaths>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/HostOptions.h"
#include "host/qt/QuitSignals.h"
#include "coordinator/qt/CoordinatorClient.h"
#include "host/qt/TServer.h"
#include "protocol/Commands.h"
#include "protocol/Port.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const zk::HostOptions options = zk::parseHostOptions(args, zk::gamePort());
    switch (options.action) {
    case zk::HostOptions::Action::Help: std::fputs(zk::hostUsage().c_str(), stdout); return 0;
    case zk::HostOptions::Action::Version:
        std::printf("zonkards-host %s\n", zk::kVersionText.data());
        return 0;
    case zk::HostOptions::Action::Usage:
        std::fprintf(stderr, "zonkards-host: %s\n%s", options.error.c_str(), zk::hostUsage().c_str());
        return 2;
    case zk::HostOptions::Action::Run: break;
    }

    QCoreApplication app(argc, argv);
    zk::QuitSignals quit;
    const int botSpeed = options.botSpeedMs;
    zk::TServer host([botSpeed] { return botSpeed; },
                     [](const std::string& text) {
                         // Notices never stall the game: one line on stderr.
                         std::fprintf(stderr, "%s\n", text.c_str());
                         std::fflush(stderr);
                     });
    host.setSeatHold(static_cast<std::int64_t>(options.seatHoldSeconds) * 1000);
    host.setTurnClock(static_cast<std::int64_t>(options.turnClockSeconds) * 1000);
    if (options.announce && zk::lanDiscoveryEnabled(std::nullopt)) {
        host.setAnnouncer(zk::makeLanAnnouncer(true), QString(), false);
        auto told = std::make_shared<QString>(); // the last reason printed
        QObject::connect(host.announcer(), &zk::LanAnnouncer::announced, [told](const QString& name) {
            told->clear();
            std::printf("announced as %s\n", name.toUtf8().constData());
            std::fflush(stdout);
        });
        // Said once until the game is announced again: a daemon that is
        // missing now may start later, and the announcement then follows.
        QObject::connect(host.announcer(), &zk::LanAnnouncer::unavailable, [told](const QString& why) {
            if (why == *told)
                return;
            *told = why;
            std::printf("not announced: %s\n", why.toUtf8().constData());
            std::fflush(stdout);
        });
    }
    if (options.internet != zk::HostOptions::Internet::None) {
        if (!zk::coord::coordinatorAddress(std::nullopt)) {
            std::fprintf(stderr, "zonkards-host: No coordinator is configured (set ZONKARDS_COORDINATOR)\n");
            return 1;
        }
        QString secretError;
        QString file = QString::fromStdString(options.secretFile);
        if (file.isEmpty())
            file = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                   QStringLiteral("/zonkards-host.secret");
        std::string secret = zk::CoordinatorLink::keptSecret(file, &secretError);
        if (secret.empty()) {
            std::fprintf(stderr, "zonkards-host: the invite code's secret: %s\n",
                         secretError.toUtf8().constData());
            return 1;
        }
        const auto visibility = options.internet == zk::HostOptions::Internet::Public
                                    ? zk::coord::Visibility::Public
                                    : zk::coord::Visibility::Invite;
        auto link = zk::CoordinatorLink::forGame(visibility, std::move(secret), std::nullopt, std::nullopt);
        if (!link) {
            std::fprintf(stderr, "zonkards-host: No coordinator is configured (set ZONKARDS_COORDINATOR)\n");
            return 1;
        }
        QObject::connect(link.get(), &zk::CoordinatorLink::registered, [](const QString& code) {
            std::printf("invite code %s\n", code.toUtf8().constData());
            std::fflush(stdout);
        });
        QObject::connect(link.get(), &zk::CoordinatorLink::reachFound, [](zk::coord::Reach reach) {
            std::printf("reached %s\n", reach == zk::coord::Reach::Direct ? "directly" : "through the relay");
            std::fflush(stdout);
        });
        auto told = std::make_shared<QString>();
        QObject::connect(link.get(), &zk::CoordinatorLink::unavailable, [told](const QString& why) {
            if (why == *told)
                return;
            *told = why;
            std::printf("coordinator: %s\n", why.toUtf8().constData());
            std::fflush(stdout);
        });
        const bool mapPort = options.portMapping && zk::portMappingEnabled(std::nullopt);
        host.setCoordinator(std::move(link), mapPort);
        if (host.portMapper()) {
            QObject::connect(host.portMapper(), &zk::PortMapper::mapped,
                             [](const QString& address, int port, const QString& method) {
                                 std::printf("port mapped by %s: %s port %d\n", method.toUtf8().constData(),
                                             address.toUtf8().constData(), port);
                                 std::fflush(stdout);
                             });
            QObject::connect(host.portMapper(), &zk::PortMapper::unavailable, [](const QString& why) {
                std::printf("port not mapped: %s\n", why.toUtf8().constData());
                std::fflush(stdout);
            });
        }
    }
    std::string error;
    if (!host.startListening(options.port, &error)) {
        std::fprintf(stderr, "zonkards-host: cannot listen on port %d: %s\n", options.port, error.c_str());
        return 1;
    }
    std::printf("listening on port %d\n", host.listeningPort());
    std::fflush(stdout);
    return app.exec();
}
