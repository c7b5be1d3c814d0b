// Atomic replacement and bounded whole-file reading.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "shared/AtomicFile.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
protected:
    testing::TemporaryRoot root_;
    fs::path file(const char* name) const { return root_.path() / name; }
    std::size_t entryCount() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(root_.path()), fs::directory_iterator()));
    }
};

fs::perms modeOf(const fs::path& path) { return fs::symlink_status(path).permissions() & fs::perms::all; }

TEST_F(AtomicFileTest, WritesExactBytesWithTheStricterOfOwnerOnlyAndTheUmask) {
    const std::string bytes("binary\0content\xff\n", 16);
    const mode_t previous = ::umask(022);
    ASSERT_TRUE(writeFileAtomically(file("a.bin"), bytes));
    EXPECT_EQ(readWholeFile(file("a.bin")), bytes);
    EXPECT_EQ(modeOf(file("a.bin")), fs::perms(0600));
    ::umask(0277);
    ASSERT_TRUE(writeFileAtomically(file("strict"), "x"));
    ::umask(previous);
    EXPECT_EQ(modeOf(file("strict")), fs::perms(0400));

    // A replaced file keeps its permissions, its owner always reading and
    // writing it; a link's target lends none.
    fs::permissions(file("a.bin"), fs::perms(0640));
    fs::create_symlink(file("a.bin"), file("link"));
    ASSERT_TRUE(writeFileAtomically(file("a.bin"), "") && writeFileAtomically(file("link"), "new"));
    EXPECT_EQ(modeOf(file("a.bin")), fs::perms(0640));
    EXPECT_EQ(modeOf(file("link")), fs::perms(0600));
    fs::permissions(file("a.bin"), fs::perms::none);
    ASSERT_TRUE(writeFileAtomically(file("a.bin"), "back"));
    EXPECT_EQ(modeOf(file("a.bin")), fs::perms(0600));
    EXPECT_EQ(readWholeFile(file("a.bin")), "back");
}

TEST_F(AtomicFileTest, FailuresLeaveTheOldFileAndNoTemporaryFile) {
    ASSERT_TRUE(writeFileAtomically(file("keep.txt"), "old"));

    EXPECT_EQ(writeFileAtomically(file("no/such/folder/x"), "new").reason(), std::errc::no_such_file_or_directory);
    EXPECT_FALSE(writeFileAtomically(root_.path() / "", "new"));  // no file name
    fs::create_directories(file("dir/child"));
    EXPECT_FALSE(writeFileAtomically(file("dir"), "new"));
    EXPECT_EQ(entryCount(), 2u);

    // A folder that cannot be written to (only meaningful without root rights).
    if (::geteuid() != 0) {
        fs::permissions(root_.path(), fs::perms(0555));
        EXPECT_FALSE(writeFileAtomically(file("keep.txt"), "new"));
        fs::permissions(root_.path(), fs::perms(0755));
    }
    EXPECT_EQ(readWholeFile(file("keep.txt")), "old");
    EXPECT_EQ(entryCount(), 2u);
}

TEST_F(AtomicFileTest, ReadingRefusesWhatIsNotABoundedRegularFile) {
    EXPECT_FALSE(readWholeFile(file("missing")).has_value());
    EXPECT_FALSE(readWholeFile(root_.path()).has_value());

    // A FIFO in the file's place must not block the caller; a link is not followed.
    ASSERT_EQ(::mkfifo(file("fifo").c_str(), 0600), 0);
    EXPECT_EQ(readRegularFile(file("fifo")).reason, "a FIFO");
    std::ofstream(file("outside")) << "secret";
    fs::create_symlink(file("outside"), file("link"));
    EXPECT_EQ(readRegularFile(file("link")).reason, "a symbolic link");

    // Larger than the cap (a sparse file, so the test stays cheap).
    { std::ofstream big(file("big"), std::ios::binary); }
    fs::resize_file(file("big"), kMaximumFileSize + 1);
    EXPECT_FALSE(readWholeFile(file("big")).has_value());
    fs::resize_file(file("big"), 3 * 64 * 1024 + 5);  // several read chunks
    const std::optional<std::string> content = readWholeFile(file("big"));
    ASSERT_TRUE(content.has_value());
    EXPECT_EQ(content->size(), 3u * 64 * 1024 + 5);
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

TEST(StaleTemporaryFilesTest, OnlyOwnTemporariesOfGoneWritersAreRemoved) {
    testing::TemporaryRoot root;
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const auto temporary = [](pid_t writer, const char* random) {
        return ".settings.plist.corvane-" + std::to_string(writer) + "." + random;
    };
    const std::vector<std::string> stale = {temporary(gone, "a1B2c3"), temporary(::getpid(), "zzzzzz")};
    const std::vector<std::string> kept = {
        temporary(::getppid(), "q9Q9q9"),  // a writer still running
        "settings.plist.backup",          ".settings.plist.corvane-12.abc", "settings.plist.corvane-12.abcdef",
        temporary(gone, "a-b_c!"),        ".settings.plist.corvane-.abcdef"};
    for (const std::string& name : stale) std::ofstream(root.path() / name) << "partial";
    for (const std::string& name : kept) std::ofstream(root.path() / name) << "keep";
    std::filesystem::create_directory(root.path() / temporary(gone, "folder"));

    EXPECT_EQ(removeStaleTemporaryFiles(root.path()), stale.size());
    for (const std::string& name : stale) EXPECT_FALSE(std::filesystem::exists(root.path() / name)) << name;
    for (const std::string& name : kept) EXPECT_TRUE(std::filesystem::exists(root.path() / name)) << name;
    EXPECT_TRUE(std::filesystem::is_directory(root.path() / temporary(gone, "folder")));
}

}  // namespace
}  // namespace corvane
