#!/usr/bin/env python3
"""Weighs the test suite by planting small faults (mutants) in the module, one at a time.

    scripts/mutate.py --sample 300 --seed 1         a sample over the whole module
    scripts/mutate.py records/staff.cpp ...         every mutable line of the given files, one mutant each
    scripts/mutate.py --since origin/main           the module lines a change touched since a ref
    scripts/mutate.py --operators rel,const ...     only some operators (see OPERATORS)

The source is copied to build-mutation/src and built there (default and, for survivors, sanitized trees), so
the working tree is never touched. A mutant whose module objects, without debug sections, are byte-identical
to the original's is equivalent by construction: dropped and counted, not scored. One that does not compile is
dropped too. A mutant is killed when a test of the default tree fails, or, for one that survives there, when a
unit or end-to-end test of the sanitized tree fails (a sanitizer report, a crash or a time-out counts).
Survivors listed in tests/equivalent_mutants.txt are reported with the reason written there.
"""

import argparse
import collections
import dataclasses
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WORK = ROOT / "build-mutation"
EQUIVALENTS = ROOT / "tests" / "equivalent_mutants.txt"
TEST_TIMEOUT = 120

# ---- Operators ---------------------------------------------------------------------------------------------
# Binary operators are matched with the spaces clang-format puts around them, which keeps template brackets,
# pointers, references and unary minus out.
SWAPS = {
    "rel": [(" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "), (" == ", " != "), (" != ", " == ")],
    "logic": [(" && ", " || "), (" || ", " && ")],
    "arith": [(" + ", " - "), (" - ", " + "), (" * ", " / "), (" / ", " * "), (" % ", " / "), (" += ", " -= "),
              (" -= ", " += "), ("++", "--"), ("--", "++"), (" << ", " >> "), (" >> ", " << "), (" | ", " & "),
              (" & ", " | "), (" ^ ", " | ")],
}
OPERATORS = ["rel", "logic", "arith", "bool", "neg", "const", "call"]
KEYWORD_STATEMENT = re.compile(r"^\s*(return|if|else|for|while|do|switch|case|default|delete|throw|goto|break|"
                               r"continue|using|typedef|template|namespace|static_assert)\b")
CALL_STATEMENT = re.compile(r"^\s*(?:[A-Za-z_][\w:]*(?:\.|->))*[A-Za-z_][\w:]*\(.*\);\s*$")
INTEGER = re.compile(r"(?<![\w.])(0[xX][0-9A-Fa-f]+|\d+)([uUlL]*)(?![\w.])")


@dataclasses.dataclass
class Mutant:
    path: str  # relative to the root
    line: int  # 1-based
    operator: str
    original: str
    mutated: str
    verdict: str = ""  # killed, killed-asan, survived, equivalent, stillborn
    detail: str = ""

    @property
    def layer(self):
        return self.path.split("/")[0]

    def key(self):
        return (self.path, self.original.strip(), self.mutated.strip())


def code_mask(lines):
    """For each line, the line with comments and string and character literals blanked out."""
    masked, in_block = [], False
    for text in lines:
        out, i = [], 0
        while i < len(text):
            if in_block:
                end = text.find("*/", i)
                if end < 0:
                    out.append(" " * (len(text) - i))
                    i = len(text)
                else:
                    out.append(" " * (end + 2 - i))
                    i, in_block = end + 2, False
            elif text.startswith("//", i):
                out.append(" " * (len(text) - i))
                i = len(text)
            elif text.startswith("/*", i):
                in_block = True
            elif text[i] in "\"'":
                end = skip_literal(text, i)
                out.append(text[i] + " " * (end - i - 2) + text[i] if end - i >= 2 else text[i:end])
                i = end
            else:
                out.append(text[i])
                i += 1
        masked.append("".join(out))
    return masked


def skip_literal(text, start):
    quote, i = text[start], start + 1
    if start >= 1 and text[start - 1] == "R" and quote == '"':  # raw strings end on the same line here
        end = text.find(')"', i)
        return len(text) if end < 0 else end + 2
    while i < len(text):
        if text[i] == "\\":
            i += 2
            continue
        if text[i] == quote:
            return i + 1
        i += 1
    return len(text)


