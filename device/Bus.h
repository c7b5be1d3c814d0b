#pragma once
// One D-Bus connection (system or session) on the daemon's event loop, with
// what the daemon's services need: bounded calls, property reads and
// writes, signal subscriptions and the presence of a service's name. Every
// call gives up after kCallTimeout; a failure answers none or NO and leaves
// the reason in lastError(), never throws.

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sd_bus;
struct sd_bus_message;
struct sd_bus_slot;
struct sd_event;

namespace corvane::device {

inline constexpr std::chrono::milliseconds kCallTimeout{3000};

// A value read off the bus: a scalar, or the items of an array, structure,
// variant or dictionary entry. A byte array reads as a string.
struct BusValue {
    std::variant<std::monostate, bool, long long, double, std::string> scalar;
    std::vector<BusValue> items;

    bool asBool(bool otherwise = false) const;
    long long asInteger(long long otherwise = 0) const;
    double asDouble(double otherwise = 0.0) const;
    std::string asString() const;
    std::vector<std::string> asStrings() const;
};
using BusProperties = std::map<std::string, BusValue, std::less<>>;

// Reads the next complete value of a message.
bool readBusValue(sd_bus_message* message, BusValue& value);
// Reads an a{sv} dictionary.
bool readBusProperties(sd_bus_message* message, BusProperties& properties);

// A subscription ends when this goes.
class BusSlot {
public:
    explicit BusSlot(sd_bus_slot* slot) : slot_(slot) {}
    ~BusSlot();
    BusSlot(const BusSlot&) = delete;
    BusSlot& operator=(const BusSlot&) = delete;

private:
    sd_bus_slot* slot_;
};

class Bus {
public:
    enum class Kind { System, Session };
    using SignalHandler = std::function<void(sd_bus_message*)>;

    // Connects and attaches to the loop; none (and why in `error`) when no bus answers.
    static std::unique_ptr<Bus> open(Kind kind, sd_event* event, std::string* error);
    ~Bus();
    Bus(const Bus&) = delete;
    Bus& operator=(const Bus&) = delete;

    sd_bus* raw() const { return bus_; }
    const std::string& lastError() const { return lastError_; }

    // A method call; the reply (none on failure). `write` appends the arguments.
    struct Reply;
    std::shared_ptr<Reply> call(std::string_view service, std::string_view path, std::string_view interface,
                                std::string_view member, const std::function<bool(sd_bus_message*)>& write = nullptr);

    std::optional<BusValue> property(std::string_view service, std::string_view path, std::string_view interface,
                                     std::string_view name);
    std::optional<BusProperties> allProperties(std::string_view service, std::string_view path,
                                               std::string_view interface);
    bool setProperty(std::string_view service, std::string_view path, std::string_view interface, std::string_view name,
                     bool value);
    bool setProperty(std::string_view service, std::string_view path, std::string_view interface, std::string_view name,
                     const std::string& value);

    // Signals from any sender on `path` (empty: any path; ending in '/': the
    // objects under it) with the interface and member.
    std::unique_ptr<BusSlot> subscribe(std::string_view path, std::string_view interface, std::string_view member,
                                       SignalHandler handler);
    // PropertiesChanged of `path`: the interface and the changed properties.
    std::unique_ptr<BusSlot> onPropertiesChanged(std::string_view path,
                                                 std::function<void(const std::string&, const BusProperties&)> handler);
    // The name gains or loses its owner.
    std::unique_ptr<BusSlot> watchName(std::string_view name, std::function<void(bool present)> handler);
    bool hasOwner(std::string_view name);
    std::vector<std::string> names();

    // Owns a name for the process; NO when another process has it.
    bool requestName(std::string_view name);

private:
    explicit Bus(sd_bus* bus) : bus_(bus) {}
    std::unique_ptr<BusSlot> addMatch(const std::string& rule, SignalHandler handler);

    sd_bus* bus_;
    std::string lastError_;
};

// A reply message, released when this goes.
struct Bus::Reply {
    explicit Reply(sd_bus_message* message) : message(message) {}
    ~Reply();
    sd_bus_message* message;
};

}  // namespace corvane::device
