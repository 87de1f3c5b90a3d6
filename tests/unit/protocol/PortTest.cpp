// The game port and its ZONKARDS_PORT override.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "protocol/Port.h"

namespace zk {
namespace {

// Sets ZONKARDS_PORT for one test and puts the old value back.
class PortEnv : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* v = std::getenv("ZONKARDS_PORT"))
            saved_ = v;
    }
    void TearDown() override
    {
        if (saved_)
            ::setenv("ZONKARDS_PORT", saved_->c_str(), 1);
        else
            ::unsetenv("ZONKARDS_PORT");
    }

private:
    std::optional<std::string> saved_;
};

TEST_F(PortEnv, DefaultIs7772)
{
    ::unsetenv("ZONKARDS_PORT");
    EXPECT_EQ(gamePort(), 7772);
}

TEST_F(PortEnv, OverrideTakesAValidPort)
{
    ::setenv("ZONKARDS_PORT", "40123", 1);
    EXPECT_EQ(gamePort(), 40123);
    ::setenv("ZONKARDS_PORT", "1", 1);
    EXPECT_EQ(gamePort(), 1);
    ::setenv("ZONKARDS_PORT", "65535", 1);
    EXPECT_EQ(gamePort(), 65535);
}

TEST_F(PortEnv, UnusableOverrideFallsBackToTheDefault)
{
    for (const char* bad : {"", "0", "65536", "-5", "abc", "80x", " 8080"}) {
        ::setenv("ZONKARDS_PORT", bad, 1);
        EXPECT_EQ(gamePort(), 7772) << '"' << bad << '"';
    }
}

} // namespace
} // namespace zk