def line_mutations(text, code, operators):
    """Every (operator, mutated line) for one line; `code` is the line with comments and literals blanked."""
    stripped = code.strip()
    if not stripped or stripped.startswith("#") or "static_assert" in code:
        return []
    found = []
    for op in operators:
        for old, new in SWAPS.get(op, []):
            for m in re.finditer(re.escape(old), code):
                found.append((op, text[:m.start()] + new + text[m.end():]))
    if "bool" in operators:
        for m in re.finditer(r"\b(true|false)\b", code):
            found.append(("bool", text[:m.start()] + ("false" if m.group(1) == "true" else "true") + text[m.end():]))
    if "neg" in operators:
        for m in re.finditer(r"!(?!=)", code):
            found.append(("neg", text[:m.start()] + text[m.end():]))
    if "const" in operators:
        for m in INTEGER.finditer(code):
            for moved in moved_constants(m.group(1)):
                found.append(("const", text[:m.start(1)] + moved + text[m.end(1):]))
    if "call" in operators and CALL_STATEMENT.match(code) and not KEYWORD_STATEMENT.match(code):
        if " = " not in code and code.count("(") == code.count(")"):
            found.append(("call", text[:len(text) - len(text.lstrip())] + ";"))
    return found


def moved_constants(literal):
    value = int(literal, 0)
    spell = (lambda v: hex(v).upper().replace("0X", "0x")) if literal.lower().startswith("0x") else str
    return [spell(v) for v in (value + 1, value - 1) if v >= 0]


# ---- Where to mutate ---------------------------------------------------------------------------------------

def module_folders():
    """The module's layers' own folders, bottom to top, the binary contract's left out: it is shared with the
    hosts, so a fault there is a fault on both sides, not the module's."""
    listed = subprocess.run([str(ROOT / "scripts" / "source-folders.sh"), "module"], check=True,
                            capture_output=True, text=True).stdout
    return listed.split()


def module_files():
    files = []
    for folder in module_folders():
        files += sorted(str(p.relative_to(ROOT)) for p in (ROOT / folder).glob("*") if p.suffix in (".cpp", ".h"))
    return files


def candidates(path, operators, only_lines=None):
    """(line number, [(operator, mutated text)]) for every line of `path` that has a mutation."""
    lines = (ROOT / path).read_text().split("\n")
    out = []
    for number, (text, code) in enumerate(zip(lines, code_mask(lines)), 1):
        if only_lines is not None and number not in only_lines:
            continue
        options = line_mutations(text, code, operators)
        if options:
            out.append((number, text, options))
    return out


def changed_lines(ref):
    """{path: set of line numbers} that the working tree changed or added since `ref`, module files only."""
    diff = subprocess.run(["git", "diff", "--unified=0", ref, "--", *module_folders()], cwd=ROOT, check=True,
                          capture_output=True, text=True).stdout
    result, path = {}, None
    for line in diff.splitlines():
        if line.startswith("+++ "):
            path = line[6:] if line.startswith("+++ b/") else None
        elif line.startswith("@@") and path and path.endswith((".cpp", ".h")):
            m = re.match(r"@@ -\S+ \+(\d+)(?:,(\d+))? @@", line)
            start, count = int(m.group(1)), int(m.group(2) or 1)
            result.setdefault(path, set()).update(range(start, start + count))
    return result


def survivors_of(results):
    """The survivors of an earlier run (its --json file), found again by their original line: a line that moved
    since is looked for nearby, one that changed is dropped."""
    mutants = []
    for entry in json.loads(results.read_text()):
        if entry["verdict"] != "survived":
            continue
        lines = (ROOT / entry["path"]).read_text().split("\n")
        near = sorted(range(len(lines)), key=lambda i: abs(i + 1 - entry["line"]))
        found = next((i for i in near if lines[i] == entry["original"]), None)
        if found is not None:
            mutants.append(Mutant(entry["path"], found + 1, entry["operator"], entry["original"], entry["mutated"]))
    return mutants


def rank(seed, *parts):
    """A number fixed by the seed and the parts alone, to draw and order mutants by."""
    return int.from_bytes(hashlib.sha256(":".join(map(str, (seed, *parts))).encode()).digest()[:8], "big")


def draw(args, operators):
    """The mutants to try. A sample takes the lines of the lowest ranks, each line ranked by the seed, its file and
    its own text (and which of the file's equal lines it is), not by its number: an edit elsewhere in the module
    leaves the rest of the draw as it was, so that a sample can be drawn again after the code it weighs moved."""
    if args.retest:
        return survivors_of(args.retest)
    if args.since:
        pools = [(p, candidates(p, operators, lines)) for p, lines in sorted(changed_lines(args.since).items())]
    else:
        pools = [(p, candidates(p, operators)) for p in (args.files or module_files())]
    lines = []
    for path, found in pools:
        seen = collections.Counter()
        for number, text, options in found:
            seen[text.strip()] += 1
            lines.append((rank(args.seed, path, text.strip(), seen[text.strip()]), path, number, text, options))
    if args.sample and not args.files and not args.since:
        lines = sorted(sorted(lines)[:args.sample], key=lambda l: (l[1], l[2]))
    mutants = []
    for key, path, number, text, options in lines:
        op, mutated = options[rank(args.seed, key) % len(options)]
        mutants.append(Mutant(path, number, op, text, mutated))
    return mutants


