#pragma once
// What every part of the benchmark measures with.

#include <algorithm>
#include <chrono>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A figure of a process's status file in kB, such as "VmHWM" or "RssAnon".
inline long statusKb(const std::string& file, const std::string& name)
{
    std::ifstream status(file);
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(name + ":", 0) == 0)
            return std::stol(line.substr(name.size() + 1));
    }
    throw std::runtime_error("no " + name + " in " + file);
}

inline long statusKb(const std::string& name) { return statusKb("/proc/self/status", name); }

// A figure taken from a run that went wrong is no figure: stop.
inline void check(bool condition, const std::string& what)
{
    if (!condition)
        throw std::runtime_error("check failed: " + what);
}
