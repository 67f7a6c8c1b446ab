// vigil-assetgen: writes every embedded file of the demo into assets/data/
// (or --out DIR), or, with --check, compares what it would write with what
// is there. The output depends on nothing but this program. With
// --contact-sheet it generates nothing and draws the pictures that are in
// that folder into one PNG instead.
#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/contact_sheet.h"
#include "tools/common/picture_writer.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

const char* const USAGE =
    "usage: vigil-assetgen [--out DIR] [--check | --contact-sheet FILE.png]\n"
    "  --out DIR                 where to write the files (default: assets/data)\n"
    "  --check                   write nothing; exit 1 when a file differs from what would be written\n"
    "  --contact-sheet FILE.png  generate nothing; draw every picture found in DIR into one PNG\n"
    "  --help, -h                this text\n"
    "Run it from the repository's root, where assets/data is, or pass --out.\n";

} // namespace

int main(int argc, char** argv)
{
    std::string out = "assets/data";
    bool check = false;
    std::string sheet;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(USAGE, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            out = argv[++i];
        } else if (std::strcmp(argv[i], "--check") == 0) {
            check = true;
        } else if (std::strcmp(argv[i], "--contact-sheet") == 0 && i + 1 < argc) {
            sheet = argv[++i];
        } else {
            std::fprintf(stderr, "vigil-assetgen: unknown argument \"%s\"\n%s", argv[i], USAGE);
            return 2;
        }
    }

    if (!sheet.empty()) {
        if (check) {
            std::fprintf(stderr, "vigil-assetgen: --check and --contact-sheet exclude each other\n%s", USAGE);
            return 2;
        }
        std::string error;
        if (!write_contact_sheet(out, sheet, error)) {
            std::fprintf(stderr, "vigil-assetgen: %s\n", error.c_str());
            return 1;
        }
        std::printf("contact sheet of %s written to %s\n", out.c_str(), sheet.c_str());
        return 0;
    }

    GeneratedFiles files;
    generate_interface_pictures(files);
    generate_scene_pictures(files);
    generate_model_files(files);
    generate_soundtrack(files);

    int differing = 0, missing = 0;
    std::error_code ignored;
    const std::string where = fs::absolute(out, ignored).string();
    if (check && !fs::is_directory(out, ignored)) {
        std::fprintf(stderr,
                     "vigil-assetgen: there is no folder %s to check: run from the repository's root, where "
                     "assets/data is, or pass --out DIR\n",
                     where.c_str());
        return 1;
    }
    if (!check) {
        std::error_code error;
        fs::create_directories(out, error);
        if (error) {
            std::fprintf(stderr, "vigil-assetgen: cannot create %s: %s\n", out.c_str(), error.message().c_str());
            return 1;
        }
    }
    for (const GeneratedFile& file : files) {
        fs::path path = fs::path(out) / file.name;
        std::string reason;
        if (check) {
            std::vector<uint8_t> bytes;
            if (!fs::exists(path, ignored)) {
                std::fprintf(stderr, "vigil-assetgen: %s is missing\n", path.c_str());
                ++missing;
                continue;
            }
            const bool read = read_file(path, bytes, &reason);
            if (!read)
                std::fprintf(stderr, "vigil-assetgen: cannot read %s: %s\n", path.c_str(), reason.c_str());
            if (!read || bytes != file.bytes) {
                std::fprintf(stderr, "vigil-assetgen: %s differs from what the generator makes\n", path.c_str());
                ++differing;
            }
            continue;
        }
        if (!write_file(path, file.bytes, &reason)) {
            std::fprintf(stderr, "vigil-assetgen: cannot write %s: %s\n", path.c_str(), reason.c_str());
            return 1;
        }
        std::printf("%-28s %9zu bytes\n", file.name.c_str(), file.bytes.size());
    }
    if (check && missing)
        std::printf("%zu files checked in %s, %d differ, %d missing\n", files.size(), where.c_str(), differing,
                    missing);
    else if (check)
        std::printf("%zu files checked, %d differ\n", files.size(), differing);
    return differing || missing ? 1 : 0;
}
