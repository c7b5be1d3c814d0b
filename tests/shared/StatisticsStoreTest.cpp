// The statistics store on real files: only regular files are opened, a
// full disk is no broken database, and a kept connection notices when its
// file is replaced.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "shared/AtomicFile.h"
#include "shared/StatisticsSchema.h"
#include "shared/StatisticsStore.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {
namespace {

using statistics::Store;

class StatisticsStoreTest : public ::testing::Test {
protected:
    std::filesystem::path file(const char* name) const { return root.path() / name; }

    // A database with the statistics table and `rows` rows.
    std::filesystem::path database(const char* name, int rows) const {
        Store store;
        EXPECT_TRUE(store.open(file(name), Store::Access::ReadWriteCreate));
        EXPECT_TRUE(store.execute(statistics::kCreateTableStatement));
        for (int row = 0; row < rows; ++row)
            EXPECT_TRUE(store.execute("INSERT INTO BATTERY_STATUS (UpdateTime) VALUES (1)"));
        return file(name);
    }

    TemporaryRoot root;
};

TEST_F(StatisticsStoreTest, OnlyARegularFileIsOpenedAndALinkIsNeverFollowed) {
    // A FIFO: opening or reading it would wait for a writer that never comes.
    ASSERT_EQ(::mkfifo(file("fifo.db").c_str(), 0600), 0);
    for (const Store::Access access : {Store::Access::ReadOnly, Store::Access::ReadWrite}) {
        Store store;
        EXPECT_EQ(store.open(file("fifo.db"), access).reason(), std::errc::no_such_device_or_address);
        EXPECT_FALSE(store.isOpen());
    }
    EXPECT_EQ(statistics::countRows(file("fifo.db")), 0);

    std::filesystem::create_directory(file("folder.db"));
    Store store;
    EXPECT_EQ(store.open(file("folder.db"), Store::Access::ReadWriteCreate).reason(), std::errc::is_a_directory);

    // A link to a sound database elsewhere: refused, the target untouched.
    const std::filesystem::path target = database("target.db", 2);
    std::filesystem::create_symlink(target, file("link.db"));
    EXPECT_EQ(store.open(file("link.db"), Store::Access::ReadWrite).reason(), std::errc::too_many_symbolic_link_levels);
    EXPECT_EQ(statistics::countRows(file("link.db")), 0);
    EXPECT_EQ(statistics::countRows(target), 2);

    EXPECT_EQ(statistics::kindName(statistics::fileKindAt(file("fifo.db"))), "FIFO");
    EXPECT_EQ(statistics::kindName(statistics::fileKindAt(file("link.db"))), "symbolic link");
    EXPECT_EQ(statistics::kindName(statistics::fileKindAt(file("folder.db"))), "directory");
    EXPECT_EQ(statistics::fileKindAt(file("missing.db")), statistics::FileKind::Missing);
}

TEST_F(StatisticsStoreTest, AFullDiskLeavesTheFileUnavailableAndOnlyBadContentIsBroken) {
    // An empty file (left by a kill) on a disk with no page to spare.
    std::ofstream(file("empty.db")).close();
    Store store;
    ASSERT_TRUE(store.open(file("empty.db"), Store::Access::ReadWrite));
    ASSERT_TRUE(store.execute("PRAGMA max_page_count=1"));
    std::string detail;
    EXPECT_EQ(store.check(detail), Store::Health::Unavailable);
    EXPECT_EQ(detail, "database or disk is full");

    // The same file with room: its table is made.
    ASSERT_TRUE(store.open(file("empty.db"), Store::Access::ReadWrite));
    EXPECT_EQ(store.check(detail), Store::Health::Usable);
    EXPECT_EQ(statistics::countRows(file("empty.db")), 0);

    // Bytes that are no database.
    ASSERT_TRUE(writeFileAtomically(file("junk.db"), std::string(4096, 'x')));
    ASSERT_TRUE(store.open(file("junk.db"), Store::Access::ReadWrite));
    EXPECT_EQ(store.check(detail), Store::Health::Broken);
}

TEST_F(StatisticsStoreTest, AKeptConnectionKnowsWhenItsFileIsReplacedAndLetsOthersWorkBesideIt) {
    const std::filesystem::path path = database("stats.db", 1);
    Store writer;
    ASSERT_TRUE(writer.open(path, Store::Access::ReadWrite));
    ASSERT_TRUE(writer.useWriteAheadLog());
    statistics::Statement insert;
    ASSERT_TRUE(writer.prepare(statistics::kInsertStatement, insert));
    ASSERT_TRUE(insert.run());
    insert.reset();

    // Another connection purges and compacts while the writer keeps its
    // prepared insert; the writer's next row follows.
    {
        Store other;
        ASSERT_TRUE(other.open(path, Store::Access::ReadWrite));
        ASSERT_TRUE(other.execute(statistics::kDeleteAllStatement));
        ASSERT_TRUE(other.execute("VACUUM"));
    }
    ASSERT_TRUE(insert.run());
    insert.reset();
    EXPECT_EQ(statistics::countRows(path), 1);

    EXPECT_TRUE(writer.stillAt(path));
    ASSERT_TRUE(writeFileAtomically(path, std::string(4096, 'x')));
    EXPECT_FALSE(writer.stillAt(path));
    std::filesystem::remove(path);
    EXPECT_FALSE(writer.stillAt(path));
}

}  // namespace
}  // namespace corvane::testing
