// What a writing method checks and does at the end of its transaction,
// before COMMIT: the call's deadline, and keeping its answer with the
// call's idempotency key in the same transaction.
#pragma once

#include <soci/soci.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string_view>

#include "vcl/wire.h"

namespace server {

inline constexpr std::string_view kBusyText = "Banco de dados ocupado; tente novamente";

// The call's deadline passed before it could commit: nothing is written.
class DeadlineExceeded : public std::runtime_error {
public:
    DeadlineExceeded() : std::runtime_error("the call's deadline passed before its commit") {}
};

struct CallGuard {
    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline = Clock::time_point::max();
    // Stores the answer under the call's key, on the transaction's session.
    std::function<void(soci::session&, const vcl::wire::Answer&)> keep{};

    bool Expired() const { return Clock::now() >= deadline; }

    // DeadlineExceeded when the deadline has passed; else keeps the answer.
    void BeforeCommit(soci::session& session, const vcl::wire::Answer& answer) const {
        if (Expired())
            throw DeadlineExceeded();
        if (keep)
            keep(session, answer);
        if (Expired())
            throw DeadlineExceeded();
    }
};

}  // namespace server
