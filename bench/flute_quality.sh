#!/usr/bin/env bash
# Long quality check of the FLUTE tables (several minutes on 8 cores): for each
# degree 4..9, 100000 nets in [0,100000) and 100000 in [0,10), plus 3 nets per
# group index, through readLUT and flute against the exact Hanan-grid solver;
# then the average excess for 10..12 pins and the time per net of flute.
#   bench/flute_quality.sh [BUILD_DIR] [extra flute_quality options]
set -euo pipefail
build=${1:-build}
shift || true
cmake --build "$build" --target flute_quality -j "$(nproc)" >/dev/null
cd "$build/run"
exec ../tools/flute_quality -n 100000 -g 3 --large 2000 "$@"
