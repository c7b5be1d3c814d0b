// Any bytes as the settings file and as an application list: the engine's
// and the app's reloads (and the writes of missing keys they cause) never
// crash, and a file either side could not read is never written over.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/model/PlistController.h"
#include "shared/AtomicFile.h"
#include "shared/PropertyListFile.h"
#include "tests/fuzz/FuzzPhone.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvane;
    static fuzzing::FuzzPhone phone(500);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::filesystem::path settings = paths::resolve(paths::kSettings);
    Corvane& engine = phone.engine();
    if (!writeFileAtomically(settings, bytes) || !writeFileAtomically(paths::resolve(paths::kShutdownList), bytes))
        std::abort();
    const bool readable = plist::readDictionary(settings).has_value();

    engine.reloadPrefs();
    // The engine never replaces a file it cannot read.
    if (!readable && readWholeFile(settings) != std::string(bytes)) std::abort();

    app::PlistController::resetSharedInstance();
    app::PlistController::sharedInstance().reloadPrefs();
    app::PlistController::sharedInstance().savePrefs();
    // The app moved an unreadable file aside and wrote a whole new one.
    if (!plist::readDictionary(settings)) std::abort();
    for (const auto& entry : std::filesystem::directory_iterator(settings.parent_path())) {
        if (entry.path().filename().string().find(".unreadable-") != std::string::npos)
            std::filesystem::remove(entry.path());
    }
    return 0;
}
