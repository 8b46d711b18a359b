#!/usr/bin/env bash
# Compares two Tarvex builds on the same designs: CPU time, peak memory and
# whether the routing result and its ".ofinfo" report are byte-identical.
#
#   bench/compare_builds.sh OLD_TARVEX NEW_TARVEX [gen_ispd]
#
# Designs (generated once, seed 7, 6 layers, maze iteration limit 20):
#   large  300 x 300 G-cells, 100,000 nets (the design of bench/regular_ispd.sh)
#   mid    200 x 200 G-cells,  60,000 nets
# Each design is routed by REGULAR_ISPD once per layer-assignment algorithm in
# LAS (default "1 2 3"); the runs are one at a time. One line per design:
#   design=... cpu_old=s cpu_new=s cpu_ratio=new/old mem_old=MB mem_new=MB
#   mem_ratio=new/old identical=yes|no
# CPU time is user + system summed over the runs, memory the largest peak
# resident set of the runs (both from /usr/bin/time -v).
#
# Environment: DESIGNS (default "large mid"), LAS (default "1 2 3"), ITERS
# (default 20), KEEP=1 keeps the work folder.
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 OLD_TARVEX NEW_TARVEX [gen_ispd]" >&2
    exit 1
fi
old=$(readlink -f "$1")
new=$(readlink -f "$2")
gen=$(readlink -f "${3:-$(dirname "$new")/tools/gen_ispd}")
for f in "$old" "$new" "$gen"; do
    [ -x "$f" ] || { echo "$0: $f is not an executable" >&2; exit 1; }
done
designs=${DESIGNS:-large mid}
las=${LAS:-1 2 3}
iters=${ITERS:-20}

work=$(mktemp -d /tmp/tarvex_compare_XXXXXX)
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$work"' EXIT
# The FLUTE tables sit beside each build's binary, in its run/ folder.
tables=$(dirname "$new")/run
[ -f "$tables/POWV9.dat" ] || tables=$(dirname "$old")/run
cp "$tables"/POWV9.dat "$tables"/POST9.dat "$work"/

# Runs one build; prints "cpu_seconds peak_kb".
run_one() {  # bin tag design la
    local dir="$work/$2_$3_la$4"
    mkdir -p "$dir"
    cp "$work"/POWV9.dat "$work"/POST9.dat "$dir"/
    cat >"$dir/run.set" <<SET
Via_Cost = 1
Maze_Routing_Timeout = 3600
Layer_Assignment_Algorithm = $4
Output_Routing_Result = Yes
Output_Overflow_Information = Yes
SET
    (cd "$dir" && /usr/bin/time -v "$1" REGULAR_ISPD "$work/$3.gr" run.set out.result "$iters" \
        >run.log 2>time.log) || { echo "$0: $1 failed on $3 (la $4), see $dir" >&2; KEEP=1; return 1; }
    awk -F': ' '/User time/ {u=$2} /System time/ {s=$2} /Maximum resident/ {m=$2}
                END {printf "%.2f %d\n", u + s, m}' "$dir/time.log"
}

for d in $designs; do
    case $d in
        large) "$gen" --seed 7 --grid 300 300 --layers 6 --nets 100000 --out "$work/$d.gr" ;;
        mid)   "$gen" --seed 7 --grid 200 200 --layers 6 --nets 60000 --out "$work/$d.gr" ;;
        *) echo "$0: unknown design $d" >&2; exit 1 ;;
    esac
    cpu_o=0 cpu_n=0 mem_o=0 mem_n=0 same=yes
    for la in $las; do
        c='' m=''
        read -r c m < <(run_one "$old" old "$d" "$la") || true
        [ -n "${m:-}" ] || exit 1
        cpu_o=$(echo "$cpu_o + $c" | bc); [ "$m" -gt "$mem_o" ] && mem_o=$m
        read -r c m < <(run_one "$new" new "$d" "$la") || true
        [ -n "${m:-}" ] || exit 1
        cpu_n=$(echo "$cpu_n + $c" | bc); [ "$m" -gt "$mem_n" ] && mem_n=$m
        for f in out.result out.result.ofinfo; do
            cmp -s "$work/old_${d}_la$la/$f" "$work/new_${d}_la$la/$f" || same=no
        done
        rm -f "$work/old_${d}_la$la/out.result" "$work/new_${d}_la$la/out.result"
    done
    echo "design=$d las=\"$las\" maze_iterations=$iters cpu_old=${cpu_o}s cpu_new=${cpu_n}s" \
         "cpu_ratio=$(echo "scale=3; $cpu_n / $cpu_o" | bc)" \
         "mem_old=$((mem_o / 1024))MB mem_new=$((mem_n / 1024))MB" \
         "mem_ratio=$(echo "scale=3; $mem_n / $mem_o" | bc) identical=$same"
done
