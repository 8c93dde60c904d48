#!/usr/bin/env bash
# reliability.sh - sanitizer builds, fault sweep, camera-table model test, fuzzing, the Octave suite
# under AddressSanitizer and a short soak.  Prints one summary line per step; exits 1 if any failed.
#
# Environment: QORIN_FUZZ_SECONDS (default 75), QORIN_SOAK_N (default 500), QORIN_JOBS (default 2),
# QORIN_RELIABILITY_STEPS (default "sweep model replay peaks fuzz octave-asan soak").
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${QORIN_JOBS:-2}"
FUZZ_SECONDS="${QORIN_FUZZ_SECONDS:-75}"
SOAK_N="${QORIN_SOAK_N:-500}"
STEPS="${QORIN_RELIABILITY_STEPS:-sweep model replay peaks fuzz octave-asan soak}"
NATIVE_DIR="$ROOT/build-native"
FUZZ_DIR="$ROOT/build-fuzz"
ASAN_DIR="$ROOT/build-asan"
SOAK_DIR="$ROOT/build-soak"
LOG_DIR="${QORIN_RELIABILITY_LOGS:-$ROOT/build-reliability-logs}"
mkdir -p "$LOG_DIR"

declare -a SUMMARY=()
FAILED=0
record() {  # step, status, detail
  SUMMARY+=("$(printf 'reliability: %-12s %-4s %s' "$1" "$2" "$3")")
  [[ "$2" == "OK" ]] || FAILED=1
  echo "${SUMMARY[-1]}"
}
wants() { [[ " $STEPS " == *" $1 "* ]]; }

# --- tools -------------------------------------------------------------------------------------
source "$ROOT/scripts/packages.sh"
source "$ROOT/scripts/cmake_build.sh"
qorin_require_packages reliability clang libclang-rt-14-dev llvm "${QORIN_BUILD_PACKAGES[@]}" g++ libgtest-dev \
  libgmock-dev octave liboctave-dev || exit 1

OCTAVE=(octave-cli --no-gui --no-window-system --no-history --norc --quiet)
# Allocations the module refuses on purpose (absurd sizes) must come back as null, not abort.
NATIVE_ASAN="allocator_may_return_null=1:detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

build() {  # dir, log name, cmake arguments... ; the targets come from BUILD_TARGETS
  local dir="$1" log="$2"
  shift 2
  qorin_cmake_configure "$dir" "$@" >"$LOG_DIR/$log-configure.log" 2>&1 &&
    cmake --build "$dir" -j"$JOBS" --target "${BUILD_TARGETS[@]}" >"$LOG_DIR/$log-build.log" 2>&1
}

# run_step <step> <summary prefix> <failure pattern> <command...>: runs the command with its output
# in $LOG_DIR/<step>.log and records the step, which passes on exit 0.  The summary is the log's
# last line that starts with the prefix (with no prefix, its last line): recorded less the prefix
# when the step passes, whole when it fails.  A failure first shows the log's lines that match the
# failure pattern (grep -E), or with no pattern the log's last lines.
run_step() {
  local step="$1" prefix="$2" pattern="$3"
  shift 3
  local log="$LOG_DIR/$step.log" status line
  "$@" >"$log" 2>&1
  status=$?
  if [[ -n "$prefix" ]]; then
    line="$(awk -v prefix="$prefix" 'index($0, prefix) == 1 { last = $0 } END { print last }' "$log")"
  else
    line="$(tail -1 "$log")"
  fi
  if ((status == 0)); then
    record "$step" OK "${line#"$prefix"}"
    return
  fi
  if [[ -n "$pattern" ]]; then grep -E "$pattern" "$log" | head -30; else tail -30 "$log"; fi
  # Only a step's own summary line says what failed; a program killed by a signal crashed.
  [[ -n "$prefix" ]] || line=""
  ((status > 128)) && line="${line:-crashed, see $log}"
  record "$step" FAIL "${line:-see $log}"
}
# in_scratch <command...>: runs the command in a new empty folder, removed afterwards.
in_scratch() {
  local scratch status
  scratch="$(mktemp -d)" || return 1
  (cd "$scratch" && "$@")
  status=$?
  rm -rf "$scratch"
  return $status
}

# --- native harnesses under AddressSanitizer + UndefinedBehaviorSanitizer ------------------------
if wants sweep || wants model || wants replay || wants peaks; then
  BUILD_TARGETS=(fault_sweep camera_table_model fuzz_replay capture_peaks)
  if build "$NATIVE_DIR" native -S "$ROOT/tests/native" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
       -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQORIN_SANITIZE=address,undefined; then
    wants sweep && ASAN_OPTIONS="$NATIVE_ASAN" run_step sweep 'fault sweep: ' '^FAIL|ERROR|runtime error' \
      "$NATIVE_DIR/fault_sweep"
    wants model && ASAN_OPTIONS="$NATIVE_ASAN" run_step model 'camera table model: ' '' \
      "$NATIVE_DIR/camera_table_model" 20240611 300 250
    wants replay && ASAN_OPTIONS="$NATIVE_ASAN" run_step replay '' '' \
      in_scratch "$NATIVE_DIR/fuzz_replay" "$ROOT/tests/fuzz/corpus"
    wants peaks && ASAN_OPTIONS="$NATIVE_ASAN" run_step peaks 'capture peaks: ' 'FAIL|ERROR|runtime error' \
      "$NATIVE_DIR/capture_peaks"
  else
    tail -30 "$LOG_DIR/native-build.log" 2>/dev/null
    record native FAIL "build failed, see $LOG_DIR/native-build.log"
  fi
