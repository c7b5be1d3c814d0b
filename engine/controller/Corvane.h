#pragma once
// The engine: one object per host process, created when the home screen has
// finished launching. It owns the radio gateway, the Edge/WiFi manager and
// the strategy in force, and runs the sleep and wake cycle of the radios, the
// power events, the application awareness, the battery records and the
// statistics, all on the host's main thread.
//
// The class is one module whose implementation is split by concern:
// Corvane.cpp (lifecycle, strategies, icon, alerts), CorvaneSleepCycle.cpp,
// CorvanePreferences.cpp, CorvanePower.cpp, CorvaneApplications.cpp,
// CorvaneWiFi.cpp, CorvaneBattery.cpp and CorvaneStatistics.cpp.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/platform/HomeScreen.h"
#include "engine/platform/Platform.h"
#include "engine/strategies/AdaptiveRecords.h"
#include "engine/strategies/StrategyAdaptive.h"
#include "shared/PropertyList.h"
#include "shared/StatisticsStore.h"

namespace corvane {

class BatteryStatus;
class Edge2WiFiManager;
class RadiosLib;
class Strategie;

class Corvane {
public:
    // `init`: the initial values; creates the Edge/WiFi manager and sets
    // `lastTurnOn` and `lastDbSave` to now.
    explicit Corvane(platform::Platform& platform);
    ~Corvane();
    Corvane(const Corvane&) = delete;
    Corvane& operator=(const Corvane&) = delete;

    // The engine instance of the process: none until the home screen has
    // finished launching. The host's instance is never destroyed; setting
    // another hands back the one it replaces (tests drop or restore it).
    static Corvane* sharedEngine();
    static std::unique_ptr<Corvane> setSharedEngine(std::unique_ptr<Corvane> engine);

    // Lifecycle.
    void postInit();
    void postPostInit();

    // Events of the home screen.
    void batteryStateChanged(const plist::Dictionary* dictionary);
    void wifiBarsChanged(int bars, platform::Object* wifiManager);
    void setCurrentWiFiNetwork(std::optional<std::string> network);
    void deviceLocked();
    void deviceUnlocked();
    void acPowerChanged(bool onACPower, platform::Object* uiController);
    void handleAppDidDied(platform::Object* application);
    void handleAppDidGoneSuspended(platform::Object* application);
    void handleAppDidGoneBackground(platform::Object* application);
    void handleAppDidGoneForeground(platform::Object* application);

    // User interface.
    bool alertUser(std::string_view message, std::string_view withTitle, double duration);
    void createAutodismissTimer(double seconds);
    void autoDismissAlertItem();
    void ensureLibStatusBarInit();
    void strategyDidChanged();
    // The alert "Switching to Ultimate mode", shown when Ultimate is forced
    // over the user's strategy.
    void showUltimateWarning();

    // Strategies.
    bool shouldEnableRadio(bool memorizedState, std::int32_t forStrategyState) const;
    double getWakeIntervalMinutes() const;
    static std::string networkSpeedToString(std::int32_t speed);

    // Sleep and wake cycle.
    void asleepRadiosAsync();
    void asleepRadiosSync();
    void awakeRadiosAsync();
    void restoreStates();
    void restoreStatesInBackground();
    void restoreStates(bool inBackground);
    void memorizeStates();
    void switchAllOFF();
    void setLastTurnOnIsNow();
    bool shouldIWakeRadiosNow();
    void awakeRadiosBackground();
    bool switchAllOffInBackground();
    void wakeRadiosInBackgroundIfNeeded();
    bool isScreenDimmed();
    bool isDimmed();

    // Settings and application lists.
    void reloadPrefs();
    void loadAppsState();
    void generateAppList();
    std::int32_t getValueFromDict(const plist::Dictionary& dictionary, std::string_view forKey);
    void saveValueToFile(std::string_view path, std::string_view key, const plist::Value& value);

    // Power events.
    void registerPowerListener();
    void powerMessageCallback(std::uint32_t messageType, std::intptr_t messageArgument);
    void scheduleNextWake();

