#pragma once
// The app's layout of screens: which screen each named transition (segue)
// leads to. A segue without a scene leads nowhere.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "app/screens/ViewController.h"

namespace corvane::app {

class Storyboard {
public:
    using Scene = std::function<std::unique_ptr<ViewController>()>;

    void registerScene(std::string segueIdentifier, Scene scene);
    // A new destination screen for the segue, none when there is no scene.
    std::unique_ptr<ViewController> instantiate(std::string_view segueIdentifier) const;
    bool hasScene(std::string_view segueIdentifier) const;

private:
    std::map<std::string, Scene, std::less<>> scenes_;
};

}  // namespace corvane::app
