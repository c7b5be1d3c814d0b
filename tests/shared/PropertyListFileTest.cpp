// Reading and writing property-list files: round trips, the binary form,
// and every kind of broken file, which must read as none without harm.
#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <limits>
#include <random>

#include "shared/AtomicFile.h"
#include "shared/PropertyListFile.h"
#include "shared/PropertyListGuard.h"
#include "tests/shared/PropertyListPrinting.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::plist {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> keysOf(const Dictionary& d) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : d) keys.push_back(key);
    return keys;
}

// A value with every kind, nested, in a deliberately unsorted key order.
Dictionary everyKind() {
    return Dictionary{
        {"zeta", true},
        {"alpha", false},
        {"count", 42},
        {"negative", -5},
        {"smallest", Value(static_cast<long long>(std::numeric_limits<std::int64_t>::min()))},
        {"largest", Value(static_cast<long long>(std::numeric_limits<std::int64_t>::max()))},
        {"ratio", 0.1},
        {"wholeReal", 2.0},
        {"huge", -1.5e300},
        {"text", "Ünïcode & <markup> \"quotes\" 'apostrophes'"},
        {"empty", ""},
        {"when", Date{1700000000.0}},
        {"before2001", Date{86400.0}},
        {"bytes", Data{0x00, 0xff, 0x10, 0x80, 0x00}},
        {"noBytes", Data{}},
        {"list", Array{1, "two", 3.5, Array{}, Dictionary{{"deep", Array{Dictionary{{"deeper", -1}}}}}}},
        {"nested", Dictionary{{"b", 2}, {"a", 1}, {"emptyDict", Dictionary{}}}},
    };
}

Value nestedArrays(int containers) {
    Value v = 0;
    for (int i = 0; i < containers; ++i) v = Value(Array{std::move(v)});
    return v;
}

// A binary list of the given objects (object 0 the root), as a hostile file
// would be written by hand: 4-byte offsets, references of `referenceSize` bytes.
std::string binaryList(const std::vector<std::string>& objects, int referenceSize = 1) {
    auto bigEndian = [](std::string& out, std::uint64_t value, int width) {
        for (int k = width - 1; k >= 0; --k) out.push_back(static_cast<char>((value >> (8 * k)) & 0xff));
    };
    std::string bytes = "bplist00", table;
    for (const std::string& object : objects) {
        bigEndian(table, bytes.size(), 4);
        bytes += object;
    }
    const std::uint64_t tableOffset = bytes.size();
    bytes += table + std::string(6, '\0') + char(4) + char(referenceSize);
    bigEndian(bytes, objects.size(), 8);
    bigEndian(bytes, 0, 8);
    bigEndian(bytes, tableOffset, 8);
    return bytes;
}

// `count` arrays, each holding the next (the last holds the first when cyclic).
std::string binaryChainOfArrays(std::uint32_t count, bool cyclic) {
    std::vector<std::string> objects;
    for (std::uint32_t i = 1; i <= count; ++i) {
        const std::uint32_t next = i == count ? 0 : i;
        objects.push_back(i == count && !cyclic
                              ? std::string(1, '\xA0')
                              : std::string{'\xA1', char(next >> 24), char(next >> 16), char(next >> 8), char(next)});
    }
    return binaryList(objects, 4);
}

std::string utf16(std::string_view ascii) {
    std::string object(1, static_cast<char>(0x60 | ascii.size()));
    for (char c : ascii) object += std::string{'\0', c};
    return object;
}

