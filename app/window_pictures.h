// The window's icon and cursor: the program decodes them from the embedded
// pictures and hands the pixels to the window layer before its class is
// registered. They are decoded before the arena exists, so the pixels come
// from the C heap; they are kept until the program ends.
#pragma once

// Decodes the icon and the cursor (its picture, with the mask as alpha) and
// hands them down; one that cannot be decoded is left to the system.
void hand_window_pictures();
