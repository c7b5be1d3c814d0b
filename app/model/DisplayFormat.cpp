#include "app/model/DisplayFormat.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "app/model/DateText.h"

namespace corvane::app {

namespace {

// Containers nested deeper than this are shown as "...".
constexpr int kMaximumDescriptionDepth = 32;

std::string textOf(const DisplayFormat::Argument& argument) {
    if (const auto* text = std::get_if<std::string>(&argument)) return *text;
    return plist::Value(std::get<double>(argument)).text().value_or(std::string());
}

// The usual number conversion: numbers as they are, text as its leading
// numeric part (0 when there is none).
double numberOf(const DisplayFormat::Argument& argument) {
    if (const auto* number = std::get_if<double>(&argument)) return *number;
    return plist::Value(std::get<std::string>(argument)).doubleValue();
}

// snprintf of one numeric conversion, the whole text whatever its length.
template <typename Number>
std::string printed(const std::string& conversion, Number number) {
    const int length = std::snprintf(nullptr, 0, conversion.c_str(), number);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), conversion.c_str(), number);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// Reads up to a few digits at `position`; the number is kept to the maximum
// width so that no conversion can ask for a huge text.
std::string boundedDigits(std::string_view format, std::size_t& position) {
    int number = 0;
    bool any = false;
    while (position < format.size() && format[position] >= '0' && format[position] <= '9') {
        number = std::min(number * 10 + (format[position] - '0'), DisplayFormat::kMaximumWidth);
        any = true;
        ++position;
    }
    return any ? std::to_string(number) : std::string();
}

std::string hexBytes(const plist::Data& data) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text = "<";
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0 && i % 4 == 0) text.push_back(' ');
        text.push_back(kDigits[data[i] >> 4]);
        text.push_back(kDigits[data[i] & 0x0f]);
    }
    text.push_back('>');
    return text;
}

// Text inside a container: quoted unless it is a plain word or number.
std::string quotedIfNeeded(const std::string& text) {
    const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.';
    });
    return plain ? text : "\"" + text + "\"";
}

std::string describe(const plist::Value& value, int depth, bool nested) {
    switch (value.kind()) {
        case plist::Value::Kind::String: return nested ? quotedIfNeeded(*value.asString()) : *value.asString();
        case plist::Value::Kind::Date: {
            const std::string text = DateText::defaultDescription(value.asDate()->secondsSince1970);
            return nested ? "\"" + text + "\"" : text;
        }
        case plist::Value::Kind::Data: return hexBytes(*value.asData());
        case plist::Value::Kind::Array: {
            if (depth >= kMaximumDescriptionDepth) return "(...)";
            std::string text = "(";
            bool first = true;
            for (const plist::Value& element : *value.asArray()) {
                if (!first) text += ", ";
                first = false;
                text += describe(element, depth + 1, true);
            }
            return text + ")";
        }
        case plist::Value::Kind::Dictionary: {
            if (depth >= kMaximumDescriptionDepth) return "{...}";
            std::string text = "{";
            for (const auto& [key, element] : *value.asDictionary()) {
                text += quotedIfNeeded(key) + " = " + describe(element, depth + 1, true) + "; ";
            }
            return text + "}";
        }
        default: return value.text().value_or(std::string());
    }
}

}  // namespace

std::string DisplayFormat::apply(std::string_view format, const std::vector<Argument>& arguments) {
    std::string result;
    std::size_t nextArgument = 0;
    auto takeArgument = [&]() -> Argument {
        if (nextArgument < arguments.size()) return arguments[nextArgument++];
        return std::string();
    };

    std::size_t position = 0;
    while (position < format.size()) {
        const std::size_t percent = format.find('%', position);
        if (percent == std::string_view::npos) {
            result.append(format.substr(position));
            break;
        }
        result.append(format.substr(position, percent - position));

        // %[flags][width][.precision][length]conversion
        std::size_t cursor = percent + 1;
        std::string flags;
        while (cursor < format.size() && std::string_view("-+ #0").find(format[cursor]) != std::string_view::npos) {
            if (flags.find(format[cursor]) == std::string::npos) flags.push_back(format[cursor]);
            ++cursor;
        }
        const std::string width = boundedDigits(format, cursor);
        std::string precision;
        if (cursor < format.size() && format[cursor] == '.') {
            ++cursor;
            precision.push_back('.');
            precision.append(boundedDigits(format, cursor));
        }
        while (cursor < format.size() && std::string_view("hlLqjzt").find(format[cursor]) != std::string_view::npos) {
            ++cursor;
        }
        if (cursor >= format.size()) {
            // An unfinished conversion at the end stays as it stands.
            result.append(format.substr(percent));
            break;
        }

        const char conversion = format[cursor];
        const std::string prefix = "%" + flags + width + precision;
        switch (conversion) {
            case '%': result.push_back('%'); break;
            case '@':
            case 's': {
                std::string text = textOf(takeArgument());
                const std::size_t minimum = width.empty() ? 0 : std::stoul(width);
                if (text.size() < minimum) {
                    const std::string padding(minimum - text.size(), ' ');
                    text = flags.find('-') != std::string::npos ? text + padding : padding + text;
                }
                result += text;
                break;
            }
            case 'd':
            case 'i':
                result += printed(prefix + "lld",
                                  static_cast<long long>(plist::Value(numberOf(takeArgument())).integerValue()));
                break;
            case 'u':
            case 'x':
            case 'X':
            case 'o':
                result +=
                    printed(prefix + "ll" + conversion,
                            static_cast<unsigned long long>(plist::Value(numberOf(takeArgument())).integerValue()));
                break;
            case 'f':
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G':
            case 'a':
            case 'A': result += printed(prefix + conversion, numberOf(takeArgument())); break;
            default:
                // Not a conversion the app uses: copied as it stands.
                result.append(format.substr(percent, cursor + 1 - percent));
                break;
        }
        position = cursor + 1;
    }
    return result;
}

std::string DisplayFormat::objectText(const plist::Value& value) { return describe(value, 0, false); }

}  // namespace corvane::app
