// Real Saves in child processes killed at random moments.

#include <TempDir.h>
#include <Text.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <sys/wait.h>

using namespace testing_support;

namespace {

// Runs save_child saving into `folder`, killed after `delay` microseconds
// unless that is negative: the entry lines it reported as saved, one a line.
std::string save(const std::string& folder, const std::string& tag, long count, long delay, int& status)
{
    const std::string command = "echo $$; exec " SAVE_CHILD " " + folder + " " + tag + " " + std::to_string(count);
    FILE* out = ::popen(command.c_str(), "r");
    char buffer[65536];
    const pid_t pid = std::atoi(std::fgets(buffer, sizeof buffer, out));
    if (delay >= 0 && ::usleep(static_cast<useconds_t>(delay)) == 0)
        ::kill(pid, SIGKILL);
    std::string reported;
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
        reported.append(buffer, n);
    status = ::pclose(out);
    return reported;
}

} // namespace

TEST(Crash, KilledAtRandomMomentsEveryReturnedSaveIsStoredWhole)
{
    const char *iterations = std::getenv("TOLMARIN_KILL_ITERATIONS"), *longRun = std::getenv("TOLMARIN_LONG");
    const long kills = iterations ? std::atol(iterations) : longRun && std::atol(longRun) == 1 ? 20000 : 300;
    const char* seedText = std::getenv("TOLMARIN_KILL_SEED");
    const auto seed = static_cast<unsigned>(seedText ? std::atol(seedText) : std::random_device{}());
    std::printf("[ crash ] %ld kills, seed %u (TOLMARIN_KILL_SEED repeats a run)\n", kills, seed);
    std::mt19937 random(seed);
    TempDir dir, scratch;
    // Kills fall within the time a child takes to start and make 10 Saves,
    // so they land in start-up, inside Saves and between them alike.
    int status = 0;
    const auto started = std::chrono::steady_clock::now();
    save(scratch.str(), "c", 10, -1, status);
    const auto window = std::chrono::steady_clock::now() - started;
    ASSERT_EQ(status, 0);
    std::uniform_int_distribution<long> delay(0, std::chrono::duration_cast<std::chrono::microseconds>(window).count());
    std::string reported;
    for (long i = 0; i < kills; ++i) {
        reported += save(dir.str(), "k" + std::to_string(i), 0, delay(random), status);
        ASSERT_TRUE(WIFSIGNALED(status)) << "save_child ended by itself at kill " << i;
    }

    // Every line is whole and ends in CR LF, but for a record a kill cut at a
    // page boundary (the kernel copies a write page by page, checking for a
    // fatal signal before each): the next record must still start a new line.
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::string entries;
    for (const char* name : {"TOLM.LyS", "Branch.LyS", "Reason.LyS"}) {
        const std::string bytes = dir.read(name);
        for (std::size_t begin = 0, end; begin < bytes.size(); begin = end + 2) {
            end = std::min(bytes.find("\r\n", begin), bytes.size());
            const std::string line = bytes.substr(begin, end - begin);
            const bool whole = end < bytes.size() && (name[0] != 'T' || logbook::characterCount(line) == 60);
            EXPECT_TRUE(line.find_first_of("\r\n") == std::string::npos && logbook::isValidUtf8(line)
                        && (whole || (!line.empty() && end % page == 0))) << name << ": torn or glued line at " << begin;
            if (name[0] == 'T' && whole)
                entries += line + "\n";
        }
    }
    // Every Save that returned is there, once, in the order it returned.
    std::size_t at = 0;
    for (std::size_t begin = 0, end; (end = reported.find('\n', begin)) != std::string::npos; begin = end + 1) {
        const std::string entry = reported.substr(begin, end + 1 - begin);
        at = entries.find(entry, at);
        ASSERT_NE(at, std::string::npos) << "a returned Save is missing: " << entry;
        EXPECT_EQ(entries.find(entry, at + 1), std::string::npos) << "stored twice: " << entry;
    }
    std::printf("[ crash ] %zu Saves returned\n", std::count(reported.begin(), reported.end(), '\n'));
}
