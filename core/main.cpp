// vigil: the demo player's entry point.
#include "core/driver.h"

int main()
{
    return run_player();
}
