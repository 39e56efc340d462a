// googletest's thread start signal for MinGW's win32 thread model, which has no
// std::mutex or std::condition_variable. Only googletest's own threads wait on
// it, and only briefly, so spinning is enough.
#pragma once

#include <atomic>

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_.store(true, std::memory_order_release); }
    void WaitForNotification() {
        while (!notified_.load(std::memory_order_acquire)) {
        }
    }

private:
    std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
