#pragma once
// The device information screen ("Infos"): the kernel identification, the
// cellular capabilities found by the app and by the engine (mobile-data
// file), the core framework version, and a row that gathers the crash logs
// of the home-screen process and of the app into a message to the support
// address.
//
// On this platform the message is written as an e-mail file to the outbox
// folder; an alert tells the user where, and dismissing it closes the
// message as the mail composer's delegate would: the screen goes back.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/model/CoreTelephonyNew.h"
#include "app/platform/AppDevice.h"
#include "app/screens/TableViewController.h"
#include "shared/MobileDataInfo.h"

namespace corvane::app {

// How a message ended, as the mail composer reports it.
enum class MailComposeResult { Cancelled = 0, Saved = 1, Sent = 2, Failed = 3 };

class InfoViewController : public TableViewController, public AlertViewDelegate {
public:
    static constexpr int kRowCount = 12;
    static constexpr int kSendCrashLogsRow = 11;

    InfoViewController();

    void viewDidLoad() override;
    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableCell> cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;

    // Gathers the qualifying crash logs and writes the message, or tells the
    // user why not.
    void sendCrashes();
    void sendMail(const std::vector<std::string>& names);
    // The host name followed by ".local"; none when it cannot be read.
    std::optional<std::string> hostname() const;
    // An alert with a single "Dismiss" button and no delegate.
    void alert(const std::string& title, const std::string& message);
    // The message is closed: logs the outcome and goes back.
    void mailComposeController(MailComposeResult result, const std::optional<std::string>& error);

    // The message-saved alert was dismissed.
    void alertViewClickedButtonAtIndex(const AlertView& alertView, int buttonIndex) override;

    KernelIdentification name;
    bool is3GCapable = false;
    std::unique_ptr<CoreTelephonyNew> coreTelephonyNew;
    MobileDataInfo info;

private:
    // Label and value of a row.
    std::pair<std::string, std::string> rowContent(int row) const;

    // The outcome of the last message, reported when its alert is dismissed.
    std::optional<std::pair<MailComposeResult, std::optional<std::string>>> pendingMailResult_;
    // The message file just saved, offered to the desktop's mail program by
    // the second button of the "Mail saved" alert.
    std::optional<std::filesystem::path> savedMail_;
    static constexpr int kOpenMailButton = 1;
};

}  // namespace corvane::app
