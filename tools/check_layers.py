#!/usr/bin/env python3
"""Fails when a layer reaches into a layer above it.

The layers and what each is built against come from the folders'
CMakeLists.txt (msgmake_layer(<name> BELOW <layer>...)); a layer may use its
own folder and every layer below it, directly or not.

    tools/check_layers.py              every include of a header of another layer
    tools/check_layers.py BUILD_DIR    also every call: the symbols each layer's
                                       library leaves to others must come from
                                       the libraries below it
"""
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
LAYER = re.compile(r"^msgmake_layer\((\w+)(?: BELOW ([\w ]+))?\)", re.M)
INCLUDE = re.compile(r'^#include "(\w+)/', re.M)


def layers():
    """Each layer and the layers directly below it."""
    found = {}
    for cmake in ROOT.glob("*/CMakeLists.txt"):
        for name, below in LAYER.findall(cmake.read_text()):
            found[name] = below.split()
    return found


def below_of(graph):
    """Each layer and every layer below it, directly or not."""
    def reach(name):
        seen = set()
        for lower in graph[name]:
            seen |= {lower} | reach(lower)
        return seen
    return {name: reach(name) for name in graph}


def upward_includes(below):
    for layer in below:
        for source in sorted((ROOT / layer).rglob("*")):
            if source.suffix not in (".cpp", ".h", ".inc"):
                continue
            text = source.read_text(errors="replace")
            for match in INCLUDE.finditer(text):
                used = match.group(1)
                if used in below and used != layer and used not in below[layer]:
                    line = text.count("\n", 0, match.start()) + 1
                    yield (f"{source.relative_to(ROOT)}:{line}: layer {layer} includes "
                           f"{used}/, which is not below it")


def symbols(library, *options):
    out = subprocess.run(["nm", "-g", *options, str(library)], check=True,
                         capture_output=True, text=True).stdout
    return {line.split()[-1] for line in out.splitlines() if len(line.split()) >= 2}


def upward_calls(below, build):
    defined = {layer: symbols(build / layer / f"lib{layer}.a", "--defined-only")
               for layer in below}
    for layer in below:
        wanted = symbols(build / layer / f"lib{layer}.a", "--undefined-only") - defined[layer]
        for other in below:
            if other == layer or other in below[layer]:
                continue
            for symbol in sorted(wanted & defined[other]):
                yield f"lib{layer}.a: layer {layer} calls {symbol} of {other}, which is not below it"


def main():
    below = below_of(layers())
    faults = list(upward_includes(below))
    if len(sys.argv) > 1:
        faults += upward_calls(below, pathlib.Path(sys.argv[1]))
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
