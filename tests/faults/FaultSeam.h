#pragma once
// A fault hook for the matrix tests: records every file step the program
// takes and plays back one fault at a chosen step.

#include <Faults.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct SeamCall {
    logbook::faults::Step step;
    std::string path;
};

struct InjectedFault {
    std::size_t call = 0; // index among all calls the seam sees
    int error = 0;        // the errno the call fails with
    // Write only, >= 0: the write takes this many bytes; the next write then
    // fails with `error`, or goes through when `error` is 0.
    long shortWrite = -1;
};

class FaultSeam {
public:
    explicit FaultSeam(std::optional<InjectedFault> fault = std::nullopt)
        : fault_(fault)
    {
        logbook::faults::setHook([this](logbook::faults::Step step, std::string_view path) {
            return onCall(step, path);
        });
    }
    ~FaultSeam() { logbook::faults::setHook({}); }
    FaultSeam(const FaultSeam&) = delete;
    FaultSeam& operator=(const FaultSeam&) = delete;

    const std::vector<SeamCall>& calls() const { return calls_; }
    std::size_t count(logbook::faults::Step step, const std::string& path) const
    {
        std::size_t n = 0;
        for (const SeamCall& call : calls_)
            n += call.step == step && call.path == path;
        return n;
    }

private:
    logbook::faults::Action onCall(logbook::faults::Step step, std::string_view path)
    {
        const std::size_t index = calls_.size();
        calls_.push_back({step, std::string(path)});
        if (!fault_)
            return {};
        if (index == fault_->call) {
            if (fault_->shortWrite >= 0) {
                // A zero-byte write is itself the failure (a full disk).
                failNextWrite_ = fault_->error != 0 && fault_->shortWrite > 0;
                return {0, fault_->shortWrite};
            }
            return {fault_->error};
        }
        if (failNextWrite_ && step == logbook::faults::Step::Write) {
            failNextWrite_ = false;
            return {fault_->error};
        }
        return {};
    }

    std::optional<InjectedFault> fault_;
    bool failNextWrite_ = false;
    std::vector<SeamCall> calls_;
};

} // namespace testing_support
