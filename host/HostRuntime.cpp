#include "host/HostRuntime.h"

namespace corvane::host {

Class* HostRuntime::defineClass(std::string_view name, Class* superclass) {
    std::lock_guard guard(mutex_);
    auto found = classes_.find(name);
    if (found != classes_.end()) return found->second.get();
    auto cls = std::make_unique<Class>(std::string(name), superclass);
    Class* result = cls.get();
    classes_.emplace(std::string(name), std::move(cls));
    return result;
}

void HostRuntime::removeClass(std::string_view name) {
    std::lock_guard guard(mutex_);
    auto found = classes_.find(name);
    if (found == classes_.end()) return;
    retired_.push_back(std::move(found->second));
    classes_.erase(found);
}

void HostRuntime::removeMethod(Class* cls, std::string_view selector) {
    std::lock_guard guard(mutex_);
    if (auto found = cls->instanceMethods.find(selector); found != cls->instanceMethods.end()) {
        cls->instanceMethods.erase(found);
    }
    if (auto found = cls->classMethods.find(selector); found != cls->classMethods.end()) {
        cls->classMethods.erase(found);
    }
}

Class* HostRuntime::lookUpClass(std::string_view name) {
    std::lock_guard guard(mutex_);
    auto found = classes_.find(name);
    return found == classes_.end() ? nullptr : found->second.get();
}

Class* HostRuntime::classOf(Object* object) { return object == nullptr ? nullptr : object->isa(); }

Class* HostRuntime::superclassOf(Class* cls) { return cls == nullptr ? nullptr : cls->superclass(); }

Method* HostRuntime::instanceMethod(Class* cls, std::string_view selector) {
    std::lock_guard guard(mutex_);
    for (Class* current = cls; current != nullptr; current = current->superclass()) {
        auto found = current->instanceMethods.find(selector);
        if (found != current->instanceMethods.end()) return &found->second;
    }
    return nullptr;
}

Method* HostRuntime::classMethod(Class* cls, std::string_view selector) {
    std::lock_guard guard(mutex_);
    for (Class* current = cls; current != nullptr; current = current->superclass()) {
        auto found = current->classMethods.find(selector);
        if (found != current->classMethods.end()) return &found->second;
    }
    return nullptr;
}

std::string_view HostRuntime::signature(Method* method) { return method->signature_; }

Implementation HostRuntime::implementation(Method* method) {
    std::lock_guard guard(mutex_);
    return method->implementation_;
}

Implementation HostRuntime::exchangeImplementation(Method* method, Implementation replacement) {
    std::lock_guard guard(mutex_);
    Implementation previous = method->implementation_;
    method->implementation_ = replacement;
    return previous;
}

}  // namespace corvane::host
