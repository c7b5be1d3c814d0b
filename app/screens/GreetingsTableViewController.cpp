#include "app/screens/GreetingsTableViewController.h"

#include <array>
#include <span>
#include <string>

#include "app/model/Localized.h"

namespace corvane::app {

namespace {

struct Credit {
    std::string_view role;
    std::string_view contributors;
};

// Those who built the app.
constexpr std::array<Credit, 4> kMakers = {{
    {"Engine", "The Ampwise team"},
    {"Companion app", "The Ampwise team"},
    {"Graphs", "The Ampwise team"},
    {"Artwork", "Community designers"},
}};

// Those who helped along the way.
constexpr std::array<Credit, 7> kHelpers = {{
    {"Testing", "Beta testers"},
    {"Translations", "Volunteer translators"},
    {"Documentation", "Community writers"},
    {"Ideas", "Forum members"},
    {"Bug reports", "Everyone who sent a crash log"},
    {"Support", "Community moderators"},
    {"Patience", "You, for using Ampwise"},
}};

std::span<const Credit> creditsOfSection(int section) {
    if (section == 0) return kMakers;
    if (section == 1) return kHelpers;
    return {};
}

}  // namespace

GreetingsTableViewController::GreetingsTableViewController() {
    title = L("Greetings");
    tableView().registerPrototype(std::string(kGreetingsCell), [] {
        auto cell = std::make_shared<TableCell>(std::string(kGreetingsCell));
        cell->selectionStyle = CellSelectionStyle::None;
        return cell;
    });
}

int GreetingsTableViewController::numberOfSectionsInTableView(TableView& /*tableView*/) { return 2; }

int GreetingsTableViewController::numberOfRowsInSection(TableView& /*tableView*/, int section) {
    return static_cast<int>(creditsOfSection(section).size());
}

std::shared_ptr<TableCell> GreetingsTableViewController::cellForRowAtIndexPath(TableView& table, IndexPath indexPath) {
    std::shared_ptr<TableCell> cell = table.dequeueReusableCellWithIdentifier(kGreetingsCell);
    const std::span<const Credit> credits = creditsOfSection(indexPath.section);
    if (!cell || indexPath.row < 0 || indexPath.row >= static_cast<int>(credits.size())) return cell;
    const Credit& credit = credits[static_cast<std::size_t>(indexPath.row)];
    cell->text = L(credit.role);
    cell->detailText = L(credit.contributors);
    return cell;
}

void GreetingsTableViewController::didSelectRowAtIndexPath(TableView& /*tableView*/, IndexPath /*indexPath*/) {}

std::string GreetingsTableViewController::titleForHeaderInSection(TableView& /*tableView*/, int section) {
    if (section == 0) return L("Made by");
    if (section == 1) return L("Thanks to");
    return {};
}

}  // namespace corvane::app
