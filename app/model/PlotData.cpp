#include "app/model/PlotData.h"

#include <array>

namespace corvane::app {

namespace {

constexpr Color kBrown{0.6f, 0.4f, 0.2f, 1.0f};
constexpr std::array<Color, 15> kPalette{{
    kBrown,
    {0.6f, 0.8f, 0.2f, 1.0f},
    {1.0f, 220.0f / 255.0f, 0.0f, 1.0f},
    {1.0f, 0.2f, 0.2f, 1.0f},
    {0.0f, 0.6f, 0.8f, 1.0f},
    {0.0f, 0.0f, 0.0f, 1.0f},  // black
    kBrown,
    {0.5f, 0.5f, 0.5f, 1.0f},
    {0.0f, 1.0f, 1.0f, 1.0f},              // cyan
    {2.0f / 3, 2.0f / 3, 2.0f / 3, 1.0f},  // light grey
    {0.5f, 0.0f, 0.5f, 1.0f},              // purple
    {1.0f, 0.0f, 1.0f, 1.0f},              // magenta
    {0.6f, 0.8f, 0.2f, 1.0f},
    {1.0f, 0.6f, 0.2f, 1.0f},
    {0.0f, 0.6f, 0.8f, 1.0f},
}};

}  // namespace

std::optional<Color> PlotData::paletteColour(std::size_t position) {
    if (position >= kPalette.size()) return std::nullopt;
    return kPalette[position];
}

PlotData::PlotData(const std::string& name, std::size_t position) {
    title = name;
    colour = paletteColour(position);
    if (name == "UpdateTime") {
        shouldLabelValues = true;
        labelFormat = "%@";
    }
    if (name == "CurrentCapacity") shouldDraw = true;
}

}  // namespace corvane::app
