// The display-mode guardian: a small process, forked from the player while
// it is still single-threaded, that puts the desktop's display mode back
// however the player ends (SIGKILL, a crash in any thread or library, a hang
// killed from outside), since none of these runs any code of the player's.
// Idle until armed; armed, it holds the desktop's mode as read through its
// own X connection (RandR: the screen size and every CRTC's mode, position,
// rotation and outputs) and restores it when the player's end of their
// socket closes or says the player is going down. It ends with the player.
// State: the player's end of the socket and the guardian's pid.
#pragma once

// Starts the guardian. Call it before anything starts a thread (SDL's video
// and audio, Mesa): the child uses Xlib, whose locks another thread could
// hold at the time of the fork. False when it could not be started (the
// process already has threads, or fork failed); then nothing guards.
bool guardian_start();
// Before a display-mode change: the guardian records the desktop's mode
// (unless it holds one already) and answers. True once it holds one; false
// (with a line on standard error) when it cannot (no guardian, no RandR 1.2
// on the display, no answer within a few seconds).
bool guardian_arm();
// The player put the desktop's mode back itself: nothing is left to do.
void guardian_disarm();
// Async-signal-safe: the player is going down; restore at once, without
// waiting for the process's end (a core dump can take seconds).
void guardian_restore_now();
// In a child forked from the player (SDL's message box): drops the player's
// end, so that only the player keeps the guardian waiting.
void guardian_forget();
