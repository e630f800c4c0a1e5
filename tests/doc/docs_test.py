#!/usr/bin/env python3
"""The user's documents agree with the program and with the tests.

usage: docs_test.py PROGRAM SOURCE_DIR

Checks:
- every long option that `msgmake --help` lists is explained in the manual page,
  listed in the README's option table and offered by the bash completion; every
  option the completion offers is explained in the manual page;
- every test that the README's table of claims names exists: a GoogleTest test
  (suite.name) in tests/, or a test that tests/CMakeLists.txt adds by name;
- every exit code of the README's table is listed by `msgmake --help` and in the
  manual page's EXIT STATUS.
Prints "docs test passed", or each problem, and exits 1 on a problem.
"""
import pathlib
import re
import subprocess
import sys

LONG_OPTION = re.compile(r"--[a-z][a-z-]*[a-z]")


# The help text's option lines: the options stand in their first 28 columns.
OPTION_COLUMNS = 28


def help_options(program):
    text = subprocess.run([program, "--help"], capture_output=True, text=True, check=True).stdout
    lines = [line for line in text.splitlines() if re.match(r"  (-\w,| {3})? ?--", line)]
    return {m for line in lines for m in LONG_OPTION.findall(line[:OPTION_COLUMNS])}


def man_options(source):
    page = (source / "doc" / "msgmake.1").read_text(encoding="utf-8")
    return set(LONG_OPTION.findall(page.replace("\\-", "-")))


def readme_table_options(readme):
    rows = [line for line in readme.splitlines() if line.startswith("| `-")]
    return {m for row in rows for m in LONG_OPTION.findall(row.split("|")[1])}


def completion_options(source):
    script = (source / "completion" / "msgmake.bash").read_text(encoding="utf-8")
    words = re.search(r'compgen -W "(--output[^"]*)"', script)
    return set(LONG_OPTION.findall(words.group(1))) if words else set()


def claimed_tests(readme):
    """The test names in the second column of the table under the claims heading."""
    section = re.split(r"^#+ Which test proves what.*$", readme, maxsplit=1, flags=re.M)
    if len(section) < 2:
        return None
    names = []
    for line in re.split(r"^#", section[1], maxsplit=1, flags=re.M)[0].splitlines():
        cells = line.split("|")
        if len(cells) > 3 and not set(cells[2].strip()) <= {"-"}:
            names += re.findall(r"`([A-Za-z0-9_.]+)`", cells[2])
    return names


def readme_exit_codes(readme):
    """The codes of the table under the exit codes heading, without spaces ("128+n")."""
    section = re.split(r"^#+ Exit codes.*$", readme, maxsplit=1, flags=re.M)
    if len(section) < 2:
        return []
    table = re.split(r"^#", section[1], maxsplit=1, flags=re.M)[0]
    return [code.replace(" ", "") for code in re.findall(r"^\| (\d+(?: \+ n)?) \|", table, flags=re.M)]


def help_exit_codes(program):
    text = subprocess.run([program, "--help"], capture_output=True, text=True, check=True).stdout
    listed = text.split("exit codes:", 1)[1] if "exit codes:" in text else ""
    return set(re.findall(r"(?<![\w+])(\d+(?:\+n)?)(?!\w)", listed))


def man_exit_codes(source):
    page = (source / "doc" / "msgmake.1").read_text(encoding="utf-8")
    section = page.split(".SH EXIT STATUS", 1)[-1].split(".SH ", 1)[0]
    return {m.replace(" ", "") for m in re.findall(r"^\.TP\n\.BR? ([^\n]+)$", section, flags=re.M)}


def known_tests(source):
    known = set()
    for path in (source / "tests").rglob("*.cpp"):
        text = path.read_text(encoding="utf-8", errors="replace")
        for suite, name in re.findall(r"\bTEST(?:_F|_P)?\(\s*(\w+)\s*,\s*(\w+)\s*\)", text):
            known.add(f"{suite}.{name}")
    cmake = (source / "tests" / "CMakeLists.txt").read_text(encoding="utf-8")
    known.update(re.findall(r"add_test\(NAME (\w+)", cmake))
    return known


def main(program, source):
    source = pathlib.Path(source)
    readme = (source / "README.md").read_text(encoding="utf-8")
    problems = []
    listed = help_options(program)
    if not listed:
        problems.append("--help lists no long option")
    places = {
        "the manual page": man_options(source),
        "the README's option table": readme_table_options(readme),
        "the bash completion": completion_options(source),
    }
    for option in sorted(listed):
        problems += [f"{option} is not in {where}" for where, found in places.items() if option not in found]
    for option in sorted(places["the bash completion"] - places["the manual page"]):
        problems.append(f"the bash completion offers {option}, which the manual page does not explain")
    claimed = claimed_tests(readme)
    if not claimed:
        problems.append("the README has no table of claims and the tests that prove them")
    known = known_tests(source)
    problems += [f"the README names the test {name}, which does not exist" for name in claimed or [] if name not in known]
    for code in readme_exit_codes(readme):
        if code not in help_exit_codes(program):
            problems.append(f"--help does not list the exit code {code}")
        if code not in man_exit_codes(source):
            problems.append(f"the manual page does not list the exit code {code}")
    for problem in problems:
        print(problem)
    print("docs test passed" if not problems else "")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
