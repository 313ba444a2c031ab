// The program's settings as a test reads and writes them: spelled out here, not taken from the
// program, so that a change of the key the program stores under shows as a failing test.
#pragma once

#include "platform/app_profile.h"
#include "platform/registry.h"

namespace zentrix::test {

inline platform::AppProfile programProfile() {
    platform::AppProfile profile(platform::Registry::device(), u"GNSS Zentrix");
    profile.setRegistryKey(u"Orvanex");
    return profile;
}

}  // namespace zentrix::test
