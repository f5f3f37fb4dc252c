#include "TruncationGuard.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace logbook {

namespace {

// A fixed table, read by the handler without locks or allocation: a slot is
// free while `start` is 0, claimed while it is 1, and in use above that.
struct Slot {
    std::atomic<std::uintptr_t> start{0};
    std::atomic<std::uintptr_t> end{0};
};
constexpr std::uintptr_t kClaimed = 1;
Slot slots[64];

struct sigaction previous;
std::uintptr_t pageSize;

bool patch(void* address)
{
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    for (const Slot& slot : slots) {
        const std::uintptr_t start = slot.start.load(std::memory_order_acquire);
        if (start <= kClaimed || at < start || at >= slot.end.load(std::memory_order_acquire))
            continue;
        void* page = reinterpret_cast<void*>(at & ~(pageSize - 1));
        return ::mmap(page, pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED;
    }
    return false;
}

void onBusError(int signal, siginfo_t* info, void* context)
{
    const int savedErrno = errno;
    // Only a fault the kernel raised names an address; a SIGBUS sent by a
    // program does not.
    if (info && info->si_code > 0 && patch(info->si_addr)) {
        errno = savedErrno;
        return; // the read is made again, now of zeros
    }
    if (previous.sa_flags & SA_SIGINFO) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler != SIG_IGN && previous.sa_handler != SIG_DFL) {
        previous.sa_handler(signal);
    } else if (previous.sa_handler == SIG_DFL || info->si_code > 0) {
        // As without the guard: the default action, which ends the program
        // once this handler returns.
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        ::sigaction(SIGBUS, &fallback, nullptr);
        ::raise(SIGBUS);
    }
    errno = savedErrno;
}

void install()
{
    pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    struct sigaction guard {};
    guard.sa_sigaction = onBusError;
    guard.sa_flags = SA_SIGINFO | SA_RESTART;
    ::sigemptyset(&guard.sa_mask);
    ::sigaction(SIGBUS, &guard, &previous);
}

} // namespace

bool guardMapping(const void* start, std::size_t length)
{
    static std::once_flag installed;
    std::call_once(installed, install);
    for (Slot& slot : slots) {
        std::uintptr_t free = 0;
        if (!slot.start.compare_exchange_strong(free, kClaimed, std::memory_order_acq_rel))
            continue;
        slot.end.store(reinterpret_cast<std::uintptr_t>(start) + length, std::memory_order_release);
        slot.start.store(reinterpret_cast<std::uintptr_t>(start), std::memory_order_release);
        return true;
    }
    return false;
}

void unguardMapping(const void* start)
{
    for (Slot& slot : slots) {
        std::uintptr_t named = reinterpret_cast<std::uintptr_t>(start);
        if (slot.start.compare_exchange_strong(named, 0, std::memory_order_acq_rel))
            return;
    }
}

} // namespace logbook
