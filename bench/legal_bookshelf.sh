#!/usr/bin/env bash
# Large-design baseline of the legalization mode: generates a Bookshelf set (default
# 200,000 movable cells, G-cells 42 x 48 DBU for a dense die), legalizes the
# generator's scattered placement (NAME.pl) and its net-ordered one (NAME.user.pl)
# with LEGAL, checks each result with place_check against the placement it started
# from, and prints one summary line per placement: the run's wall time and peak
# memory, the design density the run reported, the checker's violations, total and
# largest displacement, and the HPWL before and after.
#
# usage: bench/legal_bookshelf.sh [build dir] [cells] [tile width]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cells=${2:-200000}
tilew=${3:-42}
work=$(mktemp -d /tmp/tarvex_bench_XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build"/run/POWV9.dat "$build"/run/POST9.dat "$work"/
"$build"/tools/gen_bookshelf --cells "$cells" --seed 21 --tile "$tilew" 48 --out "$work" >/dev/null
cat > "$work/bench.set" <<SET
Via_Cost = 1
Maze_Routing_Timeout = 3600
Pin_Blockage_Factor = 0.5
Blockage_Expanding = 0
SET

cd "$work"
for start in design.pl design.user.pl; do
    /usr/bin/time -v "$build"/Tarvex LEGAL design.aux "$start" bench.set out.pl >run.log 2>time.log
    "$build"/tools/place_check design.aux "$start" "$start" >before.log 2>/dev/null || true
    "$build"/tools/place_check design.aux out.pl "$start" >check.log 2>/dev/null || true
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' time.log)
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' time.log)
    den=$(sed -n 's/.*DesignDen=\([0-9.]*\).*/\1/p' run.log)
    legal=$(sed -n 's/^Legalization: \(.*\)  time=\(.*\)$/\2/p' run.log)
    field() { sed -n "s/^$1: //p" "$2"; }
    echo "start=$start cells=$cells density=$den wall=$wall legalize_s=$legal peak_rss_mb=$((rss / 1024))" \
         "violations=$(field violations check.log) displacement=$(field displacement check.log)" \
         "max_displacement=$(field 'max displacement' check.log)" \
         "hpwl_before=$(field hpwl before.log) hpwl_after=$(field hpwl check.log)"
done
