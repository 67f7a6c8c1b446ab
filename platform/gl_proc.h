// GL extension entry points by name, from the current context's driver.
#pragma once

// The address of the GL function `name`, or null when the driver lacks it.
void* gl_get_proc_address(const char* name);
