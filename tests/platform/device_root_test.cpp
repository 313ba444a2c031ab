#include "platform/device_root.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "tests/support/test_support.h"

namespace zentrix::platform {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::ScratchDeviceRoot;

TEST(DeviceRoot, ComesFromTheEnvironmentInOrder) {
    ScopedEnv home("HOME", "/home/surveyor");
    {
        ScopedEnv root("ZENTRIX_ROOT", std::nullopt);
        ScopedEnv data("XDG_DATA_HOME", std::nullopt);
        EXPECT_EQ(deviceRoot(), fs::path("/home/surveyor/.local/share/zentrix/root"));
        ScopedEnv data2("XDG_DATA_HOME", "/data");
        EXPECT_EQ(deviceRoot(), fs::path("/data/zentrix/root"));
        ScopedEnv root2("ZENTRIX_ROOT", "/handheld");
        EXPECT_EQ(deviceRoot(), fs::path("/handheld"));
    }
}

TEST(DeviceRoot, HandheldPathsMapBelowTheRoot) {
    ScopedEnv root("ZENTRIX_ROOT", "/r");
    struct Row {
        const char* legend;
        const char* handheld;
        const char* expected;
    };
    const Row rows[] = {
        {"absolute", "\\Windows\\Zentrix.dat", "/r/Windows/Zentrix.dat"},
        {"bare name at the root", "SendCmd.log", "/r/SendCmd.log"},
        {"spaces", "\\My Documents\\GPS Raw Data", "/r/My Documents/GPS Raw Data"},
        {"forward slashes", "/Program Files/a.exe", "/r/Program Files/a.exe"},
        {"doubled separators", "\\\\Windows\\\\x", "/r/Windows/x"},
        {"dot", "\\Windows\\.\\x", "/r/Windows/x"},
        {"dot-dot inside", "\\Windows\\..\\Temp\\x", "/r/Temp/x"},
        {"dot-dot cannot leave the root", "..\\..\\..\\etc\\passwd", "/r/etc/passwd"},
        {"the root itself", "\\", "/r"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(devicePath(std::string_view(row.handheld)), fs::path(row.expected)) << row.legend;
    }
    EXPECT_EQ(devicePath(u"\\Windows\\Zentrix.dat"), fs::path("/r/Windows/Zentrix.dat"));
}

TEST(DeviceRoot, FoldersAreCreatedOnDemand) {
    ScratchDeviceRoot root;
    const auto file = devicePath("\\My Documents\\GPS Raw Data\\a.grw");
    EXPECT_FALSE(fs::exists(file.parent_path()));
    EXPECT_TRUE(createParentFolders(file));
    EXPECT_TRUE(fs::is_directory(file.parent_path()));
    EXPECT_TRUE(createParentFolders(file)) << "an existing folder is fine";

    // A file standing where a folder should be is a failure, not an exception.
    const auto blocked = devicePath("\\blocked\\x");
    { std::ofstream(devicePath("blocked")) << "x"; }
    EXPECT_FALSE(createParentFolders(blocked));
}

TEST(DeviceRoot, ARootThisProgramCreatesIsTheOwnersOnly) {
    const auto modeOf = [](const fs::path& folder) {
        struct stat info {};
        return ::stat(folder.c_str(), &info) == 0 ? info.st_mode & 07777 : 07777u;
    };
    test::ScratchFolder scratch;
    const mode_t oldMask = ::umask(022);
    {
        ScopedEnv root("ZENTRIX_ROOT", (scratch.path() / "made" / "root").string());
        EXPECT_TRUE(createParentFolders(devicePath("\\My Documents\\GPS Raw Data\\a.grw")));
        EXPECT_EQ(modeOf(scratch.path() / "made" / "root"), 0700u);
        EXPECT_TRUE(fs::is_directory(scratch.path() / "made" / "root" / "My Documents"));
    }
    {
        // Written with a final separator, the root is still the root.
        ScopedEnv root("ZENTRIX_ROOT", (scratch.path() / "slash").string() + "/");
        EXPECT_TRUE(createFolders(deviceRoot()));
        EXPECT_EQ(modeOf(scratch.path() / "slash"), 0700u);
    }
    {
        // A root the user made keeps the mode the user gave it.
        fs::create_directories(scratch.path() / "own");
        ::chmod((scratch.path() / "own").c_str(), 0755);
        ScopedEnv root("ZENTRIX_ROOT", (scratch.path() / "own").string());
        EXPECT_TRUE(createFolders(devicePath("\\Windows")));
        EXPECT_EQ(modeOf(scratch.path() / "own"), 0755u);
    }
    ::umask(oldMask);
}

TEST(PortName, ComPortsResolveByEnvironmentThenLinkThenTtyS) {
    ScratchDeviceRoot root;
    ScopedEnv noCom3("ZENTRIX_COM3", std::nullopt);
    EXPECT_EQ(resolvePortName(u"COM3:"), fs::path("/dev/ttyS2"));
    EXPECT_EQ(resolvePortName(u"COM1:"), fs::path("/dev/ttyS0"));

    fs::create_directories(root.path() / "devices");
    // A dangling link still counts: the device may appear later, and the user chose it.
    fs::create_symlink("/dev/serial/by-id/usb-receiver", root.path() / "devices" / "COM3");
    EXPECT_EQ(resolvePortName(u"COM3:"), root.path() / "devices" / "COM3");
    EXPECT_EQ(resolvePortName(u"com3:"), root.path() / "devices" / "COM3") << "names ignore case";

    ScopedEnv com3("ZENTRIX_COM3", "/dev/pts/9");
    EXPECT_EQ(resolvePortName(u"COM3:"), fs::path("/dev/pts/9"));
    EXPECT_EQ(resolvePortName(u"COM3"), fs::path("/dev/pts/9")) << "the colon is optional";
}

TEST(PortName, OtherNamesAndBadNames) {
    ScratchDeviceRoot root;
    EXPECT_EQ(resolvePortName(u"/dev/ttyUSB0"), fs::path("/dev/ttyUSB0"));
    EXPECT_TRUE(resolvePortName(u"BSP4:").empty()) << "no fall-back for other port names";
    {
        ScopedEnv bsp("ZENTRIX_BSP4", "/dev/rfcomm0");
        EXPECT_EQ(resolvePortName(u"BSP4:"), fs::path("/dev/rfcomm0"));
    }
    for (const char16_t* bad : {u"", u":", u"COM../../x", u"C OM1:", u"COM1:\n"}) {
        EXPECT_TRUE(resolvePortName(bad).empty()) << toUtf8(bad);
    }
    EXPECT_TRUE(resolvePortName(u"COM0:").empty());
    EXPECT_TRUE(resolvePortName(u"COM99999999999999999999:").empty());
}

}  // namespace
}  // namespace zentrix::platform
