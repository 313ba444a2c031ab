#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "today/host/plugin_loader.h"

namespace zentrix::today {
namespace {

TEST(TodayHostItemList, AnEmptyOrMissingListIsThePackagedPlugin) {
    test::ScratchDeviceRoot root;
    platform::Registry& registry = *platform::Registry::device();
    const std::vector<HostItemEntry> packaged{{u"Zentrix", ZENTRIX_TODAY_ITEM_PATH, 0, true}};
    EXPECT_EQ(loadItemList(registry), packaged);  // missing
    ASSERT_TRUE(registry.key(platform::RootKey::CurrentUser, kTodayItemsKey).create());
    EXPECT_EQ(loadItemList(registry), packaged);  // empty
    // An item without a path is nothing to load.
    ASSERT_TRUE(
        registry.key(platform::RootKey::CurrentUser, kTodayItemsKey).subkey(u"Blank").create());
    EXPECT_EQ(loadItemList(registry), packaged);
}

TEST(TodayHostItemList, RoundTripsInItsOrder) {
    test::ScratchDeviceRoot root;
    platform::Registry& registry = *platform::Registry::device();
    const std::vector<HostItemEntry> saved{
        {u"Weather", "/opt/weather/libweather.so", 2, true},
        {u"Zentrix", "/usr/lib/zentrix/libzentrix-today-item.so", 0, true},
        {u"Ägenda", "/home/crew/Plug-ins (old)/libagenda.so", 1, false},
        {u"Notes", "/opt/notes.so", 1, true},
    };
    ASSERT_TRUE(saveItemList(registry, saved));
    const std::vector<HostItemEntry> expected{saved[1], saved[3], saved[2], saved[0]};
    EXPECT_EQ(loadItemList(registry), expected);  // by order, then name
    // Saving replaces the list rather than adding to it.
    ASSERT_TRUE(saveItemList(registry, {saved[0]}));
    EXPECT_EQ(loadItemList(registry), std::vector<HostItemEntry>{saved[0]});
}

TEST(TodayHostItemList, ThePackagedPluginIsBesideAnInstalledProgram) {
    const struct {
        const char* program;
        const char* plugin;
    } cases[] = {
        {"/usr/bin/zentrix-today", "/usr/lib/zentrix/libzentrix-today-item.so"},
        {"/opt/zentrix/bin/zentrix-today", "/opt/zentrix/lib/zentrix/libzentrix-today-item.so"},
        {ZENTRIX_BUILD_DIR "/today/host/zentrix-today", ZENTRIX_TODAY_ITEM_PATH},
        {ZENTRIX_BUILD_DIR "-other/today/host/zentrix-today",
         ZENTRIX_BUILD_DIR "-other/today/lib/zentrix/libzentrix-today-item.so"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(defaultPluginPath(c.program), std::filesystem::path(c.plugin)) << c.program;
    }
}

}  // namespace
}  // namespace zentrix::today
