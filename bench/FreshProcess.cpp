#include "FreshProcess.h"
#include "Floor.h"
#include "Measure.h"
#include "Window.h"

#include <QApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const char* const kProgramName = "tolmarin";

// The time, the peak memory and the memory of its own while the window was
// open (or now, for the floor's ways).
void printFigures(double ms, long anonKb = statusKb("RssAnon"), PaintTimes paint = {})
{
    std::printf("%.4f %ld %ld %.4f %.4f\n", ms, statusKb("VmHWM"), anonKb, paint.topMs, paint.endMs);
}

std::vector<char*> pointers(std::vector<std::string>& texts)
{
    std::vector<char*> result;
    for (std::string& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

std::string programPath(const DataSet& set) { return set.directory + "/" + kProgramName; }

} // namespace

RunResult runInChild(const std::string& job, const DataSet& set, const std::string& warmDirectory)
{
    std::vector<std::string> args = {"tolmarin-bench", "--child", job, set.directory, warmDirectory,
                                     std::to_string(set.size.entries), std::to_string(set.size.branches),
                                     std::to_string(set.size.reasons), std::to_string(set.size.singleLineBytes)};
    std::vector<char*> argv = pointers(args);

    int out[2];
    if (::pipe(out) < 0)
        throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::execv("/proc/self/exe", argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    RunResult result;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0
        || std::sscanf(text.c_str(), "%lf %ld %ld %lf %lf", &result.ms, &result.peakKb, &result.anonKb,
                       &result.paint.topMs, &result.paint.endMs)
               != 5)
        throw std::runtime_error("the " + job + " run on " + set.directory + " failed");
    return result;
}

int runChild(int argc, char** argv)
{
    // --child JOB DIR WARMDIR ENTRIES BRANCHES REASONS SINGLELINEBYTES
    if (argc != 9)
        return 2;
    const std::string job = argv[2];
    DataSet set;
    set.directory = argv[3];
    const std::string warm = argv[4];
    set.size = {std::stoul(argv[5]), std::stoul(argv[6]), std::stoul(argv[7]), std::stoul(argv[8])};
    try {
        for (FloorWay way : kFloorWays) {
            if (job == floorWayName(way)) {
                printFigures(timeFloor(way, set));
                return 0;
            }
        }
        QApplication app(argc, argv);
        DataSet empty;
        empty.directory = warm;
        const bool naive = job == "naive";
        naive ? timeNaiveStartup(empty) : timeStartup(empty);
        long anonKb = 0;
        PaintTimes paint;
        const double ms = naive ? timeNaiveStartup(set) : timeStartup(set, &anonKb, &paint);
        printFigures(ms, anonKb, paint);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tolmarin-bench: %s\n", error.what());
        return 1;
    }
}

void placeProgram(const DataSet& set)
{
    // A link where the folders share the program's file system, else a copy.
    std::error_code linked;
    std::filesystem::create_hard_link(TOLMARIN_PROGRAM, programPath(set), linked);
    if (linked)
        std::filesystem::copy_file(TOLMARIN_PROGRAM, programPath(set), std::filesystem::copy_options::overwrite_existing);
}

double timeExec(const DataSet& set)
{
    int painted[2];
    if (::pipe(painted) < 0)
        throw std::runtime_error("pipe failed");
    ::fcntl(painted[0], F_SETFD, FD_CLOEXEC); // the write end alone is the program's
    std::vector<std::string> args = {programPath(set)};
    std::vector<std::string> environment = {"TOLMARIN_FIRST_PAINT_FD=" + std::to_string(painted[1])};
    for (char** variable = environ; *variable; ++variable) {
        if (std::strncmp(*variable, "TOLMARIN_FIRST_PAINT_FD=", 24) != 0)
            environment.emplace_back(*variable);
    }
    std::vector<char*> argv = pointers(args);
    std::vector<char*> envp = pointers(environment);

    const auto start = Clock::now();
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data());
    ::close(painted[1]);
    if (spawned != 0) {
        ::close(painted[0]);
        throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(spawned));
    }
    // Any log paints within a second or two; 20 s is a window that hangs.
    pollfd wait{painted[0], POLLIN, 0};
    int ready;
    while ((ready = ::poll(&wait, 1, 20'000)) < 0 && errno == EINTR) {
    }
    char byte = 0;
    const bool paint = ready == 1 && ::read(painted[0], &byte, 1) == 1;
    const double ms = msSince(start);
    ::close(painted[0]);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    check(paint, "the program on " + set.directory + " painted its window");
    return ms;
}
