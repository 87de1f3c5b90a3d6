// A real coordinator (registry and relay) over TLS on loopback, with a
// certificate from a CA made for the test; trust() is the games' side.
//
//     test::TestCoordinator c;
//     ASSERT_TRUE(c.server) << c.ca.error();
//     CoordinatorLookup lookup(c.where(), c.trust());
#pragma once

#include "TestCa.h"
#include "coordinator/qt/CoordinatorClient.h"
#include "coordinator/qt/CoordinatorServer.h"

#include <memory>

namespace zk::test {

struct TestCoordinator {
    TestCa ca{{"localhost", "127.0.0.1"}};
    std::unique_ptr<coord::CoordinatorServer> server;
    TestCoordinator()
    {
        if (!ca.ok())
            return;
        coord::CoordinatorServer::Setup setup;
        QString error;
        setup.tls = coord::serverTls(QString::fromStdString(ca.serverCert()),
                                     QString::fromStdString(ca.serverKey()), &error);
        setup.address = QHostAddress::LocalHost;
        server = std::make_unique<coord::CoordinatorServer>(setup);
        if (!server->start(&error))
            server.reset();
    }
    HostPort where() const { return {"localhost", server->port()}; }
    QSslConfiguration trust() const { return coord::coordinatorTls(ca.caCert()); }
};

} // namespace zk::test
