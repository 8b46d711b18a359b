#!/usr/bin/env bash
# The regular flow without and with 3D refinement on the large generated design
# (default 100,000 nets on 300 x 300 G-cells, 6 layers), side by side: both runs
# share the 2D routing and layer assignment; the second adds the 3D stage. Each
# result is checked by our independent checker, and one line reports total and
# maximum overflow, wire length and vias before (layer assignment only) and
# after (3D refinement), the wall-clock time of the 3D stage and the peak memory
# of both runs.
#
# The time limit (Maze_Routing_Timeout) bounds the 2D maze stage in CPU seconds
# and the 3D negotiation in wall-clock seconds; the maze iteration limit keeps
# the 2D stage well below it, so both runs route the same 2D solution.
#
# usage: bench/route3d_ispd.sh [build dir] [nets] [maze iterations] [layer algorithm] [time limit]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
nets=${2:-100000}
iters=${3:-20}
la=${4:-1}
limit=${5:-600}
work=$(mktemp -d /tmp/tarvex_bench3d_XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build"/run/POWV9.dat "$build"/run/POST9.dat "$work"/
"$build"/tools/gen_ispd --seed 7 --grid 300 300 --layers 6 --nets "$nets" --out "$work/bench.gr"
cd "$work"

run() {  # run NAME 3D-ITERATIONS
    cat > "$1.set" <<SET
Via_Cost = 1
Maze_Routing_Timeout = $limit
Layer_Assignment_Algorithm = $la
Output_Routing_Result = Yes
Output_Overflow_Information = Yes
3D_Optimization_Iteration = $2
SET
    /usr/bin/time -v "$build"/Tarvex REGULAR_ISPD bench.gr "$1.set" "$1.result" "$iters" >"$1.log" 2>"$1.time"
    "$build"/tools/check_ispd bench.gr "$1.result" >"$1.check" 2>&1 || { cat "$1.check"; exit 1; }
}
field() { sed -n "s/^$2: //p" "$1.check"; }
report() { sed -n "s/^$2 = //p" "$1.result.ofinfo"; }
agrees() {
    [ "$(field "$1" 'total overflow')" = "$(report "$1" 'Total overflow')" ] &&
        [ "$(field "$1" 'max overflow')" = "$(report "$1" 'Max overflow')" ] &&
        [ "$(field "$1" 'wire edges')" = "$(report "$1" 'Wirelength')" ] &&
        [ "$(field "$1" 'vias')" = "$(report "$1" 'Via count')" ] && echo yes || echo no
}
rss() { echo $(( $(sed -n 's/.*Maximum resident set size (kbytes): //p' "$1.time") / 1024 )); }

run la 0
run r3d 1
stage=$(grep '^Layer Assignment costs ' r3d.log | tail -1 | sed 's/Layer Assignment costs \([^ ]*\) seconds/\1/')
rounds=$(sed -n '/Start 3D Fast Routing/,$p' r3d.log | grep -c '^Round=' || true)
echo "nets=$nets maze_iterations=$iters la=$la time_limit=$limit" \
     "total_overflow=$(field la 'total overflow')->$(field r3d 'total overflow')" \
     "max_overflow=$(field la 'max overflow')->$(field r3d 'max overflow')" \
     "wire_edges=$(field la 'wire edges')->$(field r3d 'wire edges')" \
     "vias=$(field la 'vias')->$(field r3d 'vias')" \
     "stage3d_wall_s=$stage rounds3d=$rounds" \
     "peak_rss_mb=$(rss la)->$(rss r3d)" \
     "checker_agrees=$(agrees la)/$(agrees r3d)"
