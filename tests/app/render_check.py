#!/usr/bin/env python3
"""Reads a draft as a mail client would and checks what a reader sees.

usage: render_check.py MESSAGE EXPECTED

EXPECTED holds UTF-8 lines, the fields separated by tabs:
    subject <text>
    to|cc|bcc|from|reply-to <display name> <address>   (one per address, in order)
    header <name> <text>                   (every field of that name, in order)
    line <text>                            (every rendered body line, in order)

Checks: the header block is 7-bit and the parser finds no defect; the subject,
the address headers and the named fields decode to the texts given; the HTML part, read as
Windows-1252 (as clients read iso-8859-1), shows exactly the lines given:
comments dropped, the text split at <br>, tags removed, references decoded.
Prints "ok" and exits 0, or prints each problem and exits 1.
"""
import email
import email.policy
import html
import re
import sys


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


def rendered_lines(msg):
    part = next(p for p in msg.walk() if p.get_content_type() == "text/html")
    text = part.get_payload(decode=True).decode("cp1252", errors="replace")
    start = re.search(r"<FONT [^>]*>\r\n", text).end()
    body = text[start:text.index("</FONT></DIV></BODY></HTML>")]
    body = re.sub(r"<!--.*?-->", "", body, flags=re.S)
    pieces = body.split("<br>")
    if pieces[-1] in ("", "\r\n"):
        pieces.pop()
    return [html.unescape(re.sub(r"<[^>]*>", "", piece.removeprefix("\r\n"))) for piece in pieces]


def main(message, expected_path):
    with open(message, "rb") as f:
        raw = f.read()
    problems = []
    head = raw[: raw.index(b"\r\n\r\n")]
    if any(b >= 0x80 for b in head):
        problems.append("the header block is not 7-bit")
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
    lines = [e[1] for e in want if e[0] == "line"]
    got_lines = rendered_lines(msg)
    if got_lines != lines:
        problems.append(f"body lines differ:\n got {got_lines!r}\nwant {lines!r}")
    for p in problems:
        print(p)
    print("ok" if not problems else "")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
