// The command line of vigil and vigil.exe, shared by main and WinMain:
// without arguments the player; `--preview [options]` the authors' preview,
// after entering --dir. Prints the usage on bad arguments (status 2).
// State: none.
#pragma once

// Runs what the arguments ask for and returns the exit status.
int run_command_line(int argc, char** argv);
