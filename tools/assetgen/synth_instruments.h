// The soundtrack's instruments. Each renders one note or hit into a Voice
// (stereo, from the note's start until its sound has died away) with a peak
// of about 1; the sequencer places it in the mix with a gain and sends.
// Notes are MIDI numbers, times seconds. Every voice starts and ends at 0.
#pragma once
#include "tools/assetgen/synth_mix.h"

#include <cstdint>

namespace synth {

struct PadStyle {
    double attack = 1.5;
    double release = 2.5;
    double cutoffStart = 500.0; // Hz, at the start of the note ...
    double cutoffEnd = 1200.0;  // ... moving to this by the end of the gate
    double detuneCents = 9.0;   // spread of the saws around each note
};

// A chord of slow detuned saws through one low-pass per side.
void pad(Voice& voice, const int* notes, int count, double gate, const PadStyle& style, uint64_t seed);
// Saw and sine, the filter closing after the attack.
void bass(Voice& voice, double note, double gate, double cutoff, double punch);
// A short saw-and-pulse note whose filter snaps shut; brightness 0..1.
void pluck(Voice& voice, double note, double gate, double brightness);
// Two-operator FM bell, glassy; it rings for `length`.
void bell(Voice& voice, double note, double length, double brightness);
// A soft singing lead with delayed vibrato.
void lead(Voice& voice, double note, double gate);

// Drums and effects.
void kick(Voice& voice, uint64_t seed);
void snare(Voice& voice, uint64_t seed);
void hat(Voice& voice, bool open, uint64_t seed);
void rim(Voice& voice, uint64_t seed);
void tom(Voice& voice, double note);
void crash(Voice& voice, double length, uint64_t seed);
// A deep hit with a falling pitch and a burst of dark noise.
void impact(Voice& voice, uint64_t seed);
// Noise that swells and brightens over `length` and stops at its end (where
// the sequencer puts the hit it announces).
void riser(Voice& voice, double length, uint64_t seed);

} // namespace synth
