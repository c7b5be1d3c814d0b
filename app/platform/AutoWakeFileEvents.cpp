#include "app/platform/AutoWakeFileEvents.h"

#include <filesystem>
#include <system_error>

#include "app/model/AppLog.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane::app {

std::optional<plist::Array> AutoWakeFileEvents::copyScheduledPowerEvents() {
    const std::filesystem::path file = paths::resolve(paths::kScheduledPowerEvents);
    std::error_code ignored;
    if (!std::filesystem::exists(file, ignored)) return plist::Array{};

    std::optional<plist::Dictionary> root = plist::readDictionary(file);
    if (!root) {
        AMPWISE_LOG("File %s is not a readable dictionary", file.c_str());
        return std::nullopt;
    }
    plist::Array events;
    const plist::Value* list = root->find(power::kEventsKey);
    if (list == nullptr || !list->isArray()) return events;
    for (const plist::Value& event : *list->asArray()) {
        if (event.isDictionary()) events.push_back(event);
    }
    return events;
}

}  // namespace corvane::app
