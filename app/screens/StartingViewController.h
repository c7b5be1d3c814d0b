#pragma once
// The home list: seven fixed rows leading to the graphs, the last battery
// state, the settings, the strategy chooser, the help page, the device
// information and the credits. The strategy row shows the saving strategy of
// the settings file in words and in a colour of its own, refreshed each time
// the list becomes visible.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/screens/AlertView.h"
#include "app/screens/Color.h"
#include "app/screens/TableViewController.h"

namespace corvane::app {

class StartingViewController : public TableViewController, public AlertViewDelegate {
public:
    // Row identifiers, which are also the names of the segues they perform.
    static constexpr std::string_view kGoGraphCell = "goGraphCell";
    static constexpr std::string_view kLastBattCell = "lastBattCell";
    static constexpr std::string_view kSettingsCell = "settingsCell";
    static constexpr std::string_view kStrategyCell = "strategyCell";
    static constexpr std::string_view kFooterCell = "footerCell";
    static constexpr std::string_view kInfoCell = "infoCell";
    static constexpr std::string_view kGreetingsCell = "greetingsCell";
    // The help page opened from the footer row.
    static constexpr std::string_view kHelpPageAddress = "https://ampwise.example.org/help";
    // The row showing the strategy in force.
    static constexpr int kStrategyRow = 3;
    static constexpr int kFooterRow = 4;

    StartingViewController();

    // Text and colour of the strategy row; no colour until a known strategy
    // was shown.
    std::string status;
    std::optional<Color> color;
    // Under the strategy row: what the Adaptive strategy saved since the
    // last charge; empty under the other strategies.
    std::string savedText;

    // The seven rows as the screen layout provides them.
    std::shared_ptr<TableCell> goGraphCell;
    std::shared_ptr<TableCell> lastBattCell;
    std::shared_ptr<TableCell> strategyCell;
    std::shared_ptr<TableCell> settingsCell;
    std::shared_ptr<TableCell> footerCell;
    std::shared_ptr<TableCell> infoCell;
    std::shared_ptr<TableCell> greetingsCell;

    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableCell> cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;

    void viewDidAppear(bool animated) override;
    void viewDidUnload() override;
    bool shouldAutorotateToInterfaceOrientation(int orientation) const override;

    void alertViewClickedButtonAtIndex(const AlertView& alertView, int buttonIndex) override;

    // A reusable cell of the identifier from the table's prototypes.
    std::shared_ptr<TableCell> getCell(TableView& tableView, std::string_view identifier);
    // The stored cell of an identifier; none for an unknown name.
    std::shared_ptr<TableCell> getCellForIdentifier(std::string_view identifier);

    // The identifier of a home row; rows past the last one use the footer's.
    static std::string_view identifierForRow(int row);

private:
    // Where the cell of an identifier is stored; none for an unknown name.
    std::shared_ptr<TableCell>* storedCellSlot(std::string_view identifier);
    // The stored cell of an identifier, made again if it was released.
    std::shared_ptr<TableCell> layoutCell(std::string_view identifier);
    // Sets `status` and `color` from a strategy number; NO for an unknown one.
    bool chooseStatusForStrategy(std::int64_t strategy);
    void showHelpAlert();
};

}  // namespace corvane::app
