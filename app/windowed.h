// What the player and the preview both do around their drivers: the
// window's icon and cursor handed down, the window class, the key table, the
// program's input sink and the clock; then the driver; then all of it
// undone in reverse.
#pragma once
#include <cstdint>

// Runs `driver` with the window layer and the clock started, keys going to
// `key` and quit requests to the quit flag. Returns the driver's status, or
// 1 when no display could be opened.
int run_windowed(int (*driver)(), void (*key)(int32_t virtualKey, bool down));
