// The refresh-rate rule of the window layers (see refresh_rate.h).
#include "platform/shared/refresh_rate.h"

int32_t refresh_rate_from_reported(int32_t reported)
{
    return reported <= 50 ? 60 : reported;
}