# ---- The copy and its builds -------------------------------------------------------------------------------

def run(cmd, cwd=None, timeout=None, env=None):
    return subprocess.run(cmd, cwd=cwd, capture_output=True, text=True, timeout=timeout, env=env)


def sync_copy(src):
    """Makes `src` hold the working tree's files (tracked and new), writing only those that differ."""
    listed = run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=ROOT).stdout.split("\0")
    wanted = {f for f in listed if f and (ROOT / f).is_file()}
    for rel in wanted:
        source, target = ROOT / rel, src / rel
        if target.is_file() and target.read_bytes() == source.read_bytes():
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        # A fresh modification time, not the source's: an object built from a mutant since may be newer than
        # the edit, and the build must still see the file as changed.
        shutil.copyfile(source, target)
        shutil.copymode(source, target)
    for path in src.rglob("*"):
        rel = path.relative_to(src).as_posix()
        if path.is_file() and not rel.startswith("build") and rel not in wanted:
            path.unlink()


def configure(src, preset):
    launcher = []
    if shutil.which("ccache"):
        launcher = ["-DCMAKE_C_COMPILER_LAUNCHER=ccache", "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"]
    extra = ["-DBUILD_TESTING=ON"] if preset == "default" else []
    result = run([str(src / "scripts" / "configure-preset.sh"), preset, *extra, *launcher], cwd=src)
    if result.returncode != 0:
        sys.exit(f"configuring {preset} failed:\n{result.stdout}{result.stderr}")


@dataclasses.dataclass
class Tree:
    src: Path
    preset: str
    dir: Path = None
    ready: bool = False
    slow: dict = None

    def __post_init__(self):
        self.dir = self.src / ("build" if self.preset == "default" else f"build-{self.preset}")

    def prepare(self):
        if self.ready:
            return
        configure(self.src, self.preset)
        built = self.build()
        if built.returncode != 0:
            sys.exit(f"the {self.preset} tree does not build:\n{built.stdout[-4000:]}")
        self.measure_slow_tests()
        failure = self.test()
        if failure:
            sys.exit(f"the {self.preset} tree's tests fail without a mutant: {failure}")
        self.ready = True

    def module_targets(self):
        return [f"mirel_layer_{folder}" for folder in module_folders() if folder != "support"]

    def build(self, targets=()):
        return run(["cmake", "--build", str(self.dir), "-j2", *(["--target", *targets] if targets else [])])

    def test_programs(self):
        return [self.dir / "tests" / "mirel_unit_tests", self.dir / "tests" / "mirel_e2e_tests"]

    def test(self):
        """'' when the tests pass, else the reason one failed. Fast path: each program in one process, fail-fast,
        the slow tests left for the mutants that pass the rest; a failure found there is confirmed by that test
        alone in a process of its own, as ctest runs it."""
        failure = self.run_programs(lambda program: "-" + ":".join(self.slow.get(program.name, [])))
        if not failure:
            failure = self.run_programs(lambda program: ":".join(self.slow.get(program.name, [])) or "-*")
        if not failure and self.preset == "default":
            exports = run(["ctest", "--test-dir", str(self.dir), "-R", "^module_exports", "--no-tests=error"])
            if exports.returncode != 0:
                return "module_exports_only_entry_points"
        return failure

    def run_programs(self, gtest_filter):
        """Both test programs at once, each given its filter; '' when both pass."""
        env = dict(os.environ, GTEST_BRIEF="1")
        procs = [subprocess.Popen([str(p), "--gtest_fail_fast", f"--gtest_filter={gtest_filter(p)}"],
                                  cwd=self.dir / "tests", stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                  env=env) for p in self.test_programs()]
        failures = []
        for program, proc in zip(self.test_programs(), procs):
            try:
                output, _ = proc.communicate(timeout=TEST_TIMEOUT)
            except subprocess.TimeoutExpired:
                for p in procs:
                    p.kill()
                return f"time-out in {program.name}"
            if proc.returncode != 0:
                failures.append((program, proc.returncode, output))
        for program, code, output in failures:
            reason = self.confirm(program, code, output)
            if reason:
                return reason
        return self.whole_suite() if failures else ""

    def measure_slow_tests(self):
        """The tests of each program that took half a second or more in the unmutated run."""
        self.slow = {}
        for program in self.test_programs():
            report = self.dir / f"{program.name}-times.json"
            run([str(program), f"--gtest_output=json:{report}"], cwd=self.dir / "tests", timeout=5 * TEST_TIMEOUT)
            suites = json.loads(report.read_text())["testsuites"]
            self.slow[program.name] = [f"{suite['name']}.{test['name']}" for suite in suites
                                       for test in suite["testsuite"] if float(test["time"].rstrip("s")) >= 0.5]

    def confirm(self, program, code, output):
        # A parameterised test's line goes on ", where GetParam() = ...": the name ends before the comma.
        names = re.findall(r"^\[  FAILED  \] ([^\s,]+)", output, re.M)
        if not names:
            return f"{program.name} ended with status {code} (crash or sanitizer report)"
        for name in names[:3]:
            alone = run([str(program), f"--gtest_filter={name}"], cwd=self.dir / "tests", timeout=TEST_TIMEOUT)
            if alone.returncode != 0:
                return name
        return ""

    def whole_suite(self):
        """The verdict of ctest itself, when the fast path's failure did not repeat in a test on its own."""
        args = ["ctest", "--test-dir", str(self.dir), "-j2", "--timeout", str(TEST_TIMEOUT), "--no-tests=error"]
        if self.preset != "default":
            args += ["-E", "^fuzz_"]
        try:
            result = run(args, timeout=5 * TEST_TIMEOUT)
        except subprocess.TimeoutExpired:
            return "time-out of the whole suite"
        failed = re.findall(r"^\s*\d+ - (\S+) \(", result.stdout, re.M)
        if result.returncode == 0:
            return ""
        said = [line.strip() for line in (result.stdout + result.stderr).splitlines() if line.strip()]
        return "ctest: " + (",".join(failed)[:200] or f"status {result.returncode}: {said[-1] if said else ''}")


