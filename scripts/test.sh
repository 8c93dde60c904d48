#!/usr/bin/env bash
# test.sh - sets up the machine, builds everything and runs every test: the Windows cross-compile,
# the Windows build under Wine, the reliability harnesses (sanitizers, fault sweep, model test,
# fuzzing, soak) and, last, the unit and Octave integration tests through ctest.
#
#   QORIN_QUICK=1 bash scripts/test.sh   # only the ctest suite
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${QORIN_BUILD_DIR:-$ROOT/build}"

bash "$ROOT/scripts/setup.sh"

status=0
if [[ -z "${QORIN_QUICK:-}" ]]; then
  bash "$ROOT/scripts/cross_windows.sh" || status=1
  bash "$ROOT/scripts/windows_tests.sh" || status=1
  bash "$ROOT/scripts/reliability.sh" || status=1
fi

cd "$BUILD_DIR"
ctest --output-on-failure -j"$(nproc)" || status=1
exit $status
