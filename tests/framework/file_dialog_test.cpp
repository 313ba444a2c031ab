// The file dialog on the device root: handheld paths in and out, the filter list, the test kit's
// answers, and the Qt dialog refusing to leave the root.
#include "framework/file_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "framework/file_dialog_qt.h"
#include "framework/test_kit.h"
#include "platform/device_root.h"
#include "platform/text.h"
#include "tests/support/test_support.h"

namespace zentrix::framework {
namespace {

namespace fs = std::filesystem;

std::string utf8(const std::optional<WideString>& text) {
    return text ? platform::toUtf8(*text) : std::string("(outside)");
}

TEST(FileDialogPathsTest, HandheldPathsMapToTheDeviceRootAndBack) {
    test::ScratchDeviceRoot root;
    struct Row {
        const char16_t* handheld;
        const char* normal;
    };
    const Row rows[] = {
        {u"\\My Documents\\x.txt", "\\My Documents\\x.txt"},
        {u"/My Documents/x.txt", "\\My Documents\\x.txt"},
        {u"My Documents\\x.txt", "\\My Documents\\x.txt"},
        {u"\\a\\.\\b\\\\c.txt", "\\a\\b\\c.txt"},
        {u"\\..\\..\\etc\\passwd", "\\etc\\passwd"},
        {u"\\", "\\"},
        {u"", "\\"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(platform::toUtf8(row.handheld));
        EXPECT_EQ(platform::toUtf8(normalHandheldPath(row.handheld)), row.normal);
        // Through the file system of this machine and back gives the same handheld path.
        const fs::path local = platform::devicePath(WideStringView(row.handheld));
        EXPECT_EQ(utf8(handheldPathFor(local)), row.normal) << local;
    }
}

TEST(FileDialogPathsTest, FilesOutsideTheDeviceRootHaveNoHandheldPath) {
    test::ScratchDeviceRoot root;
    const fs::path inside = root.path() / "My Documents" / "x.txt";
    EXPECT_EQ(utf8(handheldPathFor(inside)), "\\My Documents\\x.txt");
    EXPECT_EQ(utf8(handheldPathFor(root.path())), "\\");
    EXPECT_EQ(utf8(handheldPathFor(root.path() / ".." / "x.txt")), "(outside)");
    EXPECT_EQ(utf8(handheldPathFor("/etc/passwd")), "(outside)");
    EXPECT_EQ(utf8(handheldPathFor("relative.txt")), "(outside)");
    // A sibling folder whose name begins with the root's name is not below it.
    EXPECT_EQ(utf8(handheldPathFor(fs::path(root.path().string() + "-other") / "x.txt")),
              "(outside)");
    // "Storage Card" may be a link to a medium elsewhere: entered through it, it is inside.
    test::ScratchFolder card;
    fs::create_symlink(card.path(), root.path() / "Storage Card");
    EXPECT_EQ(utf8(handheldPathFor(root.path() / "Storage Card" / "log.txt")),
              "\\Storage Card\\log.txt");
}

TEST(FileDialogFilterTest, PairsOfDescriptionAndPatterns) {
    struct Row {
        const char16_t* filter;
        std::vector<std::pair<WideString, WideString>> expected;
    };
    const Row rows[] = {
        {u"Text File (*.txt)|*.txt|", {{u"Text File (*.txt)", u"*.txt"}}},
        {u"Logs|*.log;*.txt|All Files (*.*)|*.*|",
         {{u"Logs (*.log *.txt)", u"*.log *.txt"}, {u"All Files (*.*)", u"*.*"}}},
        {u"", {}},
        {u"Unpaired|", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(platform::toUtf8(row.filter));
        EXPECT_EQ(parseFileFilter(row.filter), row.expected);
    }
}

TEST(FileDialogTest, TheTestKitAnswersWithHandheldPathsAndSeesWhatWasOffered) {
    test::ScratchDeviceRoot root;
    ScopedTestKit kit;
    kit.queueFileDialogAnswer(u"/My Documents/../Data/new.txt");
    kit.queueFileDialogAnswer(std::nullopt);

    CFileDialog save(false, {}, u"NMEA.txt", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     u"Text File (*.txt)|*.txt|");
    save.SetInitialFolder(u"\\My Documents");
    ASSERT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(platform::toUtf8(save.GetPathName()), "\\Data\\new.txt");
    EXPECT_EQ(platform::toUtf8(save.GetFileName()), "new.txt");
    EXPECT_EQ(platform::toUtf8(save.GetFileExt()), "txt");
    EXPECT_EQ(platform::toUtf8(save.GetFolderPath()), "\\Data");

    CFileDialog again(false, u"txt", u"\\Logs\\old");
    EXPECT_EQ(again.DoModal(), IDCANCEL);
    EXPECT_TRUE(again.GetPathName().empty());
    EXPECT_EQ(again.DoModal(), IDCANCEL) << "no answer left: cancelled, never shown";
    EXPECT_EQ(kit.unansweredFileDialogs(), 1);

    ASSERT_EQ(kit.fileDialogs().size(), 3u);
    const FileDialogRecord& first = kit.fileDialogs()[0];
    EXPECT_TRUE(first.save);
    EXPECT_EQ(first.flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    EXPECT_EQ(platform::toUtf8(first.filter), "Text File (*.txt)|*.txt|");
    EXPECT_EQ(platform::toUtf8(first.initialFolder), "\\My Documents");
    EXPECT_EQ(platform::toUtf8(first.fileName), "NMEA.txt");
    // A folder in the offered name starts the dialog there.
    EXPECT_EQ(platform::toUtf8(kit.fileDialogs()[1].initialFolder), "\\Logs");
    EXPECT_EQ(platform::toUtf8(kit.fileDialogs()[1].fileName), "old");

    kit.queueFileDialogAnswer(u"\\Logs\\old");
    CFileDialog withExtension(false, u"txt", u"old");
    ASSERT_EQ(withExtension.DoModal(), IDOK);
    EXPECT_EQ(platform::toUtf8(withExtension.GetPathName()), "\\Logs\\old.txt")
        << "the default extension completes a name without one";
}

TEST(FileDialogTest, HeadlessWithoutAHandlerIsCancelled) {
    ensureTestApplication();
    CFileDialog dialog(false, {}, u"x.txt");
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(FileDialogTest, TheQtDialogStaysInsideTheDeviceRoot) {
    test::ScratchDeviceRoot root;
    ensureTestApplication();
    fs::create_directories(root.path() / "My Documents");
    const QString rootText = QString::fromStdString(root.path().string());
    RootedFileDialog dialog(root.path(), nullptr);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog.directory().absolutePath(), rootText);

    // The parent folder button at the root comes straight back.
    auto* up = dialog.findChild<QToolButton*>("toParentButton");
    ASSERT_NE(up, nullptr);
    dialog.show();
    up->click();
    QApplication::processEvents();
    EXPECT_EQ(dialog.directory().absolutePath(), rootText);

    // A typed path outside is refused: the dialog stays open, back at the root.
    auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    dialog.setDirectory(QString::fromStdString((root.path() / "My Documents").string()));
    name->setText("/tmp/outside.txt");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.directory().absolutePath(), rootText);
    name->setText("../../escape.txt");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    // A name inside is taken, and its handheld path comes back.
    dialog.setDirectory(QString::fromStdString((root.path() / "My Documents").string()));
    name->setText("nmea.txt");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_FALSE(dialog.selectedFiles().isEmpty());
    EXPECT_EQ(utf8(handheldPathFor(fs::path(dialog.selectedFiles().front().toStdString()))),
              "\\My Documents\\nmea.txt");
}

}  // namespace
}  // namespace zentrix::framework
