// The application's profile: integer and string settings under
// HKEY_CURRENT_USER\Software\<company>\<application>\<section>.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/registry.h"
#include "platform/text.h"

namespace zentrix::platform {

/// Until `setRegistryKey` names the company, the profile has no key: every read yields the
/// caller's default and every write does nothing and reports failure. A value that is missing or
/// has another type also yields the default.
class AppProfile {
public:
    AppProfile(std::shared_ptr<Registry> registry, WideString applicationName);

    void setRegistryKey(WideStringView company);
    bool hasRegistryKey() const { return !company_.empty(); }

    uint32_t getProfileInt(WideStringView section, WideStringView entry, int32_t defaultValue) const;
    WideString getProfileString(WideStringView section, WideStringView entry,
                                WideStringView defaultValue = u"") const;
    bool writeProfileInt(WideStringView section, WideStringView entry, int32_t value) const;
    bool writeProfileString(WideStringView section, WideStringView entry, WideStringView value) const;

private:
    RegistryKey sectionKey(WideStringView section) const;

    std::shared_ptr<Registry> registry_;
    WideString applicationName_;
    WideString company_;
};

}  // namespace zentrix::platform
