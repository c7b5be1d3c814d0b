#include "shared/MobileDataInfo.h"

#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "shared/SettingsCodes.h"

namespace corvane {

namespace {

bool booleanOf(const plist::Dictionary& dictionary, std::string_view key) {
    const plist::Value* value = dictionary.find(key);
    return value != nullptr && value->boolValue();
}

}  // namespace

MobileDataInfo MobileDataInfo::loadFromFile() {
    MobileDataInfo record;
    const std::optional<plist::Dictionary> file = plist::readDictionary(paths::resolve(paths::kMobileData));
    if (!file) return record;
    record._isCDMA = booleanOf(*file, mobiledata::kIsCDMA);
    record._support2G = booleanOf(*file, mobiledata::kSupport2G);
    record._support3G = booleanOf(*file, mobiledata::kSupport3G);
    record._support4G = booleanOf(*file, mobiledata::kSupport4G);
    if (const plist::Value* kind = file->find(mobiledata::kDeviceKind)) record._deviceKind = kind->intValue();
    return record;
}

bool MobileDataInfo::saveToFile() const {
    const plist::Dictionary file{
        {std::string(mobiledata::kIsCDMA), plist::Value(_isCDMA)},
        {std::string(mobiledata::kSupport2G), plist::Value(_support2G)},
        {std::string(mobiledata::kSupport3G), plist::Value(_support3G)},
        {std::string(mobiledata::kSupport4G), plist::Value(_support4G)},
        {std::string(mobiledata::kDeviceKind), plist::Value(static_cast<int>(_deviceKind))},
    };
    return plist::writeFile(paths::resolve(paths::kMobileData), plist::Value(file));
}

bool MobileDataInfo::supportsRate(std::int64_t rate) const {
    switch (rate) {
        case kRate2G: return _support2G;
        case kRate3G: return _support3G;
        case kRate4G: return _support4G;
        default: return true;
    }
}

}  // namespace corvane
