// A redis-server of the test's own, on a free loopback port, saving
// nothing; it ends with the object. Where it cannot start, skipReason says
// why (the test skips with it).
//
//     test::TestRedis redis;
//     if (!redis.server) GTEST_SKIP() << redis.skipReason;
//     auto store = coord::RedisStore::open(redis.url(), "", clock, &error);
#pragma once

#include <unistd.h>

#include <optional>
#include <string>

#include "HostProcess.h"

namespace zk::test {

struct TestRedis {
    static constexpr const char* kProgram = "/usr/bin/redis-server";
    std::optional<HostProcess> server;
    int port = 0;
    std::string skipReason;
    TestRedis()
    {
        if (::access(kProgram, X_OK) != 0) {
            skipReason = std::string(kProgram) + " is not installed";
            return;
        }
        port = freeTcpPort();
        server.emplace(HostProcess::Program{kProgram},
                       std::vector<std::string>{"--port", std::to_string(port), "--bind", "127.0.0.1",
                                                "--save", "", "--appendonly", "no", "--dir", "/tmp"});
        if (!server->waitForOut("Ready to accept connections", 10000)) {
            skipReason = "redis-server did not start: " + server->out() + server->err();
            server.reset();
        }
    }
    std::string url() const { return "redis://127.0.0.1:" + std::to_string(port); }
};

} // namespace zk::test
