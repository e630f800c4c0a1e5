#!/usr/bin/env python3
"""Reads a draft message the way mail clients' parsers would and checks it.

usage: mime_check.py MESSAGE [MANIFEST]

MANIFEST lists, one per line, the parts that carry files, the fields separated
by tabs:
    attachment <file name> <source path> [<type>]
    image <content id> <file name> <source path> [<type>]
    sound <file name> <source path> [<type>]
    subject <text>                      (the subject as a reader shows it)
    malformed text                      (the body lines hold quoted-printable
                                        that is not, on purpose: readers decode
                                        it differently, so the text parts'
                                        decoded bytes are not compared)
    ids options                         (Content-IDs <partN.HASH@msgmake.invalid>,
                                         an image's N its number)
    report <path>                       (the JSON report that --json printed of
                                         the draft, checked against both parsers)
A source path of '-' for a sound means the part has no data. Attachments are
listed in message order, and so are pictures and the sound; the two lists
may be interleaved.

Checks, with Python's email package:
- no defect anywhere, the draft marker, MIME-Version 1.0 and a Date;
- the structure that clients keep when they open a draft: multipart/mixed on
  top when files are attached (the body first, then each attachment with
  disposition attachment), the body a multipart/alternative of text/plain
  and either text/html or a multipart/related of text/html, the pictures
  (inline, with a Content-ID) and the sound, or a text/plain part alone; no
  container with one part;
- every listed part decodes to the exact bytes of its source, with its name;
  an attached message (message/rfc822) is carried unencoded, 7bit or 8bit as
  its bytes are, and stands in the draft as its source with every line ending
  in CR LF, which both parsers read as the source's own message.
- no header line that the draft writes (of the message or of a part, not of
  an attached message) is longer than 78 bytes where a break was allowed:
  only a line whose longest word (a quoted string counting as one) would not
  fit a continuation line of its own may pass it.
Then with a second, independent parser (reformime, of Debian's maildrop): the same tree of types, the same file names, and every part's
decoded bytes the same as Python's.
With a report: its version is 1 and its output the draft; its header fields
are the draft's (all but the Content- fields, in order), each value what
Python decodes; its tree is both parsers' tree of the draft's own parts, each
leaf with the file name, Content-ID, disposition and transfer encoding of its
part, the size its part decodes to (a text's line ends as LF; a message's its
source's size) and its source: a file whose bytes a base64 part decodes to.
Prints "ok" and exits 0, or prints each problem and exits 1.
"""
import email
import email.policy
import json
import os
import re
import shutil
import subprocess
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
    return [f"{p.get_content_type()}: {type(d).__name__}" for p in msg.walk() for d in p.defects]


def check_text(part, problems):
    if part.get("Content-Transfer-Encoding", "").lower() != "quoted-printable":
        problems.append(f"{part.get_content_type()} is not quoted-printable")


def split_body(alt, problems):
    """The pictures and sound of the body's related container, in order."""
    if alt.get_content_type() == "text/plain":
        check_text(alt, problems)
        return []
    kinds = [p.get_content_type() for p in alt.iter_parts()]
    if alt.get_content_type() != "multipart/alternative" or len(kinds) != 2 or kinds[0] != "text/plain":
        problems.append(f"body is {alt.get_content_type()} of {kinds}")
        return []
    plain, rich = list(alt.iter_parts())
    check_text(plain, problems)
    if rich.get_content_type() == "text/html":
        check_text(rich, problems)
        return []
    inner = list(rich.iter_parts())
    if rich.get_content_type() != "multipart/related" or len(inner) < 2:
        problems.append(f"rich body is {rich.get_content_type()} of {len(inner)} parts")
        return []
    if inner[0].get_content_type() != "text/html" or rich.get_param("type") != "text/html":
        problems.append("related container does not start with its text/html root")
    check_text(inner[0], problems)
    return inner[1:]


