// Benchmark: how parse time grows with the size of a parameter file. Writes
// files of 10,000 and 40,000 keys in two shapes and loads each into a fresh
// tree, with the player's arena behind operator new:
//
//   flat    every key in one set
//   nested  ten sets, each holding a twentieth of the keys directly and
//           sets of ten keys for the other twentieth
//
//   vigil-bench-param-parse [RUNS]
//
// Prints the best time of RUNS loads (default 3) per file, the arena bytes a
// load used, and per shape the ratio of the 40,000-key time to the
// 10,000-key time: 4 is linear growth, 16 quadratic.
#include "base/arena.h"
#include "params/param.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string flat_file(int keys)
{
    std::string text = "<settings>\n";
    for (int i = 0; i < keys; ++i)
        text += "key_" + std::to_string(i) + " = " + std::to_string(i % 977) + "\n";
    return text + "</settings>\n";
}

std::string nested_file(int keys)
{
    const int groups = 10;
    const int direct = keys / groups / 2;
    const int items = direct / 10;
    std::string text;
    for (int g = 0; g < groups; ++g) {
        text += "<group_" + std::to_string(g) + ">\n";
        for (int i = 0; i < direct; ++i) {
            text += "  key_" + std::to_string(i) + " = word_" + std::to_string(i % 31) + "\n";
            if (i % 10 != 0 || i / 10 >= items)
                continue;
            text += "  <item_" + std::to_string(i / 10) + ">\n";
            for (int k = 0; k < 10; ++k)
                text += "    value_" + std::to_string(k) + " = " + std::to_string(k * i) + "\n";
            text += "  </item_" + std::to_string(i / 10) + ">\n";
        }
        text += "</group_" + std::to_string(g) + ">\n";
    }
    return text;
}

struct Timing {
    double seconds;
    int32_t arenaBytes;
    bool complete; // the last key of the file is in the tree
};

Timing time_load(const std::string& path, const char* lastKey, int runs)
{
    Timing best{1e9, 0, false};
    for (int run = 0; run < runs; ++run) {
        if (!arena_create(DEMO_ARENA_SIZE)) {
            std::fprintf(stderr, "vigil-bench-param-parse: no arena\n");
            std::exit(1);
        }
        auto start = std::chrono::steady_clock::now();
        auto* root = new ParamManager();
        root->Load(path);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best.complete = root->Find(lastKey) != nullptr;
        best.arenaBytes = g_arena.used;
        best.seconds = std::min(best.seconds, seconds);
        arena_release();
    }
    return best;
}

bool write_file(const std::string& path, const std::string& text)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    char folder[] = "/tmp/vigil-param-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        std::fprintf(stderr, "vigil-bench-param-parse: cannot make a scratch folder\n");
        return 1;
    }
    const struct {
        const char* shape;
        std::string (*make)(int keys);
        const char* lastKey[2]; // for 10,000 and 40,000 keys
    } shapes[] = {
        {"flat", flat_file, {"settings.key_9999", "settings.key_39999"}},
        {"nested", nested_file, {"group_9.item_49.value_9", "group_9.item_199.value_9"}},
    };
    const int sizes[2] = {10000, 40000};
    int status = 0;
    for (const auto& shape : shapes) {
        double seconds[2] = {};
        for (int s = 0; s < 2; ++s) {
            const std::string path = std::string(folder) + "/" + shape.shape + ".conf";
            const std::string text = shape.make(sizes[s]);
            if (!write_file(path, text)) {
                std::fprintf(stderr, "vigil-bench-param-parse: cannot write %s\n", path.c_str());
                return 1;
            }
            Timing timing = time_load(path, shape.lastKey[s], runs);
            std::remove(path.c_str());
            seconds[s] = timing.seconds;
            std::printf("%-6s %5d keys, %7zu bytes: %8.4f s, %9d arena bytes%s\n", shape.shape, sizes[s],
                        text.size(), timing.seconds, timing.arenaBytes,
                        timing.complete ? "" : "  (INCOMPLETE: the last key is missing)");
            if (!timing.complete)
                status = 1;
        }
        std::printf("%-6s 40000 / 10000 keys: %.2fx\n", shape.shape, seconds[1] / seconds[0]);
    }
    rmdir(folder);
    return status;
}
