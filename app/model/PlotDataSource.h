#pragma once
// The chart's questions to its data: how many records a plot has and the
// value of one field of one record (field 0 the time, field 1 the value).
// The plot names its series and can be asked to reload later.

#include <cstdint>
#include <optional>
#include <string>

namespace corvane::app {

class DataSourcePlot {
public:
    virtual ~DataSourcePlot() = default;
    virtual std::string identifier() const = 0;
    virtual void setDataNeedsReloading() = 0;
};

class PlotDataSource {
public:
    virtual ~PlotDataSource() = default;
    virtual std::uint64_t numberOfRecordsForPlot(DataSourcePlot& plot) = 0;
    virtual std::optional<double> numberForPlot(DataSourcePlot& plot, std::uint64_t field,
                                                std::uint64_t recordIndex) = 0;
};

}  // namespace corvane::app
