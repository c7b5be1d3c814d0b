#include "shared/VersionCompare.h"

#include <cctype>
#include <cstddef>

namespace corvane {

namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Compares two runs of digits by value without converting them, so runs of
// any length compare correctly.
int compareDigitRuns(std::string_view a, std::string_view b) {
    while (a.size() > 1 && a.front() == '0') a.remove_prefix(1);
    while (b.size() > 1 && b.front() == '0') b.remove_prefix(1);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

std::string_view takeDigits(std::string_view text, std::size_t& position) {
    const std::size_t start = position;
    while (position < text.size() && isDigit(text[position])) ++position;
    return text.substr(start, position - start);
}

}  // namespace

int compareVersions(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const int order = compareDigitRuns(takeDigits(a, i), takeDigits(b, j));
            if (order != 0) return order;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

}  // namespace corvane
