// The statistics store on real files: only regular files are opened, a
// full disk is no broken database, a busy wait lasts until another writer
// finishes, and a kept connection notices when its file is replaced.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
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

// SQLite's own file layer, except that its pauses while a database is busy
// take no time and run `onPause` (another connection finishing) instead.
class PausesRunCode {
public:
    explicit PausesRunCode(std::function<void()> pause) {
        onPause = std::move(pause);
        layer_ = *real_;
        layer_.zName = "corvane-test-pauses";
        layer_.xSleep = [](sqlite3_vfs*, int microseconds) {
            if (onPause) std::exchange(onPause, nullptr)();
            return microseconds;
        };
        sqlite3_vfs_register(&layer_, 1);
    }
    ~PausesRunCode() {
        sqlite3_vfs_register(real_, 1);
        sqlite3_vfs_unregister(&layer_);
        onPause = nullptr;
    }

private:
    static inline std::function<void()> onPause;
    sqlite3_vfs* real_ = sqlite3_vfs_find(nullptr);
    sqlite3_vfs layer_{};
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

    // A database whose first page is whole but whose rows are overwritten.
    const std::filesystem::path damaged = database("damaged.db", 600);
    ASSERT_TRUE(store.open(damaged, Store::Access::ReadWrite));
    // With its index made, only the check reads the damaged pages.
    ASSERT_TRUE(store.execute(statistics::kCreateIndexStatement));
    store.close();
    {
        std::fstream bytes(damaged, std::ios::in | std::ios::out | std::ios::binary);
        bytes.seekp(4096);
        bytes << std::string(std::filesystem::file_size(damaged) - 4096, '\xff');
    }
    ASSERT_TRUE(store.open(damaged, Store::Access::ReadWrite));
    EXPECT_EQ(store.check(detail), Store::Health::Broken);
    EXPECT_NE(detail, "ok");
    store.close();

    // Moved aside with its log, so that a new database never inherits it.
    ASSERT_TRUE(writeFileAtomically(file("damaged.db-wal"), "log of the damaged one"));
    const std::optional<std::filesystem::path> moved = statistics::moveDatabaseAside(damaged, 1'800'000'000);
    ASSERT_TRUE(moved.has_value());
    EXPECT_EQ(readWholeFile(moved->string() + "-wal"), "log of the damaged one");
    EXPECT_FALSE(std::filesystem::exists(file("damaged.db-wal")));

    // Opening for writing never makes a file that is not there.
    EXPECT_FALSE(store.open(file("missing.db"), Store::Access::ReadWrite));
    EXPECT_FALSE(std::filesystem::exists(file("missing.db")));
}

TEST_F(StatisticsStoreTest, AWriterGivenABusyWaitWaitsForAnotherToFinishAndOneWithoutNone) {
    const std::filesystem::path path = database("stats.db", 0);
    Store holder;
    ASSERT_TRUE(holder.open(path, Store::Access::ReadWrite));
    ASSERT_TRUE(holder.execute("BEGIN EXCLUSIVE"));
    const PausesRunCode finishing([&] { EXPECT_TRUE(holder.execute("COMMIT")); });

    Store impatient;
    ASSERT_TRUE(impatient.open(path, Store::Access::ReadWrite));
    EXPECT_TRUE(statistics::isBusy(impatient.execute(statistics::kDeleteAllStatement).reason()));

    Store patient;
    ASSERT_TRUE(patient.open(path, Store::Access::ReadWrite, 1000));
    EXPECT_TRUE(patient.execute("INSERT INTO BATTERY_STATUS (UpdateTime) VALUES (2)"));
    EXPECT_EQ(statistics::countRows(path), 1);
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
