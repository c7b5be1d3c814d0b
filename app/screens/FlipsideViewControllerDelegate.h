#pragma once
// What the graph settings view asks of its host: the six series switches'
// states, the range row, and closing the view.

#include <cstdint>

namespace corvane::app {

class FlipsideViewController;

class FlipsideViewControllerDelegate {
public:
    virtual ~FlipsideViewControllerDelegate() = default;
    virtual void flipsideViewControllerDidFinish(FlipsideViewController& controller) = 0;

    virtual void capacityStateChanged(bool on) = 0;
    virtual void temperatureStateChanged(bool on) = 0;
    virtual void instantDrainStateChanged(bool on) = 0;
    virtual void loadAvg1StateChanged(bool on) = 0;
    virtual void loadAvg5StateChanged(bool on) = 0;
    virtual void loadAvg15StateChanged(bool on) = 0;

    virtual bool getCapacityState() = 0;
    virtual bool getTemperatureState() = 0;
    virtual bool getDrainState() = 0;
    virtual bool getLoadAvg1State() = 0;
    virtual bool getLoadAvg5State() = 0;
    virtual bool getLoadAvg15State() = 0;

    virtual void rangeChanged(std::int32_t row) = 0;
    virtual std::int32_t getRange() = 0;
};

}  // namespace corvane::app
