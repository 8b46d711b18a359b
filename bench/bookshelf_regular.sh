#!/usr/bin/env bash
# Bookshelf baseline: generates a set of about 200,000 movable cells (gen_bookshelf),
# times the readers, the blockage-driven capacity adjustment and the netlist building
# (bookshelf_read), routes the set with REGULAR under a fixed maze iteration limit,
# checks the result against the generator's equivalent ISPD'08 benchmark with our
# independent checker and prints one summary line.
#
# usage: bench/bookshelf_regular.sh [build dir] [cells] [maze iterations]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cells=${2:-200000}
iters=${3:-10}
work=$(mktemp -d /tmp/tarvex_bench_bookshelf_XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build"/run/POWV9.dat "$build"/run/POST9.dat "$work"/

"$build"/tools/gen_bookshelf --seed 7 --cells "$cells" --layers 8 --out "$work" --name bench
cat > "$work/bench.set" <<SET
Via_Cost = 1
Maze_Routing_Timeout = 3600
Layer_Assignment_Algorithm = 1
Output_Routing_Result = Yes
Output_Overflow_Information = Yes
SET

cd "$work"
"$build"/tools/bookshelf_read bench.aux bench.user.pl >/dev/null 2>read.log
/usr/bin/time -v "$build"/Tarvex REGULAR bench.aux bench.user.pl bench.set bench.result "$iters" >run.log 2>time.log
"$build"/tools/check_ispd bench.gr bench.result >check.log 2>&1 || { cat check.log; exit 1; }

step() { sed -n "s/^$1 seconds: //p" read.log; }
wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' time.log)
rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' time.log)
input=$(sed -n 's/^Input File costs \([0-9.e+-]*\) seconds/\1/p' run.log)
field() { sed -n "s/^$1: //p" check.log; }
echo "cells=$cells objects=$(sed -n 's/^objects: //p' read.log) nets=$(sed -n 's/^nets: //p' read.log)" \
     "read_s=$(step read) nodes_s=$(step .nodes) nets_s=$(step .nets) pl_s=$(step .pl)" \
     "capacity_adjustment_s=$(step 'capacity adjustment') routing_nets_s=$(step 'routing nets')" \
     "adjusted_edges=$(sed -n 's/^adjusted edges: //p' read.log) reader_peak_mb=$(sed -n 's/^peak memory MB: //p' read.log)" \
     "regular_input_cpu_s=$input regular_wall=$wall regular_peak_rss_mb=$((rss / 1024)) maze_iterations=$iters" \
     "total_overflow=$(field 'total overflow') wire_length=$(field 'wire length') vias=$(field 'vias') checker_errors=$(field 'errors')"
