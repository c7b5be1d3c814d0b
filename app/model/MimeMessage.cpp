#include "app/model/MimeMessage.h"

#include <cmath>
#include <ctime>
#include <random>
#include <string_view>

namespace corvane::app {

namespace {

constexpr std::string_view kCRLF = "\r\n";
// Encoded lines stay within the 76 characters MIME allows.
constexpr std::size_t kBase64LineLength = 76;
constexpr std::size_t kQuotedPrintableLineLength = 76;
// Bytes of header text per RFC 2047 encoded word, so that each word stays
// within 75 characters.
constexpr std::size_t kEncodedWordBytes = 45;
// A header line may not exceed 998 characters.
constexpr std::size_t kMaximumHeaderLine = 998;

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string randomHex(std::size_t digits) {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<int> digit(0, 15);
    std::string text;
    for (std::size_t i = 0; i < digits; ++i) text.push_back(kHexDigits[digit(generator)]);
    return text;
}

std::string base64(std::string_view bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    encoded.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned triple = (static_cast<unsigned char>(bytes[i]) << 16) |
                                (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                                static_cast<unsigned char>(bytes[i + 2]);
        encoded += kAlphabet[(triple >> 18) & 63];
        encoded += kAlphabet[(triple >> 12) & 63];
        encoded += kAlphabet[(triple >> 6) & 63];
        encoded += kAlphabet[triple & 63];
    }
    if (i < bytes.size()) {
        const bool two = i + 1 < bytes.size();
        const unsigned triple =
            (static_cast<unsigned char>(bytes[i]) << 16) | (two ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0u);
        encoded += kAlphabet[(triple >> 18) & 63];
        encoded += kAlphabet[(triple >> 12) & 63];
        encoded += two ? kAlphabet[(triple >> 6) & 63] : '=';
        encoded += '=';
    }
    return encoded;
}

std::string base64Lines(std::string_view bytes) {
    const std::string encoded = base64(bytes);
    std::string lines;
    for (std::size_t start = 0; start < encoded.size(); start += kBase64LineLength) {
        if (start > 0) lines += kCRLF;
        lines.append(encoded, start, kBase64LineLength);
    }
    return lines;
}

void appendEscaped(std::string& out, unsigned char byte) {
    out += '=';
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 15];
}

// Quoted-printable text (RFC 2045 6.7): "\n" becomes a CRLF line break, long
// lines get soft breaks, and whitespace at a line's end is escaped.
std::string quotedPrintable(std::string_view text) {
    std::string out;
    std::size_t lineLength = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') {
            out += kCRLF;
            lineLength = 0;
            continue;
        }
        const bool atLineEnd = i + 1 == text.size() || text[i + 1] == '\n';
        std::string token;
        if ((byte >= 33 && byte <= 126 && byte != '=') || ((byte == ' ' || byte == '\t') && !atLineEnd)) {
            token.push_back(static_cast<char>(byte));
        } else {
            appendEscaped(token, byte);
        }
        // Keep room for the "=" of a soft break.
        if (lineLength + token.size() > kQuotedPrintableLineLength - 1) {
            out += '=';
            out += kCRLF;
            lineLength = 0;
        }
        out += token;
        lineLength += token.size();
    }
    return out;
}

bool isPlainHeaderText(std::string_view text) {
    if (text.find("=?") != std::string_view::npos) return false;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E) return false;
    }
    return true;
}

// An unstructured header's value: as it is when plain printable ASCII that
// fits the line, otherwise UTF-8 encoded words (RFC 2047) on folded lines,
// never cutting a character in two.
std::string headerValue(std::string_view name, std::string_view text) {
    if (isPlainHeaderText(text) && name.size() + 2 + text.size() <= kMaximumHeaderLine) return std::string(text);
    std::string value;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = std::min(text.size(), start + kEncodedWordBytes);
        while (end < text.size() && end > start + 1 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
        if (!value.empty()) value += "\r\n ";
        value += "=?utf-8?B?" + base64(text.substr(start, end - start)) + "?=";
        start = end;
    }
    return value;
}

