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

} // namespace logbook::faults