def object_digests(tree):
    """{object: digest of its bytes without debug sections} for the module's objects in `tree`."""
    digests = {}
    for obj in sorted(tree.dir.glob("CMakeFiles/mirel_layer_*.dir/**/*.o")):
        stripped = obj.with_suffix(".o.nodebug")
        run(["objcopy", "--strip-debug", str(obj), str(stripped)])
        digests[str(obj)] = hashlib.sha256(stripped.read_bytes()).hexdigest()
        stripped.unlink()
    return digests


# ---- One mutant --------------------------------------------------------------------------------------------

def try_mutant(mutant, default, asan, baseline, use_asan):
    target = default.src / mutant.path
    original = target.read_bytes()
    lines = original.decode().split("\n")
    lines[mutant.line - 1] = mutant.mutated
    target.write_text("\n".join(lines))
    try:
        compiled = default.build(default.module_targets())
        if compiled.returncode != 0:
            return "stillborn", ""
        if object_digests(default) == baseline:
            return "equivalent", ""
        built = default.build(["mirelinstrumentchange", "mirel_unit_tests", "mirel_e2e_tests"])
        if built.returncode != 0:
            return "killed", "the test programs did not build or list their tests"
        reason = default.test()
        if reason:
            return "killed", reason
        if not use_asan:
            return "survived", ""
        if not asan.ready:
            # The sanitized tree's own baseline is built and tested from the original, not from this mutant.
            target.write_bytes(original)
            asan.prepare()
            target.write_text("\n".join(lines))
        if asan.build(["mirelinstrumentchange", "mirel_unit_tests", "mirel_e2e_tests"]).returncode != 0:
            return "killed-asan", "the sanitized tree did not build"
        reason = asan.test()
        return ("killed-asan", reason) if reason else ("survived", "")
    finally:
        target.write_bytes(original)


# ---- Report ------------------------------------------------------------------------------------------------

def read_equivalents():
    """{(path, original, mutated): reason} from the file of explained survivors."""
    known = {}
    if not EQUIVALENTS.exists():
        return known
    entry = None
    for line in EQUIVALENTS.read_text().splitlines():
        m = re.match(r"^(\S+):(\d+) \[(\w+)\]$", line)
        if m:
            entry = [m.group(1), None, None]
        elif entry and line.startswith("  - "):
            entry[1] = line[4:]
        elif entry and line.startswith("  + "):
            entry[2] = line[4:]
        elif entry and line.startswith("  why: "):
            known[(entry[0], entry[1].strip(), entry[2].strip())] = line[7:]
            entry = None
    return known


