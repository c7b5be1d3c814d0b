#include "device/MprisPlayers.h"

#include <systemd/sd-bus.h>

namespace corvane::device {

namespace {
constexpr std::string_view kPrefix = "org.mpris.MediaPlayer2.";
constexpr const char* kPath = "/org/mpris/MediaPlayer2";
constexpr const char* kRoot = "org.mpris.MediaPlayer2";
constexpr const char* kPlayer = "org.mpris.MediaPlayer2.Player";
}  // namespace

MprisPlayers::MprisPlayers(Bus* bus, DaemonLog& log, Changed changed)
    : bus_(bus), log_(log), changed_(std::move(changed)) {}

void MprisPlayers::start() {
    if (bus_ == nullptr) return;
    namesWatch_ = bus_->subscribeNames(std::string(kRoot), [this](const std::string& name, bool present) {
        if (name.rfind(kPrefix, 0) != 0) return;
        if (present) {
            add(name);
        } else {
            remove(name);
        }
    });
    // PlaybackStatus changes come from the players' own connections.
    statusWatch_ =
        bus_->subscribe(kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged", [this](sd_bus_message* m) {
            const char* sender = sd_bus_message_get_sender(m);
            const char* interface = nullptr;
            if (sender == nullptr || sd_bus_message_read(m, "s", &interface) < 0) return;
            if (interface == nullptr || std::string_view(interface) != kPlayer) return;
            BusProperties changed;
            if (!readBusProperties(m, changed)) return;
            auto status = changed.find("PlaybackStatus");
            if (status != changed.end()) update(sender, status->second.asString() == "Playing");
        });
    for (const std::string& name : bus_->names()) {
        if (name.rfind(kPrefix, 0) == 0) add(name);
    }
}

void MprisPlayers::add(const std::string& name) {
    auto reply = bus_->call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetNameOwner",
                            [&](sd_bus_message* m) { return sd_bus_message_append(m, "s", name.c_str()) >= 0; });
    const char* owner = nullptr;
    if (!reply || sd_bus_message_read(reply->message, "s", &owner) < 0 || owner == nullptr) return;
    owners_[name] = owner;
    Player player;
    const std::string entry = bus_->property(name, kPath, kRoot, "DesktopEntry").value_or(BusValue{}).asString();
    player.application = entry.empty() ? name.substr(kPrefix.size()) : entry;
    players_[owner] = player;
    const bool playing =
        bus_->property(name, kPath, kPlayer, "PlaybackStatus").value_or(BusValue{}).asString() == "Playing";
    update(owner, playing);
}

void MprisPlayers::remove(const std::string& name) {
    auto owner = owners_.find(name);
    if (owner == owners_.end()) return;
    auto player = players_.find(owner->second);
    if (player != players_.end()) {
        if (changed_) changed_(player->second.application, false);
        players_.erase(player);
    }
    owners_.erase(owner);
}

void MprisPlayers::update(const std::string& owner, bool playing) {
    auto player = players_.find(owner);
    if (player == players_.end()) return;
    if (player->second.playing == playing && playing) return;
    player->second.playing = playing;
    log_.say(player->second.application + (playing ? " plays" : " stopped playing"));
    if (changed_) changed_(player->second.application, playing);
}

}  // namespace corvane::device
