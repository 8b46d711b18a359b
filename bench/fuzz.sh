#!/bin/bash
# Coverage-guided fuzzing of every reader harness in tests/fuzz with libFuzzer
# (clang, AddressSanitizer and UndefinedBehaviorSanitizer). Each harness runs for
# the given time on the given number of cores, starting from its seed and
# regression corpora; afterwards one line per harness gives the executions and
# the findings (crashes, timeouts, out-of-memory), whose reproducers are left in
# the harness's artifacts folder. A reproducer, once its fault is mended, goes
# into tests/fuzz/regress/<reader>/ so that `make test` replays it.
#
#   bench/fuzz.sh [seconds per harness] [cores per harness] [reader ...]
#
# Readers are the NAME parts of tests/fuzz/fuzz_NAME.cpp (default: all).
# Environment: FUZZ_BUILD the clang build folder (default build-fuzz),
# FUZZ_WORK the working corpora and artifacts (default FUZZ_BUILD/work),
# FUZZ_TIMEOUT seconds one input may take (default 10), FUZZ_RSS_MB the memory
# limit of one run (default 2048).
set -euo pipefail

SRC="$(cd "$(dirname "$0")/.." && pwd)"
SECS="${1:-60}"
CORES="${2:-2}"
shift $(( $# < 2 ? $# : 2 ))
BUILD="${FUZZ_BUILD:-$SRC/build-fuzz}"
WORK="${FUZZ_WORK:-$BUILD/work}"
TIMEOUT="${FUZZ_TIMEOUT:-10}"
RSS="${FUZZ_RSS_MB:-2048}"

if ! command -v clang++ >/dev/null; then
    echo "fuzz.sh: clang++ is needed (apt-get install clang)" >&2
    exit 1
fi

readers=("$@")
if [ ${#readers[@]} -eq 0 ]; then
    for f in "$SRC"/tests/fuzz/fuzz_*.cpp; do
        n="$(basename "$f" .cpp)"
        readers+=("${n#fuzz_}")
    done
fi

CC=clang CXX=clang++ cmake -S "$SRC" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARVEX_BUILD_TESTS=OFF -DTARVEX_FUZZ=ON >/dev/null
targets=()
for r in "${readers[@]}"; do targets+=("fuzz_$r"); done
cmake --build "$BUILD" -j "$CORES" --target "${targets[@]}" >/dev/null

summary=()
for r in "${readers[@]}"; do
    dir="$WORK/$r"
    mkdir -p "$dir/corpus" "$dir/artifacts"
    seeds=()
    for kind in corpus regress; do
        [ -d "$SRC/tests/fuzz/$kind/$r" ] && seeds+=("$SRC/tests/fuzz/$kind/$r")
    done
    log="$dir/fuzz.log"
    stamp="$dir/.started"
    touch "$stamp"
    # Readers print progress on standard output: closed (-close_fd_mask=1).
    (cd "$dir" && "$BUILD/fuzz/fuzz_$r" -fork="$CORES" -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
        -max_total_time="$SECS" -timeout="$TIMEOUT" -rss_limit_mb="$RSS" -close_fd_mask=1 \
        -artifact_prefix="$dir/artifacts/" "$dir/corpus" "${seeds[@]}" >"$log" 2>&1) || true
    execs=$(grep -aoE '^#[0-9]+' "$log" | tail -1 | tr -d '#')
    found=$(find "$dir/artifacts" -type f -newer "$stamp" | wc -l)
    kinds=$(find "$dir/artifacts" -type f -newer "$stamp" | sed 's|.*/||; s|-.*||' | sort | uniq -c |
        awk '{printf "%s%s %s", (NR > 1 ? ", " : ""), $1, $2}')
    corpus=$(find "$dir/corpus" -type f | wc -l)
    summary+=("$r: ${execs:-0} executions in ${SECS} s on ${CORES} cores, corpus ${corpus} inputs, findings ${found}${kinds:+ (${kinds})}; log $log")
done
printf '%s\n' "${summary[@]}"
