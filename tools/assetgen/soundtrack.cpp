// The soundtrack: a slow, dark piece in D minor at 120 beats a minute played
// half-time (a bar of two seconds, the snare on its second half), whose
// sections follow the scenes of the demo's timeline. Every scene opens on a
// hit or a chord entry, and the three moments the effects fix in time (the
// window lighting up, the big ghost rising, the tree's flashes) get their own
// hits, with the groove pausing just before them so that they stand out.
// Rendered by the synthesiser of synth_*.cpp and encoded as MP3.
#include "assets/content_names.h"
#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/demo_plan.h"
#include "tools/assetgen/synth_dsp.h"
#include "tools/assetgen/synth_instruments.h"
#include "tools/assetgen/synth_mix.h"
#include "tools/assetgen/synth_soundtrack.h"
#include "tools/common/mp3_writer.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

using namespace synth;

constexpr double BAR = 2.0;         // seconds: four beats at 120 a minute
constexpr double STEP = BAR / 16.0; // a sixteenth

double at(double bar, double step = 0.0) { return bar * BAR + step * STEP; }
double seconds(int32_t ms) { return ms / 1000.0; }

// A chord as the band plays it: the bass root, the pad's voicing and the
// notes the arpeggios and bells pick from.
struct Chord {
    int root;   // bass note, octave 1-2
    int pad[4]; // octave 3-4
    int arp[4]; // octave 4-5
};

const Chord DM = {38, {50, 53, 57, 64}, {62, 65, 69, 72}}; // D minor, added ninth
const Chord BB = {34, {46, 53, 57, 62}, {58, 62, 65, 69}}; // B flat major seventh
const Chord GM = {31, {50, 55, 58, 65}, {55, 58, 62, 65}}; // G minor seventh
const Chord A7 = {33, {49, 52, 55, 57}, {57, 61, 64, 67}}; // A seventh: leads home
const Chord EB = {39, {51, 55, 58, 62}, {63, 67, 70, 74}}; // E flat major seventh
const Chord FM = {41, {48, 53, 57, 64}, {60, 65, 69, 72}}; // F major seventh
const Chord CM = {36, {48, 52, 55, 62}, {60, 64, 67, 74}}; // C, added ninth

struct Span {
    double start;
    const Chord* chord;
};

// The harmony of the whole piece: each chord lasts until the next begins.
const std::vector<Span>& harmony()
{
    static const std::vector<Span> spans = {
        // title; the window scene opens under it on B flat
        {at(0), &DM}, {seconds(plan::SCENES[1].start), &BB}, {at(4), &GM}, {at(6), &A7},
        // the window lights up on F major
        {seconds(plan::WINDOW_BACKGROUND_STARTS), &FM}, {at(10), &GM}, {at(12), &DM}, {at(14), &BB},
        {at(16), &FM}, {at(18), &GM}, {at(19), &A7},
        // lamps; the big ghost rises on E flat, a tritone away
        {at(20), &DM}, {at(22), &BB}, {at(24), &GM}, {at(26), &A7},
        {seconds(plan::BIG_GHOST_RISES), &EB}, {at(29), &A7},
        // archstairs
        {at(31), &DM}, {at(33), &BB}, {at(35), &GM}, {at(37), &A7}, {at(39), &DM},
        // ghost: D minor against E flat
        {at(40), &DM}, {at(41), &EB}, {at(42), &DM}, {at(43), &EB}, {at(44), &GM}, {at(45), &A7},
        // tree; the second flash brings G minor
        {at(46), &DM}, {at(48), &BB}, {at(50), &GM}, {at(52), &A7}, {at(54), &DM}, {at(56), &BB},
        {seconds(plan::TREE_FLASHES) + 0.5, &GM}, {at(58), &A7},
        // fedsquare
        {at(60), &DM}, {at(62), &BB}, {at(64), &GM}, {at(66), &A7}, {at(68), &DM},
        // city: the relative major
        {at(70), &FM}, {at(72), &CM}, {at(74), &DM}, {at(76), &BB}, {at(78), &A7},
        // model
        {at(79), &DM}, {at(81), &BB}, {at(83), &GM}, {at(85), &A7}, {at(87), &DM},
    };
    return spans;
}

