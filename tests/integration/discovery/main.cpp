// One QCoreApplication for the whole test program: the poll adapter and the
// discovery objects deliver their events through its event loop.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
