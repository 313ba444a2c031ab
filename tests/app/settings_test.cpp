#include "app/settings.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace zentrix::app {
namespace {

using platform::AppProfile;
using platform::Registry;
using platform::RootKey;

class SettingsTest : public ::testing::Test {
  protected:
    AppProfile profile() {
        AppProfile p(Registry::device(), u"GNSS Zentrix");
        p.setRegistryKey(u"Orvanex");
        return p;
    }
    platform::RegistryKey section() {
        return Registry::device()->key(RootKey::CurrentUser,
                                       u"Software\\Orvanex\\GNSS Zentrix\\Settings");
    }
    ConnectionSettings sample() {
        ConnectionSettings s;
        s.ntripAddress = u"caster.example.net";
        s.ntripPort = 2101;
        s.ntripUser = u"surveyor";
        s.ntripPassword = u"pä55";
        s.ntripMountPoint = u"VRS_3_2G";
        s.ipAddress = u"10.0.0.7";
        s.ipPort = 9000;
        s.dialGsm = true;
        s.connectNtrip = false;
        s.connectIp = true;
        s.networkProtocol = 1;
        return s;
    }

    test::ScratchDeviceRoot root_;
};

TEST_F(SettingsTest, EveryValueRoundTripsThroughTheStoreFile) {
    saveSettings(profile(), sample());
    EXPECT_EQ(section().string(u"NtripMountPoit"), u"VRS_3_2G") << "the stored name";
    EXPECT_FALSE(section().string(u"NtripMountPoint"));
    EXPECT_EQ(section().dword(u"DialGsm"), 1u);
    EXPECT_EQ(section().dword(u"ConnectNtrip"), 0u);
    EXPECT_FALSE(section().dword(u"IsExternalGps")) << "never written by this program";

    ConnectionSettings loaded;
    loadSettings(profile(), loaded);
    ConnectionSettings expected = sample();
    // The three link flags are written for others; start-up does not read them back.
    expected.dialGsm = expected.connectNtrip = expected.connectIp = false;
    EXPECT_EQ(loaded, expected);
}

TEST_F(SettingsTest, MissingAndMistypedValuesGiveDefaults) {
    ConnectionSettings loaded = sample();
    loadSettings(profile(), loaded);
    EXPECT_EQ(loaded.ntripAddress, u"");
    EXPECT_EQ(loaded.ntripPort, 0);
    EXPECT_FALSE(loaded.isExternalGps);

    ASSERT_TRUE(section().create());
    section().setString(u"NtripPort", u"2101");
    section().setDword(u"NtripUser", 5);
    loadSettings(profile(), loaded);
    EXPECT_EQ(loaded.ntripPort, 0);
    EXPECT_EQ(loaded.ntripUser, u"");
}

TEST_F(SettingsTest, FlagsAndIndexesReadOnlyTheirValidValues) {
    ASSERT_TRUE(section().create());
    const std::pair<uint32_t, bool> external[] = {
        {1, true}, {2, false}, {0, false}, {0xFFFFFFFF, false}};
    for (const auto& [stored, expected] : external) {
        section().setDword(u"IsExternalGps", stored);
        ConnectionSettings loaded;
        loadSettings(profile(), loaded);
        EXPECT_EQ(loaded.isExternalGps, expected) << stored;
        section().setDword(u"SendPosToNet", stored);
        EXPECT_EQ(loadSendPositionToNetwork(profile()), expected) << stored;
    }
    const std::pair<uint32_t, uint32_t> indexes[] = {
        {0, 0}, {3, 3}, {4, 0}, {7, 0}, {0xFFFFFFFF, 0}};
    for (const auto& [stored, expected] : indexes) {
        section().setDword(u"NMEAPortIndex", stored);
        EXPECT_EQ(loadNmeaPortIndex(profile()), expected) << stored;
    }
    saveNmeaPortIndex(profile(), 2);
    saveSendPositionToNetwork(profile(), true);
    saveNmeaBluetoothPort(profile(), u"COM9:");
    EXPECT_EQ(loadNmeaPortIndex(profile()), 2u);
    EXPECT_TRUE(loadSendPositionToNetwork(profile()));
    EXPECT_EQ(loadNmeaBluetoothPort(profile()), u"COM9:");
}

// Values the sheets cannot use: a protocol they do not know counts as NTRIP, a port the receiver
// cannot take as none (the sheets send nothing for port 0).
TEST_F(SettingsTest, OutOfRangeProtocolAndPortsReadAsTheSheetsUseThem) {
    ASSERT_TRUE(section().create());
    const std::pair<uint32_t, int32_t> protocols[] = {
        {0, 0}, {1, 1}, {2, 1}, {7, 1}, {0xFFFFFFFF, 1}};
    for (const auto& [stored, expected] : protocols) {
        section().setDword(u"NetworkProtocol", stored);
        ConnectionSettings loaded;
        loadSettings(profile(), loaded);
        EXPECT_EQ(loaded.networkProtocol, expected) << stored;
    }
    const std::pair<uint32_t, int32_t> ports[] = {{0, 0},     {2101, 2101}, {65535, 65535},
                                                  {65536, 0}, {100000, 0},  {0xFFFFFFFF, 0}};
    for (const auto& [stored, expected] : ports) {
        section().setDword(u"NtripPort", stored);
        section().setDword(u"IpPort", stored);
        ConnectionSettings loaded;
        loadSettings(profile(), loaded);
        EXPECT_EQ(loaded.ntripPort, expected) << stored;
        EXPECT_EQ(loaded.ipPort, expected) << stored;
    }
}

TEST_F(SettingsTest, ARunThatChangedNothingSavesWhatItLoaded) {
    saveSettings(profile(), sample());
    ConnectionSettings held;
    loadSettings(profile(), held);
    saveSettings(profile(), held);  // the menu ended with Cancel: the copies are unchanged
    ConnectionSettings again;
    loadSettings(profile(), again);
    EXPECT_EQ(again, held);
}

TEST_F(SettingsTest, AFailedStartLeavesTheStoredValuesAlone) {
    saveSettings(profile(), sample());
    AppProfile withoutKey(Registry::device(),
                          u"GNSS Zentrix");  // the key is set only after connecting
    saveSettings(withoutKey, ConnectionSettings{});
    ConnectionSettings loaded;
    loadSettings(profile(), loaded);
    EXPECT_EQ(loaded.ntripAddress, u"caster.example.net");
    EXPECT_EQ(loaded.ipPort, 9000);
}

}  // namespace
}  // namespace zentrix::app
