#include "shared/PropertyListFile.h"

#include <plist/plist.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <unordered_map>
#include <vector>

#include "shared/AtomicFile.h"
#include "shared/MoveAside.h"
#include "shared/PropertyListGuard.h"

namespace corvane::plist {

namespace {

// Seconds between 1 January 1970 and 1 January 2001, the epoch of property-list dates.

// More nested containers than this are refused, on reading and on writing:
// the conversions recurse, and so does libplist.
constexpr int kMaximumDepth = kMaximumNesting;

struct NodeDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

struct MallocDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Malloced = std::unique_ptr<T, MallocDeleter>;

// ---- libplist nodes to values ----

std::optional<Value> fromNode(plist_t node, int depth);

std::optional<Value> fromDictionaryNode(plist_t node, int depth) {
    // A binary list may repeat a key: the last one wins, as in the library.
    std::vector<Dictionary::Entry> entries;
    std::unordered_map<std::string, std::size_t> positions;
    plist_dict_iter rawIterator = nullptr;
    plist_dict_new_iter(node, &rawIterator);
    if (rawIterator == nullptr) return std::nullopt;
    const Malloced<void> iterator(rawIterator);
    for (;;) {
        char* rawKey = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, rawIterator, &rawKey, &item);
        const Malloced<char> key(rawKey);
        if (item == nullptr) break;
        if (rawKey == nullptr) return std::nullopt;
        std::optional<Value> value = fromNode(item, depth + 1);
        if (!value) return std::nullopt;
        const auto [position, added] = positions.emplace(rawKey, entries.size());
        if (added)
            entries.emplace_back(rawKey, std::move(*value));
        else
            entries[position->second].second = std::move(*value);
    }
    return Value(Dictionary::withUniqueKeys(std::move(entries)));
}

std::optional<Value> fromArrayNode(plist_t node, int depth) {
    Array array;
    const std::uint32_t count = plist_array_get_size(node);
    array.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::optional<Value> value = fromNode(plist_array_get_item(node, i), depth + 1);
        if (!value) return std::nullopt;
        array.push_back(std::move(*value));
    }
    return Value(std::move(array));
}

std::optional<Value> fromNode(plist_t node, int depth) {
    if (node == nullptr) return std::nullopt;
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            std::uint8_t b = 0;
            plist_get_bool_val(node, &b);
            return Value(b != 0);
        }
        case PLIST_UINT: {
            // The library's integers are unsigned; negative values are stored as
            // their two's-complement bit pattern.
            std::uint64_t u = 0;
            plist_get_uint_val(node, &u);
            return Value(static_cast<long long>(static_cast<std::int64_t>(u)));
        }
        case PLIST_REAL: {
            double d = 0.0;
            plist_get_real_val(node, &d);
            return Value(d);
        }
        case PLIST_STRING: {
            // Read by length: a string may hold NUL characters, which the
            // library's copying reader refuses with an assertion.
            std::uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            return Value(std::string(text != nullptr ? text : "", text != nullptr ? length : 0));
        }
        case PLIST_DATE: {
            std::int32_t seconds = 0;
            std::int32_t microseconds = 0;
            plist_get_date_val(node, &seconds, &microseconds);
            return Value(
                Date{static_cast<double>(seconds) + static_cast<double>(microseconds) / 1e6 + kSecondsFrom1970To2001});
        }
        case PLIST_DATA: {
            char* raw = nullptr;
            std::uint64_t length = 0;
            plist_get_data_val(node, &raw, &length);
            const Malloced<char> bytes(raw);
            if (raw == nullptr) length = 0;
            const auto* begin = reinterpret_cast<const std::uint8_t*>(raw);
            return Value(Data(begin, begin + length));
        }
        case PLIST_ARRAY: return depth < kMaximumDepth ? fromArrayNode(node, depth) : std::nullopt;
        case PLIST_DICT: return depth < kMaximumDepth ? fromDictionaryNode(node, depth) : std::nullopt;
        default:
            // Keys outside dictionaries, keyed-archive UIDs: not part of any file of the system.
            return std::nullopt;
    }
}

// ---- values to libplist nodes ----

plist_t newDateNode(const Date& date) {
    double since2001 = date.secondsSince1970 - kSecondsFrom1970To2001;
    if (std::isnan(since2001)) since2001 = 0.0;
    // The library counts whole seconds in 32 bits.
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (since2001 < kMin) since2001 = kMin;
    if (since2001 > kMax) since2001 = kMax;
    double whole = std::floor(since2001);
    double micro = std::round((since2001 - whole) * 1e6);
    if (micro >= 1e6) {
        micro = 0.0;
        if (whole < kMax) whole += 1.0;
    }
    return plist_new_date(static_cast<std::int32_t>(whole), static_cast<std::int32_t>(micro));
}

