// Key table, key handling and the quit flag.
#include "core/keys.h"

#include <cstdlib>

volatile sig_atomic_t g_quit = 0;

KeyPair g_key_table[KEY_TABLE_SIZE] = {
    // Letters A to Z.
    {0x41, 1}, {0x42, 2}, {0x43, 3}, {0x44, 4}, {0x45, 5}, {0x46, 6}, {0x47, 7}, {0x48, 8}, {0x49, 9},
    {0x4A, 10}, {0x4B, 11}, {0x4C, 12}, {0x4D, 13}, {0x4E, 14}, {0x4F, 15}, {0x50, 16}, {0x51, 17},
    {0x52, 18}, {0x53, 19}, {0x54, 20}, {0x55, 21}, {0x56, 22}, {0x57, 23}, {0x58, 24}, {0x59, 25},
    {0x5A, 26},
    // Digits 0 to 9.
    {0x30, 27}, {0x31, 28}, {0x32, 29}, {0x33, 30}, {0x34, 31}, {0x35, 32}, {0x36, 33}, {0x37, 34},
    {0x38, 35}, {0x39, 36},
    // F1 to F16.
    {0x70, 37}, {0x71, 38}, {0x72, 39}, {0x73, 40}, {0x74, 41}, {0x75, 42}, {0x76, 43}, {0x77, 44},
    {0x78, 45}, {0x79, 46}, {0x7A, 47}, {0x7B, 48}, {0x7C, 49}, {0x7D, 50}, {0x7E, 51}, {0x7F, 52},
    // Escape, then the rest pair by pair.
    {0x1B, 53}, {0x60, 54}, {0x2D, 55}, {0x3D, 56}, {0x08, 57}, {0x09, 58}, {0x28, 59}, {0x29, 60},
    {0x0D, 61}, {0x14, 62}, {0x3B, 63}, {0x27, 64}, {0x2C, 66}, {0x2E, 67}, {0x2F, 68}, {0x5C, 70},
    {0x20, 73}, {0x11, 77}, {0x10, 76}, {0x12, 78}, {0x2A, 79}, {0x91, 80}, {0x13, 81}, {0x2D, 82},
    {0x24, 83}, {0x21, 84}, {0x2E, 85}, {0x23, 86}, {0x22, 87}, {0x26, 88}, {0x25, 89}, {0x28, 90},
    {0x27, 91}, {0x90, 92}, {0x6F, 93}, {0x6A, 94}, {0x6D, 95}, {0x67, 96}, {0x68, 97}, {0x69, 98},
    {0x6B, 99}, {0x64, 100}, {0x65, 101}, {0x66, 102}, {0x61, 103}, {0x62, 104}, {0x63, 105},
    {0x60, 107}, {0x6E, 108},
};

static int compare_pairs(const void* a, const void* b)
{
    return static_cast<const KeyPair*>(a)->virtualKey - static_cast<const KeyPair*>(b)->virtualKey;
}

void sort_key_table()
{
    std::qsort(g_key_table, KEY_TABLE_SIZE, sizeof(KeyPair), compare_pairs);
}

int32_t map_key(int32_t virtualKey)
{
    KeyPair wanted{virtualKey, 0};
    auto* found = static_cast<const KeyPair*>(
        std::bsearch(&wanted, g_key_table, KEY_TABLE_SIZE, sizeof(KeyPair), compare_pairs));
    return found ? found->key : -1;
}

void on_key(int32_t /*down*/, int32_t key)
{
    if (key == KEY_ESCAPE)
        request_quit();
}

int32_t request_quit()
{
    g_quit = 1;
    return 0;
}

void key_event(int32_t virtualKey, bool down)
{
    on_key(down ? 1 : 0, map_key(virtualKey));
}

void quit_event()
{
    request_quit();
}
