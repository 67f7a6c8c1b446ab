// The flag of base/skip_drawing.h.
#include "base/skip_drawing.h"

bool g_skip_drawing = false;
