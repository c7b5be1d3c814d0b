#include "app/screens/Storyboard.h"

namespace corvane::app {

void Storyboard::registerScene(std::string segueIdentifier, Scene scene) {
    scenes_[std::move(segueIdentifier)] = std::move(scene);
}

std::unique_ptr<ViewController> Storyboard::instantiate(std::string_view segueIdentifier) const {
    auto found = scenes_.find(segueIdentifier);
    if (found == scenes_.end() || !found->second) return nullptr;
    return found->second();
}

bool Storyboard::hasScene(std::string_view segueIdentifier) const {
    auto found = scenes_.find(segueIdentifier);
    return found != scenes_.end() && found->second;
}

}  // namespace corvane::app
