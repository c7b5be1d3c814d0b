#include "shared/PropertyListGuard.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace corvane::plist {

namespace {

constexpr std::string_view kBinaryMagic = "bplist00";

constexpr std::string_view kTooDeep = "containers nested too deep";
constexpr std::string_view kTooLarge = "file too large";
constexpr std::string_view kExpandsTooFar = "shared objects expand too far";
constexpr std::string_view kNulInKey = "a dictionary key holds a NUL character";
constexpr std::string_view kBadStructure = "binary structure cannot be followed";

bool startsWith(std::string_view s, std::size_t at, std::string_view prefix) {
    return at <= s.size() && s.size() - at >= prefix.size() && s.compare(at, prefix.size(), prefix) == 0;
}

bool isNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.' || c == ':';
}

// The bytes the library accepts after the name of a closing tag.
bool endsClosingName(char c) { return c == '>' || c == '\0' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Counts open <array> and <dict> elements; comments and CDATA sections are
// skipped. Any byte that cannot continue a name ends an opening name (the
// library accepts a NUL there, for one): counting too many opening tags only
// refuses a broken file, too few would let a deep one through. Closing tags
// are counted only in the forms the library accepts.
bool xmlNestingBounded(std::string_view xml, int maximumDepth) {
    int depth = 0;
    std::size_t i = xml.find('<');
    while (i != std::string_view::npos) {
        if (startsWith(xml, i, "<!--")) {
            const std::size_t end = xml.find("-->", i + 4);
            if (end == std::string_view::npos) return true;  // unterminated: the parser rejects it
            i = xml.find('<', end + 3);
            continue;
        }
        if (startsWith(xml, i, "<![CDATA[")) {
            const std::size_t end = xml.find("]]>", i + 9);
            if (end == std::string_view::npos) return true;
            i = xml.find('<', end + 3);
            continue;
        }
        const bool closing = startsWith(xml, i, "</");
        const std::size_t nameStart = i + (closing ? 2 : 1);
        std::size_t nameLength = 0;
        if (startsWith(xml, nameStart, "array"))
            nameLength = 5;
        else if (startsWith(xml, nameStart, "dict"))
            nameLength = 4;
        const std::size_t after = nameStart + nameLength;
        if (nameLength == 0 || after >= xml.size()) {
            i = xml.find('<', i + 1);
            continue;
        }
        const std::size_t end = xml.find('>', after);
        if (end == std::string_view::npos) return true;
        if (closing) {
            if (endsClosingName(xml[after]) && depth > 0) --depth;
        } else if (!isNameCharacter(xml[after]) && xml[end - 1] != '/' && ++depth > maximumDepth) {
            return false;
        }
        i = xml.find('<', end + 1);
    }
    return true;
}

// ---- binary form: "bplist00", objects, offset table, 32-byte trailer ----

class BinaryStructure {
public:
    explicit BinaryStructure(std::string_view bytes) : bytes_(bytes) {}

    std::optional<std::string_view> refusal(int maximumDepth) {
        if (bytes_.size() < kBinaryMagic.size() + kTrailerSize) return std::nullopt;  // the parser rejects it
        const std::size_t trailer = bytes_.size() - kTrailerSize;
        offsetSize_ = byteAt(trailer + 6);
        referenceSize_ = byteAt(trailer + 7);
        objectCount_ = bigEndian(trailer + 8, 8);
        const std::uint64_t rootObject = bigEndian(trailer + 16, 8);
        offsetTable_ = bigEndian(trailer + 24, 8);
        if (offsetSize_ == 0 || offsetSize_ > 8 || referenceSize_ == 0 || referenceSize_ > 8) return kBadStructure;
        if (objectCount_ == 0 || rootObject >= objectCount_ || offsetTable_ >= trailer) return kBadStructure;
        if (objectCount_ > (trailer - offsetTable_) / offsetSize_) return kBadStructure;
        // Every object takes at least one byte between the header and the offset table.
        if (offsetTable_ < kBinaryMagic.size() || objectCount_ > offsetTable_ - kBinaryMagic.size())
            return kBadStructure;
        if (maximumDepth < 0 || maximumDepth > 250) return kTooDeep;
        return walkFrom(rootObject, maximumDepth);
    }

private:
    static constexpr std::size_t kTrailerSize = 32;
    enum : std::uint8_t { kUnvisited, kOpen, kDone };
    static constexpr std::uint8_t kCheckedKey = 0x80;  // flag: a string without NUL
    static constexpr std::uint64_t kCostLimit = kMaximumExpandedSize;

    // What the walk needs of one object.
    struct Object {
        std::uint8_t type = 0;
        std::uint64_t count = 0;         // items, characters or bytes
        std::uint64_t contentStart = 0;  // byte offset of the references or the content
    };

    struct Frame {
        std::uint64_t object;
        Object header;
        std::uint64_t referenceCount;  // keys and values of a dictionary
        std::uint64_t next;            // index of the next reference to follow
        int deepestChild;
        std::uint64_t cost;
    };

    std::uint8_t byteAt(std::size_t at) const { return static_cast<std::uint8_t>(bytes_[at]); }

    std::uint64_t bigEndian(std::size_t at, std::size_t width) const {
        std::uint64_t value = 0;
        for (std::size_t k = 0; k < width; ++k) value = (value << 8) | byteAt(at + k);
        return value;
    }

    static bool isContainer(std::uint8_t type) { return type == 0xA || type == 0xC || type == 0xD; }
    static bool hasLength(std::uint8_t type) { return type == 0x4 || type == 0x5 || type == 0x6 || isContainer(type); }

    // The object's type and count, and where its content starts. False when
    // the object or its count lies outside the object area.
    bool read(std::uint64_t object, Object& header) const {
        const std::uint64_t offset = bigEndian(offsetTable_ + object * offsetSize_, offsetSize_);
        if (offset < kBinaryMagic.size() || offset >= offsetTable_) return false;
        const std::uint8_t marker = byteAt(offset);
        header.type = marker >> 4;
        header.count = 0;
        header.contentStart = offset + 1;
        if (!hasLength(header.type)) return true;
        header.count = marker & 0x0F;
        if (header.count == 0x0F) {
            // The count follows as an integer object 0x1n of 2^n bytes.
            const std::uint64_t at = header.contentStart;
            if (at >= offsetTable_) return false;
            const std::uint8_t intMarker = byteAt(at);
            if ((intMarker >> 4) != 0x1 || (intMarker & 0x0F) > 3) return false;
            const std::size_t width = std::size_t{1} << (intMarker & 0x0F);
            if (at + 1 + width > offsetTable_) return false;
            header.count = bigEndian(at + 1, width);
            header.contentStart = at + 1 + width;
        }
        const std::uint64_t room = offsetTable_ - header.contentStart;
        switch (header.type) {
            case 0x4:
            case 0x5: return header.count <= room;
            case 0x6: return header.count <= room / 2;
            case 0xD: return header.count <= room / referenceSize_ / 2;
            default: return header.count <= room / referenceSize_;
        }
    }

    // Memory the node itself takes once expanded, its children aside. A
    // UTF-16 string becomes UTF-8 of up to three bytes per unit.
    static std::uint64_t ownCost(const Object& header) {
        const std::uint64_t perUnit = header.type == 0x6 ? 3 : (header.type == 0x4 || header.type == 0x5) ? 1 : 0;
        return kExpandedNodeCost + header.count * perUnit;
    }

    bool keyWithoutNul(std::uint64_t key) {
        if (state_[key] & kCheckedKey) return true;
        Object header;
        if (!read(key, header)) return false;
        const std::uint64_t start = header.contentStart;
        if (header.type == 0x5) {
            for (std::uint64_t k = 0; k < header.count; ++k)
                if (byteAt(start + k) == 0) return false;
        } else if (header.type == 0x6) {
            for (std::uint64_t k = 0; k < header.count; ++k)
                if (byteAt(start + 2 * k) == 0 && byteAt(start + 2 * k + 1) == 0) return false;
        }
        state_[key] |= kCheckedKey;
        return true;
    }

    static std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
        return std::min<std::uint64_t>(a + b, kCostLimit + 1);
    }

    // Iterative depth-first walk with memoised depths and expanded costs, so
    // that shared objects are measured once and the walk never recurses.
    std::optional<std::string_view> walkFrom(std::uint64_t root, int maximumDepth) {
        state_.assign(objectCount_, kUnvisited);
        depth_.assign(objectCount_, 0);
        cost_.assign(objectCount_, 0);
        std::vector<Frame> stack;
        auto open = [&](std::uint64_t object) -> std::optional<std::string_view> {
            Frame frame{object, {}, 0, 0, 0, 0};
            if (!read(object, frame.header)) return kBadStructure;
            if (isContainer(frame.header.type))
                frame.referenceCount = frame.header.count * (frame.header.type == 0xD ? 2 : 1);
            frame.cost = ownCost(frame.header);
            state_[object] = (state_[object] & kCheckedKey) | kOpen;
            stack.push_back(frame);
            if (static_cast<int>(stack.size()) > maximumDepth + 1) return kTooDeep;
            return std::nullopt;
        };
        if (auto refused = open(root)) return refused;
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.next == top.referenceCount) {
                const int own = (top.referenceCount > 0 ? 1 : 0) + top.deepestChild;
                if (own > maximumDepth) return kTooDeep;
                if (top.cost > kCostLimit) return kExpandsTooFar;
                state_[top.object] = (state_[top.object] & kCheckedKey) | kDone;
                depth_[top.object] = static_cast<std::uint8_t>(own);
                cost_[top.object] = static_cast<std::uint32_t>(top.cost);
                const std::uint64_t cost = top.cost;
                stack.pop_back();
                if (!stack.empty()) {
                    Frame& parent = stack.back();
                    parent.deepestChild = std::max(parent.deepestChild, own);
                    parent.cost = saturatingAdd(parent.cost, cost);
                }
                continue;
            }
            const std::uint64_t child = bigEndian(top.header.contentStart + top.next * referenceSize_, referenceSize_);
            // A dictionary lists its key references, then its value references.
            const bool isKey = top.header.type == 0xD && top.next < top.header.count;
            ++top.next;
            if (child >= objectCount_) return kBadStructure;
            const std::uint8_t visit = state_[child] & ~kCheckedKey;
            if (visit == kOpen) return kBadStructure;  // a cycle
            if (isKey && !keyWithoutNul(child)) return kNulInKey;
            if (visit == kDone) {
                top.deepestChild = std::max<int>(top.deepestChild, depth_[child]);
                top.cost = saturatingAdd(top.cost, cost_[child]);
                if (top.cost > kCostLimit) return kExpandsTooFar;
                continue;
            }
            if (auto refused = open(child)) return refused;
        }
        return std::nullopt;
    }

    std::string_view bytes_;
    std::uint8_t offsetSize_ = 0;
    std::uint8_t referenceSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::uint64_t offsetTable_ = 0;
    std::vector<std::uint8_t> state_;
    std::vector<std::uint8_t> depth_;
    std::vector<std::uint32_t> cost_;
};

}  // namespace

std::optional<std::string_view> structureRefusal(std::string_view bytes, int maximumDepth) {
    if (bytes.size() > kMaximumPropertyListSize) return kTooLarge;
    if (startsWith(bytes, 0, kBinaryMagic)) return BinaryStructure(bytes).refusal(maximumDepth);
    if (!xmlNestingBounded(bytes, maximumDepth)) return kTooDeep;
    return std::nullopt;
}

}  // namespace corvane::plist
