#!/usr/bin/env bash
# Routes the bundled example benchmark with the bundled .set file inside the
# build's work folder, which holds the FLUTE tables, then says where the result went.
# usage: tools/run_example.sh <build dir> <work dir> <benchmark> <.set file>
set -euo pipefail
bin=$(realpath "$1")/Tarvex
work=$2
example=$(realpath "$3")
setfile=$(realpath "$4")
mkdir -p "$work"
work=$(realpath "$work")
result=$work/example.result
(cd "$work" && "$bin" REGULAR_ISPD "$example" "$setfile" "$result")
echo
echo "Routing result written to $result"
[ -f "$result.ofinfo" ] && echo "Overflow report written to $result.ofinfo"
exit 0
