#pragma once
// An e-mail message in the standard Internet format (RFC 5322 headers, MIME
// multipart body of RFC 2045-2049): a UTF-8 plain-text body and attached
// files, every line ended by CRLF, so that any mail program reads it back
// with the same subject, text and attachment bytes.

#include <string>
#include <vector>

namespace corvane::app {

struct MailAttachment {
    std::string fileName;
    std::string contentType;  // e.g. "text/plain"
    std::string bytes;        // exact content, sent base64-encoded
};

class MimeMessage {
public:
    // Addresses are plain "local@domain" or "Name <local@domain>" texts.
    std::string from;
    std::vector<std::string> to;
    std::string subject;
    // Seconds since 1970, written as the Date header (UTC).
    double date = 0.0;
    // The text, lines separated by "\n".
    std::string body;
    std::vector<MailAttachment> attachments;

    // The whole message. Each call draws a new random part boundary and
    // message identifier; the boundary never occurs in the encoded content.
    std::string text() const;
};

}  // namespace corvane::app
