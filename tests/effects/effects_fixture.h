// Fixture of the effects' GL tests: each test starts where a fresh process
// starts, with the routines' state (g_effects) and the random generator at
// their start values, no content files and no timeline, on the GL test
// context (tests/gl/gl_fixture.h). So the tests pass in one process, in any
// order and repeated, as they do one process each under CTest.
#pragma once
#include "base/random.h"
#include "effects/effects_state.h"
#include "script/timeline.h"
#include "tests/effects/fake_content.h"
#include "tests/gl/gl_fixture.h"

class EffectsGl : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        effects_state_reset();
        demo_rand_set_state(DEMO_RAND_START);
        fake_content_clear();
        g_timeline = nullptr;
        g_current_scene = 0;
    }
};
