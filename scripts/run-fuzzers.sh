#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for the given seconds, two at a
# time, some seeded with the intro's own asset of their kind, the song reader
# with small generated modules, and each with the dictionary beside its
# source (fuzz/<reader>/*.dict) when there is one. Fails when a target finds
# anything, printing what it found and the input as base64; prints the edges
# each target covered.
#   scripts/run-fuzzers.sh <fuzz build dir> <seconds>
set -euo pipefail
build=${1:?fuzz build directory}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mapfile -t targets < <(find "$build/fuzz" -type f -executable \( -name 'fuzz_*' -o -name '*_fuzz' \) | sort)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets built in $build" >&2
  exit 1
fi

run_one() {
  local target=$1 name corpus seeds dict
  name=$(basename "$target")
  corpus="$work/$name"
  seeds="$work/$name-seeds"
  mkdir -p "$corpus" "$seeds"
  # The intro's own asset of that kind is the seed where it is small; the
  # picture and the song would slow every run down to a few inputs a second,
  # so the song reader starts from small modules of each format instead.
  case $name in
    fuzz_font_strip) cp "$root/assets/font.tga" "$seeds/" ;;
    fuzz_mesh_reader) cp "$root/assets/mesh.3ds" "$seeds/" ;;
    module_reader_fuzz) "$build/tools/song/gen_module_seeds" "$seeds" ;;
  esac
  local args=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/$name-")
  dict=$(find "$root/fuzz/$(basename "$(dirname "$target")")" -maxdepth 1 -name '*.dict' | head -1)
  if [ -n "$dict" ]; then
    args+=(-dict="$dict")
  fi
  if "$target" "${args[@]}" "$corpus" "$seeds" >"$work/$name.log" 2>&1; then
    local runs edges
    runs=$(grep -m1 'stat::number_of_executed_units' "$work/$name.log" | awk '{print $2}')
    edges=$(grep -o 'cov: [0-9]*' "$work/$name.log" | tail -1 | awk '{print $2}')
    echo "$name: $runs executions, $edges edges covered, nothing found"
  else
    echo "$name: FAILED" >&2
    tail -40 "$work/$name.log" >&2
    # The input goes with the report, so that a run on another machine can
    # be reproduced from its log alone (base64 -d > input; target input).
    local found
    for found in "$work/$name-"*; do
      [ -f "$found" ] || continue
      echo "$(basename "$found") as base64:" >&2
      base64 -w 100 "$found" >&2
    done
    return 1
  fi
}

status=0
pids=()
for target in "${targets[@]}"; do
  run_one "$target" & pids+=($!)
  if [ ${#pids[@]} -ge 2 ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
exit $status
