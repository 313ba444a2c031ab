#include "platform/app_profile.h"

namespace zentrix::platform {

AppProfile::AppProfile(std::shared_ptr<Registry> registry, WideString applicationName)
    : registry_(std::move(registry)), applicationName_(std::move(applicationName)) {}

void AppProfile::setRegistryKey(WideStringView company) { company_ = WideString(company); }

RegistryKey AppProfile::sectionKey(WideStringView section) const {
    return registry_->key(RootKey::CurrentUser, u"Software")
        .subkey(company_)
        .subkey(applicationName_)
        .subkey(section);
}

uint32_t AppProfile::getProfileInt(WideStringView section, WideStringView entry,
                                   int32_t defaultValue) const {
    if (!hasRegistryKey() || !registry_) return static_cast<uint32_t>(defaultValue);
    return sectionKey(section).dword(entry).value_or(static_cast<uint32_t>(defaultValue));
}

WideString AppProfile::getProfileString(WideStringView section, WideStringView entry,
                                        WideStringView defaultValue) const {
    if (!hasRegistryKey() || !registry_) return WideString(defaultValue);
    return sectionKey(section).string(entry).value_or(WideString(defaultValue));
}

bool AppProfile::writeProfileInt(WideStringView section, WideStringView entry, int32_t value) const {
    if (!hasRegistryKey() || !registry_) return false;
    const RegistryKey key = sectionKey(section);
    return key.create() && key.setDword(entry, static_cast<uint32_t>(value));
}

bool AppProfile::writeProfileString(WideStringView section, WideStringView entry,
                                    WideStringView value) const {
    if (!hasRegistryKey() || !registry_) return false;
    const RegistryKey key = sectionKey(section);
    return key.create() && key.setString(entry, value);
}

}  // namespace zentrix::platform
