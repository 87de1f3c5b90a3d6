// zonkards-coordinator: the service that lets games behind routers meet. It
// keeps the hosted games and their invite codes in memory, answers look-ups,
// probes hosts from outside and relays the games it cannot reach. Says on
// standard output where it listens; stops cleanly on SIGINT and SIGTERM.
#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "coordinator/CoordinatorOptions.h"
#include "coordinator/qt/CoordinatorServer.h"
#include "host/qt/QuitSignals.h"
#include "protocol/Commands.h"

int main(int argc, char** argv)
{
    using namespace zk::coord;
    std::vector<std::string> args(argv + 1, argv + argc);
    const CoordinatorOptions o = parseCoordinatorOptions(args);
    switch (o.action) {
    case CoordinatorOptions::Action::Help: std::fputs(coordinatorUsage().c_str(), stdout); return 0;
    case CoordinatorOptions::Action::Version:
        std::printf("zonkards-coordinator %s\n", zk::kVersionText.data());
        return 0;
    case CoordinatorOptions::Action::Usage:
        std::fprintf(stderr, "zonkards-coordinator: %s\n%s", o.error.c_str(), coordinatorUsage().c_str());
        return 2;
    case CoordinatorOptions::Action::Run: break;
    }
    QCoreApplication app(argc, argv);
    zk::QuitSignals quit;
    auto fail = [](const QString& why) {
        std::fprintf(stderr, "zonkards-coordinator: %s\n", why.toUtf8().constData());
        return 1;
    };
    CoordinatorServer::Setup setup;
    QString error;
    setup.tls = serverTls(QString::fromStdString(o.certFile), QString::fromStdString(o.keyFile), &error);
    if (setup.tls.isNull())
        return fail(error);
    setup.address = QHostAddress(QString::fromStdString(o.listenHost));
    if (setup.address.isNull())
        return fail(
            QStringLiteral("--listen needs an IP address, not %1").arg(QString::fromStdString(o.listenHost)));
    setup.port = static_cast<quint16>(o.listenPort);
    setup.coordinator = !o.relayOnly;
    if (o.relayPorts)
        setup.relayPorts =
            std::pair{static_cast<quint16>(o.relayPorts->first), static_cast<quint16>(o.relayPorts->second)};
    setup.relayAddress = QString::fromStdString(!o.relayHost.empty() ? o.relayHost : o.relayAddress);
    setup.relayPort = o.relayPort;
    setup.maxPerAddress = o.maxPerAddress;
    setup.alwaysRelay = o.alwaysRelay;
    setup.relayBudget = relayBudget(o.relayKibPerSecond);
    // The store's URL may come from the environment (the systemd unit's
    // options file), where its password does not show in the process list.
    setup.redisUrl = o.redisUrl;
    if (const char* fromEnv = std::getenv("ZONKARDS_REDIS_URL"); setup.redisUrl.empty() && fromEnv)
        setup.redisUrl = fromEnv;
    setup.redisCa = o.redisCaFile;
    setup.log = o.log;
    if (o.metricsPort != 0) {
        setup.metricsAddress = QHostAddress(QString::fromStdString(o.metricsHost));
        if (setup.metricsAddress.isNull())
            return fail(QStringLiteral("--metrics needs an IP address, not %1")
                            .arg(QString::fromStdString(o.metricsHost)));
        setup.metricsPort = static_cast<quint16>(o.metricsPort);
    }
    if (!o.relayKeyFile.empty()) {
        QFile keyIn(QString::fromStdString(o.relayKeyFile));
        if (!keyIn.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot read the relay key %1: %2")
                            .arg(keyIn.fileName(), keyIn.errorString()));
        const QByteArray key = keyIn.readAll().trimmed();
        if (key.size() < 32)
            return fail(QStringLiteral("the relay key %1 is shorter than 32 bytes").arg(keyIn.fileName()));
        setup.relayKey = key.toStdString();
    }
    CoordinatorServer server(std::move(setup));
    if (!server.start(&error))
        return fail(error);
    if (!o.relayOnly)
        std::printf("coordinator listening on %s port %d\n", o.listenHost.c_str(), server.port());
    std::printf("relay listening on %s port %d\n", o.listenHost.c_str(), server.relayPort());
    std::fflush(stdout);
    return app.exec();
}