def check_message(part, name, want, raw, problems):
    """An attached message: unencoded, its source's lines ending in CR LF."""
    want = re.sub(rb"(?<!\r)\n", b"\r\n", want)
    encoding = "8bit" if re.search(rb"[\x80-\xff]", want) else "7bit"
    if part.get("Content-Transfer-Encoding", "").lower() != encoding:
        problems.append(f"message {name}: encoding {part.get('Content-Transfer-Encoding')!r}, want {encoding}")
    if b"\r\n\r\n" + want + b"\r\n------=_1_" not in raw:
        problems.append(f"message {name}: its source does not stand in the draft as it is")
    inner = part.get_payload(0)
    source = email.message_from_bytes(want, policy=email.policy.default)
    if list(inner.items()) != list(source.items()) or python_tree(inner) != python_tree(source):
        problems.append(f"message {name}: reads back as another message than its source")


def wanted_id(entry, options_ids):
    """The Content-ID a part must have, as a pattern."""
    kind = entry[0]
    if kind == "attachment":
        return None
    if options_ids:
        number = re.escape(entry[1]) if kind == "image" else r"\d+"
        return rf"<part{number}\.[0-9a-f]{{16}}@msgmake\.invalid>"
    return re.escape(f"<{entry[1]}>" if kind == "image" else "<sf>")


def check_part(part, entry, raw, problems, options_ids=False):
    kind = entry[0]
    name, src = (entry[2], entry[3]) if kind == "image" else (entry[1], entry[2])
    want_type = entry[4] if kind == "image" and len(entry) > 4 else entry[3] if kind != "image" and len(entry) > 3 else None
    if want_type and part.get_content_type() != want_type:
        problems.append(f"{kind} {name}: type {part.get_content_type()}, want {want_type}")
    if part.get_content_type() == "message/rfc822":
        check_message(part, name, source_bytes(src), raw, problems)
    elif part.get("Content-Transfer-Encoding", "").lower() != "base64":
        problems.append(f"{kind} {name}: not base64")
    if part.get_param("name") != name or (kind != "sound" and part.get_filename() != name):
        problems.append(f"{kind}: names {part.get_param('name')!r} {part.get_filename()!r}, want {name!r}")
    want_disposition = {"attachment": "attachment", "image": "inline", "sound": None}[kind]
    if part.get_content_disposition() != want_disposition:
        problems.append(f"{kind} {name}: disposition {part.get_content_disposition()}")
    want_id = wanted_id(entry, options_ids)
    found_id = part.get("Content-ID")
    if (want_id is None) != (found_id is None) or (want_id is not None and not re.fullmatch(want_id, found_id)):
        problems.append(f"{kind} {name}: Content-ID {found_id!r}, want {want_id!r}")
    data = part.get_payload(decode=True)
    want = source_bytes(src)
    if part.get_content_type() != "message/rfc822" and data != want:
        problems.append(f"{kind} {src}: decodes to {len(data)} bytes, want {len(want)} (or content differs)")


def check_python(msg, manifest, raw, problems):
    if msg.get("X-Unsent") != "1":
        problems.append("X-Unsent is not 1")
    if msg.get("MIME-Version") != "1.0":
        problems.append(f"MIME-Version {msg.get('MIME-Version')!r}")
    if msg["Date"] is None or msg["Date"].datetime is None:
        problems.append("no date")
    for entry in manifest:
        if entry[0] == "subject" and str(msg["Subject"]) != entry[1]:
            problems.append(f"subject {str(msg['Subject'])!r}, want {entry[1]!r}")
    options_ids = ["ids", "options"] in manifest
    manifest = [e for e in manifest if e[0] not in ("subject", "malformed", "ids", "report")]
    attachments = []
    body = msg
    if msg.get_content_type() == "multipart/mixed":
        parts = list(msg.iter_parts())
        body, attachments = parts[0], parts[1:]
        if not attachments:
            problems.append("mixed container without attachments")
    embedded = split_body(body, problems)
    listed_attachments = [e for e in manifest if e[0] == "attachment"]
    listed_embedded = [e for e in manifest if e[0] != "attachment"]
    for found, listed, what in ((attachments, listed_attachments, "attachments"),
                                (embedded, listed_embedded, "embedded parts")):
        if len(found) != len(listed):
            problems.append(f"{len(found)} {what}, want {len(listed)}")
        for part, entry in zip(found, listed):
            check_part(part, entry, raw, problems, options_ids)


