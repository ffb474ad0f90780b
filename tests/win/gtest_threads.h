// GoogleTest builds its Notification, which only its own tests use, on
// std::mutex, and the compiler's win32 thread model has no std::mutex. This
// one waits on an atomic flag; GoogleTest takes it in place of its own.
#pragma once

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_.store(true); }
    void WaitForNotification() const
    {
        while (!notified_.load()) {
        }
    }

private:
    std::atomic<bool> notified_{false};
};

} // namespace testing::internal
