// One QCoreApplication for the whole test program: the host, the
// coordinator and their TLS sockets deliver their events through its loop.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
