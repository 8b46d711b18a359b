#!/usr/bin/env bash
# Routes the bundled example benchmark with the bundled .set file inside a work
# folder holding the FLUTE tables, then says where the result went.
set -euo pipefail
build=$1; work=$2; example=$3; setfile=$4
mkdir -p "$work"
bin=$(cd "$build" && pwd)/Tarvex
if [ ! -f "$example" ]; then
  "$bin" || true
  exit 0
fi
result=$(cd "$work" && pwd)/example.result
(cd "$work" && "$bin" REGULAR_ISPD "$(cd - >/dev/null && realpath "$example")" "$(cd - >/dev/null && realpath "$setfile")" "$result")
echo "Routing result written to $result"
