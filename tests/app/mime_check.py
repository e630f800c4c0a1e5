#!/usr/bin/env python3
"""Reads a draft message the way a mail client's parser would and checks it.

usage: mime_check.py MESSAGE [MANIFEST]

MANIFEST lists, one per line, the parts expected after the alternative pair,
in message order, the fields separated by tabs:
    attachment <file name> <source path>
    image <content id> <part name> <source path>
    sound <source path>
A source path of '-' for a sound means the part has no data.

Checks: the parser reports no defect anywhere; the draft marker is there; the
top is multipart/related holding a multipart/alternative pair of text/plain and
text/html; then exactly the listed parts, each decoding to the exact bytes of
its source. Prints "ok" and exits 0, or prints each problem and exits 1.
"""
import email
import email.policy
import sys


def read_manifest(path):
    entries = []
    if path is None:
        return entries
    with open(path, "rb") as f:
        for raw in f.read().split(b"\n"):
            if raw:
                entries.append(raw.decode("utf-8", "surrogateescape").split("\t"))
    return entries


def source_bytes(path):
    if path == "-":
        return b""
    with open(path.encode("utf-8", "surrogateescape"), "rb") as f:
        return f.read()


def all_defects(msg):
    found = []
    for part in msg.walk():
        for d in part.defects:
            found.append(f"{part.get_content_type()}: {type(d).__name__}")
    return found


def check_alternative(alt, problems):
    if alt.get_content_type() != "multipart/alternative":
        problems.append(f"first part is {alt.get_content_type()}")
        return
    kinds = [p.get_content_type() for p in alt.iter_parts()]
    if kinds != ["text/plain", "text/html"]:
        problems.append(f"alternative parts are {kinds}")
        return
    for p in alt.iter_parts():
        if p.get("Content-Transfer-Encoding", "").lower() != "quoted-printable":
            problems.append(f"{p.get_content_type()} is not quoted-printable")
        if p.get_content_charset() != "iso-8859-1":
            problems.append(f"{p.get_content_type()} charset {p.get_content_charset()}")


def check_part(part, entry, problems):
    kind = entry[0]
    want_type = "audio/basic" if kind == "sound" else "application/octet-stream"
    if part.get_content_type() != want_type:
        problems.append(f"{kind}: type {part.get_content_type()}, want {want_type}")
    if part.get("Content-Transfer-Encoding", "").lower() != "base64":
        problems.append(f"{kind}: not base64")
    if kind == "attachment":
        name, src = entry[1], entry[2]
        if part.get_content_disposition() != "attachment":
            problems.append(f"attachment {name}: disposition {part.get_content_disposition()}")
        if part.get_filename() != name:
            problems.append(f"attachment: file name {part.get_filename()!r}, want {name!r}")
    elif kind == "image":
        cid, name, src = entry[1], entry[2], entry[3]
        if part.get("Content-ID") != f"<{cid}>":
            problems.append(f"image: Content-ID {part.get('Content-ID')!r}, want <{cid}>")
        if part.get_param("name") != name:
            problems.append(f"image: name {part.get_param('name')!r}, want {name!r}")
        if part.get_content_disposition() is not None:
            problems.append("image: has a disposition")
    else:
        src = entry[1]
        if part.get("Content-ID") != "<sf>" or part.get_param("name") != "snd.wav":
            problems.append("sound: wrong Content-ID or name")
    data = part.get_payload(decode=True)
    want = source_bytes(src)
    if data != want:
        problems.append(f"{kind} {src}: decodes to {len(data)} bytes, want {len(want)} (or content differs)")


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[1], "rb") as f:
        msg = email.message_from_binary_file(f, policy=email.policy.default)
    manifest = read_manifest(argv[2] if len(argv) > 2 else None)
    problems = all_defects(msg)
    if msg.get("X-Unsent") != "1":
        problems.append("X-Unsent is not 1")
    if msg.get_content_type() != "multipart/related":
        problems.append(f"top type is {msg.get_content_type()}")
    elif msg.get_param("type") != "multipart/alternative":
        problems.append(f"related type parameter {msg.get_param('type')!r}")
    else:
        parts = list(msg.iter_parts())
        if not parts:
            problems.append("no parts")
        else:
            check_alternative(parts[0], problems)
            rest = parts[1:]
            if len(rest) != len(manifest):
                problems.append(f"{len(rest)} binary parts, want {len(manifest)}")
            for part, entry in zip(rest, manifest):
                check_part(part, entry, problems)
    for p in problems:
        print(p)
    if problems:
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
