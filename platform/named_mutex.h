// A mutex with a name, shared by every process of the same handheld (device root).
//
// The program runs once per handheld: a second start must see that the first one owns the name.
// An advisory lock on a file of the device root does that, and the kernel drops it when its
// owner ends for any reason, so a crashed program never keeps the name.
#pragma once

#include <string>

namespace zentrix::platform {

class NamedMutex {
  public:
    /// Takes the name at once, as a mutex created with initial ownership. `alreadyExisted()` then
    /// tells whether another process holds it; this object owns it otherwise.
    explicit NamedMutex(const std::string& name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    bool owned() const { return fd_ >= 0; }
    bool alreadyExisted() const { return alreadyExisted_; }
    /// Gives the name up (closing the handle).
    void release();

  private:
    int fd_ = -1;
    bool alreadyExisted_ = false;
};

}  // namespace zentrix::platform
