#!/usr/bin/env bash
# Large-design baseline of the regular routing flow: generates a congested
# benchmark (default 100,000 nets on 300 x 300 G-cells, 6 layers), routes it with
# REGULAR_ISPD under default settings and a fixed maze iteration limit, checks the
# result with our independent checker and prints one summary line.
#
# usage: bench/regular_ispd.sh [build dir] [nets] [maze iterations] [layer algorithm]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
nets=${2:-100000}
iters=${3:-20}
la=${4:-1}
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
/usr/bin/time -v "$build"/Tarvex REGULAR_ISPD bench.gr bench.set bench.result "$iters" >run.log 2>time.log
"$build"/tools/check_ispd bench.gr bench.result >check.log 2>&1 || { cat check.log; exit 1; }

wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' time.log)
rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' time.log)
field() { sed -n "s/^$1: //p" check.log; }
report() { sed -n "s/^$1 = //p" bench.result.ofinfo; }
agrees=yes
[ "$(field 'total overflow')" = "$(report 'Total overflow')" ] || agrees=no
[ "$(field 'max overflow')" = "$(report 'Max overflow')" ] || agrees=no
[ "$(field 'wire edges')" = "$(report 'Wirelength')" ] || agrees=no
[ "$(field 'vias')" = "$(report 'Via count')" ] || agrees=no
echo "nets=$nets maze_iterations=$iters la=$la wall=$wall peak_rss_mb=$((rss / 1024))" \
     "total_overflow=$(field 'total overflow') max_overflow=$(field 'max overflow')" \
     "total_overflow_tracks=$(field 'total overflow in tracks') max_overflow_tracks=$(field 'max overflow in tracks')" \
     "overflow_2d_tracks=$(field '2D total overflow in tracks') wire_length=$(field 'wire length') vias=$(field 'vias')" \
     "report_agrees_with_checker=$agrees"
