#include "app/screens/PurgeViewControllerViewController.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <limits>
#include <string>
#include <system_error>

#include "app/model/AppLog.h"
#include "app/model/DisplayFormat.h"
#include "app/model/Localized.h"
#include "app/platform/AppPlatform.h"
#include "shared/Paths.h"
#include "shared/StatisticsSchema.h"
#include "shared/StatisticsStore.h"

namespace corvane::app {

namespace {

constexpr std::string_view kTitleCell = "titleCell";
constexpr std::string_view kPurgeCell = "purgeCell";
constexpr int kChoicesSection = 1;

struct PurgeChoice {
    const char* label;
    std::int32_t hoursKept;
    // What the user is told when there was nothing to remove.
    const char* nothingRemoved;
};

constexpr std::array<PurgeChoice, 5> kChoices{{
    {"Keep last month only", 744, "Nothing older than a month"},
    {"Keep last week only", 168, "Nothing older than a week"},
    {"Keep last 2 days only", 48, "Nothing older than 2 days"},
    {"Keep today only", 24, "Nothing older than today"},
    {"Keep nothing", PurgeViewControllerViewController::kKeepNothing, "There was nothing to remove"},
}};

// "2,431": the count with its thousands grouped.
std::string grouped(std::int64_t count) {
    std::string digits = std::to_string(count < 0 ? -count : count);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return count < 0 ? "-" + digits : digits;
}

constexpr std::int64_t kSecondsPerHour = 3600;

std::int32_t clampTo32Bits(std::int64_t value) {
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < lowest ? lowest : value > highest ? highest : value);
}

// The phone's current second since 1970, truncated towards zero to 32 bits (a
// clock beyond the 32-bit range stays at its end). The records carry the
// phone's dates, so "today" is the phone's.
std::int32_t currentSecond() {
    const double now = AppPlatform::current().phoneTime();
    if (std::isnan(now)) return 0;
    if (now <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    if (now >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(now);
}

}  // namespace

PurgeViewControllerViewController::PurgeViewControllerViewController() {
    tableView().registerPrototype(std::string(kTitleCell),
                                  [] { return std::make_shared<TableCell>(std::string(kTitleCell)); });
    tableView().registerPrototype(std::string(kPurgeCell),
                                  [] { return std::make_shared<TableCell>(std::string(kPurgeCell)); });
}

void PurgeViewControllerViewController::viewDidLoad() { title = L("Purge graph data"); }

int PurgeViewControllerViewController::numberOfSectionsInTableView(TableView& /*tableView*/) { return 2; }

int PurgeViewControllerViewController::numberOfRowsInSection(TableView& /*tableView*/, int section) {
    return section == kChoicesSection ? static_cast<int>(kChoices.size()) : 0;
}

std::shared_ptr<TableCell> PurgeViewControllerViewController::cellForRowAtIndexPath(TableView& tableView,
                                                                                    IndexPath indexPath) {
    if (indexPath.section != kChoicesSection || indexPath.row < 0 ||
        indexPath.row >= static_cast<int>(kChoices.size())) {
        return nullptr;
    }
    std::shared_ptr<TableCell> cell = tableView.dequeueReusableCellWithIdentifier(kPurgeCell);
    if (cell) cell->text = L(kChoices[static_cast<std::size_t>(indexPath.row)].label);
    return cell;
}

void PurgeViewControllerViewController::didSelectRowAtIndexPath(TableView& /*tableView*/, IndexPath indexPath) {
    if (indexPath.section != kChoicesSection || indexPath.row < 0 ||
        indexPath.row >= static_cast<int>(kChoices.size())) {
        return;
    }
    purge(kChoices[static_cast<std::size_t>(indexPath.row)].hoursKept);
}

void PurgeViewControllerViewController::purge(std::int32_t hours) {
    if (hours == 0) return;
    hoursKept_ = hours;
    if (hours == kKeepNothing) {
        timePurge = -1;
    } else {
        // Computed in 64 bits: a cut-off outside the 32-bit range stays at
        // its end instead of wrapping round to an unrelated time.
        std::int32_t cutOff = clampTo32Bits(std::int64_t{currentSecond()} - std::int64_t{hours} * kSecondsPerHour);
        // -1 means "everything"; a cut-off that lands there keeps one more second.
        if (cutOff == -1) cutOff = -2;
        timePurge = cutOff;
    }
    showAlert({.title = L("Caution"),
               .message = L("Are you sure ?"),
               .cancelButtonTitle = L("Cancel"),
               .otherButtonTitles = {L("Do purge")},
               .delegate = this});
}

void PurgeViewControllerViewController::alertViewClickedButtonAtIndex(const AlertView& /*alertView*/, int buttonIndex) {
    if (buttonIndex == 1) purgeDatabase();
}

void PurgeViewControllerViewController::showOutcome(const char* alertTitle, const char* message) {
    showAlert({.title = L(alertTitle), .message = L(message), .cancelButtonTitle = L("Dismiss")});
}

void PurgeViewControllerViewController::purgeDatabase() {
    const std::filesystem::path file = paths::resolve(paths::kStatisticsDatabase);
    std::error_code ignored;
    if (!std::filesystem::exists(file, ignored)) {
        showOutcome("Warning", "No database found !?");
        return;
    }

    // Read-write only: a database that is not there is never created here.
    statistics::Store database;
    if (const Outcome opened = database.open(file, statistics::Store::Access::ReadWrite); !opened) {
        AMPWISE_LOG("Cannot open database %s : %d %s", file.c_str(), opened.reason().value(), opened.message().c_str());
        // The user asked for a purge: a database that cannot be opened is a failed one.
        showOutcome("Error", "Purge failed, try again");
        return;
    }

    const bool everything = timePurge == -1;
    statistics::Statement statement;
    const Outcome prepared =
        database.prepare(everything ? statistics::kDeleteAllStatement : statistics::kDeleteOlderStatement, statement);
    if (!prepared) {
        AMPWISE_LOG("Cannot prepare purge : %d %s", prepared.reason().value(), database.lastMessage().c_str());
        showOutcome("Error", "Purge failed, try again");
        return;
    }
    if (!everything) statement.bind(1, std::int64_t{timePurge});

    const Outcome purged = statement.run();
    const int removed = purged ? database.changes() : 0;
    if (purged)
        AMPWISE_LOG("Purged %d records older than %d", removed, timePurge);
    else
        AMPWISE_LOG("Purge failed : %d %s", purged.reason().value(), database.lastMessage().c_str());
    statement = statistics::Statement();

    // Compact whatever the outcome; its result is only logged.
    AMPWISE_LOG("VACUUM : %s", database.execute("VACUUM").message().c_str());
    database.close();

    if (!purged) {
        showOutcome("Error", "Purge failed, try again");
    } else if (removed > 0) {
        const std::string message = removed == 1
                                        ? L("Purge done: 1 record removed")
                                        : DisplayFormat::apply(L("Purge done: %@ records removed"), {grouped(removed)});
        showAlert({.title = L("Information"), .message = message, .cancelButtonTitle = L("Dismiss")});
    } else {
        const char* nothing = "There was nothing to remove";
        for (const PurgeChoice& choice : kChoices) {
            if (choice.hoursKept == hoursKept_) nothing = choice.nothingRemoved;
        }
        showOutcome("Information", nothing);
    }
}

}  // namespace corvane::app
