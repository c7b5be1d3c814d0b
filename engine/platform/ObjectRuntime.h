#pragma once
// The object runtime of the host process: classes looked up by name, instance
// and class methods looked up by selector, and implementations exchanged.
// Implementations are plain function pointers whose first argument is the
// receiver; each method carries its signature so that a lookup with the
// wrong one finds nothing instead of calling through a mismatched pointer.

#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>

namespace corvane::platform {

// Opaque handles owned by the runtime.
class Object;
class Class;
class Method;

// An implementation with its signature erased.
using Implementation = void (*)();

// The signature token of a method: the mangled name of its function-pointer
// type, e.g. the token of `void (*)(Object*, bool)`. Compared by text, so it
// holds across shared-library boundaries.
template <class Fn>
std::string_view signatureOf() {
    return typeid(Fn).name();
}

class ObjectRuntime {
public:
    virtual ~ObjectRuntime() = default;

    virtual Class* lookUpClass(std::string_view name) = 0;
    virtual Class* classOf(Object* object) = 0;
    virtual Class* superclassOf(Class* cls) = 0;
    // Searches the class and its superclasses.
    virtual Method* instanceMethod(Class* cls, std::string_view selector) = 0;
    virtual Method* classMethod(Class* cls, std::string_view selector) = 0;
    virtual std::string_view signature(Method* method) = 0;
    virtual Implementation implementation(Method* method) = 0;
    // Installs a new implementation and hands back the one it replaces.
    virtual Implementation exchangeImplementation(Method* method, Implementation replacement) = 0;
};

// Typed messaging on top of the runtime. `send` answers none when the
// receiver is none or does not respond to the selector with that signature.
template <class R, class... Args>
std::optional<R> send(ObjectRuntime& runtime, Object* receiver, std::string_view selector, Args... args) {
    using Fn = R (*)(Object*, Args...);
    if (receiver == nullptr) return std::nullopt;
    Method* method = runtime.instanceMethod(runtime.classOf(receiver), selector);
    if (method == nullptr || runtime.signature(method) != signatureOf<Fn>()) return std::nullopt;
    return reinterpret_cast<Fn>(runtime.implementation(method))(receiver, std::move(args)...);
}

// For methods without a result: YES when the receiver responded.
template <class... Args>
bool sendVoid(ObjectRuntime& runtime, Object* receiver, std::string_view selector, Args... args) {
    using Fn = void (*)(Object*, Args...);
    if (receiver == nullptr) return false;
    Method* method = runtime.instanceMethod(runtime.classOf(receiver), selector);
    if (method == nullptr || runtime.signature(method) != signatureOf<Fn>()) return false;
    reinterpret_cast<Fn>(runtime.implementation(method))(receiver, std::move(args)...);
    return true;
}

template <class R, class... Args>
std::optional<R> sendClass(ObjectRuntime& runtime, Class* cls, std::string_view selector, Args... args) {
    using Fn = R (*)(Class*, Args...);
    if (cls == nullptr) return std::nullopt;
    Method* method = runtime.classMethod(cls, selector);
    if (method == nullptr || runtime.signature(method) != signatureOf<Fn>()) return std::nullopt;
    return reinterpret_cast<Fn>(runtime.implementation(method))(cls, std::move(args)...);
}

template <class... Args>
bool sendClassVoid(ObjectRuntime& runtime, Class* cls, std::string_view selector, Args... args) {
    using Fn = void (*)(Class*, Args...);
    if (cls == nullptr) return false;
    Method* method = runtime.classMethod(cls, selector);
    if (method == nullptr || runtime.signature(method) != signatureOf<Fn>()) return false;
    reinterpret_cast<Fn>(runtime.implementation(method))(cls, std::move(args)...);
    return true;
}

// The shared instance of a class answering a class-level accessor such as
// `sharedInstance`; none when the class or the accessor is missing.
inline Object* sharedObject(ObjectRuntime& runtime, std::string_view className, std::string_view accessor) {
    return sendClass<Object*>(runtime, runtime.lookUpClass(className), accessor).value_or(nullptr);
}

}  // namespace corvane::platform