const Chord& chord_at(double t)
{
    const Chord* chord = harmony().front().chord;
    for (const Span& span : harmony()) {
        if (span.start > t + 1e-9)
            break;
        chord = span.chord;
    }
    return *chord;
}

// A melody note: start and length in beats of half a second from the
// phrase's start.
struct Note {
    double beat;
    double beats;
    int note;
};

// The archstairs tune, stepping down like its stairs, over Dm Bb Gm A Dm:
// an octave up on the lead there, as written on the bells at the end.
const std::vector<Note> STAIRS_TUNE = {
    {0, 3, 69}, {3, 1, 67}, {4, 2, 65}, {6, 2, 64},       // Dm
    {8, 3, 62}, {11, 1, 65}, {12, 4, 69},                 // Bb
    {16, 3, 70}, {19, 1, 69}, {20, 2, 67}, {22, 2, 65},   // Gm
    {24, 4, 64}, {28, 2, 61}, {30, 2, 64},                // A
    {32, 4, 62},                                          // Dm
};

// The fedsquare tune over the same chords: busier, and reaching higher.
const std::vector<Note> SQUARE_TUNE = {
    {0, 2, 74}, {2, 1, 76}, {3, 1, 77}, {4, 3, 81}, {7, 1, 79},       // Dm
    {8, 2, 77}, {10, 2, 74}, {12, 1, 77}, {13, 1, 79}, {14, 2, 81},   // Bb
    {16, 3, 82}, {19, 1, 81}, {20, 2, 79}, {22, 1, 77}, {23, 1, 74},  // Gm
    {24, 3, 76}, {27, 1, 73}, {28, 2, 76}, {30, 2, 69},               // A
    {32, 6, 74},                                                      // Dm
};

// Bells over the title: a few high notes, far apart, left to echo.
const std::vector<Note> TITLE_BELLS = {
    {4, 4, 69}, {6, 4, 72}, {9, 6, 74}, {12, 4, 69}, {17, 4, 70}, {20, 6, 74}, {25, 4, 73}, {28, 6, 76},
};

// The ghost's bells: a slow fall, E flat darkening D minor, C sharp at the end
// leading home.
const std::vector<Note> GHOST_BELLS = {
    {2, 4, 81}, {5, 4, 82}, {8, 4, 81}, {11, 4, 79}, {14, 4, 77}, {16, 4, 75}, {18, 6, 74}, {20, 4, 73},
};

class Song {
public:
    explicit Song(double length) : mix(to_frames(length)) {}

    // The groove leaves out its own notes in these spans, so the hits that
    // end them stand alone.
    void hush(double from, double to) { hushes.emplace_back(from, to); }

    void pad(double t, double gate, const Chord& chord, const PadStyle& style, double gain)
    {
        synth::pad(voice, chord.pad, 4, gate, style, seed(t, 1));
        place(t, Sends{gain, 0.0, 0.55, 0.0});
    }
    void bass(double t, double gate, int note, double gain, double cutoff = 380.0, double punch = 2.0)
    {
        if (hushed(t))
            return;
        synth::bass(voice, note, gate, cutoff, punch);
        place(t, Sends{gain, 0.0, 0.08, 0.0});
    }
    void pluck(double t, double gate, int note, double brightness, double pan, double gain)
    {
        if (hushed(t))
            return;
        synth::pluck(voice, note, gate, brightness);
        place(t, Sends{gain, pan, 0.35, 0.45});
    }
    void bell(double t, double length, int note, double brightness, double pan, double gain, double delay = 0.4)
    {
        synth::bell(voice, note, length, brightness);
        place(t, Sends{gain, pan, 0.6, delay});
    }
    void lead(double t, double gate, int note, double gain)
    {
        synth::lead(voice, note, gate);
        place(t, Sends{gain, 0.0, 0.45, 0.35});
    }
    void kick(double t, double gain)
    {
        if (hushed(t))
            return;
        synth::kick(voice, seed(t, 2));
        place(t, Sends{gain, 0.0, 0.05, 0.0});
    }
    void snare(double t, double gain)
    {
        if (hushed(t))
            return;
        synth::snare(voice, seed(t, 3));
        place(t, Sends{gain, 0.05, 0.5, 0.08});
    }
    void hat(double t, bool open, double gain)
    {
        if (hushed(t))
            return;
        synth::hat(voice, open, seed(t, 4));
        place(t, Sends{gain, 0.3, 0.15, 0.0});
    }
    void rim(double t, double gain)
    {
        if (hushed(t))
            return;
        synth::rim(voice, seed(t, 5));
        place(t, Sends{gain, -0.25, 0.45, 0.25});
    }
    void tom(double t, int note, double pan, double gain)
    {
        synth::tom(voice, note);
        place(t, Sends{gain, pan, 0.3, 0.0});
    }
    void crash(double t, double length, double gain)
    {
        synth::crash(voice, length, seed(t, 6));
        place(t, Sends{gain, -0.15, 0.35, 0.0});
    }
    void impact(double t, double gain)
    {
        synth::impact(voice, seed(t, 7));
        place(t, Sends{gain, 0.0, 0.3, 0.0});
    }
    // A riser of `length` that ends exactly at `t`.
    void riser_to(double t, double length, double gain)
    {
        synth::riser(voice, length, seed(t, 8));
        place(t - length, Sends{gain, 0.0, 0.4, 0.0});
    }

