#!/bin/bash
# Maze-search benchmark: generates a congested ISPD'08 design (100,000 nets on a
# 300 x 300 grid by default), runs the 2D routing schedule on it with a fixed
# maze iteration limit and reports run time, peak memory, the final total
# overflow and the 2D wire length.
#
#   bench/maze_bench.sh [build dir] [maze iteration limit]
#
# Environment: NETS, GRID, SEED override the design; WORK the scratch folder.
set -euo pipefail

SRC="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$SRC/build}"
LIMIT="${2:-10}"
NETS="${NETS:-100000}"
GRID="${GRID:-300}"
SEED="${SEED:-1}"
WORK="${WORK:-$(mktemp -d /tmp/tarvex_maze_bench.XXXXXX)}"

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$SRC" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$BUILD" -j"$(nproc)" --target gen_ispd route2d_driver >/dev/null
BUILD="$(cd "$BUILD" && pwd)"  # the run below changes folder

DESIGN="$WORK/maze_bench_${GRID}x${GRID}_${NETS}.gr"
SETTINGS="$WORK/maze_bench.set"
LOG="$WORK/maze_bench.log"
"$BUILD/tools/gen_ispd" --grid "$GRID" "$GRID" --layers 2 --nets "$NETS" --seed "$SEED" --out "$DESIGN"
cat >"$SETTINGS" <<SET
Via_Cost = 1
Maze_Routing_Iteration = $LIMIT
Maze_Routing_Timeout = -1
SET

# The FLUTE tables live in the build's work folder; run there.
if [ ! -f "$BUILD/run/POWV9.dat" ] || [ ! -f "$BUILD/run/POST9.dat" ]; then
    echo "maze_bench: the FLUTE tables are missing from $BUILD/run" >&2
    exit 1
fi
cd "$BUILD/run"
start=$(date +%s.%N)
if [ -x /usr/bin/time ]; then
    /usr/bin/time -v "$BUILD/tools/route2d_driver" "$DESIGN" "$SETTINGS" "$LIMIT" >"$LOG" 2>"$WORK/time.txt"
else
    "$BUILD/tools/route2d_driver" "$DESIGN" "$SETTINGS" "$LIMIT" >"$LOG"
fi
end=$(date +%s.%N)

summary=$(grep '^route2d: ' "$LOG")
mono=$(sed -n '/Start Monotonic Routing/,/Monotonic Routing costs/p' "$LOG" | grep '^Round=' | tail -1)
maze=$(sed -n '/Start Maze Routing/,/Maze Routing costs/p' "$LOG" | grep '^Round=' | tail -1)
echo "design:       ${GRID} x ${GRID} G-cells, ${NETS} nets, seed ${SEED}, maze iteration limit ${LIMIT}"
echo "monotonic:    ${mono}"
echo "maze (last):  ${maze}"
grep -E '^(Pattern|Monotonic|Maze|Post) Routing costs|^CPU: mazeKernel' "$LOG" | sed 's/^/stage:        /'
echo "result:       ${summary#route2d: }"
awk -v s="$start" -v e="$end" 'BEGIN { printf "wall time:    %.2f s\n", e - s }'
if [ -f "$WORK/time.txt" ]; then
    grep -E 'Maximum resident set size' "$WORK/time.txt" | sed 's/^\s*/peak memory:  /'
fi
echo "log:          $LOG"
