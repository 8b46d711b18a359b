#!/usr/bin/env bash
# Routability-driven placement on a large generated set: generates a Bookshelf set
# (default 200,000 movable cells, G-cells 42 x 48 DBU for a dense die with macros),
# legalizes its net-ordered placement with LEGAL (the input placement), runs PLACE on
# it, and once more without detailed placement, routes the input and PLACE's output
# with REGULAR under the same settings and maze iteration limit, checks every .pl
# with place_check and prints one summary line:
#   overflow_before / overflow_after   REGULAR's total overflow (its .ofinfo report)
#   hpwl_before / hpwl_after           place_check's HPWL of the input and of PLACE's output
#   place_wall, place_peak_rss_mb      the PLACE run
#   hpwl_without_detailed              PLACE's output with Local_Detailed_Placement 0
#   regular_wall_before/after          the two routing runs
#   violations                         place_check's count over PLACE's output
#
# usage: bench/place_bookshelf.sh [build dir] [cells] [placement iterations] [maze iterations]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cells=${2:-200000}
iterations=${3:-2}
maze=${4:-10}
work=$(mktemp -d /tmp/tarvex_bench_place_XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build"/run/POWV9.dat "$build"/run/POST9.dat "$work"/
"$build"/tools/gen_bookshelf --cells "$cells" --seed 21 --tile 42 48 --out "$work" >/dev/null
settings() {
    cat <<SET
Via_Cost = 1
Maze_Routing_Timeout = 3600
Pin_Blockage_Factor = 0.5
Blockage_Expanding = 0
Layer_Assignment_Algorithm = 1
Output_Routing_Result = Yes
Output_Overflow_Information = Yes
Placement_Iteration = $iterations
Rounds_Per_Iteration = 2
Local_Detailed_Placement = $1
SET
}
cd "$work"
settings 1 >bench.set
settings 0 >plain.set

wall() { sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$1"; }
rss() { echo $(($(sed -n 's/.*Maximum resident set size (kbytes): //p' "$1") / 1024)); }
field() { sed -n "s/^$1: //p" "$2"; }

"$build"/Tarvex LEGAL design.aux design.user.pl bench.set input.pl >legal.log
/usr/bin/time -v "$build"/Tarvex PLACE design.aux input.pl bench.set placed.pl >place.log 2>place.time
"$build"/Tarvex PLACE design.aux input.pl plain.set plain.pl >plain.log
"$build"/tools/place_check design.aux input.pl input.pl >input.check 2>/dev/null || true
"$build"/tools/place_check design.aux placed.pl input.pl >placed.check 2>/dev/null || true
"$build"/tools/place_check design.aux plain.pl input.pl >plain.check 2>/dev/null || true
for p in input placed; do
    /usr/bin/time -v "$build"/Tarvex REGULAR design.aux $p.pl bench.set $p.result "$maze" >$p.route 2>$p.rtime
done
overflow() { sed -n 's/^Total overflow = //p' "$1.result.ofinfo"; }
echo "cells=$cells placement_iterations=$iterations maze_iterations=$maze" \
     "overflow_before=$(overflow input) overflow_after=$(overflow placed)" \
     "hpwl_before=$(field hpwl input.check) hpwl_after=$(field hpwl placed.check)" \
     "hpwl_without_detailed=$(field hpwl plain.check) violations=$(field violations placed.check)" \
     "place_wall=$(wall place.time) place_peak_rss_mb=$(rss place.time)" \
     "regular_wall_before=$(wall input.rtime) regular_wall_after=$(wall placed.rtime)"
