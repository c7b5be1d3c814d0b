#!/usr/bin/env python3
"""Reads an e-mail file with Python's standard mail parser and prints what a
mail program would show, one item per line:

    defects <number of parse defects over all parts>
    subject <subject>
    to <address>                 (one line per recipient)
    body <hex of the UTF-8 body text, CRLF line breaks read as LF>
    attachment <filename> <hex of the decoded bytes>   (in order)
"""

import email
import email.policy
import sys


def main(path):
    with open(path, "rb") as source:
        message = email.message_from_binary_file(source, policy=email.policy.default)

    defects = sum(len(part.defects) for part in message.walk())
    lines = ["defects %d" % defects, "subject %s" % message["subject"]]
    for address in message["to"].addresses:
        lines.append("to %s" % address.addr_spec)

    body = message.get_body(preferencelist=("plain",))
    text = body.get_content() if body is not None else ""
    lines.append("body %s" % text.replace("\r\n", "\n").encode("utf-8").hex())

    for part in message.iter_attachments():
        lines.append("attachment %s %s" % (part.get_filename(), part.get_payload(decode=True).hex()))

    sys.stdout.buffer.write(("\n".join(lines) + "\n").encode("utf-8"))


if __name__ == "__main__":
    main(sys.argv[1])