    // Application awareness.
    bool isShutdownApp(platform::Object* application);
    bool isAnApplicationStreaming();

    // Statistics.
    void storeBatteryStatusInDB(const BatteryStatus& status);
    // The last-battery-state file: a report that changes only the readings
    // (current, voltage, temperature...) is written with the next one, a
    // change of the charge percent, the charging or the power source at
    // once; writeHeldBackBatteryState writes a waiting report (before the
    // system sleeps). A crash loses one battery report at most.
    void saveLastBatteryState(const plist::Dictionary& dictionary);
    void writeBatteryStateNow(const plist::Dictionary& dictionary);
    void writeHeldBackBatteryState();
    bool createDatabaseIfNeeded();
    void reloadData();
    void persistData();

    // The Adaptive strategy (CorvaneAdaptive.cpp): the lock's decision,
    // WiFi first at the restore, background syncs riding on other
    // applications' wake-ups, and the records of what it saved.
    bool adaptiveInForce() const;
    void scheduleNextWakeAdaptive();

    // Read access for the host's tests and tools.
    platform::Platform& hostPlatform() { return platform_; }
    const Strategie* currentStrategy() const { return strategy.get(); }
    const Strategie* userStrategy() const { return baseStrategy.get(); }

    // The power source read at start-up, before the first AC power event.
    void setOnAC(bool onACPower) { onAC = onACPower; }

    // The one way for the host's tests and tools to put the engine in a
    // situation; defined by them, never by the engine.
    struct TestAccess;

private:
    // The radio states read at the last switch-off, restored at the wake-up.
    struct MemorizedRadioStates {
        bool airplaneLastState = false;
        bool wifiLastState = false;
        bool edgeLastState = false;
        std::int32_t _3GLastState = 0;
        bool bluetoothLastState = false;
        bool locationLastState = false;
        bool pushLastState = false;
        bool lowPowerModeLastState = false;
        bool memorizedOnce = false;  // whether anything was memorized in this run
    };

    // Every timer the engine schedules on the main run loop.
    struct Timers {
        std::shared_ptr<platform::Timer> awakeTimer;
        std::shared_ptr<platform::Timer> asleepTimer;
        std::shared_ptr<platform::Timer> autoDismissTimer;
        std::shared_ptr<platform::Timer> backgroundWiFiMonitorTimer;
        // A statistics save waiting for a busy database; a newer reading replaces it.
        std::shared_ptr<platform::Timer> busyRetryTimer;
        // The status-bar item, tried again while its class is missing.
        std::shared_ptr<platform::Timer> iconRetryTimer;

        void invalidateAll();
    };

    // The rules that the statistics run on every battery reading.
    struct StatisticsRules;

    bool temporaryStrategyInForce() const { return strategy != baseStrategy; }

    // What the Adaptive strategy decided for the lock under way.
    struct AdaptiveState {
        std::optional<platform::Date> lockedAt;
        StrategyAdaptive::Radios radiosAtLock;
        // The radios switched off at this lock, and since when each is off.
        std::optional<StrategyAdaptive::Plan> plan;
        std::optional<double> wifiOffSince, cellularOffSince, bluetoothOffSince, locationOffSince;
        // Since when the low-power mode of the plan has been on with the processor awake.
        std::optional<double> lowPowerAwakeSince;
        // The wake-up at which the network comes back for the syncs.
        std::optional<platform::Date> nextSyncAt;
        // Cellular data waits for WiFi to associate after a restore.
        bool cellularWaitsForWiFi = false;
        std::shared_ptr<platform::Timer> wifiFirstTimer;
        // Other applications' events moved: where each went, and the time its application asked for.
        struct Moved {
            std::string scheduledBy;
            std::string eventType;
            double movedTo = 0.0;
            double ownTime = 0.0;
        };
        std::vector<Moved> moved;
        std::optional<AdaptiveRecords> records;
    };
    AdaptiveRecords& adaptiveRecords();
    void saveAdaptiveRecords();
    platform::DeviceEnergyCosts energyCosts();
    StrategyAdaptive::Radios radiosNow();
    const StrategyAdaptive* adaptiveStrategy() const;
    void adaptiveLockStarted();
    void adaptiveLockEnded();
    // At the lock's switch-off: answers whether anything goes off.
    bool adaptivePlanAtLock();
    // Before the phone sleeps: switches off what now pays.
    void adaptiveRecheck();
    // The at-sleep settings of the strategy in force, narrowed to the plan;
    // while a keep-radios application runs, to the low-power mode alone.
    Strategie adaptiveAtSleep(const Strategie& s, bool keptByApplication) const;
    // A keep-radios application runs: answers whether the plan still switches something.
    bool adaptiveActsWhileKept() const;
    void adaptiveSwitchedOff();
    // The system goes to sleep or powers on: the low-power mode saves only while awake.
    void adaptiveSystemAwake(bool awake);
    void adaptiveRestored(bool inBackground);
    bool adaptiveShouldWakeRadiosNow() const;
    // WiFi first: answers whether cellular data waits for WiFi.
    bool adaptiveWiFiFirst(bool wifiWanted);
    void adaptiveWiFiFirstCheck();
    void adaptiveWiFiSignal(int bars, platform::Object* wifiManager);
    void adaptiveChargeEnded();
    void scheduleIconRetry();

