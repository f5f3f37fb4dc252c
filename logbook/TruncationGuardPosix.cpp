#include "TruncationGuard.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <pthread.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

namespace logbook {

namespace {

// A fixed table, read by the handler without locks or allocation: a slot is
// free while `start` is 0, claimed while it is 1, and in use above that. Its
// generation is odd while the slot changes and grows with every change, so
// the handler never takes a start and an end from two different mappings.
struct Slot {
    std::atomic<std::uint64_t> generation{0};
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
        const std::uint64_t generation = slot.generation.load();
        const std::uintptr_t start = slot.start.load();
        const std::uintptr_t end = slot.end.load();
        if (generation % 2 != 0 || slot.generation.load() != generation || start <= kClaimed || at < start || at >= end)
            continue;
        void* page = reinterpret_cast<void*>(at & ~(pageSize - 1));
        return ::mmap(page, pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED;
    }
    return false;
}

// Runs the handler installed before the guard as the system would have:
// once only if it asked for that (the guard stays for the data files), with
// its mask added, and with the bus error itself unblocked if it asked.
void passOn(int signal, siginfo_t* info, void* context)
{
    const struct sigaction handler = previous;
    if (handler.sa_flags & SA_RESETHAND) {
        previous.sa_flags = 0;
        previous.sa_handler = SIG_DFL;
    }
    sigset_t during = static_cast<ucontext_t*>(context)->uc_sigmask, before;
    ::sigorset(&during, &during, &handler.sa_mask);
    if (!(handler.sa_flags & SA_NODEFER))
        ::sigaddset(&during, SIGBUS);
    ::pthread_sigmask(SIG_SETMASK, &during, &before);
    if (handler.sa_flags & SA_SIGINFO)
        handler.sa_sigaction(signal, info, context);
    else
        handler.sa_handler(signal);
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

void onBusError(int signal, siginfo_t* info, void* context)
{
    const int savedErrno = errno;
    // Only an access past a file's end: a misaligned access would fault
    // again for ever, and a hardware memory error is no truncation. A
    // SIGBUS sent by a program names no address.
    if (info && info->si_code == BUS_ADRERR && patch(info->si_addr)) {
        errno = savedErrno;
        return; // the read is made again, now of zeros
    }
    if (previous.sa_handler != SIG_IGN && previous.sa_handler != SIG_DFL) {
        passOn(signal, info, context);
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
        if (!slot.start.compare_exchange_strong(free, kClaimed))
            continue;
        ++slot.generation;
        slot.end = reinterpret_cast<std::uintptr_t>(start) + length;
        slot.start = reinterpret_cast<std::uintptr_t>(start);
        ++slot.generation;
        return true;
    }
    return false;
}

void unguardMapping(const void* start)
{
    for (Slot& slot : slots) {
        std::uintptr_t named = reinterpret_cast<std::uintptr_t>(start);
        if (!slot.start.compare_exchange_strong(named, kClaimed))
            continue;
        ++slot.generation;
        slot.end = 0;
        slot.start = 0;
        ++slot.generation;
        return;
    }
}

} // namespace logbook
