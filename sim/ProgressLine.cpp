#include "sim/ProgressLine.h"

#include <unistd.h>

#include <cstdio>

namespace corvane::sim {

ProgressLine::ProgressLine() : enabled_(::isatty(STDERR_FILENO) == 1) {}

ProgressLine::~ProgressLine() { clear(); }

void ProgressLine::show(const std::string& text) {
    if (!enabled_ || text == shown_) return;
    shown_ = text;
    std::fprintf(stderr, "\r\033[K%s", text.c_str());
    std::fflush(stderr);
}

void ProgressLine::clear() {
    if (!enabled_ || shown_.empty()) return;
    shown_.clear();
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
}

}  // namespace corvane::sim
