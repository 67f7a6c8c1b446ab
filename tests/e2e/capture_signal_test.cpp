// vigil-capture stopped by a signal: the test build of the tool runs a long
// script in a scratch folder, in the background, and once its frame loop
// runs (the say_frames routine's line on standard error) it gets SIGTERM or
// SIGINT. It must end at once with 128 + the signal's number, with
// ffmpeg ended and reaped and nothing left in TMPDIR. Every wait has a
// deadline; none is a fixed sleep.
#include "tests/e2e/png_picture.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// How long a capture may take to end after the signal: a deadline, not a
// speed (it ends in a fraction of a second; the failure message gives the
// time). One that ignores the signal draws on for minutes, or for ever.
constexpr double STOP_SECONDS = 10.0;
// How long the tests wait for the frame loop, and for the end after the
// signal, before giving up.
constexpr double DEADLINE_SECONDS = 60.0;
constexpr double END_DEADLINE_SECONDS = 15.0;

double seconds_since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// One scene of `length` ms that says when the frame loop runs and fills the
// screen red, after the tone's music init.
void write_long_script(ScratchDir& dir, int length)
{
    dir.write("data/init.conf", "<init1>\nfunc = tone_music_init\n</init1>\n");
    dir.write("data/demo.conf", "<scenes>\n<a>\ntime_length = " + std::to_string(length) +
                                    "\n<routine>\nfunc = say_frames\n</routine>\n<routine>\nfunc = fill_red\n"
                                    "</routine>\n</a>\n</scenes>\n<order>\n<scene>\nscene_name = a\n</scene>\n"
                                    "</order>\n");
}

// Every process as (pid, parent, command name), from /proc. Read with
// stdio: a process may end while its file is read.
struct ProcessEntry {
    pid_t pid, parent;
    std::string name;
};

std::vector<ProcessEntry> processes()
{
    std::vector<ProcessEntry> list;
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        const std::string pid = it->path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::FILE* file = std::fopen((it->path() / "stat").c_str(), "r");
        if (!file)
            continue;
        char buffer[1024];
        const size_t n = std::fread(buffer, 1, sizeof buffer - 1, file);
        std::fclose(file);
        const std::string stat(buffer, n);
        // "PID (COMM) STATE PPID ...": the command may hold spaces and parentheses.
        const size_t open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        std::istringstream rest(stat.substr(close + 1));
        char state = 0;
        pid_t parent = 0;
        rest >> state >> parent;
        list.push_back({static_cast<pid_t>(std::stol(pid)), parent, stat.substr(open + 1, close - open - 1)});
    }
    return list;
}

// The descendants of `root` whose command name is `name`.
std::vector<pid_t> descendants_named(pid_t root, const std::string& name)
{
    const std::vector<ProcessEntry> list = processes();
    std::vector<pid_t> family{root}, found;
    for (size_t i = 0; i < family.size(); ++i)
        for (const ProcessEntry& entry : list)
            if (entry.parent == family[i]) {
                family.push_back(entry.pid);
                if (entry.name == name)
                    found.push_back(entry.pid);
            }
    return found;
}

size_t count_files(const std::string& dir)
{
    std::error_code error;
    size_t count = 0;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
        ++count;
    return count;
}

// The system call the main thread of `pid` is blocked in ("7" for poll on
// x86-64), or "" when /proc does not say.
std::string blocked_in(pid_t pid)
{
    std::FILE* file = std::fopen(("/proc/" + std::to_string(pid) + "/syscall").c_str(), "r");
    if (!file)
        return "";
    char buffer[64] = {};
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    const std::string text(buffer, n);
    return text.substr(0, text.find(' '));
}

