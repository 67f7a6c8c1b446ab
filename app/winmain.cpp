// vigil.exe: the Windows entry point. Raises the timer period around the
// player's run (platform/win32/time.cpp) and returns the player's status.
#include <windows.h>

#include "app/driver.h"
#include "platform/win32/timer_period.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    timer_period_begin();
    int status = run_player();
    timer_period_end();
    return status;
}
