#!/usr/bin/env bash
# cross_windows.sh - compiles the module, the platform layer and the simulated SDK for 64-bit Windows with mingw-w64.
#
# The build is cmake/cross_windows (see there what it checks and why): every module, platform and
# simulator source compiled warning-free (-Werror) against the real Windows headers seen through a
# <windows.h> with MSVC's function-like min and max macros, and qorinapi.dll linked with MinGW's
# runtime inside it (it must import none of MinGW's DLLs).  On success it prints one line; on
# failure the lines of the build that say why, and exits 1.
# scripts/windows_tests.sh links and runs the whole Windows build.
#
#   bash scripts/cross_windows.sh            # as root when the toolchain is missing
#   QORIN_CROSS_DIR=/tmp/win bash scripts/cross_windows.sh
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="${QORIN_CROSS_DIR:-$ROOT/build-windows/cross}"

source "$ROOT/scripts/packages.sh"
source "$ROOT/scripts/steps.sh"
# liboctave-dev for the MEX headers the module includes.
qorin_require_packages cross_windows g++-mingw-w64-x86-64 liboctave-dev "${QORIN_BUILD_PACKAGES[@]}" || exit 1

# The build's own line on success; the fault and the log on failure.
step_line() {
  if [[ $2 == PASS ]]; then echo "$4"; else echo "cross_windows: FAILED, the Windows build has errors or warnings: $4"; fi
}
qorin_steps_begin step_line "$OUT/logs" "cross" "cross" || exit 1
qorin_step --show "$QORIN_BUILD_FAULTS" cross '^cross_windows: [0-9]+ module' \
  qorin_cmake_build "$OUT" "" -S "$ROOT/cmake/cross_windows" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/MingwW64.cmake" || exit 1
# No MinGW runtime DLL (libwinpthread-1, libstdc++-6, libgcc_s) among the DLL's imports.
imports="$(x86_64-w64-mingw32-objdump -p "$OUT/qorinapi.dll" | awk '/DLL Name:/ {print $3}' | tr '\n' ' ')"
if grep -qiE 'libwinpthread|libstdc\+\+|libgcc' <<<"$imports"; then
  echo "cross_windows: FAILED, qorinapi.dll needs MinGW's runtime DLLs: $imports"
  exit 1
fi
