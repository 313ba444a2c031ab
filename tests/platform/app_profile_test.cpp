#include "platform/app_profile.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace zentrix::platform {
namespace {

class AppProfileTest : public ::testing::Test {
protected:
    test::ScratchDeviceRoot root_;
    std::shared_ptr<Registry> registry_ = Registry::device();
    AppProfile profile_{registry_, u"GNSS Zentrix"};
};

TEST_F(AppProfileTest, WithoutARegistryKeyReadsGiveDefaultsAndWritesFail) {
    EXPECT_FALSE(profile_.hasRegistryKey());
    EXPECT_FALSE(profile_.writeProfileInt(u"Settings", u"NtripPort", 2101));
    EXPECT_FALSE(profile_.writeProfileString(u"Settings", u"NtripUser", u"me"));
    EXPECT_EQ(profile_.getProfileInt(u"Settings", u"NtripPort", 5), 5u);
    EXPECT_EQ(profile_.getProfileString(u"Settings", u"NtripUser", u"none"), u"none");
    EXPECT_FALSE(registry_->key(RootKey::CurrentUser, u"Software").exists());
}

TEST_F(AppProfileTest, ValuesLandUnderCompanyApplicationAndSection) {
    profile_.setRegistryKey(u"Orvanex");
    EXPECT_TRUE(profile_.writeProfileInt(u"Settings", u"NtripPort", 2101));
    EXPECT_TRUE(profile_.writeProfileString(u"Settings", u"NtripMountPoit", u"VRS_3_2G"));
    EXPECT_TRUE(profile_.writeProfileInt(u"Settings", u"Negative", -1));

    const auto settings =
        registry_->key(RootKey::CurrentUser, u"Software\\Orvanex\\GNSS Zentrix\\Settings");
    EXPECT_EQ(settings.dword(u"NtripPort"), 2101u);
    EXPECT_EQ(settings.string(u"NtripMountPoit"), u"VRS_3_2G");

    AppProfile again(Registry::device(), u"GNSS Zentrix");
    again.setRegistryKey(u"Orvanex");
    EXPECT_EQ(again.getProfileInt(u"Settings", u"NtripPort", 0), 2101u);
    EXPECT_EQ(static_cast<int32_t>(again.getProfileInt(u"Settings", u"Negative", 0)), -1);
    EXPECT_EQ(again.getProfileString(u"Settings", u"NtripMountPoit"), u"VRS_3_2G");
}

TEST_F(AppProfileTest, MissingOrMistypedValuesYieldTheDefault) {
    profile_.setRegistryKey(u"Orvanex");
    EXPECT_EQ(profile_.getProfileInt(u"Settings", u"IpPort", 0), 0u);
    EXPECT_EQ(profile_.getProfileString(u"Settings", u"IpAddress"), u"");
    profile_.writeProfileString(u"Settings", u"IpPort", u"8080");
    profile_.writeProfileInt(u"Settings", u"IpAddress", 7);
    EXPECT_EQ(profile_.getProfileInt(u"Settings", u"IpPort", 9), 9u);
    EXPECT_EQ(profile_.getProfileString(u"Settings", u"IpAddress", u"d"), u"d");
}

}  // namespace
}  // namespace zentrix::platform
