// Wrapping of the effects' animation clocks. The scenes keep each clock in
// its cycle by repeated subtraction (or addition) of one period; these
// helpers do exactly that for the few periods a frame normally crosses, so
// the pictures stay bit for bit the same, and take the remainder with fmod
// when a huge step would need more. An infinite or NaN clock goes back to the
// start of its cycle. No step, however large or broken, can hang a loop or
// leave a clock outside its cycle.
#pragma once
#include <cmath>

// More periods than this in one call are removed by fmod, not one by one.
constexpr double CLOCK_WRAP_MAX_STEPS = 64.0;

// while (value > limit) value -= period; a NaN or infinite value above the
// limit becomes limit - period. The result is at most `limit`.
inline double wrap_above(double value, double limit, double period)
{
    if (std::isnan(value))
        return limit - period;
    if (!(value > limit))
        return value;
    if (value - limit <= period * CLOCK_WRAP_MAX_STEPS) {
        while (value > limit)
            value -= period;
        return value;
    }
    if (std::isinf(value))
        return limit - period;
    const double rest = std::fmod(value - limit, period); // in [0, period)
    return rest == 0.0 ? limit : limit - period + rest;
}

// while (value >= limit) value -= period; a NaN or infinite value becomes
// limit - period. The result is below `limit`.
inline double wrap_at_or_above(double value, double limit, double period)
{
    if (std::isnan(value))
        return limit - period;
    if (!(value >= limit))
        return value;
    if (value - limit < period * CLOCK_WRAP_MAX_STEPS) {
        while (value >= limit)
            value -= period;
        return value;
    }
    if (std::isinf(value))
        return limit - period;
    const double wrapped = limit - period + std::fmod(value - limit, period);
    return wrapped < limit ? wrapped : limit - period;
}

// while (value < limit) value += period; a NaN or infinite value becomes
// `limit`. The result is at least `limit`.
inline double wrap_below(double value, double limit, double period)
{
    if (std::isnan(value))
        return limit;
    if (!(value < limit))
        return value;
    if (limit - value <= period * CLOCK_WRAP_MAX_STEPS) {
        while (value < limit)
            value += period;
        return value;
    }
    if (std::isinf(value))
        return limit;
    const double rest = std::fmod(limit - value, period); // in [0, period)
    const double wrapped = rest == 0.0 ? limit : limit + (period - rest);
    return wrapped < limit + period ? wrapped : limit;
}

// Into [low, low + period): values below are raised first, then values at or
// above the end lowered, so a value just below `low` that rounds up to the
// end of the cycle still lands inside it.
inline double wrap_into(double value, double low, double period)
{
    return wrap_at_or_above(wrap_below(value, low, period), low + period, period);
}

// A clock that only grows (its whole steps pick a picture) restarts at 0 when
// a broken step made it infinite or NaN; converting such a value to a step
// index would be undefined.
inline double restart_if_broken(double clock)
{
    return std::isfinite(clock) ? clock : 0.0;
}
