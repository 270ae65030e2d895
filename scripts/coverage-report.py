#!/usr/bin/env python3
"""Line and branch coverage of the module, per layer, from `llvm-cov export -format=text` (JSON on stdin).

Usage: llvm-cov export -format=text ... | scripts/coverage-report.py SOURCE_DIR [--layer NAME]... [--summary]

The layers are the module's source folders as `scripts/source-folders.sh module` prints them, bottom to top; each
layer is its own folder. Files outside them (the binary contract, the stand-in, the tests) are left out.

The same header reaches the report under several paths (each layer includes it through its own include root,
the tests through the source tree), and inline code is compiled into several objects: every copy is folded
into one file and line by its real path, and a line or branch counts as covered when any copy was reached.
"""
import argparse
import json
import os
import subprocess
import sys
from collections import defaultdict


def module_layers():
    """The module's layers, bottom to top: its source folders, one layer each."""
    script = os.path.join(os.path.dirname(os.path.realpath(__file__)), "source-folders.sh")
    return subprocess.run([script, "module"], check=True, capture_output=True, text=True).stdout.split()


def line_counts(segments):
    """Line -> count for the lines holding code, as llvm-cov counts them: a line is code when a counted region
    starts on it or runs through it from an earlier line (unless a skipped region starts it), and its count is
    the largest of those regions' counts."""
    counts, wrapped, index = {}, None, 0
    for number in range(segments[0][0], segments[-1][0] + 1) if segments else []:
        on_line = []
        while index < len(segments) and segments[index][0] == number:
            on_line.append(segments[index])
            index += 1
        # A segment: line, column, count, has a count, starts a region, is a gap region.
        starts = [s for s in on_line if s[3] and s[4] and not s[5]]
        skipped = bool(on_line) and not on_line[0][3] and on_line[0][4]
        if not skipped and ((wrapped and wrapped[3]) or starts):
            counts[number] = max([wrapped[2] if wrapped else 0] + [s[2] for s in starts])
        wrapped = on_line[-1] if on_line else wrapped
    return counts


def region_count(segments, line, column):
    """The count of the region in effect at line:column (None where no counted region is)."""
    found = None
    for segment in segments:
        if (segment[0], segment[1]) > (line, column):
            break
        found = segment
    return found[2] if found and found[3] else None


class Coverage:
    def __init__(self, source_dir, layers):
        self.source_dir = os.path.realpath(source_dir)
        self.layers = set(layers)
        self.lines = defaultdict(dict)  # file -> line -> count
        self.branches = defaultdict(lambda: [0, 0])  # (file, line, column, end line, end column) -> [true, false]
        self.body_lines = defaultdict(set)  # file -> the lines inside function bodies
        self.sources = {}  # file -> its lines

    def module_file(self, filename):
        """The file relative to the source tree if it is the module's, else None."""
        real = os.path.relpath(os.path.realpath(filename), self.source_dir)
        return real if real.split(os.sep)[0] in self.layers else None

    def add_function(self, function):
        """Notes the lines of the function's body: regions of its own file (file 0), not of the macros it
        expands, whose definitions llvm-cov would otherwise count as lines of code where they are defined."""
        name = self.module_file(function["filenames"][0])
        if name is not None:
            for region in function["regions"]:
                if region[5] == 0:
                    self.body_lines[name].update(range(region[0], region[2] + 1))

    def add_file(self, entry):
        name = self.module_file(entry["filename"])
        if name is None:
            return
        segments = entry["segments"]
        for number, count in line_counts(segments).items():
            if number in self.body_lines[name]:
                self.lines[name][number] = max(count, self.lines[name].get(number, 0))
        for branch in entry["branches"]:
            self.add_branch(branch, name, segments)
        # Conditions inside macros, at the macro's definition.
        for expansion in entry["expansions"]:
            for branch in expansion["branches"]:
                self.add_branch(branch, self.module_file(expansion["filenames"][branch[6]]), [])

    def add_branch(self, branch, name, segments):
        """A branch: line, column, end line, end column, count true, count false, and more."""
        if name is None:
            return
        true_count, false_count = branch[4], branch[5]
        # A condition the compiler folded has no counters: both outcomes read 0 where its code ran.
        if true_count == 0 and false_count == 0 and region_count(segments, branch[0], branch[1]):
            return
        counts = self.branches[(name,) + tuple(branch[0:4])]
        counts[0] += true_count
        counts[1] += false_count

    def layer_of(self, name):
        return name.split(os.sep)[0]

    def source_line(self, name, number):
        if name not in self.sources:
            with open(os.path.join(self.source_dir, name), errors="replace") as source:
                self.sources[name] = source.read().splitlines()
        text = self.sources[name]
        return text[number - 1].strip() if number <= len(text) else ""


