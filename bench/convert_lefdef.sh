#!/usr/bin/env bash
# Conversion to LEF/DEF of a large generated Bookshelf set (default 480,000 movable
# cells, about 500,000 objects with macros, NI terminals and fixed terminals):
# wall time and peak memory of CONVERT, the die's extent in database-unit points
# (what a table with one entry per point would hold) and the sizes of the files.
# With klayout installed, KLayout then reads both files back and its counts are
# printed too (not timed).
#
# usage: bench/convert_lefdef.sh [build dir] [cells] [seed]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cells=${2:-480000}
seed=${3:-7}
work=$(mktemp -d /tmp/tarvex_bench_XXXXXX)
trap 'rm -rf "$work"' EXIT

"$build"/tools/gen_bookshelf --cells "$cells" --seed "$seed" --out "$work"
"$build"/tools/bookshelf_unique_pins "$work"/design.nodes "$work"/design.nets "$work"/design.nets >/dev/null

cd "$work"
/usr/bin/time -v "$build"/Tarvex CONVERT design.aux design.user.pl out >run.log 2>time.log || {
  tail -5 run.log; cat time.log; exit 1; }
wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' time.log)
rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' time.log)
objects=$(awk '$1 == "NumNodes" { print $3 }' design.nodes)
read -r gx gy _ < <(awk '$1 == "Grid" { print $3, $4, $5 }' design.route)
read -r tw th < <(awk '$1 == "TileSize" { print $3, $4 }' design.route)
points=$((gx * tw * gy * th))
echo "objects=$objects nets=$(awk '$1 == "NumNets" { print $3 }' design.nets) die_points=$points" \
     "masters=$(sed -n 's/^Macro type //p' run.log) wall=$wall peak_rss_mb=$((rss / 1024))" \
     "lef_mb=$(($(stat -c %s out.lef) / 1048576)) def_mb=$(($(stat -c %s out.def) / 1048576))" \
     "$(grep '^totalPin=' run.log | tr -s ' ' | tr ' ' ' ')"
if command -v klayout >/dev/null; then
  echo "klayout: $(QT_QPA_PLATFORM=offscreen klayout -b -r "$root"/tools/klayout_lefdef_check.py \
      -rd lef="$work"/out.lef -rd def="$work"/out.def </dev/null | tr '\n' ' ')"
fi
