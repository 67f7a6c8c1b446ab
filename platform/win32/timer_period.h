// The multimedia timer period (1 millisecond) for the whole run: WinMain
// raises it before the clock starts and ends it after the clock stops.
#pragma once

void timer_period_begin();
void timer_period_end();
