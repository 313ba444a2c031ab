#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "tests/support/files.h"
#include "tests/support/test_support.h"

namespace zentrix::platform {
namespace {

namespace fs = std::filesystem;
using test::contentsOf;
using test::modeOf;
using test::ScratchFolder;

size_t entriesIn(const fs::path& folder) {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(AtomicFile, ReplacesWholeAndLeavesNothingBeside) {
    ScratchFolder folder;
    const auto file = folder.path() / "a.txt";
    EXPECT_TRUE(readWholeFile(file).missing());
    EXPECT_FALSE(replaceFile(file, std::string("one\0two", 7)));
    EXPECT_EQ(contentsOf(file), std::string("one\0two", 7));
    EXPECT_FALSE(replaceFile(file, ""));
    EXPECT_EQ(contentsOf(file), "");
    EXPECT_FALSE(readWholeFile(file).missing());
    EXPECT_EQ(entriesIn(folder.path()), 1u);
}

TEST(AtomicFile, PasswordFilesAreTheOwnersOnlyAndOtherFilesKeepTheirMode) {
    ScratchFolder folder;
    const auto file = folder.path() / "secret.txt";
    std::ofstream(file) << "old";
    ::chmod(file.c_str(), 0644);
    EXPECT_FALSE(replaceFile(file, "new", FileAccess::OwnerOnly));
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_FALSE(replaceFile(folder.path() / "fresh.txt", "x", FileAccess::OwnerOnly));
    EXPECT_EQ(modeOf(folder.path() / "fresh.txt"), 0600u);
    // Other files keep the mode they had.
    ::chmod(file.c_str(), 0640);
    EXPECT_FALSE(replaceFile(file, "shared"));
    EXPECT_EQ(modeOf(file), 0640u);
}

TEST(AtomicFile, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    ScratchFolder folder;
    // A folder in the file's place cannot be replaced by a file.
    const auto blocked = folder.path() / "blocked";
    fs::create_directories(blocked / "inside");
    EXPECT_TRUE(replaceFile(blocked, "new"));
    EXPECT_TRUE(fs::is_directory(blocked / "inside"));
    EXPECT_EQ(entriesIn(folder.path()), 1u);
    // No folder at all.
    EXPECT_TRUE(replaceFile(folder.path() / "missing" / "a.txt", "new"));
}

TEST(AtomicFile, DamagedCopiesTakeTheFirstFreeNameAndKeepTheOriginal) {
    ScratchFolder folder;
    const auto file = folder.path() / "dip_data.txt";
    std::ofstream(file) << "broken";
    EXPECT_EQ(keepDamagedCopy(file), fs::path(file.string() + ".damaged"));
    EXPECT_EQ(keepDamagedCopy(file), fs::path(file.string() + ".damaged2"));
    EXPECT_EQ(contentsOf(file), "broken");
    EXPECT_EQ(contentsOf(file.string() + ".damaged2"), "broken");
    EXPECT_FALSE(keepDamagedCopy(folder.path() / "none"));
}

TEST(AtomicFile, AHeldFileIsCreatedReadAndRefusedToASecondHolder) {
    ScratchFolder folder;
    const auto file = folder.path() / "gsm_data.txt";
    HeldFile first(file, FileAccess::Shared);
    ASSERT_TRUE(first.isOpen());
    EXPECT_EQ(first.read().bytes, "") << "created empty";
    HeldFile second(file, FileAccess::Shared);
    EXPECT_FALSE(second.isOpen());
    EXPECT_TRUE(second.openError());
    // Replacing the file under the holder is fine; the holder still reads the file it opened.
    EXPECT_FALSE(replaceFile(file, "new"));
    EXPECT_EQ(first.read().bytes, "");
    first.close();
    HeldFile third(file, FileAccess::Shared);
    ASSERT_TRUE(third.isOpen());
    EXPECT_EQ(third.read().bytes, "new");
}

// The holder saves by replacing the file; until it lets go, nobody else may take the new file
// either, from this process or another.
TEST(AtomicFile, AHeldFileStaysLockedAcrossItsOwnReplacement) {
    ScratchFolder folder;
    const auto file = folder.path() / "gprs_data.txt";
    HeldFile holder(file, FileAccess::OwnerOnly);
    ASSERT_TRUE(holder.isOpen());
    for (const char* contents : {"first save", "second save"}) {
        SCOPED_TRACE(contents);
        ASSERT_FALSE(replaceFile(file, contents, FileAccess::OwnerOnly));
        HeldFile other(file, FileAccess::OwnerOnly);
        EXPECT_FALSE(other.isOpen());
        EXPECT_EQ(other.openError(), std::errc::operation_would_block);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            _exit(HeldFile(file, FileAccess::OwnerOnly).isOpen() ? 1 : 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "another process took it";
    }
    // Moving the holder moves the lock with it.
    HeldFile moved = std::move(holder);
    EXPECT_FALSE(HeldFile(file, FileAccess::OwnerOnly).isOpen());
    moved.close();
    HeldFile next(file, FileAccess::OwnerOnly);
    ASSERT_TRUE(next.isOpen());
    EXPECT_EQ(next.read().bytes, "second save");
}

}  // namespace
}  // namespace zentrix::platform
