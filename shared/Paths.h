#pragma once
// The fixed absolute paths of the phone's file system, and where they live on
// this machine. Every absolute path is resolved under a filesystem root:
// $CORVANE_ROOT when set, else $XDG_DATA_HOME/corvane/device, else
// ~/.local/share/corvane/device.

#include <filesystem>
#include <string_view>

namespace corvane::paths {

inline constexpr std::string_view kPreferencesFolder = "/private/var/mobile/Library/Preferences";

// Settings and application lists shared with the app.
inline constexpr std::string_view kSettings = "/private/var/mobile/Library/Preferences/org.fernhill.Ampwise.plist";
inline constexpr std::string_view kApplicationNames =
    "/private/var/mobile/Library/Preferences/org.fernhill.Ampwise-apps.plist";
inline constexpr std::string_view kShutdownList =
    "/private/var/mobile/Library/Preferences/org.fernhill.Ampwise-apps-shutdown.plist";
inline constexpr std::string_view kKeepList =
    "/private/var/mobile/Library/Preferences/org.fernhill.Ampwise-apps-keep.plist";
inline constexpr std::string_view kDelayList =
    "/private/var/mobile/Library/Preferences/org.fernhill.Ampwise-apps-delay.plist";
inline constexpr std::string_view kMobileData =
    "/private/var/mobile/Library/Preferences/org.fernhill.Ampwise-mobileData.plist";
inline constexpr std::string_view kGraphSettings =
    "/private/var/mobile/Library/Preferences/org.fernhill.Ampwise-graphs.plist";

// Statistics.
inline constexpr std::string_view kStatisticsFolder =
    "/private/var/mobile/Library/Preferences/com.quibbit.Corvanix-stats/";
inline constexpr std::string_view kStatisticsDatabase =
    "/private/var/mobile/Library/Preferences/com.quibbit.Corvanix-stats/stats.db";
inline constexpr std::string_view kLastBatteryState =
    "/private/var/mobile/Library/Preferences/com.quibbit.Corvanix-stats/lastBatteryState.plist";
inline constexpr std::string_view kStatisticsPropertyList =
    "/private/var/mobile/Library/Preferences/com.quibbit.Corvanix-stats.plist";

// System files the engine reads or rewrites on the user's behalf.
inline constexpr std::string_view kPushPropertyList =
    "/private/var/mobile/Library/Preferences/com.apple.persistentconnection-mcc.plist";
inline constexpr std::string_view kNetworkPreferencesDomain = "com.apple.preferences.network";
inline constexpr std::string_view kScheduledPowerEvents =
    "/Library/Preferences/SystemConfiguration/com.apple.AutoWake.plist";
inline constexpr std::string_view kSystemVersion = "/System/Library/CoreServices/SystemVersion.plist";
// The simulated phone's description of itself (hardware model, capabilities,
// telephony answers), so that other processes see the same device.
inline constexpr std::string_view kSimulatedDevice = "/System/Library/CoreServices/org.fernhill.phonesim-device.plist";
inline constexpr std::string_view kMobileGestaltLibrary = "/usr/lib/libMobileGestalt.dylib";
inline constexpr std::string_view kCrashReporterFolder = "/private/var/mobile/Library/Logs/CrashReporter";

// The root under which the phone's absolute paths live on this machine.
// Read from the environment at every call, so a test can switch roots.
std::filesystem::path root();

// An absolute phone path resolved under root(); a trailing slash is kept off.
std::filesystem::path resolve(std::string_view absolutePath);

// The file of a preference domain ("<domain>.plist" in the preferences folder).
std::filesystem::path preferenceDomain(std::string_view domain);

}  // namespace corvane::paths

namespace corvane::paths {
// Crash-report messages written by the app, one standard e-mail file each,
// for the user's mail program to send.
inline constexpr std::string_view kMailOutbox = "/private/var/mobile/Library/Mail/Outbox";
}  // namespace corvane::paths

namespace corvane::paths {
// The companion app's own user defaults (what the app remembers for its
// screens, such as the pull-to-refresh header's last text). Kept apart from
// the settings file, which the engine reads.
inline constexpr std::string_view kAppUserDefaults =
    "/private/var/mobile/Library/Preferences/org.fernhill.Ampwise-userdefaults.plist";
}  // namespace corvane::paths

namespace corvane::paths {
// The Adaptive strategy's records, kept by the engine: the user's recent
// locks and what the strategy saved since the last charge.
inline constexpr std::string_view kAdaptiveRecords =
    "/private/var/mobile/Library/Preferences/com.quibbit.Corvanix-adaptive.plist";
// The user's own energy figures for the Adaptive strategy, overriding the
// device's (any key may be left out).
inline constexpr std::string_view kEnergyCosts =
    "/private/var/mobile/Library/Preferences/org.fernhill.Ampwise-energyCosts.plist";
}  // namespace corvane::paths