    std::vector<int16_t> master(const MasterSettings& settings) { return mix.master(settings); }

private:
    bool hushed(double t) const
    {
        for (const auto& [from, to] : hushes)
            if (t >= from && t < to)
                return true;
        return false;
    }
    static uint64_t seed(double t, uint64_t kind) { return static_cast<uint64_t>(to_frames(t)) * 16 + kind; }
    void place(double t, const Sends& sends) { mix.add(to_frames(t), voice, sends); }

    Mix mix;
    Voice voice;
    std::vector<std::pair<double, double>> hushes;
};

// The pad under every chord of [from, to), with a style per section.
void pads(Song& song, double from, double to, const PadStyle& style, double gain)
{
    const std::vector<Span>& spans = harmony();
    for (size_t i = 0; i < spans.size(); ++i) {
        double start = spans[i].start;
        double end = i + 1 < spans.size() ? spans[i + 1].start : to;
        if (end <= from || start >= to)
            continue;
        start = std::max(start, from);
        end = std::min(end, to);
        // Overlap the next chord slightly so the pads cross-fade.
        song.pad(start, end - start + 0.15, *spans[i].chord, style, gain);
    }
}

// Drum pattern of one bar: one string per instrument, one character per
// sixteenth: '.' rest, 'x' hit, 'o' soft hit (open for the hats).
struct Drums {
    const char* kick;
    const char* snare;
    const char* hat;
    const char* rim;
};

const Drums WINDOW_BEAT = {"x.........x.....", "................", "................", "........x......."};
const Drums WINDOW_LIT = {"x.........x.....", "................", "x.x.x.x.x.x.x.x.", "........x......."};
const Drums LAMPS_BEAT = {"x......x..x.....", "........x.......", "x.x.x.x.x.x.x.xo", "...............x"};
const Drums STAIRS_BEAT = {"x.........x.....", "........x.......", "xxx.xxx.xxx.xxx.", "....x..........."};
const Drums HEARTBEAT = {"x..o............", "................", "................", "................"};
const Drums TREE_KICK = {"x.........x.....", "................", "................", "........x......."};
const Drums TREE_BEAT = {"x......x..x.....", "........x.......", "x.x.x.x.x.x.x.x.", "................"};
const Drums TREE_FULL = {"x......x..x.x...", "........x.......", "xxxxxxxxxxxxxxxo", "................"};
const Drums SQUARE_BEAT = {"x......x..x..x..", "........x......o", "x.xxx.xxx.xxx.xo", "....x.........x."};
const Drums CITY_BEAT = {"x.........x.....", "........x.......", "x.o.x.o.x.o.x.o.", "...x.......x...."};
const Drums MODEL_BEAT = {"x.........x.....", "........x.......", "x...x...x...x...", "................"};

