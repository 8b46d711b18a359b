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
# The design "modes" (not in the default list) runs every other mode instead:
# a generated Bookshelf set (MODE_CELLS movable cells, default 20,000, seed 21)
# through REGULAR, FAST, LEGAL, PLACE, TWOPIN, CONVERT and HPWL, the equivalent
# ISPD'08 benchmark through FAST_ISPD, and a small ISPD'08 design (20 x 20,
# 400 nets) through REGULAR_ISPD with 3D refinement (all 500 rounds, so it ends
# by its round limit and not by time), and
# compares every file each run writes (and HPWL's output) between the builds.
#
# Environment: DESIGNS (default "large mid"), LAS (default "1 2 3"), ITERS
# (default 20), MODE_CELLS (default 20000), KEEP=1 keeps the work folder (a
# failed comparison always keeps it and names it).
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 OLD_TARVEX NEW_TARVEX [gen_ispd]" >&2
    exit 1
fi
old=$(readlink -f "$1")
new=$(readlink -f "$2")
gen=$(readlink -f "${3:-$(dirname "$new")/tools/gen_ispd}")
gen_bookshelf=$(dirname "$gen")/gen_bookshelf
for f in "$old" "$new" "$gen"; do
    [ -x "$f" ] || { echo "$0: $f is not an executable" >&2; exit 1; }
done
designs=${DESIGNS:-large mid}
las=${LAS:-1 2 3}
iters=${ITERS:-20}

work=$(mktemp -d /tmp/tarvex_compare_XXXXXX)
# A failed comparison keeps the work folder (the runs happen in subshells, so the
# exit status decides, not a variable set there).
trap 'status=$?
      if [ "$status" -ne 0 ]; then echo "$0: failed; the work folder $work is kept" >&2
      elif [ "${KEEP:-0}" != 1 ]; then rm -rf "$work"; fi' EXIT
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
        >run.log 2>time.log) || { echo "$0: $1 failed on $3 (la $4), see $dir" >&2; return 1; }
    awk -F': ' '/User time/ {u=$2} /System time/ {s=$2} /Maximum resident/ {m=$2}
                END {printf "%.2f %d\n", u + s, m}' "$dir/time.log"
}

# Runs every mode but REGULAR_ISPD's sweep on one build; prints "cpu_seconds peak_kb"
# summed / maximised over the runs. Each run's files stay in its own folder.
run_modes() {  # bin tag
    local dir="$work/$2_modes" cpu=0 mem=0 u m
    mkdir -p "$dir"
    cp "$work"/POWV9.dat "$work"/POST9.dat "$work"/modes/* "$dir"/
    cat >"$dir/run.set" <<SET
Via_Cost = 1
Maze_Routing_Timeout = 3600
Pin_Blockage_Factor = 0.5
Layer_Assignment_Algorithm = 1
Output_Routing_Result = Yes
Output_Overflow_Information = Yes
Placement_Iteration = 1
Rounds_Per_Iteration = 1
Local_Detailed_Placement = 1
SET
    sed 's/^Layer_Assignment_Algorithm.*/&\n3D_Optimization_Iteration = 1/' "$dir/run.set" >"$dir/run3d.set"
    local runs=(
        "REGULAR design.aux design.user.pl run.set regular.result 5"
        "FAST design.aux design.user.pl run.set fast.result 5"
        "LEGAL design.aux design.user.pl run.set legal.pl"
        "PLACE design.aux design.user.pl run.set place.pl 3"
        "TWOPIN design.aux design.user.pl run.set twopin.txt"
        "CONVERT design.aux design.user.pl conv"
        "HPWL design.aux design.user.pl"
        "FAST_ISPD design.gr run.set fastispd.result 5"
        "REGULAR_ISPD small.gr run3d.set regular3d.result 5"
    )
    local i=0
    for r in "${runs[@]}"; do
        i=$((i + 1))
        # shellcheck disable=SC2086
        (cd "$dir" && /usr/bin/time -v "$1" $r >"run$i.log" 2>"time$i.log") ||
            { echo "$0: $1 $r failed, see $dir" >&2; return 1; }
        read -r u m < <(awk -F': ' '/User time/ {u=$2} /System time/ {s=$2} /Maximum resident/ {m=$2}
                                END {printf "%.2f %d\n", u + s, m}' "$dir/time$i.log")
        cpu=$(echo "$cpu + $u" | bc); [ "$m" -gt "$mem" ] && mem=$m
    done
    grep -v -i 'time\|cost\|second' "$dir/run7.log" >"$dir/hpwl.out" || true
    echo "$cpu $mem"
}

for d in $designs; do
    if [ "$d" = modes ]; then
        cells=${MODE_CELLS:-20000}
        mkdir -p "$work/modes"
        "$gen_bookshelf" --cells "$cells" --seed 21 --tile 42 48 --out "$work/modes" >/dev/null
        # Conversion needs pins unique by offset and direction on each object.
        mv "$work/modes/design.nets" "$work/modes/generated.nets"
        "$(dirname "$gen")/bookshelf_unique_pins" "$work/modes/design.nodes" "$work/modes/generated.nets" \
            "$work/modes/design.nets" >/dev/null
        "$gen" --seed 3 --grid 20 20 --layers 6 --nets 400 --out "$work/modes/small.gr"
        read -r c_o m_o < <(run_modes "$old" old) || true
        [ -n "${m_o:-}" ] || exit 1
        read -r c_n m_n < <(run_modes "$new" new) || true
        [ -n "${m_n:-}" ] || exit 1
        same=yes differ=''
        for f in regular.result regular.result.ofinfo fast.result fast.result.ofinfo legal.pl place.pl \
                 twopin.txt conv.lef conv.def conv.aux hpwl.out fastispd.result fastispd.result.ofinfo \
                 regular3d.result regular3d.result.ofinfo; do
            cmp -s "$work/old_modes/$f" "$work/new_modes/$f" || { same=no; differ="$differ $f"; }
        done
        echo "design=modes cells=$cells cpu_old=${c_o}s cpu_new=${c_n}s" \
             "cpu_ratio=$(echo "scale=3; $c_n / $c_o" | bc)" \
             "mem_old=$((m_o / 1024))MB mem_new=$((m_n / 1024))MB identical=$same${differ:+ differ:$differ}"
        continue
    fi
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
