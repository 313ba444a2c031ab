// Icons of files: image files of every kind the readers know, scaled to the size asked for,
// magenta keyed out of images without alpha, desktop entries' Icon= paths. The headless
// platform has no icon theme, so theme lookups are only asked not to fail.
#include "framework/file_icon.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <fstream>

#include "framework/qt_drawing.h"
#include "framework/test_kit.h"
#include "tests/support/test_support.h"

namespace zentrix::framework {
namespace {

namespace fs = std::filesystem;

constexpr QRgb kRed = 0xFFFF0000u;
constexpr QRgb kBlue = 0xFF0000FFu;

// 16 x 16: red on the left, blue on the right, the top left 4 x 4 corner `corner`.
QImage sample(QRgb corner, QImage::Format format = QImage::Format_ARGB32) {
    QImage image(16, 16, format);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x)
            image.setPixel(x, y, x < 4 && y < 4 ? corner : x < 8 ? kRed : kBlue);
    }
    return image;
}

void writeText(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

class FileIcon : public ::testing::Test {
  protected:
    ScopedTestKit kit;
    test::ScratchFolder folder;

    fs::path save(const QImage& image, const std::string& name, const char* format = nullptr) {
        const fs::path file = folder.path() / name;
        EXPECT_TRUE(image.save(QString::fromStdString(file.string()), format)) << name;
        return file;
    }
};

// The 16 x 16 sample loaded at `size`: transparent corner, red left, blue right.
void expectSample(const std::string& path, int size) {
    CBitmap icon;
    ASSERT_TRUE(LoadFileIcon(path, size, &icon));
    ASSERT_EQ(icon.GetSize(), CSize(size, size));
    const QImage& image = imageOf(icon);
    const int quarter = size / 4;
    EXPECT_EQ(qAlpha(image.pixel(quarter / 2, quarter / 2)), 0);
    EXPECT_EQ(image.pixel(quarter + 1, size - 2), kRed);
    EXPECT_EQ(image.pixel(size - 2, quarter / 2), kBlue);
    EXPECT_EQ(image.pixel(size - 2, size - 2), kBlue);
}

TEST_F(FileIcon, ImageFilesOfEveryReadableKindScaleToTheSizeAskedFor) {
    const QImage transparentCorner = sample(0x00000000u);
    // A BMP has no alpha channel: its corner is magenta, which is keyed out.
    const QImage magentaCorner = sample(kMaskColor, QImage::Format_RGB32);
    const std::string files[] = {
        save(transparentCorner, "icon.png").string(),
        save(transparentCorner, "icon.xpm").string(),
        save(transparentCorner, "icon.ico").string(),
        save(magentaCorner, "icon.bmp").string(),
        // The content decides, not the name.
        save(transparentCorner, "png-named.bmp", "PNG").string(),
    };
    for (const std::string& file : files) {
        for (int size : {16, 32, 48, 8}) {
            SCOPED_TRACE(file + " at " + std::to_string(size));
            expectSample(file, size);
        }
    }
}

// SVG needs Qt's SVG image plug-in (a package of its own); without it the file has no icon.
TEST_F(FileIcon, AnSvgIsDrawnAtTheSizeAskedForWhenItCanBeRead) {
    const fs::path file = folder.path() / "icon.svg";
    writeText(file,
              "<svg xmlns='http://www.w3.org/2000/svg' width='16' height='16'>"
              "<rect x='4' y='0' width='4' height='16' fill='#ff0000'/>"
              "<rect x='0' y='4' width='4' height='12' fill='#ff0000'/>"
              "<rect x='8' y='0' width='8' height='16' fill='#0000ff'/></svg>");
    if (!QImageReader::supportedImageFormats().contains("svg")) {
        CBitmap icon;
        // Without a theme nothing stands in for it; with one, an icon of the right size.
        if (LoadFileIcon(file.string(), 32, &icon)) {
            EXPECT_EQ(icon.GetSize(), CSize(32, 32));
        }
        GTEST_SKIP() << "no SVG image plug-in installed";
    }
    expectSample(file.string(), 64);
}

// An icon file of a 16 x 16 red image and a 48 x 48 blue one (PNG-compressed entries).
std::string twoImageIcon() {
    auto png = [](int side, QRgb color) {
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(color);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
    };
    const std::string images[] = {png(16, kRed), png(48, kBlue)};
    auto word = [](uint32_t value, int bytes) {
        std::string text;
        for (int i = 0; i < bytes; ++i) text += static_cast<char>((value >> (8 * i)) & 0xFF);
        return text;
    };
    std::string file = word(0, 2) + word(1, 2) + word(2, 2);
    uint32_t offset = 6 + 2 * 16;
    for (int i = 0; i < 2; ++i) {
        const int side = i == 0 ? 16 : 48;
        file += word(side, 1) + word(side, 1) + word(0, 2) + word(1, 2) + word(32, 2) +
                word(static_cast<uint32_t>(images[i].size()), 4) + word(offset, 4);
        offset += static_cast<uint32_t>(images[i].size());
    }
    return file + images[0] + images[1];
}

// The image nearest the size asked for and not smaller, else the largest: a small image blown
// up is blurred, a large one made smaller is not.
TEST_F(FileIcon, AnIconFileGivesItsBestSizedImage) {
    const fs::path file = folder.path() / "two.ico";
    writeText(file, twoImageIcon());
    struct Row {
        int size;
        QRgb color;
    };
    for (const Row row :
         {Row{8, kRed}, Row{16, kRed}, Row{17, kBlue}, Row{32, kBlue}, Row{64, kBlue}}) {
        SCOPED_TRACE(row.size);
        CBitmap icon;
        ASSERT_TRUE(LoadFileIcon(file.string(), row.size, &icon));
        EXPECT_EQ(icon.GetSize(), CSize(row.size, row.size));
        EXPECT_EQ(imageOf(icon).pixel(row.size / 2, row.size / 2), row.color);
    }
}

TEST_F(FileIcon, AnImageThatIsNotSquareIsCentredOnATransparentSquare) {
    QImage wide(32, 16, QImage::Format_RGB32);
    wide.fill(kRed);
    const fs::path file = save(wide, "wide.png");
    CBitmap icon;
    ASSERT_TRUE(LoadFileIcon(file.string(), 32, &icon));
    ASSERT_EQ(icon.GetSize(), CSize(32, 32));
    const QImage& image = imageOf(icon);
    EXPECT_EQ(qAlpha(image.pixel(16, 2)), 0);
    EXPECT_EQ(image.pixel(16, 16), kRed);
    EXPECT_EQ(qAlpha(image.pixel(16, 29)), 0);
}

TEST_F(FileIcon, ADesktopEntryShowsItsIconPath) {
    const fs::path png = save(sample(0x00000000u), "app icon.png");
    writeText(folder.path() / "app.desktop",
              "[Desktop Entry]\nType=Application\nName=App\nIcon[de]=/nowhere.png\nIcon=" +
                  png.string() + "\nExec=app\n");
    expectSample((folder.path() / "app.desktop").string(), 32);

    struct Row {
        const char* name;
        std::string text;
    };
    const Row noIcon[] = {
        {"missing.desktop",
         "[Desktop Entry]\nIcon=" + (folder.path() / "gone.png").string() + "\n"},
        {"none.desktop", "[Desktop Entry]\nName=No icon\n"},
        {"other-group.desktop", "[Desktop Action x]\nIcon=" + png.string() + "\n"},
        {"not-an-image.desktop",
         "[Desktop Entry]\nIcon=" + (folder.path() / "none.desktop").string() + "\n"},
    };
    for (const Row& row : noIcon) {
        SCOPED_TRACE(row.name);
        writeText(folder.path() / row.name, row.text);
        CBitmap icon;
        EXPECT_FALSE(LoadFileIcon((folder.path() / row.name).string(), 32, &icon));
        EXPECT_EQ(icon.GetSafeHandle(), nullptr);
    }
}

TEST_F(FileIcon, NothingToShowAnswersFalse) {
    const std::string png = save(sample(0x00000000u), "icon.png").string();
    CBitmap icon;
    EXPECT_FALSE(LoadFileIcon((folder.path() / "missing.png").string(), 32, &icon));
    EXPECT_FALSE(LoadFileIcon("", 32, &icon));
    EXPECT_FALSE(LoadFileIcon(png, 0, &icon));
    EXPECT_FALSE(LoadFileIcon(png, 5000, &icon));
    EXPECT_FALSE(LoadFileIcon(png, 32, nullptr));
    EXPECT_EQ(icon.GetSafeHandle(), nullptr);
}

// Theme lookups (a folder, a text file, an image that cannot be read, a theme name): no theme
// here, so false or an icon of the right size, never a failure.
TEST_F(FileIcon, ThemeLookupsAnswerFalseOrAnIconOfTheSizeAskedFor) {
    writeText(folder.path() / "notes.txt", "text");
    writeText(folder.path() / "broken.png", "not an image");
    writeText(folder.path() / "themed.desktop", "[Desktop Entry]\nIcon=utilities-terminal.png\n");
    for (const fs::path& file : {folder.path(), folder.path() / "notes.txt",
                                 folder.path() / "broken.png", folder.path() / "themed.desktop"}) {
        SCOPED_TRACE(file.string());
        CBitmap icon;
        if (LoadFileIcon(file.string(), 24, &icon)) {
            EXPECT_EQ(icon.GetSize(), CSize(24, 24));
        }
    }
}

}  // namespace
}  // namespace zentrix::framework
