// Scope guards for the handlers' "finally" and "on failure" blocks: the
// action runs when the scope ends (Finally) or only when it ends by an
// exception (OnFailure), which then passes on unchanged.
#pragma once

#include <exception>
#include <utility>

#include "vcl/exceptions.h"

namespace vcl {

template <class Action>
class Finally {
public:
    explicit Finally(Action action) : action_(std::move(action)) {}
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;
    ~Finally() { action_(); }

private:
    Action action_;
};

template <class Action>
class OnFailure {
public:
    explicit OnFailure(Action action) : action_(std::move(action)) {}
    OnFailure(const OnFailure&) = delete;
    OnFailure& operator=(const OnFailure&) = delete;
    ~OnFailure() {
        if (std::uncaught_exceptions() > uncaught_) {
            action_();
        }
    }

private:
    Action action_;
    int uncaught_ = std::uncaught_exceptions();
};

// Runs body; when it fails (the silent abort or an error), runs recover and
// lets the failure pass on. Unlike OnFailure, recover may itself raise.
template <class Body, class Recover>
void RunRecovering(Body&& body, Recover&& recover) {
    try {
        body();
    } catch (const EAbort&) {
        recover();
        throw;
    } catch (const std::exception&) {
        recover();
        throw;
    }
}

}  // namespace vcl
