// vigil-capture's command line.
#include "tools/capture/capture.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

bool parse_number(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value);
}

// Output paths are taken relative to where the tool was started, before
// --dir changes the working directory.
std::string absolute(const char* path)
{
    return std::filesystem::absolute(path).lexically_normal().string();
}

} // namespace

bool parse_capture_options(int argc, char** argv, CaptureOptions& options, std::string& error)
{
    bool everyGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string flag = argv[i];
        auto value = [&](const char*& out) {
            if (i + 1 >= argc) {
                error = flag + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        const char* text = nullptr;
        double number = 0.0;
        if (flag == "--help" || flag == "-h") {
            options.help = true;
            return true;
        } else if (flag == "--letterbox") {
            options.letterbox = true;
        } else if (flag == "--check") {
            options.check = true;
        } else if (flag == "--log") {
            options.log = true;
        } else if (flag == "--bench") {
            options.bench = true;
        } else if (flag == "--dir") {
            if (!value(text))
                return false;
            options.dir = text;
        } else if (flag == "--frames" || flag == "--loading" || flag == "--video" || flag == "--contact-sheet") {
            if (!value(text))
                return false;
            if (!*text) {
                error = flag + " needs a non-empty path";
                return false;
            }
            (flag == "--frames"          ? options.framesDir
             : flag == "--loading"       ? options.loadingDir
             : flag == "--contact-sheet" ? options.sheetFile
                                         : options.videoFile) = absolute(text);
        } else if (flag == "--fps") {
            if (!value(text))
                return false;
            if (!parse_number(text, number) || number != std::floor(number) || number < 1 || number > 1000) {
                error = "--fps takes a whole number from 1 to 1000, not \"" + std::string(text) + "\"";
                return false;
            }
            options.fps = static_cast<int>(number);
        } else if (flag == "--every") {
            if (!value(text))
                return false;
            if (!parse_number(text, number) || number < 0.1) {
                error = "--every takes seconds (a number of at least 0.1), not \"" + std::string(text) + "\"";
                return false;
            }
            options.every = number;
            everyGiven = true;
        } else if (flag == "--from" || flag == "--to") {
            if (!value(text))
                return false;
            if (!parse_number(text, number) || number < 0) {
                error = flag + " takes seconds (a number of at least 0), not \"" + std::string(text) + "\"";
                return false;
            }
            (flag == "--from" ? options.from : options.to) = number;
        } else {
            error = "unknown argument \"" + flag + "\"";
            return false;
        }
    }
    if (options.to >= 0 && options.to < options.from) {
        error = "--to must not come before --from";
        return false;
    }
    // Drawing the whole demo for nothing takes minutes: say so at once.
    if (options.framesDir.empty() && options.loadingDir.empty() && options.videoFile.empty() &&
        options.sheetFile.empty() && !options.check && !options.bench) {
        error = "nothing to write: give --frames, --video, --contact-sheet, --loading, --check or --bench";
        return false;
    }
    if (everyGiven && options.sheetFile.empty()) {
        error = "--every is the contact sheet's interval: it needs --contact-sheet";
        return false;
    }
    return true;
}
