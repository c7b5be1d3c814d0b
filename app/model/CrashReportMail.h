#pragma once
// The crash-report message: the subject naming the phone, the support
// address, a body that lists each log with its size, and the readable logs
// attached as they are. On this platform no mail composer exists, so the
// message is kept as a standard e-mail file in the outbox folder for the
// user's mail program to send.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/model/MimeMessage.h"

namespace corvane::app {

class CrashReportMail {
public:
    // The single recipient of crash reports.
    static constexpr std::string_view kSupportAddress = "support@ampwise.example.org";
    // The sender written in the file; the user's mail program sends it
    // from the user's own account.
    static constexpr std::string_view kSender = "Ampwise <ampwise@localhost>";
    static constexpr std::string_view kGenerator = "Ampwise 2.1.1";

    // Reads each named log of the folder whole. A log that cannot be read
    // (gone, unreadable, not a regular file, too large) is named unreadable
    // in the body and not attached. Without a host name the subject reads
    // "Logs from (null)".
    //
    // Attachments stop at `attachmentLimit` bytes in all, so that the
    // message and its encoded copy stay a size that can be held and mailed;
    // a log past it is named with its size and "(not attached)".
    static constexpr std::size_t kAttachmentLimit = 64 * 1024 * 1024;
    static MimeMessage compose(const std::filesystem::path& folder, const std::vector<std::string>& names,
                               const std::optional<std::string>& hostname, double now,
                               std::size_t attachmentLimit = kAttachmentLimit);

    // Writes the message atomically under a new name in the outbox folder
    // (created when missing). The written file's path, or none with the
    // reason in `error`.
    static std::optional<std::filesystem::path> saveToOutbox(const MimeMessage& message, std::string& error);
};

}  // namespace corvane::app