def words(line):
    """The words of a header line: runs without blanks, a quoted string one word."""
    return re.findall(r'(?:"(?:[^"\\]|\\.)*"?|[^\s"])+', line)


def draft_boundaries(part):
    """The delimiter lines of the draft's own containers, not of attached messages."""
    if not part.is_multipart() or part.get_content_type() == "message/rfc822":
        return set()
    found = {"--" + part.get_boundary()}
    for child in part.iter_parts():
        found |= draft_boundaries(child)
    return found


def check_line_lengths(raw, msg, problems):
    lines = raw.decode("utf-8", "surrogateescape").split("\r\n")
    starts = draft_boundaries(msg)
    in_headers = True
    for line in lines:
        if in_headers and line == "":
            in_headers = False
        elif in_headers and len(line) > 78 and 4 + max(map(len, words(line)), default=0) <= 78:
            problems.append(f"a header line of {len(line)} bytes that could be folded: {line[:60]}...")
        elif line in starts:
            in_headers = True


def python_tree(msg):
    """Each part as (section, type, file name, decoded bytes or None); an
    attached message is followed by its own parts from section .1 on."""
    out = []

    def walk(part, section):
        name = part.get_filename() or part.get_param("name")
        payload = None if part.is_multipart() else part.get_payload(decode=True)
        out.append((section, part.get_content_type(), name, payload))
        if part.get_content_type() == "message/rfc822":
            walk(part.get_payload(0), f"{section}.1")
        elif part.is_multipart():
            for i, child in enumerate(part.iter_parts(), 1):
                walk(child, f"{section}.{i}")

    walk(msg, "1")
    return out


def reformime_tree(path):
    info = subprocess.run(["reformime", "-i"], stdin=open(path, "rb"), capture_output=True, check=True).stdout
    out = []
    for block in info.decode("utf-8", "surrogateescape").split("\n\n"):
        fields = dict(re.findall(r"^([\w-]+): (.*)$", block, re.M))
        if "section" not in fields:
            continue
        section = fields["section"]
        name = fields.get("content-disposition-filename") or fields.get("content-name")
        payload = None
        if not fields["content-type"].startswith(("multipart/", "message/rfc822")):
            payload = subprocess.run(["reformime", "-e", "-s", section], stdin=open(path, "rb"),
                                     capture_output=True, check=True).stdout
        out.append((section, fields["content-type"], name, payload))
    return out


def check_second_parser(path, msg, problems, compare_text=True):
    if shutil.which("reformime") is None:
        problems.append("reformime (package maildrop) is not installed")
        return
    theirs = reformime_tree(path)
    ours = python_tree(msg)
    if [(s, t) for s, t, _, _ in theirs] != [(s, t) for s, t, _, _ in ours]:
        problems.append(f"reformime sees {[(s, t) for s, t, _, _ in theirs]}")
        return
    for (section, kind, name, data), (_, _, their_name, their_data) in zip(ours, theirs):
        if name != their_name:
            problems.append(f"reformime: {section} named {their_name!r}, Python {name!r}")
        # Text parts: reformime ends the last line with a line break of its own.
        if data is not None and kind.startswith("text/"):
            if not compare_text:
                continue
            data, their_data = data.rstrip(b"\r\n"), their_data.rstrip(b"\r\n")
        if data is not None and data.replace(b"\r\n", b"\n") != their_data.replace(b"\r\n", b"\n"):
            problems.append(f"reformime: {section} decodes to {len(their_data)} bytes, Python {len(data)}")


def report_nodes(node):
    """The report's parts, parents first, in the order they are written."""
    yield node
    for child in node.get("parts", []):
        yield from report_nodes(child)