void drums(Song& song, int firstBar, int bars, const Drums& pattern, double gain)
{
    for (int bar = firstBar; bar < firstBar + bars; ++bar) {
        for (int step = 0; step < 16; ++step) {
            double t = at(bar, step);
            // A little swing on the off-sixteenths.
            double swing = (step & 1) ? 0.012 : 0.0;
            if (pattern.kick[step] != '.')
                song.kick(t, gain * (pattern.kick[step] == 'x' ? 0.7 : 0.45));
            if (pattern.snare[step] != '.')
                song.snare(t, gain * (pattern.snare[step] == 'x' ? 0.55 : 0.18));
            if (pattern.hat[step] != '.') {
                bool open = pattern.hat[step] == 'o';
                double accent = (step % 4 == 2) ? 1.0 : 0.6;
                song.hat(t + swing, open, gain * (open ? 0.05 : 0.065 * accent));
            }
            if (pattern.rim[step] != '.')
                song.rim(t + swing, gain * 0.16);
        }
    }
}

// The bass under [firstBar, firstBar + bars): the chord's root on the
// sixteenths marked in `rhythm` ('x' root, 'o' octave up, '5' fifth),
// each held until the next mark or `held` sixteenths at most.
void bassline(Song& song, int firstBar, int bars, const char* rhythm, double gain, double cutoff = 380.0)
{
    for (int bar = firstBar; bar < firstBar + bars; ++bar) {
        for (int step = 0; step < 16; ++step) {
            char mark = rhythm[step];
            if (mark == '.')
                continue;
            int next = step + 1;
            while (next < 16 && rhythm[next] == '.')
                ++next;
            double t = at(bar, step);
            int root = chord_at(t + 0.01).root;
            int note = mark == 'o' ? root + 12 : mark == '5' ? root + 7 : root;
            song.bass(t, (next - step) * STEP * 0.9, note, gain, cutoff);
        }
    }
}

// Arpeggio of the current chord's notes, one per sixteenth (`every` = 1) or
// eighth (2), up and down, panned from side to side.
void arpeggio(Song& song, double from, double to, int every, double brightFrom, double brightTo, double gain,
              int octave = 0)
{
    static const int ORDER[6] = {0, 1, 2, 3, 2, 1};
    int count = 0;
    for (double t = from; t < to - 1e-9; t += every * STEP, ++count) {
        double x = (t - from) / (to - from);
        double brightness = brightFrom + (brightTo - brightFrom) * x;
        int note = chord_at(t + 0.01).arp[ORDER[count % 6]] + 12 * octave;
        double pan = (count % 2) ? 0.45 : -0.45;
        song.pluck(t, every * STEP * 0.8, note, brightness, pan, gain);
    }
}

void tune(Song& song, double start, const std::vector<Note>& notes, double gain, int transpose = 0)
{
    for (const Note& note : notes)
        song.lead(start + note.beat * 0.5, note.beats * 0.5 - 0.04, note.note + transpose, gain);
}

void bells(Song& song, double start, const std::vector<Note>& notes, double brightness, double gain)
{
    int count = 0;
    for (const Note& note : notes)
        song.bell(start + note.beat * 0.5, note.beats * 0.5, note.note, brightness, (count++ % 2) ? 0.5 : -0.5, gain);
}

// A chord struck on the bells: the accent of a chord entry.
void bell_chord(Song& song, double t, const Chord& chord, double length, double gain)
{
    for (int i = 0; i < 4; ++i)
        song.bell(t, length, chord.arp[i], 0.8, -0.6 + 0.4 * i, gain, 0.25);
}

