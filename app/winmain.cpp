// vigil.exe: the Windows entry point. Registers the routines, raises the
// timer period around the player's run (platform/win32/time.cpp) and returns
// the player's status.
// The C runtime calls WinMain by name, with C linkage; the program uses none
// of its arguments, so it is declared here without <windows.h>, which only
// the Windows backend includes.
#include "app/driver.h"
#include "effects/registration.h"
#include "platform/win32/timer_period.h"

struct HINSTANCE__;

extern "C" int __stdcall WinMain(HINSTANCE__*, HINSTANCE__*, char*, int)
{
    register_routines();
    timer_period_begin();
    int status = run_player();
    timer_period_end();
    return status;
}