// The test build of the capture, started in the current folder with
// `arguments` and TMPDIR set to `tmpDir` (and `path` before PATH when
// given); standard output and error are read through a pipe as it runs.
// Killed and reaped at the end if it is still running.
class BackgroundCapture {
public:
    BackgroundCapture(const std::vector<std::string>& arguments, const std::string& tmpDir,
                      const std::string& path = "")
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            dup2(fds[1], STDERR_FILENO);
            // The capture's handling must not depend on how the tests were
            // started (a shell's background job ignores SIGINT).
            for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
                signal(sig, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            setenv("TMPDIR", tmpDir.c_str(), 1);
            if (!path.empty())
                setenv("PATH", (path + ":" + getenv("PATH")).c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(VIGIL_TEST_CAPTURE)};
            for (const std::string& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            execv(VIGIL_TEST_CAPTURE, argv.data());
            _exit(127);
        }
        close(fds[1]);
        out = fds[0];
        fcntl(out, F_SETFL, O_NONBLOCK);
    }
    ~BackgroundCapture()
    {
        if (pid > 0 && !ended) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0)
            close(out);
    }
    BackgroundCapture(const BackgroundCapture&) = delete;
    BackgroundCapture& operator=(const BackgroundCapture&) = delete;

    // Reads what it wrote, waiting at most `ms` for more.
    void read_output(int ms)
    {
        pollfd ready{out, POLLIN, 0};
        if (out < 0 || poll(&ready, 1, ms) <= 0)
            return;
        char buffer[4096];
        for (ssize_t n; (n = read(out, buffer, sizeof buffer)) > 0;)
            output.append(buffer, static_cast<size_t>(n));
    }
    // Whether it has ended (then `status` holds its wait status).
    bool poll_end()
    {
        if (!ended && pid > 0 && waitpid(pid, &status, WNOHANG) == pid)
            ended = true;
        return ended;
    }
    // Waits until `condition` holds or the capture ends; true when the
    // condition held.
    bool wait_until(const std::function<bool()>& condition)
    {
        const Clock::time_point start = Clock::now();
        while (seconds_since(start) < DEADLINE_SECONDS) {
            read_output(20);
            if (condition())
                return true;
            if (poll_end())
                return false;
        }
        return false;
    }
    // Sends `sig` and waits for the end; the seconds it took (the deadline
    // when it did not end).
    double stop_with(int sig)
    {
        kill(pid, sig);
        const Clock::time_point start = Clock::now();
        while (!poll_end() && seconds_since(start) < END_DEADLINE_SECONDS)
            read_output(10);
        const double seconds = seconds_since(start);
        read_output(0);
        std::printf("the capture ended %.3f s after %s (%s)\n", seconds, strsignal(sig), how_it_ended().c_str());
        return seconds;
    }
    std::string how_it_ended() const
    {
        if (!ended)
            return "still running";
        if (WIFEXITED(status))
            return "exit status " + std::to_string(WEXITSTATUS(status));
        return std::string("killed by ") + strsignal(WTERMSIG(status));
    }
    bool exited_with(int code) const { return ended && WIFEXITED(status) && WEXITSTATUS(status) == code; }
    // "ended after S s with <how>", the start of every failure message.
    std::string ended_after(double seconds) const
    {
        std::string text = "ended after ";
        return text.append(std::to_string(seconds)).append(" s with ").append(how_it_ended());
    }
    // What every capture stopped by SIGINT or SIGTERM shows: the status
    // 128 + the signal's number, the end within the deadline, and the line
    // that names the signal. `summary` goes with each failure.
    void expect_stopped_by(int sig, double seconds, const std::string& summary) const
    {
        EXPECT_TRUE(exited_with(128 + sig)) << summary;
        EXPECT_LT(seconds, STOP_SECONDS) << summary;
        std::string line = "interrupted by ";
        line.append(sig == SIGINT ? "SIGINT" : "SIGTERM").append("; nothing more was written");
        EXPECT_NE(output.find(line), std::string::npos) << summary;
    }

    pid_t pid = -1;
    std::string output;

private:
    int out = -1;
    bool ended = false;
    int status = 0;
};

// While alive, this process adopts the orphans of its descendants, so that
// an ffmpeg the capture neither ended nor reaped shows up here.
class OrphanCatcher {
public:
    OrphanCatcher() { prctl(PR_SET_CHILD_SUBREAPER, 1); }
    ~OrphanCatcher()
    {
        // Whatever is left is ended and reaped, whatever the test found.
        for (const ProcessEntry& entry : processes())
            if (entry.parent == getpid())
                kill(entry.pid, SIGKILL);
        for (pid_t pid : descendants_named(getpid(), "ffmpeg"))
            kill(pid, SIGKILL);
        while (waitpid(-1, nullptr, 0) > 0 || errno == EINTR) {
        }
        prctl(PR_SET_CHILD_SUBREAPER, 0);
    }
    // "" when this process has no child left, else what is left.
    static std::string left()
    {
        int status = 0;
        const pid_t child = waitpid(-1, &status, WNOHANG);
        if (child < 0 && errno == ECHILD)
            return "";
        if (child == 0)
            return "a process is left under this test (ffmpeg: pids " + pids(descendants_named(getpid(), "ffmpeg")) + ")";
        return "pid " + std::to_string(child) + " had ended but nobody reaped it";
    }
    static std::string pids(const std::vector<pid_t>& list)
    {
        std::string text;
        for (pid_t pid : list) {
            if (!text.empty())
                text += ' ';
            text += std::to_string(pid);
        }
        return text.empty() ? "none" : text;
    }
};

} // namespace

