// The demo driver: start-up, the init phase behind the loading screen, the
// paced frame loop in step with the music, and shutdown, with a message box
// for every fatal start-up failure.
// Depends on everything in core/, params/, script/ and the platform layer.
#pragma once

// Runs the whole program as the player does. Returns the process exit status:
// 0 when the demo ran (to its end or until the user quit), 1 after any
// failure box or failure message.
int run_player();