    platform::Platform& platform_;
    platform::HomeScreen homeScreen_;
    bool powerRegistered_ = false;

    // Radios.
    std::unique_ptr<RadiosLib> radiosLib;
    std::unique_ptr<Edge2WiFiManager> edge2WiFiManager;
    MemorizedRadioStates memorized_;
    Timers timers_;

    // The radios-off time.
    std::optional<platform::Date> lastTurnOff;
    platform::Date lastTurnOn;
    double lastSavedRadioTime = 0.0;
    double savedRadioTime = 0.0;
    double savedRadioTimeSinceFirstUse = 0.0;

    // Background wake-ups while the phone sleeps.
    bool awokeInBackground = false;
    std::optional<platform::Date> lastRestoreInBackground;

    // Statistics.
    bool postPostInitDone = false;
    // Kept open from the first row on, with its prepared insert, for as long
    // as it still names the file at the database's path. `statsDB.verified`:
    // the database passed its check in this run; a failed insert clears it
    // and closes the connection, so that the next reading checks (and
    // repairs) again.
    statistics::Store statsDB;
    statistics::Statement statsInsert;
    platform::Date lastDbSave;
    // The last-battery-state file as last written, so that an unchanged
    // state is not written again, and a changed state not yet written: the
    // file may lag one battery report behind (see saveLastBatteryState).
    std::optional<plist::Dictionary> lastWrittenBatteryState;
    std::optional<plist::Dictionary> heldBackBatteryState;
    std::unique_ptr<BatteryStatus> lastBatteryStatus;

    // The strategy chosen by the user, and the strategy in force: the same
    // object unless a temporary strategy (None on AC, Ultimate at the
    // critical level) is in force. Shared so that a verification thread that
    // still reads the previous strategy keeps it alive.
    std::shared_ptr<Strategie> baseStrategy;
    std::shared_ptr<Strategie> strategy;
    bool manageLowPowerMode = false;
    bool onAC = false;

    // Applications.
    platform::Object* frontMostApp = nullptr;
    plist::Dictionary shutdownApps;
    plist::Dictionary keepApps;
    plist::Dictionary noDelayApps;
    // Other applications' wake events the engine moved: where each went and
    // the time its application asked for, so that moving it again at a later
    // sleep never holds it more than a wake interval past that time.
    struct MovedWakeEvent {
        std::string scheduledBy;
        std::string eventType;
        double movedTo = 0.0;  // seconds since 1970
        double ownTime = 0.0;
    };
    std::vector<MovedWakeEvent> movedWakeEvents_;

    // Screen.
    std::unique_ptr<platform::StatusBarItem> imageItem;
    std::unique_ptr<platform::AlertView> view;
    std::optional<std::string> currentWiFiNetwork;
    std::int32_t state = 0;

    AdaptiveState adaptive_;
};

}  // namespace corvane