void compose(Song& song)
{
    const double windowLit = seconds(plan::WINDOW_BACKGROUND_STARTS);
    const double ghostRises = seconds(plan::BIG_GHOST_RISES);
    const double flash = seconds(plan::TREE_FLASHES);
    // The groove breathes in before each fixed moment.
    song.hush(windowLit - 0.45, windowLit + 0.08);
    song.hush(ghostRises - 0.45, ghostRises + 0.08);
    song.hush(flash - 0.55, flash + 0.9);
    // ... and takes a short breath before each scene.
    for (const plan::Scene& scene : plan::SCENES)
        song.hush(seconds(scene.start) - 0.1, seconds(scene.start));

    const PadStyle darkPad{3.0, 3.0, 450.0, 1300.0, 8.0};
    const PadStyle warmPad{1.2, 2.5, 700.0, 1900.0, 10.0};
    const PadStyle brightPad{0.8, 2.5, 1200.0, 3000.0, 12.0};
    const PadStyle stabPad{0.01, 2.0, 2600.0, 700.0, 14.0};

    // Title (0 s until the window lights up at 16 s): a deep hit out of
    // silence, dark pads and a few bells; the window scene opens under the
    // title on a soft hit, a muted pulse comes in, and a swell leads to the
    // light.
    const double windowOpens = seconds(plan::SCENES[1].start);
    song.impact(at(0), 0.9);
    bell_chord(song, at(0), DM, 5.0, 0.12);
    pads(song, at(0), windowLit, darkPad, 0.55);
    bells(song, at(0), TITLE_BELLS, 0.4, 0.16);
    song.impact(windowOpens, 0.5);
    bell_chord(song, windowOpens, BB, 3.0, 0.1);
    arpeggio(song, at(4), windowLit - 0.45, 2, 0.05, 0.35, 0.2, -1);
    bassline(song, 5, 3, "x.......x.......", 0.26, 200.0);
    song.riser_to(windowLit, 3.0, 0.18);

    // Window lit (16-40 s): at the moment the window lights up, F major on
    // the bells, a crash, and kick and rim; hats and eighth-note plucks
    // join halfway.
    song.impact(windowLit, 0.55);
    song.crash(windowLit, 3.0, 0.35);
    bell_chord(song, windowLit, FM, 4.0, 0.18);
    pads(song, windowLit, at(20), warmPad, 0.5);
    drums(song, 8, 6, WINDOW_BEAT, 1.0);
    drums(song, 14, 6, WINDOW_LIT, 1.0);
    bassline(song, 8, 12, "x.....x...x.....", 0.34);
    arpeggio(song, at(14), at(20), 2, 0.3, 0.5, 0.18);
    song.tom(at(19, 10), 45, 0.3, 0.45);
    song.tom(at(19, 12), 41, -0.3, 0.5);

    // Lamps (40-62 s): the full groove and a busier bass; the big ghost
    // rises on a low hit and an E flat stab after a swell, then A leads
    // back to D minor.
    song.impact(at(20), 0.8);
    song.crash(at(20), 3.0, 0.4);
    pads(song, at(20), at(31), warmPad, 0.5);
    drums(song, 20, 11, LAMPS_BEAT, 1.0);
    bassline(song, 20, 11, "x.....xo..x...5.", 0.38);
    arpeggio(song, at(20), ghostRises - 0.4, 2, 0.25, 0.45, 0.14);
    song.riser_to(ghostRises, 2.0, 0.22);
    song.impact(ghostRises, 1.0);
    song.crash(ghostRises, 3.5, 0.45);
    song.pad(ghostRises, 1.2, EB, stabPad, 0.6);
    bell_chord(song, ghostRises, EB, 4.0, 0.14);

    // Archstairs (62-80 s): lighter drums, and the tune walking down.
    song.crash(at(31), 2.5, 0.35);
    bell_chord(song, at(31), DM, 3.0, 0.14);
    pads(song, at(31), at(40), darkPad, 0.45);
    drums(song, 31, 9, STAIRS_BEAT, 0.9);
    bassline(song, 31, 9, "x.....x...x.....", 0.34);
    tune(song, at(31), STAIRS_TUNE, 0.4, 12);
    song.riser_to(at(40), 1.5, 0.14);

    // Ghost (80-92 s): the drums fall away to a heartbeat; D minor and E
    // flat sway under bells that fall slowly.
    song.impact(at(40), 0.9);
    song.crash(at(40), 4.0, 0.3);
    pads(song, at(40), at(46), darkPad, 0.55);
    drums(song, 40, 6, HEARTBEAT, 0.75);
    bassline(song, 40, 6, "x...............", 0.26, 160.0);
    bells(song, at(40), GHOST_BELLS, 0.6, 0.14);
    song.riser_to(at(46), 2.0, 0.18);

    // Tree (92-120 s): a slow build: the arpeggio brightens, kick, then
    // snare and hats join; a swell, the two flashes, and the full groove on
    // A into the climax.
    song.impact(at(46), 0.9);
    song.crash(at(46), 3.0, 0.35);
    pads(song, at(46), at(60), warmPad, 0.5);
    arpeggio(song, at(46), flash - 0.55, 1, 0.05, 0.7, 0.13);
    arpeggio(song, flash + 1.236, at(60), 1, 0.7, 0.8, 0.13);
    bassline(song, 46, 4, "x...............", 0.3);
    bassline(song, 50, 10, "x.....x...x.....", 0.34);
    drums(song, 50, 2, TREE_KICK, 0.9);
    drums(song, 52, 5, TREE_BEAT, 0.95);
    drums(song, 57, 3, TREE_FULL, 1.0);
    song.riser_to(flash, 2.5, 0.22);
    // The first flash: a bright strike; the second: the hit that brings G minor.
    song.snare(flash, 0.6);
    song.crash(flash, 0.45, 0.45);
    bell_chord(song, flash, BB, 1.5, 0.2);
    song.impact(flash + 0.5, 0.9);
    song.crash(flash + 0.5, 3.0, 0.45);
    song.pad(flash + 0.5, 1.0, GM, stabPad, 0.55);
    for (int i = 0; i < 8; ++i)
        song.snare(at(59, 8 + i), 0.12 + 0.05 * i);

    // Fedsquare (120-140 s): the climax: everything, and the tune an
    // octave up; toms roll into the city.
    song.impact(at(60), 0.9);
    song.crash(at(60), 3.5, 0.45);
    pads(song, at(60), at(70), brightPad, 0.45);
    drums(song, 60, 10, SQUARE_BEAT, 1.0);
    bassline(song, 60, 10, "x.....xo..x..o5.", 0.38, 320.0);
    arpeggio(song, at(60), at(70), 1, 0.5, 0.6, 0.09, 1);
    tune(song, at(60), SQUARE_TUNE, 0.38);
    for (int i = 0; i < 5; ++i)
        song.tom(at(69, 9 + i), 50 - 2 * i, -0.4 + 0.2 * i, 0.45);

    // City (140-158 s): the relative major, lit up: bells sparkle over
    // lighter drums.
    song.crash(at(70), 3.0, 0.4);
    song.impact(at(70), 0.5);
    bell_chord(song, at(70), FM, 3.0, 0.14);
    pads(song, at(70), at(79), brightPad, 0.45);
    drums(song, 70, 9, CITY_BEAT, 0.9);
    bassline(song, 70, 9, "x.....x...x...o.", 0.34);
    for (double t = at(70, 2); t < at(78, 12); t += 2 * STEP) {
        const Chord& chord = chord_at(t + 0.01);
        int index = static_cast<int>((t - at(70)) / STEP + 0.5) / 2;
        static const int ORDER[8] = {0, 2, 1, 3, 2, 0, 3, 1};
        song.bell(t, 1.2, chord.arp[ORDER[index % 8]] + 12, 0.5, (index % 2) ? 0.6 : -0.6, 0.07, 0.5);
    }
    song.riser_to(at(79), 2.0, 0.18);

    // Model (158-178 s): the last round of the chords; the drums stop after
    // eight bars, the stairs tune comes back on the bells, and a final hit
    // on D minor rings out to the end.
    song.impact(at(79), 0.9);
    song.crash(at(79), 3.5, 0.4);
    pads(song, at(79), at(87), warmPad, 0.5);
    drums(song, 79, 6, MODEL_BEAT, 0.85);
    bassline(song, 79, 8, "x.........x.....", 0.3);
    bells(song, at(79), STAIRS_TUNE, 0.5, 0.12);
    song.impact(at(87), 0.8);
    bell_chord(song, at(87), DM, 4.0, 0.14);
    song.pad(at(87), 2.0, DM, PadStyle{0.4, 2.0, 1200.0, 400.0, 8.0}, 0.55);
    song.bass(at(87), 2.0, DM.root, 0.4);
}

} // namespace

std::vector<int16_t> render_soundtrack()
{
    Song song(seconds(plan::SOUNDTRACK_MS));
    compose(song);
    MasterSettings settings;
    return song.master(settings);
}

void generate_soundtrack(GeneratedFiles& files)
{
    std::vector<int16_t> pcm = render_soundtrack();
    Mp3Options options;
    options.quality = SOUNDTRACK_MP3_QUALITY;
    std::vector<uint8_t> mp3;
    if (!encode_mp3(pcm.data(), static_cast<int64_t>(pcm.size() / 2), options, &mp3)) {
        std::fprintf(stderr, "vigil-assetgen: the MP3 encoder failed on the soundtrack\n");
        return;
    }
    files.push_back({content::SOUNDTRACK, std::move(mp3)});
}
