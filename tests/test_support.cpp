// Log capture and scratch directories for the unit tests.
#include "tests/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

static void capture_line(const char* text, void* user) { static_cast<LogCapture*>(user)->lines.emplace_back(text); }

LogCapture::LogCapture() : previous_(diag_set_sink(&capture_line, this)) {}

LogCapture::~LogCapture() { diag_set_sink(previous_, nullptr); }

ScratchDir::ScratchDir()
{
    std::string pattern = (fs::temp_directory_path() / "vigil-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    path_ = pattern;
    previous_ = fs::current_path().string();
    fs::current_path(path_);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(path_, ignored);
}

void ScratchDir::write(const std::string& relativePath, const std::string& content)
{
    fs::path target = fs::path(path_) / relativePath;
    fs::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << content;
}
