// Helpers shared by the unit tests: a diagnostic-log capture, a scratch working directory, and what the test
// routines registered in the function table (test_routines.cpp) saw.
#pragma once
#include "base/log.h"

#include <string>
#include <vector>

// Collects every diagnostic line while alive.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    std::vector<std::string> lines;

private:
    LogSink previous_;
};

// A fresh temporary directory that is the working directory while alive.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    // Writes `content` to `relativePath`, creating parent directories.
    void write(const std::string& relativePath, const std::string& content);

private:
    std::string path_;
    std::string previous_;
};

// What the registered test routines saw on their last call.
struct RoutineCalls {
    int frameCalls, hookCalls, initCalls;
    double lastT, lastDt;
};
extern RoutineCalls g_routine_calls;
