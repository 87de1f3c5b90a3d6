#include "WindowsTestKit.h"

int main(int argc, char** argv)
{
    return zk::test::runQtTests(argc, argv);
}
