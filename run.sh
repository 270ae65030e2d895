#!/usr/bin/env bash
# Builds the module and the stand-in host, then runs the main job: the module's command on the bundled
# orchestral score with the dialog's default answers. Prints the dialog and the summary of what changed, and
# writes the resulting score and a report with a picture of it under build/.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh run
scripts/configure-preset.sh default -DBUILD_TESTING=OFF
cmake --build --preset default -j"$(nproc)"
./build/mirel-standin info
echo
./build/mirel-standin run examples/orchestra.json \
    --out build/orchestra-result.json --report build/orchestra-report.html
