#pragma once
// Runs save_child and checks the data files it leaves behind.

#include <Text.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace testing_support {

// A running save_child whose stdout comes back through a pipe.
class SaveChild {
public:
    SaveChild(const std::string& folder, const std::string& tag, long count, const std::string& errorFile)
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0644);
        const std::string countText = std::to_string(count);
        const char* argv[] = {SAVE_CHILD, folder.c_str(), tag.c_str(), countText.c_str(), nullptr};
        int rc = ::posix_spawn(&pid_, SAVE_CHILD, &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        out_ = fds[0];
        if (rc != 0)
            throw std::runtime_error(std::string("cannot start save_child: ") + std::strerror(rc));
    }
    ~SaveChild()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            wait();
        }
        if (out_ >= 0)
            ::close(out_);
    }
    SaveChild(const SaveChild&) = delete;
    SaveChild& operator=(const SaveChild&) = delete;

    void kill() { ::kill(pid_, SIGKILL); }

    // Everything the child printed, once it has closed its end.
    std::string output()
    {
        while (readSome()) {
        }
        return output_;
    }

    // Takes what the pipe holds now; false at its end.
    bool readSome()
    {
        char buffer[65536];
        for (;;) {
            ssize_t n = ::read(out_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            output_.append(buffer, static_cast<std::size_t>(n));
            return true;
        }
    }
    int outputFd() const { return out_; }

    // The wait status.
    int wait()
    {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return status;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string output_;
};

// Reads the children's output as it comes, so none stalls on a full pipe,
// until every child has closed its end.
inline void drain(const std::vector<SaveChild*>& children)
{
    std::vector<pollfd> fds;
    for (SaveChild* child : children)
        fds.push_back({child->outputFd(), POLLIN, 0});
    std::size_t open = fds.size();
    while (open > 0) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("poll failed");
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd >= 0 && fds[i].revents != 0 && !children[i]->readSome()) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

// One Save the child reported as returned.
struct ReportedSave {
    std::string entry, branch, reason;
};

inline std::vector<ReportedSave> parseReports(const std::string& output)
{
    std::vector<ReportedSave> saves;
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        ReportedSave save;
        std::istringstream fields(line);
        std::getline(fields, save.entry, '\t');
        std::getline(fields, save.branch, '\t');
        std::getline(fields, save.reason, '\t');
        saves.push_back(save);
    }
    if (!output.empty() && output.back() != '\n')
        ADD_FAILURE() << "a report line was cut: " << output.substr(output.rfind('\n') + 1);
    return saves;
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The lines of a data file written only by the program.
struct DataFileLines {
    std::vector<std::string> whole;
    // Records a kill cut short where the kernel copies a write page by page:
    // it checks for a fatal signal before each page, so a write that crosses
    // a page boundary can end after the first page. No program can prevent
    // that with an append-only file; it can only start the next record on a
    // line of its own, which the checks below hold it to.
    std::vector<std::string> cutAtPageBoundary;
};

// Every line must end in CR LF and be a record `isRecord` accepts: a stray
// CR or LF means two lines glued or one torn. The one exception is a record
// cut off exactly at a page boundary (see above), which must then be ended
// so the next record stands on its own line.
inline DataFileLines readDataFile(const std::string& bytes, const std::string& name,
                                  const std::function<bool(const std::string&)>& isRecord)
{
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    DataFileLines lines;
    std::size_t begin = 0;
    while (begin < bytes.size()) {
        std::size_t end = bytes.find("\r\n", begin);
        const bool ended = end != std::string::npos;
        if (!ended)
            end = bytes.size();
        std::string line = bytes.substr(begin, end - begin);
        if (ended && line.find_first_of("\r\n") == std::string::npos && logbook::isValidUtf8(line)
            && isRecord(line)) {
            lines.whole.push_back(std::move(line));
        } else if (end % page == 0 && !line.empty() && line.find_first_of("\r\n") == std::string::npos) {
            lines.cutAtPageBoundary.push_back(std::move(line));
        } else {
            ADD_FAILURE() << name << ": torn or glued line at byte " << begin << (ended ? "" : " (no CR LF)")
                          << ": " << line;
        }
        begin = end + 2;
    }
    return lines;
}

} // namespace testing_support
