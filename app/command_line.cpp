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
    "usage: vigil [--dir DIR]                       play the demo\n"
    "       vigil --preview [--dir DIR] [--at SECONDS] [--paused] [--loop] [--overlay]\n"
    "       vigil --help                            this text\n"
    "The demo asks \"Fullscreen?\" first (Return: Yes, Escape: No); Escape ends it.\n"
    "  --preview      a 1024x640 window for authors: live reload of data/*.conf, and the keys\n"
    "                 Space pause, Left/Right -5/+5 s, Page Up/Down previous/next scene,\n"
    "                 Home beginning, L loop the scene, F overlay, Escape quit\n"
    "  --dir DIR      the folder holding data/*.conf (default: the current folder)\n"
    "  --at SECONDS   start at this music position\n"
    "  --paused       start paused there; --loop loop its scene; --overlay show the overlay\n";

// Enters the folder that holds data/; false, with the reason printed, when it cannot.
bool enter(const std::string& dir)
{
    std::error_code failed;
    std::filesystem::current_path(dir, failed);
    if (failed)
        std::fprintf(stderr, "vigil: cannot enter %s: %s\n", dir.c_str(), failed.message().c_str());
    return !failed;
}

} // namespace

int run_command_line(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(USAGE, stdout);
            return 0;
        }
    if (argc < 2)
        return run_player();
    if (std::strcmp(argv[1], "--dir") == 0) {
        if (argc != 3) {
            std::fprintf(stderr, "vigil: %s\n%s", argc < 3 ? "--dir needs a folder" : "--dir DIR takes nothing after it",
                         USAGE);
            return 2;
        }
        return enter(argv[2]) ? run_player() : 2;
    }
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
    if (!dir.empty() && !enter(dir))
        return 2;
    return run_preview(options);
}
