#!/bin/sh
# Builds the libFuzzer targets of tests/fuzz (clang with the address and
# undefined-behaviour sanitizers, the "fuzz" preset) and runs each one for
# SECONDS seconds, starting from its seed corpus in tests/fuzz/corpus/.
#
#   scripts/fuzz.sh                 5 seconds per target, as scripts/test.sh runs it
#   scripts/fuzz.sh 600             a longer run: ten minutes per target
#   scripts/fuzz.sh 600 ini_fuzzer  only the targets named
#
# Inputs that reach new code are kept in <build>/corpus/<target>, where the
# next run starts from them. A target that fails leaves the input that made
# it fail in <build>/artifacts/<target>/ and makes the script fail; run the
# target on that file to see the failure again. Each target's number of
# executions is printed at the end.
#
# Environment: QB_FUZZ_BUILD_DIR (default build/fuzz), QB_FUZZ_JOBS (targets
# run at once, default 1), QB_FUZZ_TMPDIR (where the INI, registry and AVOLE
# targets keep their files; default /dev/shm).
set -eu
cd "$(dirname "$0")/.."

SECONDS_EACH=${1:-5}
if [ $# -gt 0 ]; then shift; fi
ALL="scanner_fuzzer index_fuzzer cp932_fuzzer ini_fuzzer registry_fuzzer dispatch_fuzzer"
TARGETS=${*:-$ALL}
BUILD=${QB_FUZZ_BUILD_DIR:-build/fuzz}
JOBS=${QB_FUZZ_JOBS:-1}

./scripts/install-deps.sh
cmake --preset fuzz -B "$BUILD" >/dev/null
# shellcheck disable=SC2086
cmake --build "$BUILD" --target $TARGETS

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"

# Runs one target; its log goes to <build>/logs/<target>.log.
run() {
  target=$1
  mkdir -p "$BUILD/corpus/$target" "$BUILD/artifacts/$target" "$BUILD/logs"
  "$BUILD/bin/$target" -max_total_time="$SECONDS_EACH" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$BUILD/artifacts/$target/" \
    "$BUILD/corpus/$target" "tests/fuzz/corpus/$target" >"$BUILD/logs/$target.log" 2>&1
}

failed=""
running=0
pids=""
for target in $TARGETS; do
  run "$target" &
  pids="$pids $!:$target"
  running=$((running + 1))
  if [ "$running" -ge "$JOBS" ]; then
    for entry in $pids; do
      wait "${entry%%:*}" || failed="$failed ${entry#*:}"
    done
    pids=""
    running=0
  fi
done
for entry in $pids; do
  wait "${entry%%:*}" || failed="$failed ${entry#*:}"
done

for target in $TARGETS; do
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$BUILD/logs/$target.log")
  printf '%-18s %12s executions in %ss\n' "$target" "${runs:-?}" "$SECONDS_EACH"
done
if [ -n "$failed" ]; then
  for target in $failed; do
    echo "fuzz: $target failed; the end of $BUILD/logs/$target.log:" >&2
    tail -n 40 "$BUILD/logs/$target.log" >&2
  done
  exit 1
fi