// The attachment's file name parameter: quoted when plain ASCII, otherwise
// the RFC 2231 form with UTF-8 percent escapes.
std::string fileNameParameter(std::string_view fileName) {
    bool plain = !fileName.empty();
    for (const char c : fileName) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || c == '"' || c == '\\') plain = false;
    }
    if (plain) return "filename=\"" + std::string(fileName) + "\"";
    std::string encoded = "filename*=utf-8''";
    for (const char c : fileName) {
        const auto byte = static_cast<unsigned char>(c);
        const bool attributeChar = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
                                   (byte >= 'a' && byte <= 'z') ||
                                   std::string_view("!#$&+-.^_`|~").find(c) != std::string_view::npos;
        if (attributeChar) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHexDigits[byte >> 4];
            encoded += kHexDigits[byte & 15];
        }
    }
    return encoded;
}

// "Thu, 01 Jan 2015 10:00:00 +0000".
std::string dateHeader(double secondsSince1970) {
    constexpr double kLimit = 253402300799.0;  // 9999-12-31 23:59:59
    const double clamped = std::isnan(secondsSince1970) ? 0.0 : std::fmax(0.0, std::fmin(kLimit, secondsSince1970));
    const auto seconds = static_cast<std::time_t>(std::floor(clamped));
    std::tm utc{};
    if (::gmtime_r(&seconds, &utc) == nullptr) return "Thu, 01 Jan 1970 00:00:00 +0000";
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[utc.tm_wday % 7], utc.tm_mday,
                  kMonths[utc.tm_mon % 12], utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return buffer;
}

// The domain of an address such as "Name <local@domain>".
std::string domainOf(std::string_view address) {
    const auto at = address.rfind('@');
    if (at == std::string_view::npos) return "localhost";
    std::string_view domain = address.substr(at + 1);
    if (const auto close = domain.find('>'); close != std::string_view::npos) domain = domain.substr(0, close);
    return domain.empty() ? "localhost" : std::string(domain);
}

struct EncodedPart {
    std::string headers;
    std::string content;
};

}  // namespace

std::string MimeMessage::text() const {
    std::vector<EncodedPart> parts;
    parts.push_back({"Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n",
                     quotedPrintable(body)});
    for (const MailAttachment& attachment : attachments) {
        parts.push_back({"Content-Type: " + attachment.contentType + "\r\nContent-Disposition: attachment; " +
                             fileNameParameter(attachment.fileName) + "\r\nContent-Transfer-Encoding: base64\r\n",
                         base64Lines(attachment.bytes)});
    }

    // "=_" cannot occur in quoted-printable or base64 text; checked anyway.
    std::string boundary;
    for (bool clash = true; clash;) {
        boundary = "=_Ampwise_" + randomHex(24);
        clash = false;
        for (const EncodedPart& part : parts) {
            if (part.headers.find(boundary) != std::string::npos || part.content.find(boundary) != std::string::npos)
                clash = true;
        }
    }

    std::string message;
    message += "From: " + from + "\r\n";
    std::string recipients;
    for (const std::string& address : to) recipients += (recipients.empty() ? "" : ",\r\n ") + address;
    message += "To: " + recipients + "\r\n";
    message += "Subject: " + headerValue("Subject", subject) + "\r\n";
    message += "Date: " + dateHeader(date) + "\r\n";
    message += "Message-ID: <" + randomHex(32) + "@" + domainOf(from) + ">\r\n";
    message += "MIME-Version: 1.0\r\n";
    message += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n";
    message += "\r\nThis is a multi-part message in MIME format.\r\n";
    for (const EncodedPart& part : parts) {
        message += "\r\n--" + boundary + "\r\n" + part.headers + "\r\n" + part.content;
    }
    message += "\r\n--" + boundary + "--\r\n";
    return message;
}

}  // namespace corvane::app
