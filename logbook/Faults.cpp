#include "Faults.h"

namespace logbook::faults {

namespace {
Hook& installedHook()
{
    static Hook hook;
    return hook;
}
} // namespace

void setHook(Hook hook) { installedHook() = std::move(hook); }

Action check(Step step, std::string_view path)
{
    const Hook& hook = installedHook();
    return hook ? hook(step, path) : Action{};
}

const char* stepName(Step step)
{
    switch (step) {
    case Step::Open: return "Open";
    case Step::Create: return "Create";
    case Step::Lock: return "Lock";
    case Step::Stat: return "Stat";
    case Step::Read: return "Read";
    case Step::Write: return "Write";
    case Step::Sync: return "Sync";
    case Step::Truncate: return "Truncate";
    case Step::Close: return "Close";
    case Step::SyncDirectory: return "SyncDirectory";
    }
    return "?";
}

} // namespace logbook::faults
