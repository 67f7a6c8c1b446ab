// vigil.exe: the Windows entry point. Registers the routines, raises the
// timer period around the run (platform/win32/time.cpp) and runs the command
// line as vigil does on Linux: the player, or `--preview`.
// The C runtime calls WinMain by name, with C linkage; the arguments come
// from the runtime's own argc and argv, so it is declared here without
// <windows.h>, which only the Windows backend includes.
#include "app/command_line.h"
#include "effects/registration.h"
#include "platform/win32/timer_period.h"

#include <cstdlib>

struct HINSTANCE__;

extern "C" int __stdcall WinMain(HINSTANCE__*, HINSTANCE__*, char*, int)
{
    register_routines();
    timer_period_begin();
    int status = run_command_line(__argc, __argv);
    timer_period_end();
    return status;
}
