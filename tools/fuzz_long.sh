#!/usr/bin/env bash
# Long fuzzing sessions: runs each fuzz target of the sanitizer build for a
# number of minutes, one after the other, and prints for each what it did.
#
#   tools/fuzz_long.sh [minutes] [target...]
#
#   minutes   per target, 30 when not given
#   target    fuzz_console, fuzz_script, ... (or without the "fuzz_" prefix);
#             every target in fuzz/ when none is given
#
# The working corpus of a target grows from run to run outside the repository,
# in $GIFTGUARD_FUZZ_WORK/<target>/corpus (default ~/.cache/giftguard-fuzz); the
# seeds in fuzz/corpus/<target>/ are read, never written. Findings (crash-,
# leak-, timeout-, oom- and slow-unit- files) go to <target>/findings/ there,
# the fuzzer's output to <target>/last.log. A target stops at its first
# finding, as libFuzzer does; reproduce one with `build-sanitize/fuzz/<target>
# <file>`, fix it, and add the file to the seeds as a regression input.
#
# Environment:
#   GIFTGUARD_FUZZ_BUILD  the build folder (default build-sanitize); configured
#                         as tools/test.sh does when it is not yet, and the
#                         targets are built before they run
#   GIFTGUARD_FUZZ_JOBS   parallel build jobs (default 1)
#   GIFTGUARD_FUZZ_TIMEOUT  seconds one input may take before it counts as a
#                         hang (default 10)
#   GIFTGUARD_FUZZ_FORM   passed on: c, t or x pins the chunk form of
#                         fuzz_chunk and fuzz_toplist
#   FUZZ_IMG_ONLY         passed on: bmp or tga pins the reader of fuzz_img
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1

minutes=30
if [[ $# -gt 0 && $1 =~ ^[0-9]+$ ]]; then
  minutes=$1
  shift
fi
if [[ $minutes -lt 1 ]]; then
  echo "fuzz_long.sh: minutes must be at least 1" >&2
  exit 2
fi

targets=()
for t in "$@"; do
  t=${t#fuzz_}
  if [[ ! -f fuzz/fuzz_$t.cpp ]]; then
    echo "fuzz_long.sh: no target fuzz_$t (fuzz/fuzz_$t.cpp)" >&2
    exit 2
  fi
  targets+=("fuzz_$t")
done
if [[ ${#targets[@]} -eq 0 ]]; then
  for source in fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

build=${GIFTGUARD_FUZZ_BUILD:-build-sanitize}
[[ $build = /* ]] || build=$root/$build
work=${GIFTGUARD_FUZZ_WORK:-$HOME/.cache/giftguard-fuzz}
timeout=${GIFTGUARD_FUZZ_TIMEOUT:-10}

if ! command -v clang++ >/dev/null; then
  echo "fuzz_long.sh: the fuzz targets need clang" >&2
  exit 2
fi
if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S . -B "$build" -DGIFTGUARD_SANITIZE=ON -DGIFTGUARD_TESTS=ON -DGIFTGUARD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DGIFTGUARD_FUZZ=ON >/dev/null || exit 1
fi
cmake --build "$build" -j "${GIFTGUARD_FUZZ_JOBS:-1}" --target "${targets[@]}" >/dev/null || {
  echo "fuzz_long.sh: build failed; run: cmake --build $build --target ${targets[*]}" >&2
  exit 1
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tools/lsan.supp:print_suppressions=0}

# The value of "name: N" in a libFuzzer status line.
field() { sed -n "s/.* $1: \([0-9]*\).*/\1/p" <<<"$2"; }

status=0
printf '%-14s %8s %12s %8s %15s %9s  %s\n' target minutes executions exec/s coverage new-units findings
for target in "${targets[@]}"; do
  dir=$work/$target
  mkdir -p "$dir/corpus" "$dir/findings"
  log=$dir/last.log
  before=$(ls "$dir/findings" | wc -l)
  start=$(date +%s)
  "$build/fuzz/$target" -max_total_time=$((minutes * 60)) -timeout="$timeout" -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$dir/findings/" "$dir/corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1
  code=$?
  took=$((($(date +%s) - start + 30) / 60))

  inited=$(grep -m1 -E '\sINITED\s' "$log")
  last=$(grep -E '^#[0-9]+' "$log" | tail -n1)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  [[ -n $runs ]] || runs=$(sed -n 's/^#\([0-9]*\).*/\1/p' <<<"$last")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  added=$(sed -n 's/^stat::new_units_added: *//p' "$log")
  coverage="$(field cov "$inited")->$(field cov "$last")"
  found=$(($(ls "$dir/findings" | wc -l) - before))
  [[ $code -eq 0 && $found -eq 0 ]] || status=1
  printf '%-14s %8s %12s %8s %15s %9s  %s\n' "$target" "$took" "${runs:-?}" "${speed:-?}" "$coverage" "${added:-?}" \
    "$found$([[ $code -ne 0 ]] && echo " (exit $code, see $log)")"
  if [[ $found -gt 0 ]]; then
    ls -t "$dir/findings" | head -n "$found" | sed "s|^|    $dir/findings/|"
  fi
done
exit $status
