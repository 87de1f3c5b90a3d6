#include "WindowsTestKit.h"
#include "kit/WindowKit.h"

int main(int argc, char** argv)
{
    // As the program does, so the windows are what a reader sees of them.
    zk::presentWindowsToReaders();
    return zk::test::runQtTests(argc, argv);
}
