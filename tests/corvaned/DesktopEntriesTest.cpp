// The installed applications from the XDG desktop entries.
#include <gtest/gtest.h>

#include <fstream>

#include "device/DesktopEntries.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::device {
namespace {

void write(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

TEST(DesktopEntries, ShownApplicationsAreListedByIdAndTheFirstFolderWins) {
    testing::TemporaryRoot root;
    const std::filesystem::path home = root.path() / "home";
    const std::filesystem::path system = root.path() / "usr";
    write(
        system / "applications/org.gnome.Lollypop.desktop",
        "# player\n[Desktop Entry]\nType=Application\nName=Lollypop\nName[fr]=Sucette\n\n[Desktop Action New]\nName=Other\n");
    write(system / "applications/kde/okular.desktop", "[Desktop Entry]\nType = Application\nName = Okular\r\n");
    write(system / "applications/hidden.desktop", "[Desktop Entry]\nType=Application\nName=Hidden\nNoDisplay=true\n");
    write(system / "applications/link.desktop", "[Desktop Entry]\nType=Link\nName=A link\n");
    write(system / "applications/readme.txt", "[Desktop Entry]\nType=Application\nName=Not an entry\n");
    // The user's own entry of the same id hides the system's.
    write(home / "applications/org.gnome.Lollypop.desktop", "[Desktop Entry]\nType=Application\nName=My Lollypop\n");

    std::vector<DesktopApplication> found = desktopApplications({home, system, root.path() / "missing"});
    std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.id < b.id; });
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].id, "kde-okular");
    EXPECT_EQ(found[0].name, "Okular");
    EXPECT_EQ(found[1].id, "org.gnome.Lollypop");
    EXPECT_EQ(found[1].name, "My Lollypop");
}

}  // namespace
}  // namespace corvane::device
