#!/usr/bin/env bash
# Builds the module and the stand-in host, then runs the main job: the module's command on the bundled
# orchestral score with the dialog's default answers. Prints the dialog and the summary of what changed, and
# writes the resulting score and a report with a picture of it under build/.
set -euo pipefail
cd "$(dirname "$0")"
[ "${MIREL_NO_INSTALL:-0}" = 1 ] || scripts/install-deps.sh run
# The build tree is shared with ./test.sh: a new tree is configured without the tests (which need packages this
# job does not), a tree ./test.sh configured keeps its tests, and only what this job runs is built.
scripts/configure-preset.sh default
cmake --build --preset default -j"$(nproc)" --target mirel-standin mirelinstrumentchange
./build/mirel-standin info
echo
./build/mirel-standin run examples/orchestra.json \
    --out build/orchestra-result.json --report build/orchestra-report.html