fi

# --- libFuzzer, bounded ------------------------------------------------------------------------
if wants fuzz; then
  BUILD_TARGETS=(fuzz_calls)
  if build "$FUZZ_DIR" fuzz -S "$ROOT/tests/native" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
       -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQORIN_SANITIZE=address,undefined -DQORIN_FUZZ=ON; then
    work="$(mktemp -d)"
    mkdir -p "$work/corpus" && cp "$ROOT"/tests/fuzz/corpus/* "$work/corpus/"
    (cd "$work" && ASAN_OPTIONS="$NATIVE_ASAN" "$FUZZ_DIR/fuzz_calls" -max_total_time="$FUZZ_SECONDS" \
       -rss_limit_mb=4096 -malloc_limit_mb=2048 -max_len=1024 -timeout=20 -print_final_stats=1 \
       -artifact_prefix="$LOG_DIR/" corpus) >"$LOG_DIR/fuzz.log" 2>&1
    status=$?
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$LOG_DIR/fuzz.log" | grep -o '[0-9]*$')"
    cov="$(grep -o 'cov: [0-9]*' "$LOG_DIR/fuzz.log" | tail -1)"
    rm -rf "$work"
    [[ $status -eq 0 ]] && record fuzz OK "${runs:-?} executions in ${FUZZ_SECONDS} s, ${cov:-cov ?}" ||
      { grep -A30 -E 'ERROR|runtime error|fuzz_calls:' "$LOG_DIR/fuzz.log" | head -60; record fuzz FAIL "crash input in $LOG_DIR (crash-*)"; }
  else
    tail -30 "$LOG_DIR/fuzz-build.log" 2>/dev/null
    record fuzz FAIL "build failed, see $LOG_DIR/fuzz-build.log"
  fi
fi

# --- the Octave suite with the module and simulator under ASan + UBSan ---------------------------
if wants octave-asan; then
  BUILD_TARGETS=(qorincam qorinsim)
  flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
  if build "$ASAN_DIR" octave-asan -S "$ROOT" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=gcc \
       -DCMAKE_CXX_COMPILER=g++ -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" \
       -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
       -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=address,undefined"; then
    runtime="$(g++ -print-file-name=libasan.so)"
    passed=0
    failed=()
    for test_file in "$ROOT"/tests/octave/test_*.m; do
      name="$(basename "$test_file" .m)"
      # Octave's own allocations are not ours to judge: no leak detection, and mismatched
      # new/delete pairs inside the interpreter are not reported.
      LD_PRELOAD="$runtime" \
        ASAN_OPTIONS="detect_leaks=0:allocator_may_return_null=1:alloc_dealloc_mismatch=0:new_delete_type_mismatch=0:detect_odr_violation=0:abort_on_error=1" \
        timeout 900 "${OCTAVE[@]}" --eval "addpath('$ASAN_DIR/mex'); addpath('$ROOT/tests/octave'); exit(qorin_run_test('$test_file'))" \
        >"$LOG_DIR/octave-asan-$name.log" 2>&1
      if [[ $? -eq 0 ]] && ! grep -qE 'ERROR: AddressSanitizer|runtime error:' "$LOG_DIR/octave-asan-$name.log"; then
        passed=$((passed + 1))
      else
        failed+=("$name")
        grep -E -A25 'ERROR: AddressSanitizer|runtime error:|FAIL|!!!!!' "$LOG_DIR/octave-asan-$name.log" | head -40
      fi
    done
    ((${#failed[@]} == 0)) && record octave-asan OK "$passed test files passed under ASan+UBSan" ||
      record octave-asan FAIL "$passed passed, failed: ${failed[*]} (logs in $LOG_DIR)"
  else
    tail -30 "$LOG_DIR/octave-asan-build.log" 2>/dev/null
    record octave-asan FAIL "build failed, see $LOG_DIR/octave-asan-build.log"
  fi
fi

# --- soak: resident memory over many captures and errors (plain build: ASan's quarantine would
# hide or fake growth) ---------------------------------------------------------------------------
if wants soak; then
  BUILD_TARGETS=(qorincam qorinsim)
  if build "$SOAK_DIR" soak -S "$ROOT" -DCMAKE_BUILD_TYPE=RelWithDebInfo; then
    QORIN_SOAK_N="$SOAK_N" timeout 1800 "${OCTAVE[@]}" \
      --eval "addpath('$SOAK_DIR/mex'); addpath('$ROOT/tests/octave'); addpath('$ROOT/tests/soak'); soak" \
      >"$LOG_DIR/soak.log" 2>&1
    status=$?
    cat "$LOG_DIR/soak.log"
    growth="$(grep -o 'growth -\?[0-9]* kB' "$LOG_DIR/soak.log")"
    [[ $status -eq 0 ]] && record soak OK "N=$SOAK_N, RSS ${growth:-?}" || record soak FAIL "see $LOG_DIR/soak.log"
  else
    tail -30 "$LOG_DIR/soak-build.log" 2>/dev/null
    record soak FAIL "build failed, see $LOG_DIR/soak-build.log"
  fi
fi

echo "----"
printf '%s\n' "${SUMMARY[@]}"
if ((FAILED)); then
  echo "reliability: FAILED"
  exit 1
fi
echo "reliability: all steps passed"
