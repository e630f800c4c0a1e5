#!/usr/bin/env python3
"""Reads a draft as a mail client would and checks what a reader sees.

usage: render_check.py MESSAGE EXPECTED

EXPECTED holds UTF-8 lines, the fields separated by tabs:
    subject <text>
    to|cc|bcc|from|reply-to <display name> <address>   (one per address, in order)
    header <name> <text>                   (every field of that name, in order)
    plain <file>      the plain part is the file's text
    shown <file>      the HTML part shows the file's text as typed
    html <file>       the HTML part holds the file's bytes as they are
    document <file>   the HTML part is the file
    style <text>      the style of the page's body holds the text
    nostyle           the HTML part has no page of msgmake's around it
    textonly          the draft has no HTML part

Texts are compared with line ends as LF and without a byte-order mark that
begins the file. Checks also: the header block is 7-bit, the parser finds
no defect, no line of the message is longer than 78 bytes, both text parts
are UTF-8; the subject, the address headers and the named fields decode to
the texts given.
Prints "ok" and exits 0, or prints each problem and exits 1.
"""
import email
import email.policy
import html
import re
import sys

BOM = "\ufeff"
ADDRESS_FIELDS = ("to", "cc", "bcc", "from", "reply-to")
SPLIT_KINDS = ADDRESS_FIELDS + ("header",)


def expected_entries(path):
    with open(path, "rb") as f:
        entries = []
        for raw in f.read().split(b"\n"):
            if raw:
                kind, _, rest = raw.decode("utf-8").partition("\t")
                entries.append([kind] + (rest.split("\t") if kind in SPLIT_KINDS else [rest]))
        return entries


def file_text(path):
    with open(path, "rb") as f:
        return lf(f.read().decode("utf-8").removeprefix(BOM))


def lf(text):
    return text.replace("\r\n", "\n")


def part_text(msg, kind, problems):
    part = next((p for p in msg.walk() if p.get_content_type() == kind), None)
    if part is None:
        problems.append(f"no {kind} part")
        return ""
    if part.get_content_charset() != "utf-8":
        problems.append(f"{kind} is {part.get_content_charset()}, not utf-8")
    return lf(part.get_payload(decode=True).decode("utf-8"))


def shown_text(page, problems):
    """The text of the element that keeps white space, references decoded."""
    found = re.search(r'<div style="white-space: pre-wrap;[^"]*">(.*?)</div>', page, re.S)
    if found is None:
        problems.append("no text kept as typed in the HTML part")
        return ""
    if re.search(r"<[a-zA-Z/!]", found.group(1)):
        problems.append("markup inside the text")
    return html.unescape(found.group(1))


def check_body(msg, want, problems):
    plain = part_text(msg, "text/plain", problems)
    text_only = any(e[0] == "textonly" for e in want)
    page = part_text(msg, "text/html", [] if text_only else problems)
    if text_only and any(p.get_content_type() == "text/html" for p in msg.walk()):
        problems.append("an HTML part in a draft of the text alone")
    body_style = re.search(r'<body style="([^"]*)">', page)
    for kind, arg in ((e[0], e[1] if len(e) > 1 else "") for e in want):
        if kind == "plain" and plain != file_text(arg):
            problems.append(f"plain part differs from {arg}:\n got {plain[:300]!r}\nwant {file_text(arg)[:300]!r}")
        elif kind == "shown" and shown_text(page, problems) != file_text(arg):
            problems.append(f"HTML part does not show {arg} as typed:\n got {shown_text(page, [])[:300]!r}")
        elif kind == "html" and file_text(arg) not in page:
            problems.append(f"HTML part does not hold {arg}:\n{page[:600]!r}")
        elif kind == "document" and page != file_text(arg):
            problems.append(f"HTML part is not {arg}:\n got {page[:600]!r}")
        elif kind == "style" and (body_style is None or arg not in body_style.group(1)):
            problems.append(f"page style {body_style and body_style.group(1)!r} lacks {arg!r}")
        elif kind == "nostyle" and body_style is not None:
            problems.append("a page of msgmake's around the HTML")


def main(message, expected_path):
    with open(message, "rb") as f:
        raw = f.read()
    problems = []
    head = raw[: raw.index(b"\r\n\r\n")]
    if any(b >= 0x80 for b in head):
        problems.append("the header block is not 7-bit")
    long_lines = [line for line in raw.split(b"\r\n") if len(line) > 78]
    if long_lines:
        problems.append(f"{len(long_lines)} lines longer than 78 bytes, the first {long_lines[0][:100]!r}")
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    for part in msg.walk():
        problems.extend(f"defect: {type(d).__name__}" for d in part.defects)
    want = expected_entries(expected_path)
    subjects = [e[1] for e in want if e[0] == "subject"]
    if subjects and str(msg["Subject"]) != subjects[0]:
        problems.append(f"subject {str(msg['Subject'])!r}, want {subjects[0]!r}")
    for name in dict.fromkeys(e[1] for e in want if e[0] == "header"):
        wanted = [e[2] for e in want if e[0] == "header" and e[1] == name]
        got = [str(v) for v in msg.get_all(name, [])]
        if got != wanted:
            problems.append(f"{name}: {got!r}, want {wanted!r}")
    for field in ADDRESS_FIELDS:
        wanted = [(e[1], e[2]) for e in want if e[0] == field]
        if not wanted:
            continue
        got = [(a.display_name, a.addr_spec) for a in msg[field].addresses] if msg[field] else []
        if got != wanted:
            problems.append(f"{field}: {got!r}, want {wanted!r}")
    check_body(msg, want, problems)
    for p in problems:
        print(p)
    print("ok" if not problems else "")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
