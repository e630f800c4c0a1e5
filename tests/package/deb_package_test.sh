#!/bin/sh
# The install and the Debian package of msgmake, as a user gets them:
# `cmake --install` puts the program, its manual page and its shell
# completions in place, the page renders without a warning, `cpack -G DEB` makes the package, and the program
# unpacked from it writes the example draft, which Python's e-mail parser
# reads back part by part.
#
# usage: deb_package_test.sh BUILD_DIR SOURCE_DIR whole|shared
# (whole: the program is linked whole and needs no shared library; shared:
# the package depends on the C library it needs)
set -eu
build=$1
source=$2
linking=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
[ -x "$work/prefix/bin/msgmake" ] || fail "cmake --install put no bin/msgmake"
page="$work/prefix/share/man/man1/msgmake.1"
[ -f "$page" ] || fail "cmake --install put no share/man/man1/msgmake.1"
for file in share/bash-completion/completions/msgmake share/zsh/vendor-completions/_msgmake; do
  [ -f "$work/prefix/$file" ] || fail "cmake --install put no $file"
done
warnings=$(groff -ww -z -man "$page" 2>&1)
[ -z "$warnings" ] || fail "the manual page has warnings: $warnings"

# The package is made in a folder of its own, so the build folder stays clean.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null
deb=$(ls "$work"/package/msgmake_*_amd64.deb 2>/dev/null || true)
[ -n "$deb" ] || fail "cpack made no msgmake_VERSION_amd64.deb"
dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/msgmake usr/share/man/man1/msgmake.1.gz usr/share/doc/msgmake/copyright \
            usr/share/lintian/overrides/msgmake usr/share/bash-completion/completions/msgmake \
            usr/share/zsh/vendor-completions/_msgmake; do
  [ -f "$work/root/$file" ] || fail "the package holds no $file"
done
needed=$(readelf -d "$work/root/usr/bin/msgmake" | grep NEEDED || true)
if [ "$linking" = whole ]; then
  [ -z "$needed" ] || fail "the packaged msgmake needs shared libraries: $needed"
else
  case "$(dpkg-deb -f "$deb" Depends)" in
    *libc6*) ;;
    *) fail "the package depends on no C library: $(dpkg-deb -f "$deb" Depends)" ;;
  esac
fi

cp -r "$source/examples" "$work/run"
cd "$work/run"
WININI="$work/run/none.ini" "$work/root/usr/bin/msgmake" -o report.eml -t sales@example.com \
  -s 'Monthly sales' --html body.html --sound chime.wav -p high sales.csv notes.txt ||
  fail "the packaged msgmake ended with exit code $?"
# The packaged completion is the one a bash finds for msgmake by its name.
completed=$(bash -c '. "$1"; COMP_WORDS=(msgmake --prio); COMP_CWORD=1; _msgmake; echo "${COMPREPLY[*]}"' \
  completion "$work/root/usr/share/bash-completion/completions/msgmake")
[ "$completed" = --priority ] || fail "the packaged bash completion completes --prio as '$completed'"
printf 'attachment\tsales.csv\tsales.csv\ttext/csv\nattachment\tnotes.txt\tnotes.txt\ttext/plain\nimage\t1\tlogo.gif\tlogo.gif\timage/gif\nsound\tchime.wav\tchime.wav\taudio/wav\nids\toptions\n' >manifest
report=$(python3 "$source/tests/app/mime_check.py" report.eml manifest) || fail "the draft: $report"
echo "package test passed: $(basename "$deb")"
