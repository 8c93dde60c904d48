#!/usr/bin/env bash
# cross_windows.sh - compiles the module, the platform layer and the simulated SDK for 64-bit Windows with mingw-w64.
#
# The product runs inside MATLAB on Windows; this check makes the Windows code paths
# (CreateEventA, CloseHandle, GetForegroundWindow, the WS_* styles, __declspec, __stdcall)
# compile with the real Windows headers, warning-free, on a Linux CI machine.  The module is
# compiled against Octave's MEX headers; the simulated SDK is linked into qorinapi.dll, which
# also checks its exports.  scripts/windows_tests.sh links and runs the whole Windows build.
#
# Every source sees <windows.h> through a wrapper that defines min and max as function-like
# macros, as MSVC's headers do unless NOMINMAX is set (mingw-w64 defines them only for C, so
# without the wrapper this class of fault passes here and breaks the MSVC build).  Only the
# platform layer's .cpp files may include <windows.h>, after their standard headers.
#
#   bash scripts/cross_windows.sh            # as root when the toolchain is missing
#   QORIN_CROSS_DIR=/tmp/win bash scripts/cross_windows.sh
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="${QORIN_CROSS_DIR:-$ROOT/build-windows}"
CXX=x86_64-w64-mingw32-g++

source "$ROOT/scripts/packages.sh"
qorin_require_packages cross_windows g++-mingw-w64-x86-64 liboctave-dev || exit 1

# Octave's MEX headers (mex.h, mexproto.h): the only host headers the sources include.
MEX_INCLUDES=()
if command -v mkoctfile >/dev/null 2>&1; then
  for flag in $(mkoctfile -p INCFLAGS); do MEX_INCLUDES+=("-isystem" "${flag#-I}"); done
fi
if ((${#MEX_INCLUDES[@]} == 0)); then
  echo "cross_windows: mkoctfile not found; install liboctave-dev for the MEX headers" >&2
  exit 1
fi

# The <windows.h> of an MSVC build without NOMINMAX.
mkdir -p "$OUT/msvc-like-include"
cat > "$OUT/msvc-like-include/windows.h" <<'EOF_WINDOWS_H'
#include_next <windows.h>
#undef min
#undef max
#define min(a, b) (((a) < (b)) ? (a) : (b))
#define max(a, b) (((a) > (b)) ? (a) : (b))
EOF_WINDOWS_H

FLAGS=(-std=c++17 -O2 -Wall -Wextra -Werror -I"$OUT/msvc-like-include" -I"$ROOT" "${MEX_INCLUDES[@]}")

# A product's files from cmake/sources.txt, the list CMake and build_qorincam.m read: one line
# per file, the file followed by its own flags.
product_sources() {
  local name pattern flags file
  local -A seen=()
  local order=()
  while read -r name pattern flags; do
    [[ $name == "$1" ]] || continue
    for file in "$ROOT"/$pattern; do
      [[ -e $file ]] || { echo "cross_windows: cmake/sources.txt: no file matches $pattern" >&2; return 1; }
      [[ -v "seen[$file]" ]] || order+=("$file")
      seen[$file]="${seen[$file]:-} $flags"
    done
  done < <(sed 's/#.*//' "$ROOT/cmake/sources.txt")
  for file in "${order[@]}"; do echo "$file${seen[$file]}"; done
}
mapfile -t MODULE < <(product_sources qorincam)
# The simulated SDK library (its control MEX is built by scripts/windows_tests.sh).
mapfile -t SIMULATOR < <(product_sources qorinapi)

mkdir -p "$OUT/module" "$OUT/sim"
failed=0

compile() {  # compile <object dir> "<source> [its flags...]" [extra flags...]
  local dir=$1 entry
  read -r -a entry <<<"$2"
  shift 2
  local source=${entry[0]} extra=("${entry[@]:1}" "$@")
  local object="$dir/$(basename "${source%.cpp}").o"
  if ! "$CXX" "${FLAGS[@]}" "${extra[@]}" -c "$source" -o "$object"; then
    echo "cross_windows: FAILED ${source#"$ROOT"/}" >&2
    return 1
  fi
}

# Two compilers at a time: each waits for its own result.
pids=()
for source in "${MODULE[@]}"; do
  compile "$OUT/module" "$source" & pids+=($!)
  if ((${#pids[@]} >= 2)); then wait "${pids[0]}" || failed=1; pids=("${pids[@]:1}"); fi
done
for source in "${SIMULATOR[@]}"; do
  compile "$OUT/sim" "$source" -DQORIN_BUILDING_SDK & pids+=($!)
  if ((${#pids[@]} >= 2)); then wait "${pids[0]}" || failed=1; pids=("${pids[@]:1}"); fi
done
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done

if ((failed == 0)); then
  "$CXX" -shared -static-libgcc -static-libstdc++ -o "$OUT/qorinapi.dll" "$OUT"/sim/*.o \
    -Wl,--out-implib,"$OUT/libqorinapi.dll.a"
fi
if ((failed != 0)); then
  echo "cross_windows: the Windows build has errors or warnings" >&2
  exit 1
fi
echo "cross_windows: ${#MODULE[@]} module and ${#SIMULATOR[@]} simulator sources compile for x86_64-w64-mingw32 with MSVC's min/max macros; $OUT/qorinapi.dll linked"
