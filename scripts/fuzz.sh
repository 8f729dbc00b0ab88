#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset) and runs each one in turn, niced, for
# SECONDS (default 60) or for N runs. New inputs a run finds are kept in
# build/fuzz/corpus-long/<target> and feed the next run; an input that breaks a target
# is kept in build/fuzz/artifacts/ and the target's log in build/fuzz/logs/.
#
#   scripts/fuzz.sh [SECONDS | --runs N] [TARGET...]
#
# FUZZ_FLAGS adds libFuzzer options, e.g. FUZZ_FLAGS=-max_total_time=600 with --runs.
# Ends with one line "fuzz: N runs, M crashes"; exits 1 when anything crashed.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=(-max_total_time=60)
if [ "${1:-}" = "--runs" ]; then
  limit=(-runs="${2:?--runs needs a number}")
  shift 2
elif [ -n "${1:-}" ] && [[ "$1" =~ ^[0-9]+$ ]]; then
  limit=(-max_total_time="$1")
  shift
fi
all=(reg_file scenario compile_list check_interval append_caption)
targets=("$@")
[ "${#targets[@]}" -gt 0 ] || targets=("${all[@]}")
for t in "${targets[@]}"; do
  [ -d "fuzz/corpus/$t" ] || { echo "fuzz: no target '$t' (${all[*]})" >&2; exit 2; }
done

scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${FUZZ_BUILD_JOBS:-2}"

# Shorter allocation stacks and a smaller quarantine: about a quarter more runs a
# second; reproduce a crash with the defaults for the fuller report.
export ASAN_OPTIONS="${ASAN_OPTIONS:-malloc_context_size=4:quarantine_size_mb=32}"
out=build/fuzz
mkdir -p "$out/artifacts" "$out/logs"
total=0
crashes=0
for t in "${targets[@]}"; do
  work="$out/corpus-long/$t"
  log="$out/logs/$t.log"
  mkdir -p "$work"
  start=$(date +%s)
  rc=0
  # Longer inputs than these find nothing new and only slow each run down.
  case "$t" in
    reg_file | scenario) max_len=512 ;;
    check_interval) max_len=64 ;;
    *) max_len=256 ;;
  esac
  # shellcheck disable=SC2086 # FUZZ_FLAGS is a list of options
  nice -n 10 "$out/fuzz/fuzz_$t" "${limit[@]}" ${FUZZ_FLAGS:-} -max_len=$max_len -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$out/artifacts/$t-" "$work" "fuzz/corpus/$t" >"$log" 2>&1 || rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  [ -n "$runs" ] || runs=$(grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#')
  runs=${runs:-0}
  total=$((total + runs))
  if [ "$rc" -eq 72 ]; then  # libFuzzer's exit code when interrupted (Ctrl+C)
    echo "fuzz: $t: $runs runs, interrupted after $(($(date +%s) - start)) s"
    break
  elif [ "$rc" -ne 0 ]; then
    crashes=$((crashes + 1))
    echo "fuzz: $t: $runs runs, CRASHED after $(($(date +%s) - start)) s (log $log)"
    grep -E '^\*\*\* property broken|^SUMMARY|^==[0-9]+==ERROR|Test unit written' "$log" | sed 's/^/  /' || true
  else
    echo "fuzz: $t: $runs runs in $(($(date +%s) - start)) s"
  fi
done
echo "fuzz: $total runs, $crashes crashes"
[ "$crashes" -eq 0 ]
