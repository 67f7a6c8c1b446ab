// The window program's frame around a driver (see windowed.h).
#include "app/windowed.h"

#include "app/window_pictures.h"
#include "core/clock.h"
#include "core/keys.h"
#include "platform/dialog.h"
#include "platform/input.h"

int run_windowed(int (*driver)(), void (*key)(int32_t virtualKey, bool down))
{
    hand_window_pictures();
    if (!register_window_class())
        return 1;
    sort_key_table();
    const InputSink sink{key, &quit_event};
    set_input_sink(&sink);
    clock_init();
    int status = driver();
    clock_shutdown();
    unregister_window_class();
    return status;
}