def percent(covered, total):
    return f"{100.0 * covered / total:6.1f}%" if total else "      -"


def print_table(coverage, layers):
    totals = defaultdict(lambda: [0, 0, 0, 0])  # layer -> lines, covered lines, branches, covered branches
    for name, counts in coverage.lines.items():
        row = totals[coverage.layer_of(name)]
        row[0] += len(counts)
        row[1] += sum(1 for c in counts.values() if c)
    for key, (true_count, false_count) in coverage.branches.items():
        row = totals[coverage.layer_of(key[0])]
        row[2] += 2
        row[3] += (true_count > 0) + (false_count > 0)
    print(f"{'Layer':<10} {'Lines':>11} {'Line %':>7} {'Branches':>11} {'Branch %':>8}")
    sums = [0, 0, 0, 0]
    for layer in layers:
        if layer not in totals:
            continue
        lines, covered_lines, branches, covered_branches = totals[layer]
        sums = [a + b for a, b in zip(sums, totals[layer])]
        print(f"{layer:<10} {covered_lines:>5}/{lines:<5} {percent(covered_lines, lines)} "
              f"{covered_branches:>5}/{branches:<5} {percent(covered_branches, branches):>8}")
    print(f"{'all':<10} {sums[1]:>5}/{sums[0]:<5} {percent(sums[1], sums[0])} "
          f"{sums[3]:>5}/{sums[2]:<5} {percent(sums[3], sums[2]):>8}")


def print_uncovered(coverage, layers):
    found = [f"{name}:{number}: {coverage.source_line(name, number)}"
             for name in sorted(coverage.lines) if coverage.layer_of(name) in layers
             for number, count in sorted(coverage.lines[name].items()) if not count]
    print("\nUncovered lines:", *(found or ["(none)"]), sep="\n")
    found = []
    for key in sorted(coverage.branches):
        true_count, false_count = coverage.branches[key]
        if coverage.layer_of(key[0]) in layers and not (true_count and false_count):
            missing = "never reached" if not (true_count or false_count) else (
                "never true" if not true_count else "never false")
            found.append(f"{key[0]}:{key[1]}:{key[2]}: {missing} (true {true_count}, false {false_count}): "
                         f"{coverage.source_line(key[0], key[1])}")
    print("\nUncovered branches (the outcome no test reached):", *(found or ["(none)"]), sep="\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source_dir")
    parser.add_argument("--layer", action="append", help="report only this layer (may repeat)")
    parser.add_argument("--summary", action="store_true", help="only the per-layer table")
    options = parser.parse_args()
    order = module_layers()
    unknown = set(options.layer or []) - set(order)
    if unknown:
        sys.exit(f"coverage-report: no layer {', '.join(sorted(unknown))}; the layers: {' '.join(order)}")
    coverage = Coverage(options.source_dir, order)
    exports = json.load(sys.stdin)["data"]
    for export in exports:
        for function in export["functions"]:
            coverage.add_function(function)
    for export in exports:
        for entry in export["files"]:
            coverage.add_file(entry)
    layers = options.layer or order
    print_table(coverage, layers)
    if not options.summary:
        print_uncovered(coverage, layers)


if __name__ == "__main__":
    main()
