#pragma once
// The home-screen process's object runtime: classes registered by name with
// instance and class methods, objects that know their class, and
// implementation exchange. The host calls its own methods only through it,
// so replacements installed by a loaded library take effect as on the phone.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/platform/ObjectRuntime.h"

namespace corvane::platform {

// Every object of the home screen derives from Object.
class Object {
public:
    explicit Object(Class* isa) : isa_(isa) {}
    virtual ~Object() = default;
    Class* isa() const { return isa_; }

private:
    Class* isa_;
};

class Method {
public:
    Method(std::string signature, Implementation implementation)
        : signature_(std::move(signature)), implementation_(implementation) {}

    std::string signature_;
    Implementation implementation_;
};

class Class {
public:
    Class(std::string name, Class* superclass) : name_(std::move(name)), superclass_(superclass) {}

    const std::string& name() const { return name_; }
    Class* superclass() const { return superclass_; }
    // The object the class-level accessor (`sharedInstance`...) answers.
    Object* sharedObject = nullptr;

    std::string name_;
    Class* superclass_;
    std::map<std::string, Method, std::less<>> instanceMethods;
    std::map<std::string, Method, std::less<>> classMethods;
};

}  // namespace corvane::platform

namespace corvane::host {

using platform::Class;
using platform::Implementation;
using platform::Method;
using platform::Object;

class HostRuntime final : public platform::ObjectRuntime {
public:
    Class* defineClass(std::string_view name, Class* superclass = nullptr);
    // Forgets a class, as on a system where it does not exist.
    void removeClass(std::string_view name);

    template <class Fn>
    void addMethod(Class* cls, std::string_view selector, Fn implementation) {
        std::lock_guard guard(mutex_);
        cls->instanceMethods.insert_or_assign(
            std::string(selector),
            Method(std::string(platform::signatureOf<Fn>()), reinterpret_cast<Implementation>(implementation)));
    }
    template <class Fn>
    void addClassMethod(Class* cls, std::string_view selector, Fn implementation) {
        std::lock_guard guard(mutex_);
        cls->classMethods.insert_or_assign(
            std::string(selector),
            Method(std::string(platform::signatureOf<Fn>()), reinterpret_cast<Implementation>(implementation)));
    }
    void removeMethod(Class* cls, std::string_view selector);

    Class* lookUpClass(std::string_view name) override;
    Class* classOf(Object* object) override;
    Class* superclassOf(Class* cls) override;
    Method* instanceMethod(Class* cls, std::string_view selector) override;
    Method* classMethod(Class* cls, std::string_view selector) override;
    std::string_view signature(Method* method) override;
    Implementation implementation(Method* method) override;
    Implementation exchangeImplementation(Method* method, Implementation replacement) override;

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::unique_ptr<Class>, std::less<>> classes_;
    // Classes removed while objects may still point at them stay alive here.
    std::vector<std::unique_ptr<Class>> retired_;
};

}  // namespace corvane::host
