// Keyboard handling: the table that maps Windows virtual-key codes to the
// program's internal key codes (the platform layer translates its own key
// codes to virtual-key codes first), and the quit flag that Escape, the
// window's close button and a quit message set.
// State: the key table (sorted in place at start-up) and the quit flag.
#pragma once
#include <csignal>
#include <cstdint>

constexpr int32_t KEY_TABLE_SIZE = 101;
constexpr int32_t KEY_ESCAPE = 53;

struct KeyPair {
    int32_t virtualKey;
    int32_t key;
};
// Global as the described key handling has them: the table sorted at
// start-up, and the quit flag, set from the input sink and from signal
// handlers (hence volatile sig_atomic_t) and polled by every loop.
extern KeyPair g_key_table[KEY_TABLE_SIZE];
extern volatile sig_atomic_t g_quit;

// Sorts the table by virtual-key code (qsort), once at start-up.
void sort_key_table();
// The internal code for a virtual-key code (bsearch), or -1.
int32_t map_key(int32_t virtualKey);
// Escape, pressed or released, requests the quit; other keys do nothing.
void on_key(int32_t down, int32_t key);
// Sets the quit flag; returns 0.
int32_t request_quit();

// The program's input sink (platform/input.h) for the key table: a key event
// by virtual-key code goes through map_key to on_key; quit sets the flag
// (and nothing else, so a signal handler may call it).
void key_event(int32_t virtualKey, bool down);
void quit_event();
