// Stand-in for the support and audio libraries: a few real exports.
#include <windows.h>

#include <cmath>

#if defined(STANDIN_bass) || defined(STANDIN_basscd)
#define EXPORT_PREFIX BASS
#else
#define EXPORT_PREFIX QOVA
#endif

extern "C" {

__declspec(dllexport) DWORD WINAPI LibraryVersion()
{
    return 0x01050000;
}

// Fills a block of 16-bit samples with a sine tone.
__declspec(dllexport) void WINAPI SineBlock(short* samples, int count, double frequency, int rate)
{
    for (int i = 0; i < count; ++i)
        samples[i] = static_cast<short>(std::sin(6.283185307179586 * frequency * i / rate) * 32000.0);
}

#ifdef STANDIN_basscd
// Number of audio tracks on a CD: none in the stand-in.
__declspec(dllexport) int WINAPI CDTrackCount(int)
{
    return 0;
}
#endif
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
