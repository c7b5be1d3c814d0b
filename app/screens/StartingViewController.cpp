#include "app/screens/StartingViewController.h"

#include <array>
#include <cstdint>

#include "app/model/AdaptiveSavings.h"
#include "app/model/AppLog.h"
#include "app/model/Localized.h"
#include "app/model/PlistController.h"
#include "shared/SettingsCodes.h"

namespace corvane::app {

namespace {

constexpr std::array<std::string_view, 7> kRowIdentifiers = {
    StartingViewController::kGoGraphCell,  StartingViewController::kLastBattCell, StartingViewController::kSettingsCell,
    StartingViewController::kStrategyCell, StartingViewController::kFooterCell,   StartingViewController::kInfoCell,
    StartingViewController::kGreetingsCell};

constexpr std::string_view kFooterTitle = "FAQ Ampwise 2.1.1";
constexpr std::string_view kMakerNotice = "Ampwise - battery saver companion";
constexpr std::string_view kUnknownStrategy = "Unknown";
constexpr int kHelpAlertGoButton = 1;

struct StrategyLook {
    std::string_view text;
    Color color;
};

// Indexed by strategy number: None, iMessage, Normal, Aggressive, Ultimate, Custom, Adaptive.
constexpr std::array<StrategyLook, 7> kStrategyLooks = {{
    {"No saving plan", {0.8f, 0.2f, 0.35f, 0.8f}},
    {"iMessage friendly mode", {0.3f, 0.9f, 0.35f, 0.5f}},
    {"Using : normal mode", {0.3f, 0.8f, 0.35f, 0.6f}},
    {"Using : aggressive mode", {0.3f, 0.8f, 0.35f, 0.75f}},
    {"Using : ultimate mode", {0.3f, 0.8f, 0.35f, 0.9f}},
    {"Using : custom mode", {0.3f, 0.2f, 0.8f, 0.8f}},
    {"Using : adaptive mode", {0.1f, 0.55f, 0.75f, 0.9f}},
}};

std::string describe(const TableCell& cell) { return "<" + cell.reuseIdentifier() + ": '" + cell.text + "'>"; }

}  // namespace

StartingViewController::StartingViewController() {
    title = "Ampwise";
    for (std::string_view identifier : kRowIdentifiers) {
        layoutCell(identifier);
        tableView().registerPrototype(std::string(identifier), [this, identifier] { return layoutCell(identifier); });
    }
}

std::string_view StartingViewController::identifierForRow(int row) {
    if (row < 0 || row >= static_cast<int>(kRowIdentifiers.size())) return kFooterCell;
    return kRowIdentifiers[static_cast<std::size_t>(row)];
}

std::shared_ptr<TableCell>* StartingViewController::storedCellSlot(std::string_view identifier) {
    if (identifier == kGoGraphCell) return &goGraphCell;
    if (identifier == kLastBattCell) return &lastBattCell;
    if (identifier == kStrategyCell) return &strategyCell;
    if (identifier == kSettingsCell) return &settingsCell;
    if (identifier == kFooterCell) return &footerCell;
    if (identifier == kInfoCell) return &infoCell;
    if (identifier == kGreetingsCell) return &greetingsCell;
    return nullptr;
}

std::shared_ptr<TableCell> StartingViewController::layoutCell(std::string_view identifier) {
    std::shared_ptr<TableCell>* slot = storedCellSlot(identifier);
    if (slot == nullptr) return nullptr;
    if (!*slot) {
        *slot = std::make_shared<TableCell>(std::string(identifier));
        (*slot)->accessoryType = CellAccessory::DisclosureIndicator;
    }
    return *slot;
}

std::shared_ptr<TableCell> StartingViewController::getCellForIdentifier(std::string_view identifier) {
    std::shared_ptr<TableCell>* slot = storedCellSlot(identifier);
    if (slot == nullptr) {
        AMPWISE_LOG("Unknown cell %s", std::string(identifier).c_str());
        return nullptr;
    }
    return *slot;
}

std::shared_ptr<TableCell> StartingViewController::getCell(TableView& table, std::string_view identifier) {
    return table.dequeueReusableCellWithIdentifier(identifier);
}

int StartingViewController::numberOfRowsInSection(TableView& /*tableView*/, int /*section*/) {
    return static_cast<int>(kRowIdentifiers.size());
}

std::shared_ptr<TableCell> StartingViewController::cellForRowAtIndexPath(TableView& table, IndexPath indexPath) {
    std::shared_ptr<TableCell> cell = getCell(table, identifierForRow(indexPath.row));
    if (!cell) {
        AMPWISE_LOG("Cell is nil for indexPath(%d, %d)", indexPath.section, indexPath.row);
        return nullptr;
    }
    switch (indexPath.row) {
        case 0: {
            // The graphs row stays greyed out while no graph screen exists.
            const Navigator* navigator = navigationController();
            const bool graphs = navigator != nullptr && navigator->canPerformSegue(kGoGraphCell);
            cell->text = L("View Graphs");
            cell->textEnabled = graphs;
            cell->userInteractionEnabled = graphs;
            break;
        }
        case 1: cell->text = L("Last battery state"); break;
        case 2: cell->text = L("Settings"); break;
        case kStrategyRow:
            cell->text = status;
            cell->textColor = color;
            cell->detailText = savedText;
            AMPWISE_LOG("Cell at 0, 3 is %s", describe(*cell).c_str());
            break;
        case kFooterRow:
            cell->text = std::string(kFooterTitle);
            cell->detailText = L(kMakerNotice);
            cell->accessoryType = CellAccessory::None;
            break;
        case 5:
            cell->text = L("Infos");
            cell->detailText = L("Infos about your device");
            break;
        case 6: cell->text = L("Greetings"); break;
        default: break;
    }
    return cell;
}

bool StartingViewController::chooseStatusForStrategy(std::int64_t strategy) {
    if (strategy < 0 || strategy >= static_cast<std::int64_t>(kStrategyLooks.size())) {
        status = std::string(kUnknownStrategy);
        return false;
    }
    const StrategyLook& look = kStrategyLooks[static_cast<std::size_t>(strategy)];
    status = L(look.text);
    color = look.color;
    return true;
}

void StartingViewController::viewDidAppear(bool animated) {
    TableViewController::viewDidAppear(animated);
    const IndexPath strategyRow{0, kStrategyRow};
    std::shared_ptr<TableCell> cell = cellForRowAtIndexPath(tableView(), strategyRow);
    if (!cell) {
        AMPWISE_LOG("No cell found");
        return;
    }
    PlistController& model = PlistController::sharedInstance();
    model.reloadPrefs();
    const std::int64_t strategy = model.strategy();

    cell->textFlexibleWidth = false;
    chooseStatusForStrategy(strategy);
    if (strategy == kStrategyIMessage) cell->textFlexibleWidth = true;
    savedText.clear();
    if (strategy == kStrategyAdaptive) {
        savedText = AdaptiveSavings::sinceLastCharge().value_or(L("Nothing saved yet since the last charge"));
    }
    AMPWISE_LOG("setting text : %s", status.c_str());

    tableView().beginUpdates();
    tableView().reloadRowsAtIndexPaths({strategyRow});
    tableView().endUpdates();
}

void StartingViewController::didSelectRowAtIndexPath(TableView& table, IndexPath indexPath) {
    if (indexPath.row == kFooterRow) {
        showHelpAlert();
        return;
    }
    if (indexPath.row < 0 || indexPath.row >= static_cast<int>(kRowIdentifiers.size())) return;
    const std::string_view identifier = identifierForRow(indexPath.row);
    std::shared_ptr<TableCell> tapped = table.cellForRowAtIndexPath(indexPath);
    // Only the row the layout provides leads on; a stray cell does not.
    if (!tapped || tapped != getCellForIdentifier(identifier)) return;
    performSegueWithIdentifier(identifier, tapped.get());
}

void StartingViewController::showHelpAlert() {
    showAlert({.title = L("Info"),
               .message = L("Open the help page (needs network)"),
               .cancelButtonTitle = L("No, thanks"),
               .otherButtonTitles = {L("Yes, go")},
               .delegate = this});
}

void StartingViewController::alertViewClickedButtonAtIndex(const AlertView& /*alertView*/, int buttonIndex) {
    if (buttonIndex != kHelpAlertGoButton) return;
    Navigator* navigator = navigationController();
    if (navigator == nullptr || !navigator->openURL(kHelpPageAddress)) {
        AMPWISE_LOG("Could not open %s", std::string(kHelpPageAddress).c_str());
    }
}

void StartingViewController::viewDidUnload() {
    TableViewController::viewDidUnload();
    goGraphCell.reset();
    lastBattCell.reset();
    strategyCell.reset();
    settingsCell.reset();
    footerCell.reset();
    infoCell.reset();
    greetingsCell.reset();
}

bool StartingViewController::shouldAutorotateToInterfaceOrientation(int /*orientation*/) const { return true; }

}  // namespace corvane::app
