// The lock that guards one published group of receiver state.
#pragma once

#include <mutex>

namespace zentrix::platform {

/// A kernel critical section: recursive, so that a thread that holds it may enter it again.
class CriticalSection {
public:
    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }
    bool try_lock() { return mutex_.try_lock(); }

private:
    std::recursive_mutex mutex_;
};

/// Holds a critical section for the life of a scope.
using CriticalSectionLock = std::lock_guard<CriticalSection>;

}  // namespace zentrix::platform
