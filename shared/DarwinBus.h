#pragma once
// Where Darwin notifications travel between processes on this machine: a
// signal on the D-Bus session bus whose one string argument is the
// notification's name. Any process may post one by hand, for example:
//   dbus-send --session --type=signal /org/fernhill/Corvane/Darwin org.fernhill.Corvane.Darwin.Notification string:NAME

#include <string_view>

namespace corvane::darwinbus {
inline constexpr std::string_view kObjectPath = "/org/fernhill/Corvane/Darwin";
inline constexpr std::string_view kInterface = "org.fernhill.Corvane.Darwin";
inline constexpr std::string_view kMember = "Notification";
}  // namespace corvane::darwinbus
