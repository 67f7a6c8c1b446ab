// vigil: the demo player's entry point. Without arguments it plays the demo
// as it always has; `--preview` runs the authors' preview instead.
#include "app/command_line.h"
#include "effects/registration.h"

int main(int argc, char** argv)
{
    register_routines();
    return run_command_line(argc, argv);
}
