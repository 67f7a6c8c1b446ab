// The command line shared by main and WinMain (see command_line.h).
#include "app/command_line.h"

#include "app/driver.h"
#include "app/preview.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

const char* const USAGE =
    "usage: vigil                                   play the demo\n"
    "       vigil --preview [--dir DIR] [--at SECONDS] [--paused] [--loop] [--overlay]\n"
    "  --preview      a 1024x640 window for authors: live reload of data/*.conf, and the keys\n"
    "                 Space pause, Left/Right -5/+5 s, Page Up/Down previous/next scene,\n"
    "                 Home beginning, L loop the scene, F overlay, Escape quit\n"
    "  --dir DIR      the folder holding data/*.conf (default: the current folder)\n"
    "  --at SECONDS   start at this music position\n"
    "  --paused       start paused there; --loop loop its scene; --overlay show the overlay\n";

} // namespace

int run_command_line(int argc, char** argv)
{
    if (argc < 2)
        return run_player();
    if (std::strcmp(argv[1], "--preview") != 0) {
        std::fprintf(stderr, "vigil: unknown argument \"%s\"\n%s", argv[1], USAGE);
        return 2;
    }
    PreviewOptions options;
    std::string dir, error;
    if (!parse_preview_options(argc, argv, 2, options, dir, error)) {
        std::fprintf(stderr, "vigil: %s\n%s", error.c_str(), USAGE);
        return 2;
    }
    if (!dir.empty()) {
        std::error_code failed;
        std::filesystem::current_path(dir, failed);
        if (failed) {
            std::fprintf(stderr, "vigil: cannot enter %s: %s\n", dir.c_str(), failed.message().c_str());
            return 2;
        }
    }
    return run_preview(options);
}
