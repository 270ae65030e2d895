#!/usr/bin/env bash
# Runs the scaling benchmark and writes docs/bench.md (the table) and docs/bench.svg (the plot, with gnuplot).
# Usage: bench/run.sh [--runs N]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build --preset default -j2 --target mirel_scale_bench
./build/bench/mirel_scale_bench --table docs/bench.md --data docs/bench.dat "$@"
gnuplot -e "data='docs/bench.dat'; out='docs/bench.svg'" bench/plot.gp
echo "Wrote docs/bench.md, docs/bench.dat and docs/bench.svg"
