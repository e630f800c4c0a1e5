#!/usr/bin/env python3
"""Reads the headers of a message with Python's e-mail parser and checks what
a reader gets from them.

usage: header_check.py MESSAGE EXPECTATIONS

EXPECTATIONS lists, one per line, fields separated by tabs, texts in hex of
their UTF-8 bytes:
    text <header name> <text>           the header's unfolded, decoded value
    address <header name> <display name> <address>
                                        the next address of the header's list;
                                        its display name decoded as the
                                        standard says (the default policy keeps
                                        the white space between two
                                        encoded-words of a display name)
    name <text>                         the name parameter of Content-Type
    filename <text>                     the file name of the part
Prints "ok", or each difference.
"""
import email
import email.header
import email.policy
import email.utils
import sys


def unhex(text):
    return bytes.fromhex(text).decode("utf-8", "surrogateescape")


def raw_value(msg, name):
    """The header's value as written, unfolded."""
    for key, value in msg.raw_items():
        if key.lower() == name.lower():
            return "".join(str(value).splitlines())
    return ""


def decoded(text):
    return str(email.header.make_header(email.header.decode_header(text)))


def main():
    with open(sys.argv[1], "rb") as f:
        msg = email.message_from_binary_file(f, policy=email.policy.default)
    seen = {}
    problems = []

    def compare(what, got, wanted):
        if got != wanted:
            problems.append(f"{what}: got {got!r}, wanted {wanted!r}")

    with open(sys.argv[2], "rb") as f:
        for raw in f.read().decode("ascii").splitlines():
            kind, *fields = raw.split("\t")
            if kind == "text":
                compare(fields[0], str(msg[fields[0]]), unhex(fields[1]))
            elif kind == "address":
                index = seen.get(fields[0], 0)
                seen[fields[0]] = index + 1
                addresses = email.utils.getaddresses([raw_value(msg, fields[0])])
                got = (decoded(addresses[index][0]), addresses[index][1]) \
                    if index < len(addresses) else None
                compare(f"{fields[0]} {index}", got, (unhex(fields[1]), unhex(fields[2])))
            elif kind == "name":
                compare("name", msg["Content-Type"].params.get("name"), unhex(fields[0]))
            elif kind == "filename":
                compare("filename", msg.get_filename(), unhex(fields[0]))
    for name, count in seen.items():
        compare(f"{name} addresses", len(msg[name].addresses), count)
    print("\n".join(problems) if problems else "ok")


main()