def report(mutants, seconds):
    folders = module_folders()
    known = read_equivalents()
    print(f"\n{'layer':<10} {'mutants':>7} {'equiv.':>6} {'no comp.':>8} {'killed':>6} {'by asan':>7} "
          f"{'survived':>8} {'score':>7}")
    rows = [(f, [m for m in mutants if m.layer == f]) for f in folders] + [("all", mutants)]
    for name, group in rows:
        if not group:
            continue
        count = {v: sum(1 for m in group if m.verdict == v)
                 for v in ("equivalent", "stillborn", "killed", "killed-asan", "survived")}
        scored = count["killed"] + count["killed-asan"] + count["survived"]
        score = f"{100.0 * (scored - count['survived']) / scored:6.1f}%" if scored else "     -"
        print(f"{name:<10} {len(group):>7} {count['equivalent']:>6} {count['stillborn']:>8} {count['killed']:>6} "
              f"{count['killed-asan']:>7} {count['survived']:>8} {score:>7}")
    survivors = [m for m in mutants if m.verdict == "survived"]
    unexplained = [m for m in survivors if m.key() not in known]
    print(f"\nSurvivors: {len(survivors)}, of which explained in {EQUIVALENTS.relative_to(ROOT)}: "
          f"{len(survivors) - len(unexplained)}")
    for m in survivors:
        print(f"  {m.path}:{m.line} [{m.operator}]\n    - {m.original.strip()}\n    + {m.mutated.strip()}")
        if m.key() in known:
            print(f"    why: {known[m.key()]}")
    print(f"\nTime: {seconds:.0f} s for {len(mutants)} mutants")
    return unexplained


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("files", nargs="*", help="module files to mutate (every mutable line, one mutant each)")
    parser.add_argument("--sample", type=int, help="draw N mutants over the module (one per line at most)")
    parser.add_argument("--seed", type=int, default=1, help="the seed of the draw (default 1)")
    parser.add_argument("--since", metavar="REF", help="the module lines the working tree changed since REF")
    parser.add_argument("--operators", default=",".join(OPERATORS), help="comma-separated, from: " +
                        ", ".join(OPERATORS))
    parser.add_argument("--retest", metavar="JSON", type=Path, help="only the survivors of an earlier --json file")
    parser.add_argument("--no-asan", action="store_true", help="score on the default tree only")
    parser.add_argument("--list", action="store_true", help="list the drawn mutants and stop")
    parser.add_argument("--json", type=Path, help="also write every mutant and its verdict to this file")
    args = parser.parse_args()
    operators = [o for o in args.operators.split(",") if o]
    unknown = set(operators) - set(OPERATORS)
    if unknown or (not args.sample and not args.files and not args.since and not args.retest):
        parser.error(f"unknown operators {sorted(unknown)}" if unknown else
                     "give --sample N, --since REF, --retest JSON or files")

    mutants = draw(args, operators)
    if args.list:
        for m in mutants:
            print(f"{m.path}:{m.line} [{m.operator}] {m.mutated.strip()}")
        return 0
    started = time.monotonic()
    src = WORK / "src"
    src.mkdir(parents=True, exist_ok=True)
    sync_copy(src)
    default, asan = Tree(src, "default"), Tree(src, "asan")
    default.prepare()
    baseline = object_digests(default)
    # Tried in an order fixed by the seed, so that a run stopped part way has weighed an unbiased part of the
    # sample.
    order = sorted(mutants, key=lambda m: rank(args.seed, m.path, m.original.strip(), m.operator, m.mutated))
    for number, m in enumerate(order, 1):
        m.verdict, m.detail = try_mutant(m, default, asan, baseline, not args.no_asan)
        print(f"[{number}/{len(order)}] {m.verdict:<11} {m.path}:{m.line} [{m.operator}] {m.mutated.strip()}"
              + (f"  ({m.detail})" if m.detail else ""), flush=True)
        if args.json:
            args.json.write_text(json.dumps([dataclasses.asdict(x) for x in mutants if x.verdict], indent=1))
    default.build()  # leaves both trees built from the unmutated copy
    if asan.ready:
        asan.build()
    unexplained = report(mutants, time.monotonic() - started)
    return 1 if unexplained else 0


if __name__ == "__main__":
    # A stopped run still puts the mutated line back (in the copy, which the next run also syncs afresh).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))
    sys.exit(main())
