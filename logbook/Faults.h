#pragma once
// A seam through which tests make any file step fail, as a full disk or a
// broken device would. Production code never installs a hook.

#include <cstddef>
#include <functional>
#include <string_view>

namespace logbook::faults {

enum class Step { Open, Create, Lock, Stat, Read, Write, Sync, Truncate, Close, SyncDirectory };

struct Action {
    int error = 0;        // non-zero: the step fails with this errno
    long maxBytes = -1;   // Write only: >= 0 writes at most this many bytes

    // How much of `bytes` a write may take under this action.
    std::size_t limit(std::size_t bytes) const
    {
        return maxBytes >= 0 && static_cast<std::size_t>(maxBytes) < bytes ? static_cast<std::size_t>(maxBytes)
                                                                            : bytes;
    }
};

using Hook = std::function<Action(Step step, std::string_view path)>;

// Installs `hook` (an empty function removes it).
void setHook(Hook hook);
// What the installed hook says of this step; no hook means no fault.
Action check(Step step, std::string_view path);

// "Open", "Write", ...: for test output.
const char* stepName(Step step);

} // namespace logbook::faults
