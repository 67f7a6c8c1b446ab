// The shared start-up (see session.h).
#include "core/session.h"

#include "base/arena.h"
#include "base/log.h"
#include "core/frame_loop.h"
#include "core/init_runner.h"
#include "core/keys.h"
#include "platform/gl.h"
#include "platform/window.h"
#include "params/location.h"
#include "script/script_interface.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

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

void build_report_add(BuildReport& report, const char* line)
{
    size_t used = std::strlen(report.text);
    size_t length = std::strlen(line);
    std::snprintf(report.text + used, sizeof report.text - used, "%s%s", line,
                  length && line[length - 1] == '\n' ? "" : "\n");
}

void build_report_collect(const char* text, void* user)
{
    SourceLocation at = diagnostic_location();
    char line[BUILD_REPORT_SIZE];
    if (at.file)
        std::snprintf(line, sizeof line, "%s:%d: %s", at.file, at.line, text);
    else
        std::snprintf(line, sizeof line, "%s", text);
    build_report_add(*static_cast<BuildReport*>(user), line);
}

void build_report_first(const BuildReport& report, char* out, size_t size)
{
    size_t length = std::strcspn(report.text, "\n");
    std::snprintf(out, size, "%.*s", static_cast<int>(length), report.text);
}

bool script_files_problem(const char* program, char* out, size_t size)
{
    namespace fs = std::filesystem;
    std::error_code failed;
    const std::string folder = fs::current_path(failed).string();
    char what[256] = {};
    if (!fs::is_directory("data", failed)) {
        std::snprintf(what, sizeof what, "there is no data/ folder in %s", folder.c_str());
    } else {
        // data/config.conf holds notes nothing reads: it may be empty or missing.
        for (const char* name : {"data/demo.conf", "data/init.conf"}) {
            const fs::file_status status = fs::status(name, failed);
            const char* state = !fs::exists(status)           ? "missing"
                                : !fs::is_regular_file(status) ? "not a file"
                                : fs::file_size(name, failed) == 0 ? "empty"
                                                                   : nullptr;
            if (state) {
                std::snprintf(what, sizeof what, "%s in %s is %s", name, folder.c_str(), state);
                break;
            }
        }
    }
    if (!what[0])
        return false;
    char installed[512] = {};
#ifdef VIGIL_DEMO_FROM_BIN
    // Named only where it really is: a program run from its build folder has
    // none beside it. /proc/self/exe is where this program was started from.
    const fs::path self = fs::read_symlink("/proc/self/exe", failed);
    const fs::path demo = failed ? fs::path() : (self.parent_path() / VIGIL_DEMO_FROM_BIN).lexically_normal();
    if (!failed && fs::is_regular_file(demo / "data/demo.conf", failed))
        std::snprintf(installed, sizeof installed, " (the installed demo is in %s)", demo.string().c_str());
#endif
    std::snprintf(out, size, "%s: %s: run %s from the folder that holds data/, or pass --dir FOLDER%s", program,
                  what, program, installed);
    return true;
}

SessionStart session_build_script(InitList** initList, ScriptErrors errors)
{
    return build_script(initList, [errors] { return InitScriptInterface(errors); });
}

SessionStart session_build_script(InitList** initList, const ScriptTexts& texts)
{
    return build_script(initList, [&texts] { return InitScriptInterface(texts); });
}

SessionStart session_start(InitList** initList, ScriptErrors errors)
{
    *initList = nullptr;
    if (!arena_create(DEMO_ARENA_SIZE))
        return SessionStart::NoArena;
    return session_build_script(initList, errors);
}

SessionStart session_start(InitList** initList, BuildReport& report)
{
    const bool tracking = location_tracking_enabled();
    location_tracking(true);
    LogSink previous = diag_set_sink(&build_report_collect, &report);
    SessionStart result = session_start(initList);
    diag_set_sink(previous, nullptr);
    location_tracking(tracking);
    return result;
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
