#include "sim/TraceWriter.h"

#include <cerrno>
#include <cmath>
#include <cstring>

namespace corvane::sim {

TraceWriter::TraceWriter(const std::filesystem::path& file) {
    file_ = std::fopen(file.c_str(), "w");
    if (file_ == nullptr) error_ = std::strerror(errno);
}

TraceWriter::TraceWriter(std::FILE* stream) : file_(stream), ownsFile_(false), flushEachLine_(true) {}

TraceWriter::~TraceWriter() {
    if (file_ != nullptr && ownsFile_) std::fclose(file_);
}

void TraceWriter::write(double t, const Line& fields) {
    if (file_ == nullptr) return;
    Line line;
    // Milliseconds are enough and keep the lines short.
    line["t"] = std::round(t * 1000.0) / 1000.0;
    for (auto it = fields.begin(); it != fields.end(); ++it) line[it.key()] = it.value();
    const std::string text = line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fputc('\n', file_);
    if (flushEachLine_) std::fflush(file_);
    ++lines_;
}

}  // namespace corvane::sim
