// The flag of core/skip_drawing.h.
#include "core/skip_drawing.h"

bool g_skip_drawing = false;
