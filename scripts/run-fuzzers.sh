#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for the given seconds, two at a
# time, some seeded with the intro's own asset of their kind. Fails when a target finds anything.
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
  local target=$1 name corpus seeds
  name=$(basename "$target")
  corpus="$work/$name"
  mkdir -p "$corpus"
  # The intro's own asset of that kind is the seed where it is small; the
  # picture and the song would slow every run down to a few inputs a second.
  local seed=""
  case $name in
    fuzz_font_strip) seed=font.tga ;;
    fuzz_mesh_reader) seed=mesh.3ds ;;
  esac
  local args=("$corpus")
  if [ -n "$seed" ]; then
    seeds="$work/$name-seeds"
    mkdir -p "$seeds"
    cp "$root/assets/$seed" "$seeds/"
    args+=("$seeds")
  fi
  if "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/$name-" "${args[@]}" \
      >"$work/$name.log" 2>&1; then
    echo "$name: $(grep -m1 'stat::number_of_executed_units' "$work/$name.log" | awk '{print $2}') executions, nothing found"
  else
    echo "$name: FAILED" >&2
    tail -40 "$work/$name.log" >&2
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
