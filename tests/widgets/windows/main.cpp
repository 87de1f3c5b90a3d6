#include "WindowsTestKit.h"

int main(int argc, char** argv)
{
    return zk::testkit::runQtTests(argc, argv);
}
