// Script interface: the init list and the scene word list built from the
// parameter tree, with every check in the order a user meets them.
#include "script/script_interface.h"

#include "base/log.h"
#include "params/location.h"
#include "params/param.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

Routine* g_init_list = nullptr;
ScriptWord* g_scene_words = nullptr;
int32_t g_scene_word_count = 0;

namespace {

// Builds the tree from the three files, loading each through `load`, and the
// lists after the first two.
template <typename Load>
int32_t build_interface(Load load, ScriptErrors errors = ScriptErrors::StopAtFirst)
{
    ParamManager* root = new (std::nothrow) ParamManager();
    if (!root) {
        diag_log("Error: Out of memory while creating the parameter tree!\n");
        return 0;
    }
    const bool all = errors == ScriptErrors::ReportAll;
    load(root, 0);
    const bool inits = BuildInitList(errors);
    if (!inits && !all)
        return 0;
    load(root, 1);
    const bool scenes = BuildSceneList(errors);
    if (!scenes && !all)
        return 0;
    load(root, 2);
    return inits && scenes;
}

} // namespace

int32_t InitScriptInterface(ScriptErrors errors)
{
    return build_interface([](ParamManager* root, int32_t file) { root->Load(SCRIPT_FILE_NAMES[file]); }, errors);
}

int32_t InitScriptInterface(const ScriptTexts& texts)
{
    return build_interface([&texts](ParamManager* root, int32_t file) {
        if (texts.text[file])
            root->LoadText(SCRIPT_FILE_NAMES[file], texts.text[file], texts.length[file]);
    });
}

int32_t BuildInitList(ScriptErrors errors)
{
    g_init_list = nullptr;
    ParamSet* root = g_param_root;
    if (!root) {
        diag_log("Error: No parameter tree to build the init list from!\n");
        return 0;
    }
    std::vector<ParamSet*> sets;
    for (int i = 1;; ++i) {
        ParamSet* set = root->GetSet("init" + std::to_string(i));
        if (!set)
            break;
        sets.push_back(set);
    }

    Routine* list = new (std::nothrow) Routine[sets.size() + 1];
    if (!list) {
        diag_log("Error: Out of memory while building the init list!\n");
        return 0;
    }
    bool built = true;
    for (size_t i = 0; i < sets.size(); ++i) {
        Routine routine = FuncTable_GetFunc(sets[i], "func", false);
        if (routine == routine_error()) {
            if (errors == ScriptErrors::StopAtFirst)
                return 0;
            built = false;
        }
        list[i] = routine;
    }
    if (!built)
        return 0;
    list[sets.size()] = nullptr;
    g_init_list = list;
    return 1;
}

