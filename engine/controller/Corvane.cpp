#include "engine/controller/Corvane.h"

#include <exception>

#include "engine/battery/BatteryStatus.h"
#include "engine/controller/DebugLog.h"
#include "engine/controller/Guarded.h"
#include "engine/edgewifi/Edge2WiFiManager.h"
#include "engine/radios/RadiosLib.h"
#include "engine/strategies/CommonToAllStrategies.h"
#include "engine/strategies/Strategie.h"
#include "shared/Names.h"
#include "shared/ProcessState.h"
#include "shared/SettingsCodes.h"

namespace corvane {

namespace {

// The engine instance. Its storage is never destroyed, so the host's engine
// outlives every static destructor that could still reach it.
union EngineSlot {
    EngineSlot() : engine() {}
    ~EngineSlot() {}
    std::unique_ptr<Corvane> engine;
} engineSlot;

constexpr double kIconRetrySeconds = 2.0;
constexpr int kStatusBarAlignment = 2;
constexpr std::string_view kStatusBarIdentifier = "Ampwise.None";
constexpr std::string_view kDisabledImage = "AW_disabled";
constexpr std::string_view kDismissButton = "Dismiss";

std::optional<std::string_view> imageNameFor(std::int32_t strategyNumber) {
    switch (strategyNumber) {
        case kStrategyNone: return "AW_disabled";
        case kStrategyIMessage: return "AW_iMessageFriendly";
        case kStrategyNormal: return "AW_normal";
        case kStrategyAggressive: return "AW_aggressive";
        case kStrategyUltimate: return "AW_ultimate";
        case kStrategyCustom: return "AW_custom";
        case kStrategyAdaptive: return "AW_adaptive";
        default: return std::nullopt;
    }
}

}  // namespace

Corvane::Corvane(platform::Platform& platform)
    : platform_(platform),
      homeScreen_(platform.runtime()),
      edge2WiFiManager(std::make_unique<Edge2WiFiManager>(platform)),
      lastTurnOn(platform.clock().now()),
      lastDbSave(platform.clock().now()) {
    edge2WiFiManager->setFlagsChangedHandler([this] { persistData(); });
}

// Only tests destroy an engine; the host's instance lives until the process ends.
Corvane::~Corvane() { timers_.invalidateAll(); }

void Corvane::Timers::invalidateAll() {
    for (auto* timer : {&awakeTimer, &asleepTimer, &autoDismissTimer, &backgroundWiFiMonitorTimer, &busyRetryTimer,
                        &iconRetryTimer}) {
        if (*timer) (*timer)->invalidate();
    }
}

Corvane* Corvane::sharedEngine() { return engineSlot.engine.get(); }

std::unique_ptr<Corvane> Corvane::setSharedEngine(std::unique_ptr<Corvane> engine) {
    ProcessState::registerReset(ProcessState::kEngineInstance, [] { setSharedEngine(nullptr); });
    engineSlot.engine.swap(engine);
    return engine;
}

void Corvane::postInit() {
    radiosLib = std::make_unique<RadiosLib>(platform_);
    edge2WiFiManager->setRadioLib(radiosLib.get());
    baseStrategy = Strategie::strategyFromEnum(kStrategyNormal);
    strategy = baseStrategy;
    edge2WiFiManager->strategyDidChanged(strategy);
    frontMostApp = nullptr;
    shutdownApps = plist::Dictionary{};
    imageItem.reset();
}

void Corvane::postPostInit() {
    if (postPostInitDone) return;
    reloadData();
    reloadPrefs();
    platform_.darwinNotifications().registerDispatch(notifications::kApplicationListRequest,
                                                     guarded([this] { generateAppList(); }));
    postPostInitDone = true;
}

void Corvane::setCurrentWiFiNetwork(std::optional<std::string> network) { currentWiFiNetwork = std::move(network); }

// ---- Strategies -------------------------------------------------------------

bool Corvane::shouldEnableRadio(bool memorizedState, std::int32_t forStrategyState) const {
    if (strategy && strategy->strategy == kStrategyUltimate) return false;
    if (forStrategyState == kRadioOn) return true;
    if (forStrategyState == kRadioOff) return false;
    return memorizedState;
}

double Corvane::getWakeIntervalMinutes() const { return strategy ? strategy->wakeIntervalMinutes : 0.0; }

void Corvane::acPowerChanged(bool onACPower, platform::Object* /*uiController*/) {
    onAC = onACPower;
    CommonToAllStrategies& common = CommonToAllStrategies::sharedInstance();
    if (onAC) {
        if (strategy->strategy == kStrategyUltimate && temporaryStrategyInForce()) {
            strategy = baseStrategy;  // the temporary Ultimate is released with its last reference
            strategyDidChanged();
        }
        if (common.enableNoneOnAC() && strategy->strategy != kStrategyNone) {
            restoreStates();
            strategy = Strategie::strategyFromEnum(kStrategyNone);
            strategyDidChanged();
        }
    } else if (common.enableNoneOnAC() && strategy->strategy == kStrategyNone && temporaryStrategyInForce()) {
        strategy = baseStrategy;
        strategyDidChanged();
        // Unplugged with the screen off: the radios restored for the charge
        // go off again as after a lock, instead of staying on all night.
        if (isScreenDimmed()) asleepRadiosAsync();
    }
    if (!onAC) adaptiveChargeEnded();
    edge2WiFiManager->ACPowerChanged(onAC);
}

std::string Corvane::networkSpeedToString(std::int32_t speed) {
    switch (speed) {
        case kSpeedNoChange: return "NoChange";
        case kSpeedGSM: return "GSM";
        case kSpeed2G: return "2G";
        case kSpeed3G: return "3G";
        case kSpeed4G: return "4G";
        default: return "Unmanaged : " + std::to_string(speed);
    }
}

// ---- Status-bar icon ----------------------------------------------------------

void Corvane::strategyDidChanged() {
    edge2WiFiManager->strategyDidChanged(strategy);
    if (CommonToAllStrategies::sharedInstance().disableIcon()) {
        if (imageItem) {
            imageItem->setVisible(false);
            imageItem.reset();
        }
        return;
    }
    ensureLibStatusBarInit();
    if (!imageItem) {
        scheduleIconRetry();
        return;
    }
    if (auto image = imageNameFor(strategy->strategy)) imageItem->setImageName(*image);
}

void Corvane::scheduleIconRetry() {
    // Pending retries are merged: one timer serves every strategy change made
    // while the item is missing, and shows the strategy in force when it fires.
    if (timers_.iconRetryTimer && timers_.iconRetryTimer->isValid()) return;
    timers_.iconRetryTimer = platform_.mainRunLoop().scheduleTimer(kIconRetrySeconds, false, guarded([this] {
                                                                       timers_.iconRetryTimer.reset();
                                                                       strategyDidChanged();
                                                                   }));
}

void Corvane::ensureLibStatusBarInit() {
    if (imageItem) return;
    try {
        std::unique_ptr<platform::StatusBarItem> item =
            platform_.statusBar().createItem(kStatusBarIdentifier, kStatusBarAlignment);
        if (!item) {
            CORVANE_DEBUG("LSStatusBarItem class not found, no status-bar icon");
            return;
        }
        item->setImageName(kDisabledImage);
        imageItem = std::move(item);
    } catch (const std::exception& error) {
        CORVANE_DEBUG("Status-bar item creation failed: %s", error.what());
        imageItem.reset();
    } catch (...) {
        CORVANE_DEBUG("Status-bar item creation failed");
        imageItem.reset();
    }
}

// ---- Alerts -----------------------------------------------------------------

bool Corvane::alertUser(std::string_view message, std::string_view withTitle, double duration) {
    if (view) return false;
    view = platform_.alertViews().create(withTitle, message, kDismissButton);
    if (!view) return false;
    createAutodismissTimer(duration);
    view->show();
    return true;
}

void Corvane::showUltimateWarning() { alertUser("Switching to Ultimate mode", "Ampwise warning", 4.0); }

void Corvane::createAutodismissTimer(double seconds) {
    if (timers_.autoDismissTimer) return;
    timers_.autoDismissTimer =
        platform_.mainRunLoop().scheduleTimer(seconds, false, guarded([this] { autoDismissAlertItem(); }));
}

void Corvane::autoDismissAlertItem() {
    timers_.autoDismissTimer.reset();
    if (view && view->isVisible()) view->dismissWithClickedButtonIndex(0, true);
    view.reset();
}

}  // namespace corvane