// Runs `body` in a child process whose address space may grow by only
// `megabytes`; true when it returned true.
bool withinMemoryLimit(std::size_t megabytes, const std::function<bool()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::size_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t bytes = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (megabytes << 20);
        const rlimit limit{bytes, bytes};
        ::_exit(::setrlimit(RLIMIT_AS, &limit) == 0 && body() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class PropertyListFileTest : public ::testing::Test {
protected:
    testing::TemporaryRoot root_;
    fs::path file(const char* name) const { return root_.path() / name; }
};

TEST_F(PropertyListFileTest, EveryKindAndRootRoundTripsThroughTheXmlFileKeepingKeyOrder) {
    ASSERT_TRUE(writeFile(file("all.plist"), Value(everyKind())));
    const std::optional<Dictionary> read = readDictionary(file("all.plist"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, everyKind());
    EXPECT_EQ(keysOf(*read), keysOf(everyKind()));
    EXPECT_EQ(keysOf(*read->find("nested")->asDictionary()), (std::vector<std::string>{"b", "a", "emptyDict"}));
    EXPECT_TRUE(read->find("wholeReal")->isReal());  // an integral real stays a real

    // Other roots read as values but not as dictionaries.
    for (const Value& root : {Value(Array{1, 2}), Value("just text"), Value(7), Value(false), Value(Date{9e8})}) {
        ASSERT_TRUE(writeFile(file("root.plist"), root));
        EXPECT_EQ(readFile(file("root.plist")), root);
        EXPECT_FALSE(readDictionary(file("root.plist")).has_value());
    }
}

TEST_F(PropertyListFileTest, BinaryFilesAreReadLikeXmlOnes) {
    // Every kind, turned into the binary form by libplist itself.
    const std::string xml = toXml(Value(everyKind()));
    plist_t converted = nullptr;
    plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &converted);
    ASSERT_NE(converted, nullptr);
    char* raw = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(converted, &raw, &length);
    plist_free(converted);
    ASSERT_NE(raw, nullptr);
    const std::string binary(raw, length);
    plist_to_bin_free(raw);
    ASSERT_TRUE(writeFileAtomically(file("binary.plist"), binary));
    EXPECT_EQ(readDictionary(file("binary.plist")), everyKind());

    // Cut anywhere, the binary form reads as none.
    for (std::size_t cut : {std::size_t{8}, binary.size() / 2, binary.size() - 1}) {
        EXPECT_FALSE(parse(std::string_view(binary).substr(0, cut)).has_value()) << cut;
    }
}

TEST_F(PropertyListFileTest, BrokenFilesReadAsNone) {
    const std::string validXml = toXml(Value(everyKind()));
    std::mt19937 random(20240601);
    std::string noise(1 << 20, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    std::string binaryNoise = "bplist00" + noise.substr(0, 4096);

    const std::vector<std::pair<const char*, std::string>> broken = {
        {"empty", ""},
        {"garbage", "this is not a property list"},
        {"truncated xml", validXml.substr(0, validXml.size() / 2)},
        {"truncated before the root closes", validXml.substr(0, validXml.rfind("</dict>"))},
        {"random megabyte", noise},
        {"binary header and noise", binaryNoise},
        {"unclosed element", "<plist><dict><key>a</key><integer>1</integer>"},
    };
    for (const auto& [name, bytes] : broken) {
        writeFileAtomically(file("broken.plist"), bytes);
        EXPECT_FALSE(readFile(file("broken.plist")).has_value()) << name;
        EXPECT_FALSE(readDictionary(file("broken.plist")).has_value()) << name;
    }

    EXPECT_FALSE(readDictionary(file("missing.plist")).has_value());
    fs::create_directory(file("folder.plist"));
    EXPECT_FALSE(readDictionary(file("folder.plist")).has_value());
}

TEST_F(PropertyListFileTest, OnlyWhatWasReadAndIsNoPropertyListOrNoFileIsReplaced) {
    const std::string valid = toXml(Value(Dictionary{{"Strategy", Value(4)}}));
    // Sound but padded past the size cap: cannot be read, so it is kept and
    // nothing may be written over it.
    const std::string padded = valid + std::string(kMaximumPropertyListSize, ' ');
    writeFileAtomically(file("big.plist"), padded);
    const Rewrite big = prepareRewrite(file("big.plist"), 0);
    EXPECT_EQ(big.read.problem, FileProblem::CannotRead);
    EXPECT_FALSE(big.dictionary || big.movedTo);
    EXPECT_EQ(readWholeFile(file("big.plist"), 2 * padded.size()), padded);

    // Read and not a property list, or not a file at all: moved aside whole.
    writeFileAtomically(file("torn.plist"), valid.substr(0, 40));
    ASSERT_EQ(::mkfifo(file("fifo.plist").c_str(), 0600), 0);
    fs::create_directory(file("folder.plist"));
    writeFileAtomically(file("target.plist"), valid);
    fs::create_symlink(file("target.plist"), file("link.plist"));
    for (const auto& [name, problem] : {std::pair("torn.plist", FileProblem::Malformed),
                                        {"fifo.plist", FileProblem::NotAFile},
                                        {"folder.plist", FileProblem::NotAFile},
                                        {"link.plist", FileProblem::NotAFile}}) {
        const Rewrite rewrite = prepareRewrite(file(name), 0);
        EXPECT_EQ(rewrite.read.problem, problem) << name;
        EXPECT_EQ(rewrite.dictionary, Dictionary{}) << name;
        EXPECT_EQ(rewrite.movedTo, file((std::string(name) + ".unreadable-19700101T000000Z").c_str())) << name;
    }
    EXPECT_EQ(prepareRewrite(file("target.plist"), 0).dictionary, (Dictionary{{"Strategy", Value(4)}}));
}

TEST_F(PropertyListFileTest, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    // As deep as allowed: written and read back.
    const Value deepest = nestedArrays(kMaximumNesting);
    ASSERT_TRUE(writeFile(file("deep.plist"), deepest));
    const std::optional<Value> read = readFile(file("deep.plist"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, deepest);

    // One level deeper: neither written (the old file stays) nor read.
    const Value tooDeep = nestedArrays(kMaximumNesting + 1);
    EXPECT_FALSE(writeFile(file("deep.plist"), tooDeep));
    EXPECT_EQ(readFile(file("deep.plist")), deepest);

    // Written by hand: as deep as allowed reads, one level more does not;
    // nor do files nesting far deeper, in both forms.
    const auto xmlArrays = [](int opened, int closed) {
        std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
        for (int i = 0; i < opened; ++i) xml += "<array>";
        for (int i = 0; i < closed; ++i) xml += "</array>";
        return xml + (closed > 0 ? "</plist>" : "");
    };
    EXPECT_TRUE(parse(xmlArrays(kMaximumNesting, kMaximumNesting)).has_value());
    EXPECT_FALSE(parse(xmlArrays(kMaximumNesting + 1, kMaximumNesting + 1)).has_value());
    // The library never sees the deeper file.
    EXPECT_EQ(structureRefusal(xmlArrays(kMaximumNesting, kMaximumNesting)), std::nullopt);
    EXPECT_EQ(structureRefusal(xmlArrays(kMaximumNesting + 1, kMaximumNesting + 1)), "containers nested too deep");
    EXPECT_FALSE(parse(xmlArrays(200000, 0)).has_value());
    EXPECT_FALSE(parse(xmlArrays(200000, 200000)).has_value());
    EXPECT_FALSE(parse(binaryChainOfArrays(200000, false)).has_value());
    EXPECT_FALSE(parse(binaryChainOfArrays(3, true)).has_value());
    EXPECT_FALSE(parse(binaryList({"\xA1\x09", "\x10\x01"})).has_value());  // a reference past the last object
    EXPECT_TRUE(parse(binaryChainOfArrays(10, false)).has_value());

    // Depth hidden behind shared objects: segments of 100 arrays, each ending
    // in the top of the segment before it, listed so that each is reached
    // after the one it ends in. No path walked from the root is deeper than
    // one segment, yet the second segment's top is 200 deep; chained
    // thousands of times, it would recurse the library out of its stack.
    const auto segments = [](std::uint32_t count, std::uint32_t length) {
        const auto reference = [](std::uint32_t object) {
            return std::string{char(object >> 24), char(object >> 16), char(object >> 8), char(object)};
        };
        const auto top = [&](std::uint32_t segment) { return 1 + (segment - 1) * length; };
        std::string root{'\xAF', '\x11', char(count >> 8), char(count)};
        for (std::uint32_t segment = 1; segment <= count; ++segment) root += reference(top(segment));
        std::vector<std::string> objects{root};
        for (std::uint32_t segment = 1; segment <= count; ++segment) {
            for (std::uint32_t j = 1; j < length; ++j) objects.push_back('\xA1' + reference(top(segment) + j));
            objects.push_back(segment == 1 ? std::string(1, '\xA0') : '\xA1' + reference(top(segment - 1)));
        }
        return binaryList(objects, 4);
    };
    EXPECT_EQ(structureRefusal(segments(1, 100)), std::nullopt);
    EXPECT_EQ(structureRefusal(segments(2, 100)), "containers nested too deep");
    // Past the size limit, a list is refused before its structure is walked.
    const std::string sound = toXml(Value(Dictionary{{"Strategy", Value(4)}}));
    EXPECT_EQ(structureRefusal(sound + std::string(kMaximumPropertyListSize, ' ')), "file too large");
}

TEST_F(PropertyListFileTest, HostileFilesAreRefusedOrReadByLengthWithoutHarm) {
    // A NUL inside a UTF-16 value is kept; inside a key the file is refused.
    const std::optional<Value> nulValue =
        parse(binaryList({"\xD1\x01\x02", utf16("k"), utf16(std::string("a\0b", 3))}));
    ASSERT_TRUE(nulValue.has_value());
    EXPECT_EQ(*nulValue->asDictionary()->find("k"), Value(std::string("a\0b", 3)));
    EXPECT_FALSE(parse(binaryList({"\xD1\x01\x02", utf16(std::string("a\0b", 3)), utf16("v")})));

    // Arrays holding two references to the next level: shared a few times
    // it reads, 40 levels (2^40 copies) are refused before parsing.
    // `levels` arrays from object `first` on, each holding the next one twice.
    const auto doubling = [](int levels, int first = 0) {
        std::vector<std::string> objects;
        for (int i = first + 1; i <= first + levels; ++i)
            objects.push_back({'\xA2', static_cast<char>(i), static_cast<char>(i)});
        objects.push_back("\x10\x07");
        return objects;
    };
    EXPECT_EQ(parse(binaryList(doubling(3))), Value(Array(2, Array(2, Array(2, 7)))));
    // 2^16 - 1 nodes of 64 bytes fit the 4 MiB bound; twice as many do not,
    // shared or in two distinct halves; 2^41 nodes are refused before the
    // library tries to make them. In a child that has little memory to give,
    // so that a missing bound fails here instead of exhausting the machine.
    std::vector<std::string> twoHalves = doubling(15, 1);
    twoHalves.insert(twoHalves.begin(), {'\xA2', 1, 17});
    for (const std::string& object : doubling(15, 17)) twoHalves.push_back(object);
    // A 64 KiB string shared a hundred times expands as far.
    const std::string sharedString =
        binaryList({"\xAF\x10\x64" + std::string(100, '\x01'), "\x5F\x11\xFF\xFF" + std::string(65535, 'x')});
    const bool refusedUnderLimit = withinMemoryLimit(512, [&] {
        std::string why;
        return parse(binaryList(doubling(15))).has_value() && !parse(binaryList(doubling(16))) &&
               !parse(binaryList(twoHalves)) && !parse(sharedString) && !parse(binaryList(doubling(40)), &why) &&
               why == "shared objects expand too far";
    });
    EXPECT_TRUE(refusedUnderLimit);

    // Every opening form the XML reader accepts counts towards the nesting,
    // so the file never reaches the library's recursion.
    for (char after : {'\0', '\t', '\n', '\r', ' '}) {
        std::string xml = "<plist>";
        for (int i = 0; i < 5000; ++i) xml += std::string("<array") + after + ">";
        for (int i = 0; i < 5000; ++i) xml += "</array>";
        EXPECT_FALSE(parse(xml + "</plist>").has_value()) << static_cast<int>(after);
    }

    // A file beyond the size limit is not even read.
    const std::string padding(kMaximumPropertyListSize, ' ');
    ASSERT_TRUE(writeFileAtomically(file("big.plist"), "<plist><dict/></plist>" + padding));
    EXPECT_FALSE(readFile(file("big.plist")).has_value());
}

}  // namespace
}  // namespace corvane::plist