namespace {

// Appends one played scene to `words`; 0 after printing why it failed.
int32_t append_scene(std::vector<ScriptWord>& words, ParamSet* entry, int orderIndex, ParamSet* scenes,
                     int64_t& start, ScriptErrors errors)
{
    Param* nameParam = entry->Find("scene_name");
    if (!nameParam) {
        DiagSubject subject(entry);
        diag_log("Error: Couldn't find scene_name tag in order %i!\n", orderIndex);
        return 0;
    }
    std::string sceneName = nameParam->ToString();
    ParamSet* definition = scenes ? scenes->GetSet(sceneName) : nullptr;
    if (!definition) {
        DiagSubject subject(nameParam);
        diag_log("Error: Couldn't find scene %s in scene list!\n", sceneName.c_str());
        return 0;
    }
    int32_t routineCount = 0;
    for (Param* child : definition->Children())
        if (child->IsSet() && child->HasName("routine"))
            ++routineCount;
    Param* length = definition->Find("time_length");
    if (!length) {
        DiagSubject subject(definition);
        diag_log("Error: Couldn't find time_length tag in scene %s!\n", sceneName.c_str());
        return 0;
    }
    // Accepted, but the next scene then starts inside this one's time.
    if (length->GetInt() < 0) {
        DiagSubject subject(length);
        diag_log("Warning: Scene %s in order %i has a negative time_length of %d ms: the next scene starts %d ms "
                 "into its own animation!\n",
                 sceneName.c_str(), orderIndex, length->GetInt(), -length->GetInt());
    }
    words.push_back(static_cast<ScriptWord>(start));
    words.push_back(routineCount);
    bool routinesFound = true;
    for (Param* child : definition->Children()) {
        if (!child->IsSet())
            continue;
        if (!child->HasName("routine")) {
            DiagSubject subject(child);
            diag_log("Error: Number of actual routines does not match number of specified routines in "
                     "scene '%s'!\n",
                     sceneName.c_str());
            return 0;
        }
        Routine routine = FuncTable_GetFunc(static_cast<ParamSet*>(child), "func", false);
        if (routine == routine_error()) {
            if (errors == ScriptErrors::StopAtFirst)
                return 0;
            routinesFound = false;
        }
        words.push_back(word_of(routine));
    }
    if (!routinesFound)
        return 0;
    words.push_back(0); // the second routine list, always empty

    ParamSet* transition = entry->GetSet("transition");
    Param* transitionLength = nullptr;
    if (!transition) {
        words.push_back(0);
    } else {
        words.push_back(1);
        // All four hooks are resolved, and reported, before any is tested.
        Routine prefunc = FuncTable_GetFunc(transition, "prefunc", true);
        Routine postfunc = FuncTable_GetFunc(transition, "postfunc", true);
        Routine prefuncInit = FuncTable_GetFunc(transition, "prefunc_init", true);
        Routine postfuncInit = FuncTable_GetFunc(transition, "postfunc_init", true);
        transitionLength = transition->Find("time_length");
        if (prefunc == routine_error() || postfunc == routine_error() || prefuncInit == routine_error() ||
            postfuncInit == routine_error())
            return 0;
        if (!transitionLength) {
            DiagSubject subject(transition);
            std::string transitionName = transition->GetString("func", "");
            diag_log("Error: Found transition set in order %i with transition '%s' but no transition time "
                     "length specified!\n",
                     orderIndex, transitionName.c_str());
            return 0;
        }
        words.push_back(transitionLength->GetInt());
        words.push_back(word_of(prefunc));
        words.push_back(word_of(prefuncInit));
        words.push_back(word_of(postfunc));
        words.push_back(word_of(postfuncInit));
    }

    const int64_t sceneStart = start;
    start += length->GetInt();
    // Starts are 32-bit milliseconds; a timeline that leaves that range (a
    // huge or very negative length in the file) would wrap into nonsense.
    if (start > INT32_MAX || start < INT32_MIN) {
        DiagSubject subject(length);
        diag_log("Error: Scene %s in order %i ends outside the timeline's range of milliseconds!\n",
                 sceneName.c_str(), orderIndex);
        return 0;
    }
    // The frame loop's windows run from the scene's start plus the length and
    // from the next start minus it; both must be 32-bit milliseconds too.
    if (transitionLength) {
        const int64_t width = transitionLength->GetInt();
        if (sceneStart + width > INT32_MAX || sceneStart + width < INT32_MIN || start - width > INT32_MAX ||
            start - width < INT32_MIN) {
            DiagSubject subject(transitionLength);
            diag_log("Error: Transition in order %i has a time_length of %lld ms, which reaches outside the "
                     "timeline's range of milliseconds!\n",
                     orderIndex, static_cast<long long>(width));
            return 0;
        }
    }
    return 1;
}

} // namespace

int32_t BuildSceneList(ScriptErrors errors)
{
    g_scene_words = nullptr;
    g_scene_word_count = 0;
    ParamSet* root = g_param_root;
    if (!root) {
        diag_log("Error: No parameter tree to build the scene list from!\n");
        return 0;
    }
    ParamSet* order = root->GetSet("order");
    ParamSet* scenes = root->GetSet("scenes");
    if (!order) {
        diag_log("Error: Couldn't find the order set!\n");
        return 0;
    }

    std::vector<ParamSet*> entries;
    int32_t setCount = order->GetSetCount();
    for (int32_t i = 0; i < setCount; ++i) {
        ParamSet* set = order->GetSetByIndex(static_cast<uint32_t>(i));
        if (set->HasName("scene"))
            entries.push_back(set);
    }
    if (!entries.empty() && !scenes) {
        DiagSubject subject(order);
        diag_log("Error: Couldn't find the scenes set!\n");
        return 0;
    }

    std::vector<ScriptWord> words;
    int64_t start = 0;
    bool built = true;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!append_scene(words, entries[i], static_cast<int>(i), scenes, start, errors)) {
            if (errors == ScriptErrors::StopAtFirst)
                return 0;
            built = false;
        }
    }
    if (!built)
        return 0;
    words.push_back(static_cast<ScriptWord>(start));
    words.push_back(0);
    words.push_back(0);
    words.push_back(0);

    ScriptWord* list = new (std::nothrow) ScriptWord[words.size()];
    if (!list) {
        diag_log("Error: Out of memory while building the scene list!\n");
        return 0;
    }
    std::memcpy(list, words.data(), words.size() * sizeof(ScriptWord));
    g_scene_words = list;
    g_scene_word_count = static_cast<int32_t>(words.size());
    return 1;
}
