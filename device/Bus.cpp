#include "device/Bus.h"

#include <systemd/sd-bus.h>

#include <cstdint>

namespace corvane::device {

namespace {

std::string describe(const sd_bus_error& error, int code) {
    if (error.message != nullptr)
        return error.name != nullptr ? std::string(error.name) + ": " + error.message : std::string(error.message);
    return std::string("error ") + std::to_string(-code);
}

std::string text(std::string_view view) { return std::string(view); }

bool isBasic(char type) { return std::string_view("ybnqiuxtdsogh").find(type) != std::string_view::npos; }

int dispatchSignal(sd_bus_message* message, void* userdata, sd_bus_error*) {
    (*static_cast<Bus::SignalHandler*>(userdata))(message);
    return 0;
}

void deleteHandler(void* userdata) { delete static_cast<Bus::SignalHandler*>(userdata); }

}  // namespace

bool BusValue::asBool(bool otherwise) const {
    if (const bool* b = std::get_if<bool>(&scalar)) return *b;
    if (const long long* i = std::get_if<long long>(&scalar)) return *i != 0;
    return otherwise;
}

long long BusValue::asInteger(long long otherwise) const {
    if (const long long* i = std::get_if<long long>(&scalar)) return *i;
    if (const double* d = std::get_if<double>(&scalar)) return static_cast<long long>(*d);
    if (const bool* b = std::get_if<bool>(&scalar)) return *b ? 1 : 0;
    return otherwise;
}

double BusValue::asDouble(double otherwise) const {
    if (const double* d = std::get_if<double>(&scalar)) return *d;
    if (const long long* i = std::get_if<long long>(&scalar)) return static_cast<double>(*i);
    return otherwise;
}

std::string BusValue::asString() const {
    if (const std::string* s = std::get_if<std::string>(&scalar)) return *s;
    return {};
}

std::vector<std::string> BusValue::asStrings() const {
    std::vector<std::string> strings;
    for (const BusValue& item : items) strings.push_back(item.asString());
    return strings;
}

bool readBusValue(sd_bus_message* message, BusValue& value) {
    char type = 0;
    const char* contents = nullptr;
    if (sd_bus_message_peek_type(message, &type, &contents) <= 0) return false;
    if (isBasic(type)) {
        union {
            std::uint8_t y;
            int b;
            std::int16_t n;
            std::uint16_t q;
            std::int32_t i;
            std::uint32_t u;
            std::int64_t x;
            std::uint64_t t;
            double d;
            const char* s;
            int h;
        } basic{};
        if (sd_bus_message_read_basic(message, type, &basic) < 0) return false;
        switch (type) {
            case 'y': value.scalar = static_cast<long long>(basic.y); break;
            case 'b': value.scalar = basic.b != 0; break;
            case 'n': value.scalar = static_cast<long long>(basic.n); break;
            case 'q': value.scalar = static_cast<long long>(basic.q); break;
            case 'i': value.scalar = static_cast<long long>(basic.i); break;
            case 'u': value.scalar = static_cast<long long>(basic.u); break;
            case 'x': value.scalar = static_cast<long long>(basic.x); break;
            case 't': value.scalar = static_cast<long long>(basic.t); break;
            case 'd': value.scalar = basic.d; break;
            case 'h': value.scalar = static_cast<long long>(basic.h); break;
            default: value.scalar = std::string(basic.s != nullptr ? basic.s : ""); break;
        }
        return true;
    }
    if (type == SD_BUS_TYPE_ARRAY && contents != nullptr && std::string_view(contents) == "y") {
        const void* bytes = nullptr;
        std::size_t size = 0;
        if (sd_bus_message_read_array(message, 'y', &bytes, &size) < 0) return false;
        value.scalar = std::string(static_cast<const char*>(bytes), size);
        return true;
    }
    if (sd_bus_message_enter_container(message, type, contents) < 0) return false;
    while (sd_bus_message_at_end(message, false) == 0) {
        BusValue item;
        if (!readBusValue(message, item)) return false;
        value.items.push_back(std::move(item));
    }
    return sd_bus_message_exit_container(message) >= 0;
}

bool readBusProperties(sd_bus_message* message, BusProperties& properties) {
    BusValue dictionary;
    if (!readBusValue(message, dictionary)) return false;
    for (BusValue& entry : dictionary.items) {
        if (entry.items.size() != 2) continue;
        BusValue inner = entry.items[1].items.empty() ? entry.items[1] : entry.items[1].items.front();
        properties.insert_or_assign(entry.items[0].asString(), std::move(inner));
    }
    return true;
}

BusSlot::~BusSlot() { sd_bus_slot_unref(slot_); }

Bus::Reply::~Reply() { sd_bus_message_unref(message); }

std::unique_ptr<Bus> Bus::open(Kind kind, sd_event* event, std::string* error) {
    sd_bus* bus = nullptr;
    const int opened = kind == Kind::System ? sd_bus_open_system(&bus) : sd_bus_open_user(&bus);
    if (opened < 0) {
        if (error != nullptr) *error = std::string("cannot connect: error ") + std::to_string(-opened);
        return nullptr;
    }
    sd_bus_set_method_call_timeout(bus, static_cast<std::uint64_t>(kCallTimeout.count()) * 1000u);
    if (event != nullptr && sd_bus_attach_event(bus, event, SD_EVENT_PRIORITY_NORMAL) < 0) {
        sd_bus_flush_close_unref(bus);
        if (error != nullptr) *error = "cannot attach to the event loop";
        return nullptr;
    }
    // A bus that went away ends nothing: its features pause.
    sd_bus_set_exit_on_disconnect(bus, 0);
    return std::unique_ptr<Bus>(new Bus(bus));
}

Bus::~Bus() {
    sd_bus_detach_event(bus_);
    sd_bus_flush_close_unref(bus_);
}

std::shared_ptr<Bus::Reply> Bus::call(std::string_view service, std::string_view path, std::string_view interface,
                                      std::string_view member, const std::function<bool(sd_bus_message*)>& write) {
    sd_bus_message* request = nullptr;
    int result = sd_bus_message_new_method_call(bus_, &request, text(service).c_str(), text(path).c_str(),
                                                text(interface).c_str(), text(member).c_str());
    if (result < 0) {
        lastError_ = "cannot build the call";
        return nullptr;
    }
    if (write && !write(request)) {
        sd_bus_message_unref(request);
        lastError_ = "cannot write the arguments";
        return nullptr;
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    result = sd_bus_call(bus_, request, static_cast<std::uint64_t>(kCallTimeout.count()) * 1000u, &error, &reply);
    sd_bus_message_unref(request);
    if (result < 0) {
        lastError_ = describe(error, result);
        sd_bus_error_free(&error);
        return nullptr;
    }
    return std::make_shared<Reply>(reply);
}

std::optional<BusValue> Bus::property(std::string_view service, std::string_view path, std::string_view interface,
                                      std::string_view name) {
    auto reply = call(service, path, "org.freedesktop.DBus.Properties", "Get", [&](sd_bus_message* m) {
        return sd_bus_message_append(m, "ss", text(interface).c_str(), text(name).c_str()) >= 0;
    });
    if (!reply) return std::nullopt;
    BusValue variant;
    if (!readBusValue(reply->message, variant) || variant.items.empty()) return std::nullopt;
    return variant.items.front();
}

std::optional<BusProperties> Bus::allProperties(std::string_view service, std::string_view path,
                                                std::string_view interface) {
    auto reply = call(service, path, "org.freedesktop.DBus.Properties", "GetAll",
                      [&](sd_bus_message* m) { return sd_bus_message_append(m, "s", text(interface).c_str()) >= 0; });
    if (!reply) return std::nullopt;
    BusProperties properties;
    if (!readBusProperties(reply->message, properties)) return std::nullopt;
    return properties;
}

bool Bus::setProperty(std::string_view service, std::string_view path, std::string_view interface,
                      std::string_view name, bool value) {
    return call(service, path, "org.freedesktop.DBus.Properties", "Set", [&](sd_bus_message* m) {
               return sd_bus_message_append(m, "ssv", text(interface).c_str(), text(name).c_str(), "b",
                                            static_cast<int>(value)) >= 0;
           }) != nullptr;
}

bool Bus::setProperty(std::string_view service, std::string_view path, std::string_view interface,
                      std::string_view name, const std::string& value) {
    return call(service, path, "org.freedesktop.DBus.Properties", "Set", [&](sd_bus_message* m) {
               return sd_bus_message_append(m, "ssv", text(interface).c_str(), text(name).c_str(), "s",
                                            value.c_str()) >= 0;
           }) != nullptr;
}

std::unique_ptr<BusSlot> Bus::addMatch(const std::string& rule, SignalHandler handler) {
    auto* owned = new SignalHandler(std::move(handler));
    sd_bus_slot* slot = nullptr;
    if (sd_bus_add_match(bus_, &slot, rule.c_str(), &dispatchSignal, owned) < 0) {
        delete owned;
        lastError_ = "cannot subscribe: " + rule;
        return nullptr;
    }
    sd_bus_slot_set_destroy_callback(slot, &deleteHandler);
    return std::make_unique<BusSlot>(slot);
}

std::unique_ptr<BusSlot> Bus::subscribe(std::string_view path, std::string_view interface, std::string_view member,
                                        SignalHandler handler) {
    std::string rule = "type='signal',interface='" + text(interface) + "',member='" + text(member) + "'";
    if (path.size() > 1 && path.back() == '/') {
        rule += ",path_namespace='" + text(path.substr(0, path.size() - 1)) + "'";
    } else if (!path.empty()) {
        rule += ",path='" + text(path) + "'";
    }
    return addMatch(rule, std::move(handler));
}

std::unique_ptr<BusSlot> Bus::onPropertiesChanged(
    std::string_view path, std::function<void(const std::string&, const BusProperties&)> handler) {
    return subscribe(path, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                     [handler = std::move(handler)](sd_bus_message* message) {
                         const char* interface = nullptr;
                         if (sd_bus_message_read(message, "s", &interface) < 0) return;
                         BusProperties changed;
                         if (!readBusProperties(message, changed)) return;
                         handler(interface != nullptr ? interface : "", changed);
                     });
}

std::unique_ptr<BusSlot> Bus::watchName(std::string_view name, std::function<void(bool present)> handler) {
    const std::string rule =
        "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
        "member='NameOwnerChanged',arg0='" +
        text(name) + "'";
    return addMatch(rule, [handler = std::move(handler)](sd_bus_message* message) {
        const char* name = nullptr;
        const char* previous = nullptr;
        const char* owner = nullptr;
        if (sd_bus_message_read(message, "sss", &name, &previous, &owner) < 0) return;
        handler(owner != nullptr && *owner != '\0');
    });
}

bool Bus::hasOwner(std::string_view name) {
    auto reply = call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                      [&](sd_bus_message* m) { return sd_bus_message_append(m, "s", text(name).c_str()) >= 0; });
    int owned = 0;
    return reply && sd_bus_message_read(reply->message, "b", &owned) >= 0 && owned != 0;
}

std::vector<std::string> Bus::names() {
    auto reply = call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "ListNames");
    BusValue list;
    if (!reply || !readBusValue(reply->message, list)) return {};
    return list.asStrings();
}

bool Bus::requestName(std::string_view name) { return sd_bus_request_name(bus_, text(name).c_str(), 0) >= 0; }

}  // namespace corvane::device
