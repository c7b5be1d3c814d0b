// Where the phone's absolute paths live on this machine.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "shared/Paths.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::paths {
namespace {

namespace fs = std::filesystem;

class PathsTest : public ::testing::Test {
protected:
    testing::SavedEnvironment saved_{{"CORVANE_ROOT", "XDG_DATA_HOME", "HOME"}};
};

TEST_F(PathsTest, RootFollowsTheEnvironmentInOrder) {
    ::setenv("CORVANE_ROOT", "/r/explicit/", 1);
    ::setenv("XDG_DATA_HOME", "/r/data", 1);
    ::setenv("HOME", "/r/home", 1);
    EXPECT_EQ(root(), fs::path("/r/explicit"));

    ::setenv("CORVANE_ROOT", "", 1);  // empty counts as unset
    EXPECT_EQ(root(), fs::path("/r/data/corvane/device"));

    ::unsetenv("CORVANE_ROOT");
    ::setenv("XDG_DATA_HOME", "relative/data", 1);  // a relative data home is invalid
    EXPECT_EQ(root(), fs::path("/r/home/.local/share/corvane/device"));

    // Without HOME, the account's home folder.
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("HOME");
    const passwd* account = ::getpwuid(::getuid());
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(root(), fs::path(account->pw_dir) / ".local/share/corvane/device");
}

TEST_F(PathsTest, ResolvePlacesAbsolutePathsUnderTheRoot) {
    ::setenv("CORVANE_ROOT", "/sandbox", 1);
    // The settings path is shared with the app: a typo here parts them.
    EXPECT_EQ(resolve(kSettings),
              fs::path("/sandbox/private/var/mobile/Library/Preferences/org.fernhill.Ampwise.plist"));
    // Folders come without their trailing slash, so their name is the last component.
    EXPECT_EQ(resolve(kStatisticsDatabase).parent_path(), resolve(kStatisticsFolder));
    EXPECT_EQ(resolve("//usr//"), fs::path("/sandbox/usr"));
    // A preference domain is its property list in the preferences folder.
    EXPECT_EQ(preferenceDomain("org.fernhill.Ampwise"), resolve(kSettings));

    // The root is read at every call.
    ::setenv("CORVANE_ROOT", "/elsewhere", 1);
    EXPECT_EQ(resolve("/usr"), fs::path("/elsewhere/usr"));
}

}  // namespace
}  // namespace corvane::paths
