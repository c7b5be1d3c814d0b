#include "shared/PropertyListNesting.h"

#include <cstdint>
#include <vector>

namespace corvane::plist {

namespace {

constexpr std::string_view kBinaryMagic = "bplist00";

bool startsWith(std::string_view s, std::size_t at, std::string_view prefix) {
    return s.size() - at >= prefix.size() && s.compare(at, prefix.size(), prefix) == 0;
}

// Counts open <array> and <dict> elements; comments and CDATA sections are skipped.
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
        const bool container = nameLength > 0 && after < xml.size() &&
                               (xml[after] == '>' || xml[after] == '/' || xml[after] == ' ' || xml[after] == '\t' ||
                                xml[after] == '\r' || xml[after] == '\n');
        if (container) {
            const std::size_t end = xml.find('>', after);
            if (end == std::string_view::npos) return true;
            if (closing) {
                if (depth > 0) --depth;
            } else if (xml[end - 1] != '/' && ++depth > maximumDepth) {
                return false;
            }
            i = xml.find('<', end + 1);
        } else {
            i = xml.find('<', i + 1);
        }
    }
    return true;
}

// ---- binary form: "bplist00", objects, offset table, 32-byte trailer ----

class BinaryStructure {
public:
    explicit BinaryStructure(std::string_view bytes) : bytes_(bytes) {}

    bool nestingBounded(int maximumDepth) {
        if (bytes_.size() < kBinaryMagic.size() + kTrailerSize) return true;  // the parser rejects it
        const std::size_t trailer = bytes_.size() - kTrailerSize;
        offsetSize_ = byteAt(trailer + 6);
        referenceSize_ = byteAt(trailer + 7);
        objectCount_ = bigEndian(trailer + 8, 8);
        const std::uint64_t rootObject = bigEndian(trailer + 16, 8);
        offsetTable_ = bigEndian(trailer + 24, 8);
        if (offsetSize_ == 0 || offsetSize_ > 8 || referenceSize_ == 0 || referenceSize_ > 8) return false;
        if (objectCount_ == 0 || rootObject >= objectCount_ || offsetTable_ >= trailer) return false;
        if (objectCount_ > (trailer - offsetTable_) / offsetSize_) return false;
        // Every object takes at least one byte between the header and the offset table.
        if (offsetTable_ < kBinaryMagic.size() || objectCount_ > offsetTable_ - kBinaryMagic.size()) return false;
        return depthFrom(rootObject, maximumDepth);
    }

private:
    static constexpr std::size_t kTrailerSize = 32;
    // One byte per object: unvisited, open (on the walk's stack), or done
    // with its depth d stored as kDone + d. maximumDepth stays far below 253.
    enum : std::uint8_t { kUnvisited, kOpen, kDone };

    struct Frame {
        std::uint64_t object;
        std::uint64_t referencesStart;  // byte offset of the first reference
        std::uint64_t referenceCount;
        std::uint64_t next;  // index of the next reference to follow
        int deepestChild;
    };

    std::uint8_t byteAt(std::size_t at) const { return static_cast<std::uint8_t>(bytes_[at]); }

    std::uint64_t bigEndian(std::size_t at, std::size_t width) const {
        std::uint64_t value = 0;
        for (std::size_t k = 0; k < width; ++k) value = (value << 8) | byteAt(at + k);
        return value;
    }

    // Where the references of a container start and how many there are; a
    // count of zero for any other object. False when the object lies outside.
    bool references(std::uint64_t object, std::uint64_t& start, std::uint64_t& count) const {
        const std::uint64_t offset = bigEndian(offsetTable_ + object * offsetSize_, offsetSize_);
        if (offset >= offsetTable_) return false;
        const std::uint8_t marker = byteAt(offset);
        const std::uint8_t type = marker >> 4;
        start = 0;
        count = 0;
        const bool isArrayOrSet = type == 0xA || type == 0xC;
        const bool isDictionary = type == 0xD;
        if (!isArrayOrSet && !isDictionary) return true;
        std::uint64_t items = marker & 0x0F;
        std::uint64_t at = offset + 1;
        if (items == 0x0F) {
            // The count follows as an integer object 0x1n of 2^n bytes.
            if (at >= offsetTable_) return false;
            const std::uint8_t intMarker = byteAt(at);
            if ((intMarker >> 4) != 0x1 || (intMarker & 0x0F) > 3) return false;
            const std::size_t width = std::size_t{1} << (intMarker & 0x0F);
            if (at + 1 + width > offsetTable_) return false;
            items = bigEndian(at + 1, width);
            at += 1 + width;
        }
        // A dictionary lists its key references, then its value references.
        // Keys are followed too: the parser reads a key whole before checking
        // that it is a string.
        if (isDictionary) {
            if (items > (offsetTable_ - at) / referenceSize_ / 2) return false;
            items *= 2;
        } else if (items > (offsetTable_ - at) / referenceSize_) {
            return false;
        }
        start = at;
        count = items;
        return true;
    }

    // Iterative depth-first walk with memoised depths, so shared objects are
    // measured once and the walk itself never recurses.
    bool depthFrom(std::uint64_t root, int maximumDepth) {
        if (maximumDepth < 0 || maximumDepth > 250) return false;
        std::vector<std::uint8_t> state(objectCount_, kUnvisited);
        std::vector<Frame> stack;
        auto open = [&](std::uint64_t object) {
            Frame frame{object, 0, 0, 0, 0};
            if (!references(object, frame.referencesStart, frame.referenceCount)) return false;
            state[object] = kOpen;
            stack.push_back(frame);
            return static_cast<int>(stack.size()) <= maximumDepth + 1;
        };
        if (!open(root)) return false;
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.next == top.referenceCount) {
                const int own = (top.referenceCount > 0 ? 1 : 0) + top.deepestChild;
                if (own > maximumDepth) return false;
                state[top.object] = static_cast<std::uint8_t>(kDone + own);
                stack.pop_back();
                if (!stack.empty() && own > stack.back().deepestChild) stack.back().deepestChild = own;
                continue;
            }
            const std::uint64_t child = bigEndian(top.referencesStart + top.next * referenceSize_, referenceSize_);
            ++top.next;
            if (child >= objectCount_ || state[child] == kOpen) return false;  // outside, or a cycle
            if (state[child] >= kDone) {
                const int known = state[child] - kDone;
                if (known > top.deepestChild) top.deepestChild = known;
                continue;
            }
            if (!open(child)) return false;
        }
        return true;
    }

    std::string_view bytes_;
    std::uint8_t offsetSize_ = 0;
    std::uint8_t referenceSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::uint64_t offsetTable_ = 0;
};

}  // namespace

bool hasBoundedNesting(std::string_view bytes, int maximumDepth) {
    if (startsWith(bytes, 0, kBinaryMagic)) return BinaryStructure(bytes).nestingBounded(maximumDepth);
    return xmlNestingBounded(bytes, maximumDepth);
}

}  // namespace corvane::plist
