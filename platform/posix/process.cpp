// The preview's file and process services on POSIX (see platform/process.h):
// stat for file stamps (device, inode, size, modification and change
// times), fork for the isolated check, execv of /proc/self/exe for the
// restart, CLOCK_MONOTONIC for timings across it.
#include "platform/process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

static int64_t nanoseconds(const timespec& time)
{
    return int64_t{time.tv_sec} * 1000000000 + time.tv_nsec;
}

FileStamp file_stamp(const char* path)
{
    FileStamp stamp;
    struct stat info;
    if (stat(path, &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = static_cast<uint64_t>(info.st_dev);
    stamp.inode = static_cast<uint64_t>(info.st_ino);
    stamp.size = static_cast<int64_t>(info.st_size);
    stamp.modifiedNs = nanoseconds(info.st_mtim);
    stamp.changedNs = nanoseconds(info.st_ctim);
    return stamp;
}

int run_isolated(int (*check)(std::string& output), std::string& output)
{
    output.clear();
    int fds[2];
    if (pipe(fds) != 0) {
        output = std::string("cannot make a pipe: ") + std::strerror(errno);
        return -1;
    }
    std::fflush(nullptr);
    pid_t child = fork();
    if (child < 0) {
        output = std::string("cannot fork: ") + std::strerror(errno);
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (child == 0) {
        // The copy has only this thread; it runs the check and leaves at once
        // through _exit, without running any of the parent's exit handlers.
        close(fds[0]);
        std::string text;
        int result = check(text);
        for (size_t done = 0; done < text.size();) {
            ssize_t n = write(fds[1], text.data() + done, text.size() - done);
            if (n <= 0)
                break;
            done += static_cast<size_t>(n);
        }
        _exit(result == 1 ? 0 : 1);
    }
    close(fds[1]);
    char buffer[4096];
    for (;;) {
        ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n > 0)
            output.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status) == 0 ? 1 : 0;
    output += "the script check died with signal " + std::to_string(WTERMSIG(status)) + "\n";
    return -1;
}

void restart_program(const std::vector<std::string>& args, std::string& error)
{
    std::vector<char*> argv;
    static char name[] = "vigil";
    argv.push_back(name);
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::fflush(nullptr);
    execv("/proc/self/exe", argv.data());
    error = std::string("cannot restart the program: ") + std::strerror(errno);
}

double monotonic_seconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}
