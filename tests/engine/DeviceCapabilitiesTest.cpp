// Device capabilities: the device kind from the supported data rates (and
// the mobile-data file it leaves for the app), 3G capability by machine and
// interface, and the capability table with its cached function.
#include <gtest/gtest.h>

#include "shared/MobileDataInfo.h"
#include "shared/Names.h"
#include "shared/PropertyListFile.h"
#include "tests/support/HookedPhone.h"

namespace corvane::testing {
namespace {

using platform::DataRate;
using Rates = std::vector<DataRate>;

class DeviceCapabilitiesTest : public HookedPhoneTest {
protected:
    static std::filesystem::path mobileDataFile() { return paths::resolve(paths::kMobileData); }
};

TEST_F(DeviceCapabilitiesTest, SupportedRatesGiveTheKindAndTheFileFlags) {
    struct Case {
        std::optional<Rates> rates;
        int kind;
        bool support2G, support3G, support4G;
    };
    const Case cases[] = {
        {Rates{DataRate::Rate2G, DataRate::Rate3G, DataRate::Rate4G}, 2, true, true, true},
        {Rates{DataRate::Rate4G, DataRate::Rate3G}, 2, true, true, true},  // 2G assumed with 3G
        {Rates{DataRate::Rate3G, DataRate::Rate2G}, 1, true, true, false},
        {Rates{DataRate::Rate3G}, 0, true, true, false},
        {Rates{DataRate::Rate2G}, 0, true, false, false},
        {Rates{DataRate::Rate4G}, 0, false, false, false},
        {Rates{}, 0, false, false, false},
        {std::nullopt, 0, false, false, false},  // no list at all
    };
    for (const Case& c : cases) {
        freshPhone();
        std::filesystem::remove(mobileDataFile());
        phoneState([&c](sim::PhoneState& s) { s.supportedDataRates = c.rates; });
        RadiosLib& lib = makeRadios();
        EXPECT_EQ(lib.deviceKind, c.kind);

        const MobileDataInfo record = MobileDataInfo::loadFromFile();
        EXPECT_EQ(record.deviceKind(), c.kind);
        EXPECT_EQ(record.support2G(), c.support2G) << "kind " << c.kind;
        EXPECT_EQ(record.support3G(), c.support3G) << "kind " << c.kind;
        EXPECT_EQ(record.support4G(), c.support4G) << "kind " << c.kind;
    }
}

TEST_F(DeviceCapabilitiesTest, KindIsRetriedWhileTheServerIsUnreachableThenKeptPerEngine) {
    phoneState([](sim::PhoneState& s) { s.telephonyServerReachable = false; });
    RadiosLib& lib = makeRadios();
    EXPECT_FALSE(std::filesystem::exists(mobileDataFile()));
    EXPECT_EQ(lib.getDeviceKind(), -1);
    // Not capable: no speed change is attempted.
    EXPECT_TRUE(lib.set3GState(3));
    EXPECT_TRUE(requestedSpeeds().empty());

    phoneState([](sim::PhoneState& s) { s.telephonyServerReachable = true; });
    EXPECT_EQ(lib.getDeviceKind(), 2);
    EXPECT_EQ(MobileDataInfo::loadFromFile().deviceKind(), 2);

    // Once known, the kind is kept for this engine; a new one determines it again.
    std::filesystem::remove(mobileDataFile());
    phoneState([](sim::PhoneState& s) { s.supportedDataRates = Rates{DataRate::Rate2G}; });
    EXPECT_EQ(lib.getDeviceKind(), 2);
    EXPECT_FALSE(std::filesystem::exists(mobileDataFile()));
    EXPECT_EQ(makeRadios().deviceKind, 0);
    EXPECT_EQ(MobileDataInfo::loadFromFile().deviceKind(), 0);
}

TEST_F(DeviceCapabilitiesTest, ThreeGCapabilityByMachineIdiomAndKind) {
    struct Case {
        const char* machine;
        int idiom;
        Rates rates;
        std::optional<bool> cellularData;  // none: the capability library is missing
        bool capable;
    };
    const Rates kind2{DataRate::Rate2G, DataRate::Rate3G, DataRate::Rate4G};
    const Rates kind1{DataRate::Rate2G, DataRate::Rate3G};
    const Case cases[] = {
        {"iPhone1,1", 0, kind2, true, false},       {"iPhone1,2", 0, kind1, true, true},
        {"iPod5,1", 0, kind2, true, false},         {"iPad4,1", 1, kind2, false, false},
        {"iPad4,2", 1, kind2, true, true},          {"iPad4,2", 1, kind1, true, false},
        {"iPad4,2", 1, kind2, std::nullopt, false}, {"iPhone6,1", 0, Rates{DataRate::Rate2G}, true, false},
    };
    for (const Case& c : cases) {
        freshPhone();
        phoneState([&c](sim::PhoneState& s) {
            s.machine = c.machine;
            s.userInterfaceIdiom = c.idiom;
            s.supportedDataRates = c.rates;
            if (c.cellularData)
                s.capabilities = std::map<std::string, bool>{{"cellular-data", *c.cellularData}};
            else
                s.capabilities.reset();
        });
        EXPECT_EQ(makeRadios()._is3GCapable, c.capable) << c.machine << " with " << c.rates.size() << " rates";
    }
}

TEST_F(DeviceCapabilitiesTest, SystemVersionSelectsTheTelephonyInterface) {
    const std::pair<const char*, bool> versions[] = {
        {"4.3", false}, {"5.0", false}, {"5.0.1", true}, {"5.1", true}, {"10.3", true}};
    for (const auto& [version, newInterface] : versions) {
        freshPhone();
        std::filesystem::remove(mobileDataFile());
        phoneState([version](sim::PhoneState& s) { s.systemVersion = version; });
        RadiosLib& lib = makeRadios();
        // Only the newer interface determines the kind at creation.
        EXPECT_EQ(lib.deviceKind, newInterface ? 2 : -1) << version;
        EXPECT_EQ(std::filesystem::exists(mobileDataFile()), newInterface) << version;
    }
}

TEST_F(DeviceCapabilitiesTest, OlderInterfaceRefusesCDMARadios) {
    const std::pair<platform::RATSelection, bool> selections[] = {
        {platform::RATSelection::Selection1, true},  {platform::RATSelection::Selection2, true},
        {platform::RATSelection::Selection3, false}, {platform::RATSelection::Selection7, false},
        {platform::RATSelection::Other, true},
    };
    for (const auto& [selection, capable] : selections) {
        freshPhone();
        phoneState([selection](sim::PhoneState& s) {
            s.systemVersion = "5.0";
            s.ratSelection = selection;
        });
        EXPECT_EQ(makeRadios()._is3GCapable, capable);
    }

    freshPhone();
    phoneState([](sim::PhoneState& s) {
        s.systemVersion = "5.0";
        s.telephonyServerReachable = false;
    });
    EXPECT_FALSE(makeRadios()._is3GCapable);
}

}  // namespace
}  // namespace corvane::testing
