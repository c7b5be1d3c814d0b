#include "app/chart/ChartLabelFormat.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace corvane::app {

std::string ChartLabelFormat::format(const std::string& labelFormat, double value) {
    std::string out;
    bool valueUsed = false;
    for (std::size_t i = 0; i < labelFormat.size(); ++i) {
        if (labelFormat[i] != '%') {
            out += labelFormat[i];
            continue;
        }
        // One conversion: flags, width, precision, then its letter.
        std::size_t end = i + 1;
        while (end < labelFormat.size() && std::strchr("-+ #0123456789.", labelFormat[end]) != nullptr) ++end;
        if (end >= labelFormat.size()) break;
        const char conversion = labelFormat[end];
        const std::string spec = labelFormat.substr(i, end - i + 1);
        if (conversion == '%') {
            out += '%';
        } else if (!valueUsed && std::strchr("fFeEgG", conversion) != nullptr && spec.size() <= 16) {
            char text[128];
            std::snprintf(text, sizeof text, spec.c_str(), value);
            out += text;
            valueUsed = true;
        } else if (!valueUsed && conversion == '@') {
            char text[32];
            std::snprintf(text, sizeof text, "%.0f", std::isfinite(value) ? value : 0.0);
            out += text;
            valueUsed = true;
        }
        i = end;
    }
    return out;
}

}  // namespace corvane::app
