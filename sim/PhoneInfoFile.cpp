#include "sim/PhoneInfoFile.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <iostream>

#include "shared/Paths.h"
#include "shared/PhoneInfo.h"

namespace corvane::sim {

std::string PhoneInfoFile::kernelRelease(std::string_view systemVersion) {
    int major = 0;
    for (char c : systemVersion) {
        if (!std::isdigit(static_cast<unsigned char>(c))) break;
        major = std::min(major * 10 + (c - '0'), 1000);
    }
    // Versions 7 and 8 both ran on Darwin 14; each other version moved it by one.
    const int darwin = major <= 6 ? major + 7 : major <= 8 ? 14 : major + 6;
    return std::to_string(darwin) + ".0.0";
}

void PhoneInfoFile::write(const Scenario::Device& device, double phoneTime, double rate) {
    PhoneInfo info;
    info.time = phoneTime;
    info.hostTime = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    info.rate = rate;
    info.sysname = "Darwin";
    std::string kind;
    for (char c : device.machine) {
        if (!std::isalpha(static_cast<unsigned char>(c))) break;
        kind += c;
    }
    info.nodename = kind.empty() ? "phone" : kind;
    info.release = kernelRelease(device.systemVersion);
    info.version = "Darwin Kernel Version " + info.release + ": simulated by phonesim";
    std::error_code ignored;
    std::filesystem::create_directories(paths::resolve(paths::kPhoneInfo).parent_path(), ignored);
    if (const Outcome written = info.write(); !written) {
        std::cerr << "phonesim: cannot write " << paths::resolve(paths::kPhoneInfo).string() << ": "
                  << written.message() << std::endl;
    }
}

}  // namespace corvane::sim
