#!/usr/bin/env bash
# Builds the module and the stand-in host, then runs the main job.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh run
cmake --preset default -DBUILD_TESTING=OFF >/dev/null
cmake --build --preset default -j"$(nproc)"
./build/mirel-standin info
