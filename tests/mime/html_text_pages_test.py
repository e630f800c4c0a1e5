#!/usr/bin/env python3
"""The plain part of realistic pages (a newsletter, a report with tables, a
mail with quotes) against what w3m's text dump of the same page shows.

The built program writes a draft of each page (--html) in a folder of its
own. Its plain part must show every word that w3m shows, as often, and its
figures and list numbers in the same order (w3m sets cells side by side, so
its other words do not keep the page's order); keep its lines within 76
columns unless a line is one word; and hold the lines named for the page
(table rows set in columns, list numbers, quote marks). w3m is required: without it the test
fails.

usage: html_text_pages_test.py MSGMAKE PAGES_FOLDER
"""
import email
import email.policy
import os
import re
import shutil
import subprocess
import sys
import tempfile
from collections import Counter

WIDTH = 76
# Wide enough that w3m keeps a table row on one line where it can.
W3M_WIDTH = 250

# Lines each page's plain part must hold, as they stand.
EXPECTED_LINES = {
    "newsletter.html": [
        "Fresh from the oven this spring",
        "===============================",
        "Good Friday     8:00   14:00",
        "Easter Sunday  closed",
        "- Rye and spelt - Saturday 26 April, 9:00 to 13:00, booked out; join the",
        "  waiting list at the counter or by replying to this letter",
    ],
    "report.html": [
        "Region     Q3 2026     Q4 2026  Change",
        "------  ----------  ----------  ------",
        "North   1 200,50 €  1 300,00 €  +8,3 %",
        "South     980,00 €  1 045,75 €  +6,7 %",
        "2. East fell back after the closing of two shops:",
        "   - Main Street closed in October;",
        "Shop | Manager | Address | Opening hours | Staff | Remarks",
    ],
    "quoted_mail.html": [
        "1. the date in the second paragraph should be the 14th, not the 15th;",
        "> Hello Dan,",
        ">",
        "> > - where the new price list <https://example.com/prices> is.",
    ],
}


def words(text):
    text = re.sub(r"<[a-z]+:[^<>\s]*>", " ", text)  # link addresses, which w3m leaves out
    return re.findall(r"\w+", text)


def is_subsequence(small, large):
    it = iter(large)
    return all(any(w == x for x in it) for w in small)


def plain_part(msgmake, page):
    with tempfile.TemporaryDirectory() as folder:
        shutil.copy(page, folder)
        run = subprocess.run([msgmake, "-o", "m.eml", "-t", "a@example.com", "--html", os.path.basename(page)],
                             cwd=folder, capture_output=True, text=True)
        if run.returncode != 0:
            return None, f"msgmake ended with {run.returncode}: {run.stderr.strip()}"
        with open(os.path.join(folder, "m.eml"), "rb") as f:
            message = email.message_from_binary_file(f, policy=email.policy.default)
        for part in message.walk():
            if part.get_content_type() == "text/plain":
                return part.get_content(), None
        return None, "no text/plain part"


def check(msgmake, page):
    problems = []
    ours, problem = plain_part(msgmake, page)
    if problem:
        return [problem]
    dump = subprocess.run(["w3m", "-dump", "-cols", str(W3M_WIDTH), "-T", "text/html", "-I", "UTF-8", "-O", "UTF-8", page],
                          capture_output=True, text=True, check=True).stdout
    theirs = words(dump)
    mine = words(ours)
    if len(theirs) < 50:
        problems.append(f"w3m shows only {len(theirs)} words")
    missing = Counter(theirs) - Counter(mine)
    if missing:
        problems.append(f"words w3m shows that the plain part lacks: {sorted(missing.elements())[:10]}")
    figures = [w for w in theirs if any(c.isdigit() for c in w)]
    if not is_subsequence(figures, [w for w in mine if any(c.isdigit() for c in w)]):
        problems.append(f"the figures and list numbers are not in w3m's order: {figures[:20]}")
    lines = ours.split("\n")
    for line in lines:
        if len(line) > WIDTH and " " in line.lstrip("> "):
            problems.append(f"line wider than {WIDTH} columns: {line!r}")
    for want in EXPECTED_LINES[os.path.basename(page)]:
        if want not in lines:
            problems.append(f"no line {want!r}")
    return problems


def main():
    msgmake, pages = sys.argv[1], sys.argv[2]
    if shutil.which("w3m") is None:
        print("w3m is missing (tools/install_deps.sh installs it)")
        return 1
    failed = False
    for name in sorted(EXPECTED_LINES):
        for problem in check(msgmake, os.path.join(pages, name)):
            print(f"{name}: {problem}")
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
