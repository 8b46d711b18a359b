#!/usr/bin/env bash
# Large-design baseline of the two ISPD routing flows: generates a congested
# benchmark (default 100,000 nets on 300 x 300 G-cells, 6 layers), routes it with
# REGULAR_ISPD under default settings and a fixed maze iteration limit, then with
# FAST_ISPD under a fixed round limit, checks each result with our independent
# checker and prints one summary line per flow.
#
# usage: bench/regular_ispd.sh [build dir] [nets] [maze iterations] [layer algorithm] [fast rounds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
nets=${2:-100000}
iters=${3:-20}
la=${4:-1}
fastRounds=${5:-$iters}
work=$(mktemp -d /tmp/tarvex_bench_XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build"/run/POWV9.dat "$build"/run/POST9.dat "$work"/

"$build"/tools/gen_ispd --seed 7 --grid 300 300 --layers 6 --nets "$nets" --out "$work/bench.gr"
cat > "$work/bench.set" <<SET
Via_Cost = 1
Maze_Routing_Timeout = 3600
Layer_Assignment_Algorithm = $la
Output_Routing_Result = Yes
Output_Overflow_Information = Yes
SET

cd "$work"
# route MODE ITERATIONS: one run, its check and its summary line.
route() {
    local mode=$1 limit=$2 result=$1.result
    /usr/bin/time -v "$build"/Tarvex "$mode" bench.gr bench.set "$result" "$limit" >"$mode.log" 2>"$mode.time"
    "$build"/tools/check_ispd bench.gr "$result" >"$mode.check" 2>&1 || { cat "$mode.check"; exit 1; }

    local wall rss agrees=yes
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$mode.time")
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$mode.time")
    field() { sed -n "s/^$1: //p" "$mode.check"; }
    report() { sed -n "s/^$1 = //p" "$result.ofinfo"; }
    [ "$(field 'total overflow')" = "$(report 'Total overflow')" ] || agrees=no
    [ "$(field 'max overflow')" = "$(report 'Max overflow')" ] || agrees=no
    [ "$(field 'wire edges')" = "$(report 'Wirelength')" ] || agrees=no
    [ "$(field 'vias')" = "$(report 'Via count')" ] || agrees=no
    echo "mode=$mode nets=$nets iterations=$limit la=$la wall=$wall peak_rss_mb=$((rss / 1024))" \
         "total_overflow=$(field 'total overflow') max_overflow=$(field 'max overflow')" \
         "total_overflow_tracks=$(field 'total overflow in tracks') max_overflow_tracks=$(field 'max overflow in tracks')" \
         "overflow_2d_tracks=$(field '2D total overflow in tracks') wire_length=$(field 'wire length') vias=$(field 'vias')" \
         "report_agrees_with_checker=$agrees"
}

route REGULAR_ISPD "$iters"
route FAST_ISPD "$fastRounds"
