#include "app/screens/InfoViewController.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/model/AppLog.h"
#include "app/model/CrashReportMail.h"
#include "app/model/DisplayFormat.h"
#include "app/model/Localized.h"
#include "app/platform/AppPlatform.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/VersionCompare.h"

namespace corvane::app {

namespace {

constexpr const char* kCellIdentifier = "Cell";
// From this system version on, row 5 tells whether low-power mode exists.
constexpr std::string_view kFirstVersionWithLowPowerMode = "8.0";

std::string yesNo(bool value) { return value ? L("Yes") : L("No"); }

bool qualifies(const std::string& name) {
    return name.ends_with(".ips") &&
           (name.find("SpringBoard") != std::string::npos || name.find("Ampwise") != std::string::npos);
}

}  // namespace

InfoViewController::InfoViewController() {
    tableView().registerPrototype(kCellIdentifier, [] { return std::make_shared<TableCell>(kCellIdentifier); });
}

void InfoViewController::viewDidLoad() {
    title = L("Infos");
    coreTelephonyNew = std::make_unique<CoreTelephonyNew>();
    name = coreTelephonyNew->name;
    AMPWISE_LOG("%s detected", name.machine.c_str());
    AMPWISE_LOG("System : %s", name.sysname.c_str());
    AMPWISE_LOG("Release : %s", name.release.c_str());
    AMPWISE_LOG("Nodename : %s", name.nodename.c_str());
    AMPWISE_LOG("Version : %s", name.version.c_str());
    is3GCapable = coreTelephonyNew->is3GCapable();
    info = MobileDataInfo::loadFromFile();
}

int InfoViewController::numberOfRowsInSection(TableView& /*tableView*/, int /*section*/) { return kRowCount; }

std::pair<std::string, std::string> InfoViewController::rowContent(int row) const {
    AppDevice& device = AppPlatform::current().device();
    switch (row) {
        case 0: return {L("Device"), name.machine};
        case 1: return {L("Name"), name.nodename};
        case 2: return {L("System"), name.sysname};
        case 3: return {L("Release"), name.release};
        case 4: return {L("Version"), name.version};
        case 5:
            if (compareVersions(device.systemVersion(), kFirstVersionWithLowPowerMode) >= 0) {
                return {L("Supports Low power mode"),
                        yesNo(device.classRespondsToClassOperation(deviceinfo::kLowPowerModeSettingsClass,
                                                                   deviceinfo::kLowPowerModeEnabledOperation))};
            }
            return {L("Supports 3G switch"), yesNo(is3GCapable)};
        case 6: return {L("Supports 2G"), yesNo(info.support2G())};
        case 7: return {L("Supports 3G"), yesNo(info.support3G())};
        case 8: return {L("Supports 4G"), yesNo(info.support4G())};
        case 9: return {L("Device Kind"), std::to_string(info.deviceKind())};
        case 10: {
            char version[64];
            std::snprintf(version, sizeof version, "%f", device.coreFoundationVersionNumber());
            return {L("CoreFoundation version"), version};
        }
        default: return {L("Send crash logs"), ""};
    }
}

std::shared_ptr<TableCell> InfoViewController::cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) {
    std::shared_ptr<TableCell> cell = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell) return nullptr;
    auto [label, value] = rowContent(indexPath.row);
    cell->text = std::move(label);
    cell->detailText = std::move(value);
    if (indexPath.row == kSendCrashLogsRow) {
        cell->selectionStyle = CellSelectionStyle::Default;
        cell->accessoryType = CellAccessory::DisclosureIndicator;
        cell->userInteractionEnabled = true;
    } else {
        cell->selectionStyle = CellSelectionStyle::None;
    }
    return cell;
}

void InfoViewController::didSelectRowAtIndexPath(TableView& /*tableView*/, IndexPath indexPath) {
    AMPWISE_LOG("row %ld tapped", static_cast<long>(indexPath.row));
    if (indexPath.row == kSendCrashLogsRow) sendCrashes();
}

void InfoViewController::sendCrashes() {
    const std::filesystem::path folder = paths::resolve(paths::kCrashReporterFolder);
    std::vector<std::string> listing;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        listing.push_back(entry->path().filename().string());
    }
    if (error) {
        AMPWISE_LOG("Cannot list %s : %s", folder.c_str(), error.message().c_str());
        alert(L("Error"), error.message());
        return;
    }
    if (listing.empty()) {
        alert(L("Warn"), L("No crash log found"));
        return;
    }
    // The system lists a folder in no particular order: by name, the
    // message reads the same whatever the file system.
    std::sort(listing.begin(), listing.end());
    std::vector<std::string> names;
    for (const std::string& fileName : listing) {
        if (!qualifies(fileName)) continue;
        AMPWISE_LOG("Adding crashlog %s", fileName.c_str());
        names.push_back(fileName);
    }
    if (names.empty()) {
        alert(L("Warn"), L("No suitable crash log found"));
        return;
    }
    sendMail(names);
}

void InfoViewController::sendMail(const std::vector<std::string>& names) {
    AMPWISE_LOG("Entering sendmail with %ld files", static_cast<long>(names.size()));
    const MimeMessage message = CrashReportMail::compose(paths::resolve(paths::kCrashReporterFolder), names, hostname(),
                                                         AppPlatform::current().currentTime());
    std::string failure;
    const std::optional<std::filesystem::path> saved = CrashReportMail::saveToOutbox(message, failure);

    AlertView alertView;
    alertView.cancelButtonTitle = L("Dismiss");
    alertView.delegate = this;
    if (saved) {
        pendingMailResult_.emplace(MailComposeResult::Saved, std::nullopt);
        alertView.title = L("Mail saved");
        alertView.message = DisplayFormat::apply(L("The crash report was saved to %s"), {saved->string()});
        alertView.otherButtonTitles = {L("Open in mail program")};
        savedMail_ = *saved;
    } else {
        pendingMailResult_.emplace(MailComposeResult::Failed, failure);
        alertView.title = L("Error");
        alertView.message = DisplayFormat::apply(L("The crash report could not be saved: %s"), {failure});
    }
    showAlert(alertView);
}

std::optional<std::string> InfoViewController::hostname() const {
    const std::optional<std::string> host = AppPlatform::current().device().hostName();
    if (!host) return std::nullopt;
    return *host + ".local";
}

void InfoViewController::alert(const std::string& title, const std::string& message) {
    showAlert({.title = title, .message = message, .cancelButtonTitle = L("Dismiss")});
}

void InfoViewController::alertViewClickedButtonAtIndex(const AlertView& /*alertView*/, int buttonIndex) {
    if (buttonIndex == kOpenMailButton && savedMail_) {
        Navigator* navigator = navigationController();
        const std::string address = "file://" + savedMail_->string();
        if (navigator == nullptr || !navigator->openURL(address)) AMPWISE_LOG("Could not open %s", address.c_str());
    }
    savedMail_.reset();
    if (!pendingMailResult_) return;
    const auto [result, error] = *pendingMailResult_;
    pendingMailResult_.reset();
    mailComposeController(result, error);
}

void InfoViewController::mailComposeController(MailComposeResult result, const std::optional<std::string>& error) {
    if (result != MailComposeResult::Cancelled) AMPWISE_LOG("Result : %d", static_cast<int>(result));
    if (error) AMPWISE_LOG("Error : %s", error->c_str());
    if (Navigator* navigator = navigationController()) navigator->popViewControllerAnimated(true);
}

}  // namespace corvane::app
