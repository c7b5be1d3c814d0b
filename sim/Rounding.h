#pragma once

#include <cmath>

namespace corvane::sim {

// The figures phonesim prints as JSON keep a fixed number of decimals, so that
// a run's output reads the same whatever the last bits of the arithmetic.
inline double round1(double value) { return std::round(value * 10.0) / 10.0; }
inline double round3(double value) { return std::round(value * 1000.0) / 1000.0; }

}  // namespace corvane::sim
