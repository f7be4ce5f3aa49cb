#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time each, starting from
# the committed seed inputs in fuzz/corpus/<name>/, and fails on the first
# target that finds a crash, a sanitizer report, a leak, a failed check or an
# input that runs longer than the per-input timeout.
#
#   fuzz/run.sh BUILD_DIR
#   KELVO_FUZZ_SECONDS  run time per target (default 60)
#   KELVO_FUZZ_SEED     libFuzzer's -seed (default 20261211; printed, so that
#                       a run can be repeated)
#
# Each target's full log is BUILD_DIR/fuzz/<name>.log; an input that failed is
# kept as BUILD_DIR/fuzz/crashes/<name>-crash-<sha1> (replay it with
# BUILD_DIR/fuzz/fuzz_<name> FILE). Inputs found along the way go to a scratch
# folder and are dropped, so every run starts from the same corpus.
set -euo pipefail

build=${1:?usage: fuzz/run.sh BUILD_DIR}
seconds=${KELVO_FUZZ_SECONDS:-60}
seed=${KELVO_FUZZ_SEED:-20261211}
source_dir=$(cd "$(dirname "$0")" && pwd)

shm=/dev/shm
[ -d "$shm" ] && [ -w "$shm" ] || shm=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$shm/kelvo-fuzz-run-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/fuzz/crashes"

targets=("$build"/fuzz/fuzz_*)
[ -x "${targets[0]}" ] || { echo "fuzz: no targets in $build/fuzz" >&2; exit 1; }
for target in "${targets[@]}"; do
  name=${target##*/fuzz_}
  log=$build/fuzz/$name.log
  mkdir -p "$scratch/corpus-$name"
  echo "fuzz_$name: ${seconds} s, -seed=$seed (KELVO_FUZZ_SEED=$seed repeats it)"
  if ! KELVO_FUZZ_TMP=$scratch "$target" -seed="$seed" -max_total_time="$seconds" -timeout=20 \
      -print_final_stats=1 -artifact_prefix="$build/fuzz/crashes/$name-" \
      "$scratch/corpus-$name" "$source_dir/corpus/$name" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$name FAILED (seed $seed); full log: $log; input: $build/fuzz/crashes/" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
  echo "fuzz_$name: ok, $runs inputs, $rate per second, $cov"
done
