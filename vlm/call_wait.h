// A server call running in the background, as the host sees it while it
// waits: elapsed time, bytes of the answer received so far, whether it ended.
// The host's waiter keeps its windows alive meanwhile and may let the user
// abandon the call.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace vlm {

class TCallProgress {
public:
    std::chrono::milliseconds Elapsed() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                     started_);
    }
    std::uint64_t Received() const { return received_.load(); }
    bool Done() const { return done_.load(); }

    // Written by the thread that runs the call.
    void SetReceived(std::uint64_t bytes) { received_.store(bytes); }
    void Finish() { done_.store(true); }

private:
    const std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::atomic<std::uint64_t> received_{0};
    std::atomic<bool> done_{false};
};

class ICallWaiter {
public:
    virtual ~ICallWaiter() = default;
    // Runs on the calling thread until progress.Done(); false when the user
    // cancelled the call first.
    virtual bool Wait(const TCallProgress& progress) = 0;
};

}  // namespace vlm
