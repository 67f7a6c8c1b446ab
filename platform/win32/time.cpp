// The clock's source on Windows: the performance counter and Sleep, with
// the multimedia timer period raised to 1 millisecond for the whole run so
// that Sleep has about millisecond granularity. The timer period services
// are looked up at run time in "WINMM.DLL"; without them the program runs
// on with the default granularity.
// State: the timer library and its end-period entry (file-scope).
#include <windows.h>

#include "platform/time.h"
#include "platform/win32/timer_period.h"

namespace {

using PeriodEntry = UINT(WINAPI*)(UINT);

HMODULE s_timer_library = nullptr;
PeriodEntry s_end_period = nullptr;

} // namespace

int64_t platform_counter()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int64_t platform_counter_frequency()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

void platform_sleep_ms(uint32_t ms)
{
    Sleep(ms);
}

void timer_period_begin()
{
    s_timer_library = LoadLibraryA("WINMM.DLL");
    if (!s_timer_library)
        return;
    auto begin = reinterpret_cast<PeriodEntry>(
        reinterpret_cast<void*>(GetProcAddress(s_timer_library, "timeBeginPeriod")));
    auto end = reinterpret_cast<PeriodEntry>(reinterpret_cast<void*>(GetProcAddress(s_timer_library, "timeEndPeriod")));
    if (begin && end) {
        begin(1);
        s_end_period = end;
    }
}

void timer_period_end()
{
    if (s_end_period)
        s_end_period(1);
    s_end_period = nullptr;
    if (s_timer_library)
        FreeLibrary(s_timer_library);
    s_timer_library = nullptr;
}
