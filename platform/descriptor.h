// A file descriptor closed at the end of its scope, for code that walks folders and opens files
// through descriptors (so that a path swapped for a link between two steps is never followed).
#pragma once

#include <unistd.h>

namespace zentrix::platform {

struct Descriptor {
    int fd;
    explicit Descriptor(int f) : fd(f) {}
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

}  // namespace zentrix::platform
