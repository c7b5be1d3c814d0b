#include "sim/PhoneLayout.h"

#include <fstream>
#include <system_error>

#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane::sim {

namespace {

std::optional<std::string> write(std::string_view phonePath, plist::Dictionary contents) {
    const std::filesystem::path path = paths::resolve(phonePath);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (!plist::writeFile(path, plist::Value(std::move(contents)))) return "cannot write " + path.string();
    return std::nullopt;
}

}  // namespace

std::optional<std::string> PhoneLayout::prepareRoot(const std::filesystem::path& root) {
    std::error_code error;
    if (std::filesystem::exists(root, error)) {
        if (!std::filesystem::is_directory(root, error)) return root.string() + " is not a folder";
        const bool ours = std::filesystem::exists(root / kMarker, error);
        bool empty = true;
        for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
            if (entry.path().filename() == kMarker) continue;
            empty = false;
            if (!ours) break;
            std::filesystem::remove_all(entry.path(), error);
            if (error) return "cannot empty " + root.string() + ": " + error.message();
        }
        if (error) return "cannot read " + root.string() + ": " + error.message();
        if (!empty && !ours) {
            return root.string() + " is not empty and was not laid out by phonesim; choose another root";
        }
    } else {
        std::filesystem::create_directories(root, error);
        if (error) return "cannot create " + root.string() + ": " + error.message();
    }
    std::ofstream marker(root / kMarker);
    marker << "A simulated phone's filesystem root; phonesim empties it before each run.\n";
    if (!marker) return "cannot write in " + root.string();
    return std::nullopt;
}

std::optional<std::string> PhoneLayout::writeFiles(const Scenario& scenario, std::optional<std::int32_t> strategy) {
    std::error_code ignored;
    std::filesystem::create_directories(paths::resolve(paths::kPreferencesFolder), ignored);

    if (auto error =
            write(paths::kSystemVersion,
                  plist::Dictionary{{std::string(systemversion::kProductName), "iPhone OS"},
                                    {std::string(systemversion::kProductVersion), scenario.device.systemVersion}})) {
        return error;
    }

    // The telephony server names its rates by their constants.
    constexpr std::string_view kRateConstants[] = {deviceinfo::kDataRate2G, deviceinfo::kDataRate3G,
                                                   deviceinfo::kDataRate4G};
    plist::Array rates;
    for (platform::DataRate rate : scenario.device.dataRates) {
        rates.push_back(plist::Value(kRateConstants[static_cast<std::size_t>(rate)]));
    }
    plist::Dictionary device{
        {std::string(simdevice::kMachine), scenario.device.machine},
        {std::string(simdevice::kSystemVersion), scenario.device.systemVersion},
        {std::string(simdevice::kCoreFoundationVersionNumber), 1141.14},
        {std::string(simdevice::kUserInterfaceIdiom), 0},
        {std::string(simdevice::kCapabilities),
         plist::Value(plist::Dictionary{{"cellular-data", !scenario.device.dataRates.empty()}})},
        {std::string(simdevice::kTelephonyServerReachable), true},
        {std::string(simdevice::kRATSelection), "kCTRegistrationRATSelection1"},
        {std::string(simdevice::kSupportedDataRates), plist::Value(std::move(rates))},
        {std::string(simdevice::kLowPowerModeAvailable), scenario.device.lowPowerMode},
    };
    if (auto error = write(paths::kSimulatedDevice, std::move(device))) return error;

    if (auto error = write(paths::kPushPropertyList,
                           plist::Dictionary{{std::string(push::kEnablePush), scenario.radios.at(Radio::Push)}})) {
        return error;
    }

    std::optional<plist::Dictionary> settings = scenario.settings;
    if (strategy) {
        if (!settings) settings = plist::Dictionary{};
        settings->set(settings::kStrategy, plist::Value(*strategy));
    }
    if (settings) {
        if (auto error = write(paths::kSettings, *settings)) return error;
    }
    if (scenario.lists.shutdown) {
        if (auto error = write(paths::kShutdownList, *scenario.lists.shutdown)) return error;
    }
    if (scenario.lists.keep) {
        if (auto error = write(paths::kKeepList, *scenario.lists.keep)) return error;
    }
    if (scenario.lists.delay) {
        if (auto error = write(paths::kDelayList, *scenario.lists.delay)) return error;
    }
    return std::nullopt;
}

}  // namespace corvane::sim
