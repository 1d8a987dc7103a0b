// A desktop that cannot start (database or application server unreachable,
// package missing) says so in a window, in Portuguese, and exits cleanly;
// the detail goes to the log (standard error).
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

#include "vcl/exceptions.h"

namespace zrmqt {

// What the user reads, and the detail for the log.
class StartupFailure : public vcl::Error {
public:
    StartupFailure(std::string userText, const std::string& detail)
        : vcl::Error(detail.empty() ? userText : detail), userText_(std::move(userText)) {}
    const std::string& UserText() const { return userText_; }

private:
    std::string userText_;
};

// The user's text for a failure at start-up: a StartupFailure's own, else a
// general one (the detail never reaches the window).
std::string StartupFailureText(const std::exception& failure);

// Logs the failure and, when `showWindow` (not on a tour, which no one
// watches), shows it in a window until the user closes it. Returns the exit
// status.
int ReportStartupFailure(const std::exception& failure, bool showWindow);

}  // namespace zrmqt
