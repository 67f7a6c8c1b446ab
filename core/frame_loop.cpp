// The shared frame step: scene advance, transition windows, routine calls.
#include "core/frame_loop.h"

#include "base/skip_drawing.h"
#include "platform/gl.h"
#include "script/timeline.h"

void frame_loop_start(FrameLoop& loop, double firstT)
{
    loop.preFlag = 0;
    loop.postFlag = 0;
    loop.previousT = firstT;
    g_current_scene = 0;
}

FrameResult frame_advance(FrameLoop& loop, double T, MusicClock music)
{
    if (g_timeline[g_current_scene].routineCount == 0)
        return FrameResult::Ended;

    // The index moves by at most one record per frame.
    if (music() >= g_timeline[g_current_scene + 1].start)
        ++g_current_scene;
    SceneRecord* rec = &g_timeline[g_current_scene];

    // The terminator has no transition, so this never looks past the array.
    // The window edges are worked out in 64 bits: a start near either end of
    // the 32-bit range plus or minus a long transition must not wrap.
    if (rec->hasTransition) {
        int64_t leadOutStart = int64_t{g_timeline[g_current_scene + 1].start} - rec->transitionLength;
        int64_t leadInEnd = int64_t{rec->start} + rec->transitionLength;
        if (music() >= leadOutStart && !loop.preFlag) {
            rec->transitionElapsed = 0.0;
            loop.preFlag = 1;
            loop.postFlag = 0;
            if (rec->prefunc_init)
                call_hook_routine(rec->prefunc_init);
        } else if (music() <= leadInEnd && !loop.postFlag) {
            rec->transitionElapsed = 0.0;
            loop.postFlag = 1;
            loop.preFlag = 0;
            if (rec->postfunc_init)
                call_hook_routine(rec->postfunc_init);
        }
    }

    double dt = T - loop.previousT;
    rec->elapsed += dt;
    if (loop.letterbox)
        glViewport(0, 64, 1024, 640);
    for (int32_t i = 0; i < rec->routineCount; ++i)
        call_frame_routine(rec->routines[i], T, dt);
    if (loop.preFlag && rec->prefunc) {
        rec->transitionElapsed += dt;
        call_frame_routine(rec->prefunc, T, dt);
    } else if (loop.postFlag && rec->postfunc) {
        rec->transitionElapsed += dt;
        call_frame_routine(rec->postfunc, T, dt);
    }
    if (loop.letterbox)
        draw_letterbox_bars();
    loop.previousT = T;
    return rec->routineCount == 0 ? FrameResult::ReachedEnd : FrameResult::Drawn;
}

FrameResult frame_skip(FrameLoop& loop, double T, MusicClock music)
{
    // The routines push and pop all attributes, which keeps the empty box in
    // force inside them. The box and the test's state in force before are put
    // back afterwards, so whatever draws next (the seek's target frame, the
    // preview's overlay) finds them as they were.
    GLint box[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    const GLboolean enabled = glIsEnabled(GL_SCISSOR_TEST);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 0, 0);
    g_skip_drawing = true;
    FrameResult result = frame_advance(loop, T, music);
    g_skip_drawing = false;
    glScissor(box[0], box[1], box[2], box[3]);
    if (!enabled)
        glDisable(GL_SCISSOR_TEST);
    return result;
}

double virtual_frame_time(int64_t frame, int32_t fps)
{
    return static_cast<double>(frame) / fps;
}

int32_t virtual_music_ms(int64_t frame, int32_t fps)
{
    return static_cast<int32_t>(frame * 1000 / fps);
}

int64_t first_frame_at(int32_t ms, int32_t fps)
{
    if (ms <= 0)
        return 0;
    // floor(i * 1000 / fps) >= ms  <=>  i * 1000 >= ms * fps.
    return (int64_t{ms} * fps + 999) / 1000;
}

void draw_letterbox_bars()
{
    glViewport(0, 0, 1024, 768);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1024, 768, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4d(0, 0, 0, 0);
    glBegin(GL_QUADS);
    glVertex2f(0, 0);
    glVertex2f(1024, 0);
    glVertex2f(1024, 64);
    glVertex2f(0, 64);
    glVertex2f(0, 704);
    glVertex2f(1024, 704);
    glVertex2f(1024, 768);
    glVertex2f(0, 768);
    glEnd();
    glPopAttrib();
}
