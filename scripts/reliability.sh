#!/usr/bin/env bash
# reliability.sh - sanitizer builds, fault sweep, camera-table model test, fuzzing, the Octave suite
# under AddressSanitizer and a short soak.  Prints one summary line per step; exits 1 if any failed.
#
# Environment: QORIN_FUZZ_SECONDS (default 75), QORIN_SOAK_N (default 500), QORIN_JOBS (default 2),
# QORIN_TSAN_ROUNDS (default 20), QORIN_RELIABILITY_STEPS (default "sweep model replay peaks fuzz
# tsan octave-asan soak").
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
FUZZ_SECONDS="${QORIN_FUZZ_SECONDS:-75}"
SOAK_N="${QORIN_SOAK_N:-500}"
TSAN_ROUNDS="${QORIN_TSAN_ROUNDS:-20}"
ALL_STEPS="sweep model replay peaks fuzz tsan octave-asan soak"
NATIVE_DIR="$ROOT/build-native"
FUZZ_DIR="$ROOT/build-fuzz"
TSAN_DIR="$ROOT/build-tsan"
ASAN_DIR="$ROOT/build-asan"
SOAK_DIR="$ROOT/build-soak"
LOG_DIR="${QORIN_RELIABILITY_LOGS:-$ROOT/build-reliability-logs}"

# --- tools -------------------------------------------------------------------------------------
source "$ROOT/scripts/packages.sh"
source "$ROOT/scripts/steps.sh"
qorin_require_packages reliability clang libclang-rt-14-dev llvm "${QORIN_BUILD_PACKAGES[@]}" g++ libgtest-dev \
  libgmock-dev octave liboctave-dev || exit 1

step_line() { printf 'reliability: %-12s %-4s %s\n' "$1" "${2/PASS/OK}" "$4"; }
qorin_steps_begin step_line "$LOG_DIR" "$ALL_STEPS" "${QORIN_RELIABILITY_STEPS:-$ALL_STEPS}" || exit 1

OCTAVE=(octave-cli --no-gui --no-window-system --no-history --norc --quiet)
# Allocations the module refuses on purpose (absurd sizes) must come back as null, not abort.
export ASAN_OPTIONS="allocator_may_return_null=1:detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
NATIVE_CMAKE=(-S "$ROOT/tests/native" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
              -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQORIN_SANITIZE=address,undefined)
SANITIZER_FAULTS='ERROR|runtime error'

# in_scratch <command...>: runs the command in a new empty folder, removed afterwards.
in_scratch() {
  local scratch status
  scratch="$(mktemp -d)" || return 1
  (cd "$scratch" && "$@")
  status=$?
  rm -rf "$scratch"
  return $status
}

