#pragma once
// The --trace output: JSON Lines, one object per happening, each beginning
// with its virtual time "t" in seconds from the start of the scenario.

#include <cstdio>
#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

namespace corvane::sim {

class TraceWriter {
public:
    using Line = nlohmann::ordered_json;

    // Opens (truncates) the file; check isOpen().
    explicit TraceWriter(const std::filesystem::path& file);
    // Writes to a stream that stays open (standard output), each line
    // flushed as it is written.
    explicit TraceWriter(std::FILE* stream);
    ~TraceWriter();
    TraceWriter(const TraceWriter&) = delete;
    TraceWriter& operator=(const TraceWriter&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    const std::string& error() const { return error_; }

    // Writes {"t": t, ...fields}.
    void write(double t, const Line& fields);
    std::size_t linesWritten() const { return lines_; }
    // Each line leaves at once, for a reader that follows the run live.
    void setFlushEachLine(bool flush) { flushEachLine_ = flush; }

private:
    std::FILE* file_ = nullptr;
    std::string error_;
    std::size_t lines_ = 0;
    bool ownsFile_ = true;
    bool flushEachLine_ = false;
};

}  // namespace corvane::sim
