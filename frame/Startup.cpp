// The program's own start, in place of MinGW's prebuilt one. That one is
// compiled for the Pentium Pro and runs a CMOV before any code of ours, which
// ends the tool at once on the Pentiums, K6s and Vortex86s that Windows 2000
// and XP run on. The tool needs no more of it than its static objects built
// before the start and destroyed at the end.
//
// Linked into the program alone: the test programs keep MinGW's start-up,
// which defines atexit as well.

#include <cstdlib>

#include "WinApp.h"

// MinGW's: runs the static constructors and registers the destructors with atexit.
extern "C" void __main();

// MinGW's start-up defines atexit, as msvcrt's import library has no callable
// one: it registers with msvcrt's _onexit, whose list exit runs.
extern "C" int __cdecl atexit(void(__cdecl* function)())
{
    return _onexit(reinterpret_cast<_onexit_t>(function)) ? 0 : -1;
}

// The entry point (cmake/WindowsSources.cmake names it to the linker).
extern "C" [[noreturn]] void WinMainCRTStartup()
{
    __main();
    std::exit(AfxWinMain());
}
