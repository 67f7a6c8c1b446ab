// Message boxes and the window class (video start-up with icon and cursor).
// Every box has no owner window and the caption "This window is for sale"
// unless one is given; errors are also written to standard error.
#pragma once

extern const char* const DEFAULT_CAPTION; // "This window is for sale"

// Starts the video subsystem and prepares the icon and cursor. False, with
// the reason on standard error, when there is no display anyone can see.
bool register_window_class();
void unregister_window_class();

enum class Answer { Yes, No, CannotAsk };
// Asks with Yes (the Return default) and No (the Escape default), asking
// again after a failed box; CannotAsk, with the reason on standard error,
// when no box can be shown at all.
Answer ask_yes_no(const char* text, const char* caption);
void show_error(const char* text, const char* caption);
