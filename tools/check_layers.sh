#!/bin/sh
# Fails when a source includes a header of a layer above its own. The layers
# and what each is built against are read from the folders' CMakeLists.txt
# (msgmake_layer(<name> BELOW <layer>...)); a layer may include its own
# headers and those of every layer below it, directly or not.
cd "$(dirname "$0")/.."
awk '
  # First pass: each layer and the layers directly below it.
  /^msgmake_layer\(/ {
    line = $0
    gsub(/^msgmake_layer\(|\)$/, "", line)
    n = split(line, word, " ")
    layer = word[1]
    layers[layer] = 1
    for (i = 3; i <= n; i++) below[layer] = below[layer] " " word[i]
    next
  }
  # Second pass: the includes of every source.
  /^#include "[a-z_]+\// {
    split(FILENAME, path, "/")
    from = path[1]
    to = $2
    gsub(/^"|\/.*$/, "", to)
    if (!(from in layers) || !(to in layers) || reaches(from, to)) next
    printf "%s:%d: layer %s includes %s, which is not below it\n", FILENAME, FNR, from, $2
    bad = 1
  }
  function reaches(from, to,    list, n, i) {
    if (from == to) return 1
    n = split(below[from], list, " ")
    for (i = 1; i <= n; i++) if (reaches(list[i], to)) return 1
    return 0
  }
  END { exit bad }
' */CMakeLists.txt $(git ls-files '*.cpp' '*.h' '*.inc' | grep -v '^tests/\|^bench/')