# libFuzzer for FUZZ_SECONDS over a copy of the corpus; a crash input is kept in the log folder.
fuzz_run() {
  mkdir corpus && cp "$ROOT"/tests/fuzz/corpus/* corpus/ || return 1
  "$FUZZ_DIR/fuzz_calls" -max_total_time="$FUZZ_SECONDS" -rss_limit_mb=4096 -malloc_limit_mb=2048 \
    -max_len=1024 -timeout=20 -print_final_stats=1 -artifact_prefix="$LOG_DIR/" corpus >fuzz.out 2>&1
  local status=$? runs cov
  cat fuzz.out
  if ((status != 0)); then
    echo "---- the fault:"
    grep -A30 -E "$SANITIZER_FAULTS|fuzz_calls:" fuzz.out | head -60
    echo "libFuzzer: crash input in $LOG_DIR (crash-*)"
    return 1
  fi
  runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' fuzz.out | grep -o '[0-9]*$')"
  cov="$(grep -o 'cov: [0-9]*' fuzz.out | tail -1)"
  echo "libFuzzer: ${runs:-?} executions in $FUZZ_SECONDS s, ${cov:-cov ?}"
}

# Every tests/octave file in Octave with the ASan runtime preloaded, each with its own log.  The
# tests of figures with controls run as ctest runs them (tests/CMakeLists.txt names them): in
# `octave --no-gui` under Xvfb, the runtime preloaded into Octave alone.
octave_asan_suite() {
  local runtime test_file name log passed=0 failed=() figures run
  runtime="$(g++ -print-file-name=libasan.so)"
  figures=" $(sed -n 's/^set(QORIN_OCTAVE_FIGURE_TESTS \(.*\))$/\1/p' "$ROOT/tests/CMakeLists.txt") "
  for test_file in "$ROOT"/tests/octave/test_*.m; do
    name="$(basename "$test_file" .m)"
    log="$LOG_DIR/octave-asan-$name.log"
    run=(env LD_PRELOAD="$runtime" "${OCTAVE[@]}")
    [[ $figures == *" $name "* ]] &&
      run=(xvfb-run -a -s "-screen 0 1600x1200x24" env LD_PRELOAD="$runtime" octave --no-gui --no-history --norc --quiet)
    # Octave's own allocations are not ours to judge: no leak detection, and mismatched
    # new/delete pairs inside the interpreter are not reported.
    ASAN_OPTIONS="detect_leaks=0:allocator_may_return_null=1:alloc_dealloc_mismatch=0:new_delete_type_mismatch=0:detect_odr_violation=0:abort_on_error=1" \
      timeout 900 "${run[@]}" --eval "addpath('$ASAN_DIR/mex'); addpath('$ROOT/tests/octave'); exit(qorin_run_test('$test_file'))" \
      >"$log" 2>&1
    if [[ $? -eq 0 ]] && ! grep -qE 'ERROR: AddressSanitizer|runtime error:' "$log"; then
      passed=$((passed + 1))
    else
      failed+=("$name")
      grep -E -A25 'ERROR: AddressSanitizer|runtime error:|FAIL|!!!!!' "$log" | head -40
    fi
  done
  if ((${#failed[@]})); then
    echo "octave suite: $passed test files passed, failed: ${failed[*]} (logs in $LOG_DIR)"
    return 1
  fi
  echo "octave suite: $passed test files passed under ASan+UBSan"
}

# --- native harnesses under AddressSanitizer + UndefinedBehaviorSanitizer ------------------------
if qorin_wants sweep model replay peaks &&
   qorin_build native-build "$NATIVE_DIR" "fault_sweep camera_table_model fuzz_replay capture_peaks" "${NATIVE_CMAKE[@]}"; then
  qorin_wants sweep && qorin_step --show "^FAIL|$SANITIZER_FAULTS" sweep '^fault sweep: ' "$NATIVE_DIR/fault_sweep"
  qorin_wants model && qorin_step model '^camera table model: ' "$NATIVE_DIR/camera_table_model" 20240611 300 250
  qorin_wants replay && qorin_step replay '^fuzz replay: ' in_scratch "$NATIVE_DIR/fuzz_replay" "$ROOT/tests/fuzz/corpus"
  qorin_wants peaks && qorin_step --show "FAIL|$SANITIZER_FAULTS" peaks '^capture peaks: ' "$NATIVE_DIR/capture_peaks"
fi

# --- libFuzzer, bounded ------------------------------------------------------------------------
if qorin_wants fuzz && qorin_build fuzz-build "$FUZZ_DIR" fuzz_calls "${NATIVE_CMAKE[@]}" -DQORIN_FUZZ=ON; then
  qorin_step fuzz '^libFuzzer: ' in_scratch fuzz_run
fi

# --- ThreadSanitizer: two recordings' workers and writer against MATLAB's thread -----------------
# The module, the host double and the simulator all instrumented; the first report ends the run.
# Built with Clang's thread-safety analysis as errors: what a lock or an SDK turn guards
# (platform/thread_safety.h) is touched only under it.
if qorin_wants tsan &&
   qorin_build tsan-build "$TSAN_DIR" recording_session -S "$ROOT/tests/native" -DCMAKE_C_COMPILER=clang \
     -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQORIN_SANITIZE=thread \
     -DCMAKE_CXX_FLAGS="-Wthread-safety -Werror"; then
  TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" qorin_step --show "^FAIL|ThreadSanitizer|^ +#[0-9]" \
    tsan '^recording session: ' in_scratch "$TSAN_DIR/recording_session" "$TSAN_ROUNDS"
fi

# --- the Octave suite with the module and simulator under ASan + UBSan ---------------------------
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
if qorin_wants octave-asan &&
   qorin_build asan-build "$ASAN_DIR" "qorincam qorinsim" -S "$ROOT" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
     -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" \
     -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
     -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=address,undefined"; then
  qorin_step octave-asan '^octave suite: ' octave_asan_suite
fi

# --- soak: resident memory over many captures and errors (plain build: ASan's quarantine would
# hide or fake growth) ---------------------------------------------------------------------------
if qorin_wants soak && qorin_build soak-build "$SOAK_DIR" "qorincam qorinsim" -S "$ROOT" -DCMAKE_BUILD_TYPE=RelWithDebInfo; then
  QORIN_SOAK_N="$SOAK_N" qorin_step soak '^soak: resident memory' timeout 1800 "${OCTAVE[@]}" \
    --eval "addpath('$SOAK_DIR/mex'); addpath('$ROOT/tests/octave'); addpath('$ROOT/tests/soak'); soak"
fi

echo "----"
printf '%s\n' "${QORIN_STEP_LINES[@]}"
if qorin_steps_failed; then
  echo "reliability: FAILED"
  exit 1
fi
echo "reliability: all steps passed"
