// Test program entry: its own file held and COM as a single-threaded
// apartment, as in setup.exe.
#include "platform/resource.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    HoldProgramFile();
    const HRESULT com = CoInitialize(nullptr);
    testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    if (SUCCEEDED(com))
        CoUninitialize();
    return rc;
}
