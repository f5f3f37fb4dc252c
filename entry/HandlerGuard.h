#pragma once
// The front ends run every handler through this guard, so that a failure no
// handler deals with itself (memory running out, a system call failing in a
// way nobody foresaw) is told to the user instead of ending the program
// without a word.

#include "Controls.h"

#include <exception>
#include <string>

namespace entry {

// What the user is told when a handler failed.
std::string handlerFailureMessage(const std::exception& error);

class HandlerGuard {
public:
    explicit HandlerGuard(Platform& platform) : platform_(platform) {}

    // Runs `handler`, unless one failed before. Returns false once a handler
    // has failed: the failure has been shown, and the front end ends the
    // program. Going on could do harm, since a handler stopped half-way
    // leaves the form's state half changed (a Save stopped after storing its
    // line would store it again).
    template<typename Handler> bool run(Handler&& handler)
    {
        if (failed_)
            return false;
        try {
            handler();
            return true;
        } catch (const std::exception& error) {
            failed_ = true;
            platform_.showError(handlerFailureMessage(error));
            return false;
        }
    }
    bool failed() const { return failed_; }

private:
    Platform& platform_;
    bool failed_ = false;
};

} // namespace entry