// depth counts the containers around the value.
Node toNode(const Value& value, int depth) {
    const bool container = value.isArray() || value.isDictionary();
    if (container && depth >= kMaximumDepth) return nullptr;
    switch (value.kind()) {
        case Value::Kind::Boolean: return Node(plist_new_bool(*value.asBoolean() ? 1 : 0));
        case Value::Kind::Integer: return Node(plist_new_uint(static_cast<std::uint64_t>(*value.asInteger())));
        case Value::Kind::Real: return Node(plist_new_real(*value.asReal()));
        case Value::Kind::String: return Node(plist_new_string(value.asString()->c_str()));
        case Value::Kind::Date: return Node(newDateNode(*value.asDate()));
        case Value::Kind::Data: {
            const Data& data = *value.asData();
            static const char kEmpty = 0;
            const char* bytes = data.empty() ? &kEmpty : reinterpret_cast<const char*>(data.data());
            return Node(plist_new_data(bytes, data.size()));
        }
        case Value::Kind::Array: {
            Node array(plist_new_array());
            for (const Value& item : *value.asArray()) {
                Node child = toNode(item, depth + 1);
                if (!child) return nullptr;
                plist_array_append_item(array.get(), child.release());
            }
            return array;
        }
        case Value::Kind::Dictionary: {
            Node dictionary(plist_new_dict());
            for (const auto& [key, item] : *value.asDictionary()) {
                Node child = toNode(item, depth + 1);
                if (!child) return nullptr;
                plist_dict_set_item(dictionary.get(), key.c_str(), child.release());
            }
            return dictionary;
        }
    }
    return nullptr;
}

std::optional<std::string> xmlOf(const Value& value) {
    const Node node = toNode(value, 0);
    if (!node) return std::nullopt;
    char* raw = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(node.get(), &raw, &length);
    if (raw == nullptr) return std::nullopt;
    const std::unique_ptr<char, void (*)(char*)> xml(raw, plist_to_xml_free);
    return std::string(raw, length);
}

}  // namespace

std::optional<Value> parse(std::string_view bytes, std::string* whyNot) {
    const auto refuse = [whyNot](std::string_view reason) -> std::optional<Value> {
        if (whyNot != nullptr) whyNot->assign(reason);
        return std::nullopt;
    };
    if (bytes.empty()) return refuse("empty");
    try {
        if (const std::optional<std::string_view> refusal = structureRefusal(bytes, kMaximumDepth))
            return refuse(*refusal);
        plist_t raw = nullptr;
        plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &raw);
        const Node root(raw);
        if (!root) return refuse("not a property list");
        std::optional<Value> value = fromNode(root.get(), 0);
        if (!value) return refuse("holds a value of an unknown kind");
        return value;
    } catch (...) {
        return refuse("out of memory");
    }
}

std::string toXml(const Value& value) {
    try {
        return xmlOf(value).value_or(std::string());
    } catch (...) {
        return std::string();
    }
}

std::optional<Value> readFile(const std::filesystem::path& path, std::string* whyNot) {
    // The size is checked before anything is read, so that a huge file costs nothing.
    const FileContent content = readRegularFile(path, kMaximumPropertyListSize);
    if (!content.bytes) {
        if (whyNot != nullptr) *whyNot = content.reason;
        return std::nullopt;
    }
    return parse(*content.bytes, whyNot);
}

DictionaryFile readDictionaryFile(const std::filesystem::path& path) {
    DictionaryFile file;
    const FileContent content = readRegularFile(path, kMaximumPropertyListSize);
    if (!content.bytes) {
        file.reason = content.reason;
        switch (content.failure) {
            case ReadFailure::Missing: file.problem = FileProblem::Missing; break;
            case ReadFailure::NotAFile: file.problem = FileProblem::NotAFile; break;
            default: file.problem = FileProblem::CannotRead; break;
        }
        return file;
    }
    std::optional<Value> value = parse(*content.bytes, &file.reason);
    if (value && value->asDictionary() == nullptr) file.reason = "not a dictionary";
    if (!value || value->asDictionary() == nullptr) {
        // Running out of memory says nothing about the file.
        file.problem = file.reason == "out of memory" ? FileProblem::CannotRead : FileProblem::Malformed;
        return file;
    }
    file.dictionary = std::move(*value->asDictionary());
    return file;
}

Rewrite prepareRewrite(const std::filesystem::path& path, double secondsSince1970) {
    Rewrite rewrite;
    rewrite.read = readDictionaryFile(path);
    switch (rewrite.read.problem) {
        case FileProblem::None: rewrite.dictionary = std::move(rewrite.read.dictionary); break;
        case FileProblem::Missing: rewrite.dictionary = Dictionary{}; break;
        case FileProblem::CannotRead: break;
        case FileProblem::NotAFile:
        case FileProblem::Malformed:
            rewrite.movedTo = moveAside(path, secondsSince1970);
            if (rewrite.movedTo) rewrite.dictionary = Dictionary{};
            break;
    }
    return rewrite;
}

std::optional<Dictionary> readDictionary(const std::filesystem::path& path, std::string* whyNot) {
    std::optional<Value> value = readFile(path, whyNot);
    if (!value) return std::nullopt;
    Dictionary* dictionary = value->asDictionary();
    if (dictionary == nullptr) {
        if (whyNot != nullptr) *whyNot = "not a dictionary";
        return std::nullopt;
    }
    return std::move(*dictionary);
}

Outcome writeFile(const std::filesystem::path& path, const Value& value) {
    return writeFile(path, value, Durability::Flushed);
}

Outcome writeFile(const std::filesystem::path& path, const Value& value, Durability durability) {
    try {
        const std::optional<std::string> xml = xmlOf(value);
        // A value nested too deep has no XML form.
        if (!xml || xml->empty()) return Outcome::fromErrno(EINVAL);
        return writeFileAtomically(path, *xml, durability);
    } catch (...) {
        return Outcome::fromErrno(ENOMEM);
    }
}

}  // namespace corvane::plist
