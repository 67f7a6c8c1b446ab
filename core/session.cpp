// The shared start-up (see session.h).
#include "core/session.h"

#include "base/arena.h"
#include "core/frame_loop.h"
#include "core/init_runner.h"
#include "core/keys.h"
#include "platform/gl.h"
#include "platform/window.h"
#include "script/script_interface.h"

namespace {

template <typename Build>
SessionStart build_script(InitList** initList, Build buildInterface)
{
    *initList = nullptr;
    g_timeline = nullptr;
    if (!buildInterface())
        return SessionStart::InterfaceFailed;
    *initList = script_init_init();
    g_timeline = *initList ? script_init() : nullptr;
    return *initList && g_timeline ? SessionStart::Built : SessionStart::ScriptFailed;
}

} // namespace

SessionStart session_build_script(InitList** initList)
{
    return build_script(initList, [] { return InitScriptInterface(); });
}

SessionStart session_build_script(InitList** initList, const ScriptTexts& texts)
{
    return build_script(initList, [&texts] { return InitScriptInterface(texts); });
}

SessionStart session_start(InitList** initList)
{
    *initList = nullptr;
    if (!arena_create(DEMO_ARENA_SIZE))
        return SessionStart::NoArena;
    return session_build_script(initList);
}

InitHooks session_window_hooks()
{
    InitHooks hooks;
    hooks.stop = [](void*) { return g_quit != 0; };
    hooks.after = [](void*, int32_t) {
        glFlush();
        swap_buffers();
        pump_messages();
        return true;
    };
    return hooks;
}

InitPhase session_run_inits(InitList* list, bool letterbox, const InitHooks& hooks, int32_t* failed)
{
    for (int32_t done = 0; done < list->count;) {
        if (hooks.stop && hooks.stop(hooks.context))
            return InitPhase::Stopped;
        glDrawBuffer(GL_BACK);
        if (letterbox)
            glViewport(0, 64, 1024, 640);
        int32_t result = run_next_init(list);
        if (result == -1) {
            *failed = done;
            return InitPhase::RoutineFailed;
        }
        if (letterbox)
            draw_letterbox_bars();
        if (hooks.after && !hooks.after(hooks.context, done))
            return InitPhase::HookFailed;
        done = result;
    }
    return InitPhase::Done;
}
