// Test program entry: COM as a single-threaded apartment, as in setup.exe.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    const HRESULT com = CoInitialize(nullptr);
    testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    if (SUCCEEDED(com))
        CoUninitialize();
    return rc;
}
