#pragma once
// What the statistics loader tells about a load, on its loading thread.

#include <cstdint>

namespace corvane::app {

class PlotLoaderDelegate {
public:
    virtual ~PlotLoaderDelegate() = default;
    // The number of records in the window, before the first is read.
    virtual void dataLoadingStarted(std::int32_t count) = 0;
    // The number of records read so far, after each record.
    virtual void dataLoadingInProgress(std::int32_t count) = 0;
    // The load has ended, also after a failure.
    virtual void dataLoaded() = 0;
};

}  // namespace corvane::app
