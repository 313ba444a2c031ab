// The gallery as a developer runs it: every window of the program at scale 1, and at scale 2 as
// the program shows it there (the same layout with twice the pixels), message boxes included.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

struct PngSize {
    int width = 0;
    int height = 0;
    bool operator==(const PngSize&) const = default;
};

// The size in a PNG file's header (the IHDR chunk right after the signature).
PngSize pngSize(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char header[24] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header))
        return {};
    const auto number = [&](int at) {
        return (header[at] << 24) | (header[at + 1] << 16) | (header[at + 2] << 8) | header[at + 3];
    };
    return {number(16), number(20)};
}

TEST(Gallery, RendersEveryWindowAndAtScaleTwoTheSameLayoutWithTwiceThePixels) {
    char pattern[] = "/tmp/zentrix-gallery-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path folder = pattern;
    const std::string command = std::string(ZENTRIX_GALLERY_PROGRAM) + " " + folder.string() +
                                " > " + (folder / "out.txt").string() + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);

    std::map<std::string, PngSize> sizes;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".png")
            sizes[entry.path().stem().string()] = pngSize(entry.path());
    }
    for (const char* name :
         {"main_menu", "main_menu_gps_only", "about", "about_gps_only", "message_already_running",
          "message_cannot_connect", "message_reset_question"}) {
        EXPECT_TRUE(sizes.count(name)) << name;
    }
    int pairs = 0;
    for (const auto& [name, size] : sizes) {
        if (name.ends_with("@2x"))
            continue;
        SCOPED_TRACE(name);
        EXPECT_GT(size.width, 0);
        ASSERT_TRUE(sizes.count(name + "@2x"));
        EXPECT_EQ(sizes[name + "@2x"], (PngSize{2 * size.width, 2 * size.height}));
        ++pairs;
    }
    EXPECT_EQ(2 * pairs, static_cast<int>(sizes.size()));
    // The GPS-only about box has no firmware lines and no room left for them.
    EXPECT_EQ(sizes["about_gps_only"].width, sizes["about"].width);
    EXPECT_LT(sizes["about_gps_only"].height, sizes["about"].height * 2 / 3);

    std::error_code error;
    fs::remove_all(folder, error);
}

}  // namespace
