// Any bytes as a property list: parsed without crash, exhaustion or leak;
// what parses is written back and, within the size limit, reads again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "shared/PropertyListFile.h"
#include "shared/PropertyListGuard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvane::plist;
    const std::optional<Value> value = parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!value) return 0;
    const std::string xml = toXml(*value);
    // Shared binary objects may expand beyond what a file may hold.
    if (xml.empty() || xml.size() > kMaximumPropertyListSize) return 0;
    const std::optional<Value> again = parse(xml);
    if (!again) std::abort();  // our own output must always read back
    return 0;
}