def own_parts(part):
    """The draft's parts, parents first, not those inside an attached message."""
    yield part
    if part.is_multipart() and part.get_content_type() != "message/rfc822":
        for child in part.iter_parts():
            yield from own_parts(child)


def check_report_header(msg, report, problems):
    fields = [(k, v) for k, v in msg.items() if not k.lower().startswith("content-")]
    listed = [(f["name"], f["value"]) for f in report["header"]]
    if [k for k, _ in fields] != [n for n, _ in listed]:
        problems.append(f"report: header fields {[n for n, _ in listed]}, draft {[k for k, _ in fields]}")
        return
    for (name, header), (_, value) in zip(fields, listed):
        # The value parsed as the same kind of field: addresses as addresses.
        if str(header) != str(email.policy.default.header_factory(name, value)):
            problems.append(f"report: {name} {value!r}, draft {str(header)!r}")


def check_report_leaf(part, node, problems):
    kind = part.get_content_type()
    found = {"name": part.get_filename() or part.get_param("name"),
             "content_id": (part.get("Content-ID") or "").strip("<>") or None,
             "disposition": part.get_content_disposition(),
             "encoding": part.get("Content-Transfer-Encoding", "").lower()}
    for key, value in found.items():
        if node.get(key) != value:
            problems.append(f"report: {kind} {key} {node.get(key)!r}, draft {value!r}")
    source = node.get("source")
    if source is None or (source != "-" and not os.path.isfile(source)):
        problems.append(f"report: {kind} from {source!r}, which is no file")
        return
    data = part.get_payload(decode=True)
    size = os.path.getsize(source) if kind == "message/rfc822" else len(data.replace(b"\r\n", b"\n"))
    if node.get("size") != size:
        problems.append(f"report: {kind} of {node.get('size')} bytes, draft {size}")
    if found["encoding"] == "base64" and source_bytes(source) != data:
        problems.append(f"report: {kind} from {source!r}, whose bytes are not the part's")


def check_report(path, message_path, msg, problems):
    with open(path, "rb") as f:
        report = json.loads(f.read())
    if report.get("version") != 1 or not os.path.samefile(report.get("output"), message_path):
        problems.append(f"report: version {report.get('version')!r}, output {report.get('output')!r}")
    check_report_header(msg, report, problems)
    nodes = list(report_nodes(report["root"]))
    parts = list(own_parts(msg))
    if [n["type"] for n in nodes] != [p.get_content_type() for p in parts]:
        problems.append(f"report: tree {[n['type'] for n in nodes]}, draft {[p.get_content_type() for p in parts]}")
        return
    for part, node in zip(parts, nodes):
        if "parts" not in node:
            check_report_leaf(part, node, problems)
    # The second parser: the same types and names, and every part that is
    # no text (to which it adds a line end) of the size told.
    theirs = reformime_tree(message_path)
    inside = [s + "." for s, t, _, _ in theirs if t == "message/rfc822"]
    theirs = [e for e in theirs if not any(e[0].startswith(p) for p in inside)]
    if [(t, n) for _, t, n, _ in theirs] != [(n["type"], n.get("name")) for n in nodes]:
        problems.append(f"report: reformime sees {[(t, n) for _, t, n, _ in theirs]}")
        return
    for (_, kind, _, data), node in zip(theirs, nodes):
        if data is not None and not kind.startswith("text/") and len(data) != node["size"]:
            problems.append(f"report: reformime decodes {kind} to {len(data)} bytes, report {node['size']}")


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[1], "rb") as f:
        raw = f.read()
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    manifest = read_manifest(argv[2] if len(argv) > 2 else None)
    problems = all_defects(msg)
    check_python(msg, manifest, raw, problems)
    check_line_lengths(raw, msg, problems)
    if not problems:
        check_second_parser(argv[1], msg, problems, ["malformed", "text"] not in manifest)
    for entry in manifest:
        if entry[0] == "report" and not problems:
            check_report(entry[1], argv[1], msg, problems)
    for p in problems:
        print(p)
    if problems:
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