// SIGTERM while ffmpeg encodes: the capture ends ffmpeg, removes the
// unfinished video and the temporary audio, and exits with 143.
TEST(CaptureSignals, SigtermDuringVideoEndsAtOnceAndLeavesNothing)
{
    if (system("command -v ffmpeg >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ffmpeg is not installed";
    ScratchDir dir;
    write_long_script(dir, 600000);
    fs::create_directories("tmp");
    const std::string tmpDir = fs::absolute("tmp").string();
    OrphanCatcher orphans;
    BackgroundCapture run({"--fps", "30", "--video", "out.mp4"}, tmpDir);
    ASSERT_GT(run.pid, 0);
    std::vector<pid_t> ffmpeg;
    ASSERT_TRUE(run.wait_until([&] {
        ffmpeg = descendants_named(run.pid, "ffmpeg");
        return run.output.find("frame\n") != std::string::npos && !ffmpeg.empty() && fs::exists("out.mp4");
    })) << "the capture never reached its frame loop with ffmpeg running (" << run.how_it_ended() << ")\n"
        << run.output;

    const double seconds = run.stop_with(SIGTERM);
    const size_t filesLeft = count_files(tmpDir);
    const std::string left = OrphanCatcher::left();
    const std::string summary = run.ended_after(seconds) + "; " + std::to_string(filesLeft) +
                                " files left in TMPDIR; ffmpeg was pid " + OrphanCatcher::pids(ffmpeg) + "\n" +
                                run.output;
    run.expect_stopped_by(SIGTERM, seconds, summary);
    EXPECT_EQ(filesLeft, 0u) << summary;
    EXPECT_EQ(left, "") << summary;
    EXPECT_FALSE(fs::exists("out.mp4")) << "the unfinished video stays\n" << summary;
}

// SIGINT (Ctrl-C) while frames are written: exit 130 at once; the
// frames written before are whole pictures.
TEST(CaptureSignals, SigintDuringFramesEndsAtOnce)
{
    ScratchDir dir;
    write_long_script(dir, 600000);
    fs::create_directories("tmp");
    BackgroundCapture run({"--fps", "30", "--frames", "out"}, fs::absolute("tmp").string());
    ASSERT_GT(run.pid, 0);
    ASSERT_TRUE(run.wait_until([&] {
        return run.output.find("frame\n") != std::string::npos && fs::exists("out/frame_000001.png");
    })) << "no frame was written (" << run.how_it_ended() << ")\n"
        << run.output;

    const double seconds = run.stop_with(SIGINT);
    const std::string summary = run.ended_after(seconds) + "\n" + run.output;
    run.expect_stopped_by(SIGINT, seconds, summary);
    size_t frames = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator("out")) {
        ++frames;
        EXPECT_EQ(read_png(entry.path().string()).width, 1024) << entry.path() << " is not a whole picture";
    }
    EXPECT_GE(frames, 2u);
    EXPECT_EQ(count_files("tmp"), 0u);
}

// SIGINT while a contact sheet steps through ten hours of timeline: exit
// 130 at once, and no sheet.
TEST(CaptureSignals, SigintDuringContactSheetEndsAtOnce)
{
    ScratchDir dir;
    write_long_script(dir, 36000000);
    fs::create_directories("tmp");
    BackgroundCapture run({"--fps", "30", "--every", "3600", "--contact-sheet", "sheet.png"},
                          fs::absolute("tmp").string());
    ASSERT_GT(run.pid, 0);
    ASSERT_TRUE(run.wait_until([&] { return run.output.find("frame\n") != std::string::npos; }))
        << "the frame loop never ran (" << run.how_it_ended() << ")\n"
        << run.output;

    const double seconds = run.stop_with(SIGINT);
    const std::string summary = run.ended_after(seconds) + "\n" + run.output;
    run.expect_stopped_by(SIGINT, seconds, summary);
    EXPECT_FALSE(fs::exists("sheet.png")) << summary;
}

// The waits on ffmpeg notice the signal too: a stand-in ffmpeg that never
// reads a frame (the capture waits for room in the pipe) and one that reads
// them all but never ends (the capture waits for the end of the video).
// Each is signalled once the capture's main thread sleeps in poll.
TEST(CaptureSignals, WaitsOnFfmpegEndAtOnce)
{
    struct Case {
        const char* what;
        const char* script; // the stand-in ffmpeg; touches "started" once it runs
        int length;         // ms of timeline
        const char* ready;  // the file that says the capture waits where meant
    } const cases[] = {
        {"waiting for room in the pipe", "touch started\nexec sleep 600\n", 600000, "started"},
        {"waiting for ffmpeg to end", "touch started\ncat >/dev/null\ntouch drained\nexec sleep 600\n", 300,
         "drained"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        write_long_script(dir, c.length);
        dir.write("bin/ffmpeg", std::string("#!/bin/sh\n") + c.script);
        fs::permissions("bin/ffmpeg", fs::perms::owner_all);
        fs::create_directories("tmp");
        OrphanCatcher orphans;
        BackgroundCapture run({"--fps", "10", "--video", "out.mp4"}, fs::absolute("tmp").string(),
                              fs::absolute("bin").string());
        ASSERT_GT(run.pid, 0);
        ASSERT_TRUE(run.wait_until([&] {
            const std::string call = blocked_in(run.pid);
            return fs::exists(c.ready) && (call.empty() || call == std::to_string(SYS_poll));
        })) << c.what << ": the capture never got there (" << run.how_it_ended() << ")\n"
            << run.output;

        const double seconds = run.stop_with(SIGTERM);
        const std::string left = OrphanCatcher::left();
        const std::string summary = std::string(c.what) + ": " + run.ended_after(seconds) + "; " +
                                    std::to_string(count_files("tmp")) + " files left in TMPDIR\n" + run.output;
        run.expect_stopped_by(SIGTERM, seconds, summary);
        EXPECT_EQ(left, "") << summary;
        EXPECT_EQ(count_files("tmp"), 0u) << summary;
    }
}
