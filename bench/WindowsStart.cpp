// tolmarin-bench-win: the Windows program's start and Save. Each start is a
// new tolmarin.exe process beside its data files, as a user starts it, timed
// until its window is shown and the process waits for input. One JSON line
// per folder on standard output; a table and the targets on standard error.

#include "DataSet.h"
#include "Measure.h"
#include "Options.h"

#include <FormLayout.h>
#include <HQ.h>
#include <WideText.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <windows.h>
#include <psapi.h>

namespace {

// A tolmarin.exe started in a data folder, and its window.
struct Started {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
};

struct Figures {
    DataSet set;
    std::vector<double> startMs, filledMs, anonKb, saveMs;
    double firstSaveMs = NAN;
    std::vector<std::string> failures;
};

std::string folderOf(const std::string& path) { return path.substr(0, path.find_last_of("\\/")); }

HWND shownWindowOf(DWORD processId)
{
    for (HWND window = nullptr; (window = ::FindWindowExW(nullptr, window, win32ui::kWindowClass, nullptr));) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId && ::IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

void stop(Started& started)
{
    if (started.window)
        ::PostMessageW(started.window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(started.process.hProcess, 10'000) != WAIT_OBJECT_0)
        ::TerminateProcess(started.process.hProcess, 1);
    ::CloseHandle(started.process.hProcess);
    ::CloseHandle(started.process.hThread);
}

// Starts the folder's tolmarin.exe; `ms` from before the process is made
// until the window is shown and its event loop has answered a message.
Started start(const std::string& folder, double& ms)
{
    const std::wstring exe = win32ui::toWide(folder + "\\tolmarin.exe");
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    Started started;
    const Clock::time_point begin = Clock::now();
    check(::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           win32ui::toWide(folder).c_str(), &startup, &started.process),
          "CreateProcess " + folder);
    // The window shows before its first paint, which the event loop follows.
    // (WaitForInputIdle would wait, under Wine, for work done while idle.)
    while (!(started.window = shownWindowOf(started.process.dwProcessId)) && msSince(begin) < 60'000
           && ::WaitForSingleObject(started.process.hProcess, 1) == WAIT_TIMEOUT) {
    }
    DWORD_PTR answer = 0;
    const bool idle = started.window && ::SendMessageTimeoutW(started.window, WM_NULL, 0, 0, SMTO_NORMAL, 60'000, &answer);
    ms = msSince(begin);
    if (!idle) {
        stop(started);
        check(false, "no window shown and idle in " + folder);
    }
    return started;
}

// The process's memory of its own. Wine reports none for another process,
// but its Linux side shows as Z:\proc: the RssAnon of the process whose
// command line is `commandLine`.
double anonymousKb(HANDLE process, const std::wstring& commandLine)
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    check(::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters),
          "GetProcessMemoryInfo");
    if (counters.PrivateUsage > 0)
        return static_cast<double>(counters.PrivateUsage) / 1024.0;
    for (const auto& entry : std::filesystem::directory_iterator("Z:\\proc")) {
        std::ifstream cmdline(entry.path() / "cmdline", std::ios::binary);
        std::string first;
        std::getline(cmdline, first, '\0');
        if (!first.empty() && win32ui::toWide(first) == commandLine)
            return statusKb((entry.path() / "status").string(), "RssAnon");
    }
    throw std::runtime_error("no memory figure for the process");
}

HWND controlOf(HWND window, entry::Control id)
{
    const auto& design = entry::design(id);
    HWND parent = design.inFrame ? controlOf(window, entry::Control::Frame1) : window;
    return ::GetDlgItem(parent, win32ui::kFirstControlId + static_cast<int>(id));
}

// Waits until the combo boxes, filled while the window is idle, hold every
// branch and reason.
void waitFilled(HWND window, const DataSetSize& size)
{
    auto count = [&](entry::Control id) { return ::SendMessageW(controlOf(window, id), CB_GETCOUNT, 0, 0); };
    const Clock::time_point begin = Clock::now();
    while (count(entry::Control::Text1) != LRESULT(size.branches) || count(entry::Control::Text2) != LRESULT(size.reasons)) {
        check(msSince(begin) < 60'000, "the combo boxes were not filled");
        ::Sleep(1);
    }
}

// One Save by a click on Command1, sent to the other process: SendMessage
// returns once its handler has. Kinds in turn: both texts known, a new
// branch, a new reason, both new.
double save(HWND window, int number)
{
    auto setText = [&](entry::Control id, const std::wstring& text) {
        ::SendMessageW(controlOf(window, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    };
    const std::wstring tag = std::to_wstring(number);
    setText(entry::Control::Label1, L"07 Mar 2016");
    setText(entry::Control::Text1, number % 4 == 1 || number % 4 == 3 ? L"New branch " + tag : L"Main");
    setText(entry::Control::Text2, number % 4 >= 2 ? L"New reason " + tag : L"Audit");
    HWND button = controlOf(window, entry::Control::Command1);
    const Clock::time_point begin = Clock::now();
    ::SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    // And the repaint that follows, which would otherwise run into the next
    // folder's Save.
    ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double ms = msSince(begin);
    wchar_t caption[16] = {};
    ::SendMessageW(controlOf(window, entry::Control::Label1), WM_GETTEXT, 16, reinterpret_cast<LPARAM>(caption));
    check(std::wstring(caption) == L"DATE", "the Save did not end");
    return ms;
}

template <typename Work>
void attempt(Figures& figures, const char* job, Work work)
{
    try {
        work();
    } catch (const std::exception& error) {
        figures.failures.push_back(std::string(job) + ": " + error.what());
    }
}

double medianOf(const std::vector<double>& values) { return values.empty() ? NAN : median(values); }

double ratio(double a, double b) { return b > 0 ? a / b : NAN; }

void report(const std::vector<Figures>& all, const Options& options)
{
    const Figures& empty = all.front();
    std::fprintf(stderr, "\ntolmarin.exe started %d times a folder; start_ms and anon_kb medians, save_ms of %d Saves.\n\n",
                 options.runs, options.saves);
    std::fprintf(stderr, "| entries / branches / reasons | file_kb | start_ms | filled_ms | anon_kb | anon_growth_kb | save_ms | "
                         "first_save_ms |\n|---|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Figures& f : all) {
        const DataSetSize& size = f.set.size;
        const double anon = medianOf(f.anonKb), growth = anon - medianOf(empty.anonKb);
        std::printf("{\"set\":\"%s\",\"entries\":%zu,\"branches\":%zu,\"reasons\":%zu,\"file_kb\":%.0f,\"start_ms\":%.1f,"
                    "\"filled_ms\":%.1f,\"anon_kb\":%.0f,\"anon_growth_kb\":%.0f,\"save_ms\":%.2f,\"first_save_ms\":%.2f}\n",
                    size.name().c_str(), size.entries, size.branches, size.reasons, f.set.fileBytes / 1024.0,
                    medianOf(f.startMs), medianOf(f.filledMs), anon, growth, medianOf(f.saveMs), f.firstSaveMs);
        std::fprintf(stderr, "| %zu / %zu / %zu | %.0f | %.1f | %.1f | %.0f | %.0f | %.2f | %.2f |\n", size.entries,
                     size.branches, size.reasons, f.set.fileBytes / 1024.0, medianOf(f.startMs), medianOf(f.filledMs), anon, growth, medianOf(f.saveMs),
                     f.firstSaveMs);
        for (const std::string& failure : f.failures)
            std::fprintf(stderr, "FAILED %s: %s\n", size.name().c_str(), failure.c_str());
    }
    if (options.smoke)
        return;
    std::fprintf(stderr, "\n| folder | start / empty start | anon_growth_kb / (1.25 file_kb + 10240) | save / empty save |\n"
                         "|---|---:|---:|---:|\n");
    for (std::size_t i = 1; i < all.size(); ++i) {
        const Figures& f = all[i];
        const double most = f.set.size.branches >= 100'000 ? 2.0 : 1.5;
        const double start = ratio(medianOf(f.startMs), medianOf(empty.startMs));
        const double memory = ratio(medianOf(f.anonKb) - medianOf(empty.anonKb), 1.25 * f.set.fileBytes / 1024.0 + 10240);
        const double saves = ratio(medianOf(f.saveMs), medianOf(empty.saveMs));
        auto verdict = [](double value, double target) { return value <= target ? "met" : "NOT MET"; };
        std::fprintf(stderr, "| %s | %.2f (<= %.1f) %s | %.2f (<= 1) %s | %.2f (<= 1.2) %s |\n",
                     f.set.size.name().c_str(), start, most, verdict(start, most), memory, verdict(memory, 1),
                     saves, verdict(saves, 1.2));
    }
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    try {
        options = parseOptions(argc, argv, "1000000,1000000:100000:100000", "1000:20:30");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    // By default the program of the same build: build/bench/ beside build/win32/.
    const std::string program =
        options.program.empty() ? folderOf(win32ui::toUtf8(self)) + "\\..\\win32\\tolmarin.exe" : options.program;
    const std::string base = (options.baseDirectory.empty() ? std::filesystem::temp_directory_path().string()
                                                            : options.baseDirectory)
                           + "\\tolmarin-bench-win-" + std::to_string(::GetCurrentProcessId());

    std::vector<Figures> all;
    try {
        for (const DataSetSize& size : options.sizes) {
            const std::string folder = base + "\\" + size.name();
            all.emplace_back().set = createDataSet(folder, size);
            check(::CopyFileW(win32ui::toWide(program).c_str(), win32ui::toWide(folder + "\\tolmarin.exe").c_str(),
                              FALSE),
                  "copy " + program);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    // One start not counted: the first process of Wine's session loads its
    // libraries from the disk.
    attempt(all.front(), "start", [&] {
        double ms = 0;
        Started first = start(all.front().set.directory, ms);
        stop(first);
    });
    // The folders take turns, so drift on the machine hits all alike.
    for (int run = 0; run < options.runs; ++run) {
        for (Figures& figures : all) {
            attempt(figures, "start", [&] {
                double ms = 0;
                Started started = start(figures.set.directory, ms);
                figures.startMs.push_back(ms);
                const Clock::time_point shown = Clock::now();
                attempt(figures, "fill", [&] {
                    waitFilled(started.window, figures.set.size);
                    figures.filledMs.push_back(ms + msSince(shown));
                });
                attempt(figures, "memory", [&] {
                    const std::wstring exe = win32ui::toWide(figures.set.directory + "\\tolmarin.exe");
                    figures.anonKb.push_back(anonymousKb(started.process.hProcess, exe));
                });
                stop(started);
            });
        }
    }
    // One window a folder, all open; their Saves in turn. The first builds
    // the known-text index and is reported apart.
    std::vector<Started> windows(all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        attempt(all[i], "save", [&] {
            double ms = 0;
            windows[i] = start(all[i].set.directory, ms);
            all[i].firstSaveMs = save(windows[i].window, 0);
        });
    }
    for (int number = 1; number <= options.saves; ++number) {
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (windows[i].window && all[i].failures.empty())
                attempt(all[i], "save", [&] { all[i].saveMs.push_back(save(windows[i].window, number)); });
        }
    }
    for (Started& started : windows) {
        if (started.process.hProcess)
            stop(started);
    }
    report(all, options);
    if (!options.keep)
        std::filesystem::remove_all(base);
    for (const Figures& figures : all) {
        if (!figures.failures.empty() || figures.startMs.empty() || figures.saveMs.empty())
            return 1;
    }
    return 0;
}
