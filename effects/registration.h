// The demo's routines: the one table of the 39 routines a script may name,
// in their order, which is the function table's. Start-up registers them,
// before it builds a script; no routine registers itself.
#pragma once

// Adds the 39 routines to the function table, in the table's order, and
// hands their state (g_effects) to the saved demo states. Adds nothing when
// they are there already, so every program and test may call it at its
// start.
void register_routines();
