// Reading the script files once, and checking a text without keeping its
// build (see script_source.h).
#include "core/script_source.h"

#include "base/arena.h"
#include "base/log.h"
#include "core/session.h"
#include "params/location.h"
#include "params/param.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The whole file into a C heap buffer with a terminating NUL; false when it
// exists but cannot be read.
bool read_whole(const char* path, char*& text, size_t& length)
{
    text = nullptr;
    length = 0;
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return true;
    size_t capacity = 4096;
    char* buffer = static_cast<char*>(std::malloc(capacity));
    size_t used = 0;
    while (buffer) {
        used += std::fread(buffer + used, 1, capacity - 1 - used, file);
        if (used < capacity - 1)
            break;
        capacity *= 2;
        char* grown = static_cast<char*>(std::realloc(buffer, capacity));
        if (!grown)
            std::free(buffer);
        buffer = grown;
    }
    bool failed = !buffer || std::ferror(file);
    std::fclose(file);
    if (failed) {
        std::free(buffer);
        return false;
    }
    buffer[used] = '\0';
    text = buffer;
    length = used;
    return true;
}

// The globals a build replaces.
struct ScriptGlobals {
    ParamManager* paramRoot = g_param_root;
    Routine* initList = g_init_list;
    ScriptWord* sceneWords = g_scene_words;
    int32_t sceneWordCount = g_scene_word_count;
    SceneRecord* timeline = g_timeline;
    int32_t currentScene = g_current_scene;

    void put_back() const
    {
        g_param_root = paramRoot;
        g_init_list = initList;
        g_scene_words = sceneWords;
        g_scene_word_count = sceneWordCount;
        g_timeline = timeline;
        g_current_scene = currentScene;
    }
};

} // namespace

bool script_source_read(ScriptSource& source, char* error, size_t errorSize)
{
    ScriptSource fresh;
    for (int32_t i = 0; i < SCRIPT_FILE_COUNT; ++i) {
        fresh.stamp[i] = file_stamp(SCRIPT_FILE_NAMES[i]);
        if (!read_whole(SCRIPT_FILE_NAMES[i], fresh.text[i], fresh.length[i])) {
            std::snprintf(error, errorSize, "%s cannot be read: %s", SCRIPT_FILE_NAMES[i], std::strerror(errno));
            script_source_free(fresh);
            return false;
        }
    }
    script_source_free(source);
    source = fresh;
    return true;
}

void script_source_free(ScriptSource& source)
{
    for (char* text : source.text)
        std::free(text);
    source = ScriptSource{};
}

bool script_source_changed(const ScriptSource& source)
{
    for (int32_t i = 0; i < SCRIPT_FILE_COUNT; ++i)
        if (!(file_stamp(SCRIPT_FILE_NAMES[i]) == source.stamp[i]))
            return true;
    return false;
}

bool script_source_same_text(const ScriptSource& a, const ScriptSource& b)
{
    for (int32_t i = 0; i < SCRIPT_FILE_COUNT; ++i) {
        if (!a.text[i] != !b.text[i] || a.length[i] != b.length[i])
            return false;
        if (a.text[i] && std::memcmp(a.text[i], b.text[i], a.length[i]) != 0)
            return false;
    }
    return true;
}

ScriptTexts script_source_texts(const ScriptSource& source)
{
    ScriptTexts texts;
    for (int32_t i = 0; i < SCRIPT_FILE_COUNT; ++i) {
        texts.text[i] = source.text[i];
        texts.length[i] = source.length[i];
    }
    return texts;
}

void script_check(const ScriptSource& source, ScriptCheck& check)
{
    check = ScriptCheck{};
    const ScriptGlobals playing;
    const ArenaMark mark = arena_mark();
    location_begin(true);
    LogSink previous = diag_set_sink(&build_report_collect, &check.report);
    InitList* initList = nullptr;
    check.builds = session_build_script(&initList, script_source_texts(source)) == SessionStart::Built;
    diag_set_sink(previous, nullptr);
    if (check.builds && initList->count > SCRIPT_CHECK_MAX_INITS) {
        check.builds = false;
        char line[160];
        std::snprintf(line, sizeof line, "data/init.conf: %d init routines; the preview takes at most %d",
                      initList->count, SCRIPT_CHECK_MAX_INITS);
        build_report_add(check.report, line);
    } else if (check.builds) {
        check.initCount = initList->count;
        std::memcpy(check.inits, initList->routines, sizeof(Routine) * static_cast<size_t>(initList->count));
    } else if (!check.report.text[0]) {
        build_report_add(check.report, "the script does not build");
    }
    char problem[1024];
    if (!check.builds && script_files_problem("vigil", problem, sizeof problem))
        build_report_add(check.report, problem);
    // Nothing of the build may be used from here on: its memory goes back.
    location_begin(false);
    playing.put_back();
    arena_rewind(mark);
}

bool script_check_same_inits(const ScriptCheck& check, const InitList* list)
{
    return list && list->count == check.initCount &&
           std::memcmp(list->routines, check.inits, sizeof(Routine) * static_cast<size_t>(check.initCount)) == 0;
}
