#!/usr/bin/env bash
# windows_tests.sh - builds the module for 64-bit Windows with mingw-w64 and runs it under Wine, headless.
#
# The Windows build (tests/native with cmake/MingwW64.cmake) is qorinapi.dll, hostdouble.dll
# (where MATLAB's libmx/libmex are), qorincam.mexw64 and qorinsim.mexw64, the native harnesses
# and the unit tests.  Under a private Wine prefix in a temporary folder it runs:
#   exports    qorincam.mexw64 exports only mexFunction and imports only qorinapi.dll, the host's
#              API (functions its mex.h/matrix.h declare), KERNEL32, USER32 and the C runtime
#   loader     the MEX files loaded from their own folder, driven, unloaded and reloaded
#   sweep, model, replay, unit
#              the native harnesses and the unit tests; their summary lines must equal those of
#              the same programs built for Linux
#   trace      QORIN_WINDOWS_TRACE_INPUTS (default 3000) generated fuzz inputs traced call by
#              call on Linux and on Windows; the traces must be identical
#   commands   build_qorincam's Windows command lines (written by Octave, paths with a space)
#              run through cmd against stand-ins that must receive their arguments intact
# A step passes only when it exits 0 and prints its own summary line: Wine can exit 0 after a
# crash, so its debugger is disabled and the programs' crash handler names module and offset.
# Installs wine64, the mingw-w64 compilers and googletest's sources when missing (as root).
#
#   bash scripts/windows_tests.sh
#   QORIN_WINDOWS_STEPS="loader unit" bash scripts/windows_tests.sh
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="${QORIN_WINDOWS_DIR:-$ROOT/build-windows}"
STEPS="${QORIN_WINDOWS_STEPS:-exports loader sweep model replay unit trace commands}"
TRACE_INPUTS="${QORIN_WINDOWS_TRACE_INPUTS:-3000}"
JOBS=2
start=$SECONDS

say() { echo "windows_tests: $*"; }

# --- toolchain -------------------------------------------------------------------------------
wine_binary() {
  local candidate
  for candidate in "$(command -v wine64 || true)" /usr/lib/wine/wine64 "$(command -v wine || true)"; do
    if [[ -n "$candidate" && -x "$candidate" ]]; then echo "$candidate"; return 0; fi
  done
  return 1
}
source "$ROOT/scripts/packages.sh"
source "$ROOT/scripts/cmake_build.sh"
# The Linux build for comparison needs the host compiler and GoogleTest's package as well.
qorin_require_packages windows_tests g++-mingw-w64-x86-64 wine64 googletest "${QORIN_BUILD_PACKAGES[@]}" g++ \
  libgtest-dev libgmock-dev octave || exit 1
WINE="$(wine_binary)"

# --- builds ----------------------------------------------------------------------------------
build() {  # build <dir> <cmake args...>
  local dir=$1
  shift
  qorin_cmake_configure "$dir" -S "$ROOT/tests/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log" >&2; return 1; }
  # A link that misses a host function names it in an "undefined reference" line.
  cmake --build "$dir" -j"$JOBS" >"$dir.build.log" 2>&1 ||
    { grep -E "undefined reference|error|warning|FAILED" "$dir.build.log" | head -40 >&2; return 1; }
}
mkdir -p "$OUT"
say "building for Windows (mingw-w64) and, for comparison, for Linux"
build "$OUT/windows" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/MingwW64.cmake"
build "$OUT/linux" -DQORIN_SANITIZE=
WIN="$OUT/windows"
LIN="$OUT/linux"

# --- Wine prefix -----------------------------------------------------------------------------
SCRATCH="$(mktemp -d "${TMPDIR:-/tmp}/qorin-wine.XXXXXX")"
export WINEPREFIX="$SCRATCH/prefix" WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko installers, and no debugger to swallow a crash.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  "$(dirname "$WINE")/wineserver" -k >/dev/null 2>&1 || wineserver -k >/dev/null 2>&1 || true
  rm -rf "$SCRATCH"
}
trap cleanup EXIT
prefix_start=$SECONDS
"$WINE" wineboot -i >"$SCRATCH/wineboot.log" 2>&1 || { cat "$SCRATCH/wineboot.log" >&2; exit 1; }
"$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 0 /f >/dev/null 2>&1 || true
say "Wine prefix ready in $((SECONDS - prefix_start)) s ($("$WINE" --version 2>/dev/null))"

winpath() { echo "Z:${1//\//\\}"; }

# --- steps -----------------------------------------------------------------------------------
status=0
declare -A SUMMARY
# run_step <name> <summary pattern> <command...>: passes on exit 0 and a summary line matching
# the pattern; the matching line is kept for comparison.
run_step() {
  local name=$1 pattern=$2
  shift 2
  local log="$SCRATCH/$name.log" rc=0 t0=$SECONDS
  (cd "$SCRATCH/work" && "$@") >"$log" 2>&1 || rc=$?
  local line
  line="$(tr -d '\r' <"$log" | grep -E "$pattern" | tail -1 || true)"
  SUMMARY[$name]="$line"
  if ((rc == 0)) && [[ -n "$line" ]]; then
    say "PASS $name ($((SECONDS - t0)) s): $line"
    return 0
  fi
  say "FAIL $name (exit $rc$([[ -z "$line" ]] && echo ", no passing summary line"); last lines of its output:)" >&2
  tr -d '\r' <"$log" | grep -v '^DBG' | tail -15 >&2
  status=1
  return 1
}
# Compares a Windows step's summary line with the Linux program's.
same_as_linux() {
  local name=$1 linux=$2
  if [[ "${SUMMARY[$name]}" != "${SUMMARY[$linux]}" ]]; then
    say "FAIL $name: Windows says '${SUMMARY[$name]}', Linux says '${SUMMARY[$linux]}'" >&2
    status=1
  fi
}
mkdir -p "$SCRATCH/work"

has_step() { [[ " $STEPS " == *" $1 "* ]]; }

if has_step exports; then
  export_names() { x86_64-w64-mingw32-objdump -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/{on=1;next} on&&/^[ \t]*\[/{print $NF} on&&/^$/{on=0}'; }
  exports_check() {
    local dump names imports allowed
    dump="$(x86_64-w64-mingw32-objdump -p "$WIN/mex/qorincam.mexw64")"
    names="$(export_names "$WIN/mex/qorincam.mexw64")"
    [[ "$names" == "mexFunction" ]] || { echo "exports: '$names' (only mexFunction expected)"; return 1; }
    imports="$(grep -E "DLL Name:" <<<"$dump" | awk '{print $3}' | sort | tr '\n' ' ')"
    for dll in qorinapi.dll hostdouble.dll KERNEL32.dll USER32.dll; do
      [[ " $imports " == *" $dll "* ]] || { echo "imports: $imports (no $dll)"; return 1; }
    done
    for dll in $imports; do
      case "$dll" in qorinapi.dll|hostdouble.dll|KERNEL32.dll|USER32.dll|msvcrt.dll) ;; *) echo "imports: unexpected $dll"; return 1 ;; esac
    done
    # Every function taken from the host is one its MATLAB-shaped headers declare.
    allowed="$(cat "$ROOT/tests/host_double/mex.h" "$ROOT/tests/host_double/matrix.h" | grep -oE '\b(mx|mex)[A-Za-z0-9_]+ *\(' | tr -d ' (' | sort -u)"
    local host_imports
    host_imports="$(awk '/DLL Name: hostdouble.dll/{on=1;next} on&&/DLL Name:/{on=0} on&&/^[ \t]+[0-9a-f]+[ \t]+[0-9]+[ \t]+[A-Za-z_]/{print $NF}' <<<"$dump" | sort -u)"
    local extra
    extra="$(comm -23 <(echo "$host_imports") <(echo "$allowed"))"
    [[ -z "$extra" ]] || { echo "host functions outside the MATLAB API headers: $extra"; return 1; }
    # The host double exports the whole API its headers declare (the harnesses call more of it
    # than the module does) and, besides, only its own control functions.
    local host_exports missing
    host_exports="$(export_names "$WIN/host/hostdouble.dll" | sort -u)"
    missing="$(comm -23 <(grep -vx mexFunction <<<"$allowed") <(echo "$host_exports") | tr '\n' ' ')"
    [[ -z "${missing// /}" ]] || { echo "hostdouble.dll does not export: $missing"; return 1; }
    extra="$(comm -13 <(echo "$allowed") <(echo "$host_exports") | grep -v '^_ZN10hostdouble' | tr '\n' ' ' || true)"
    [[ -z "${extra// /}" ]] || { echo "hostdouble.dll exports more than the host API: $extra"; return 1; }
    echo "exports: mexFunction only; imports $imports; $(wc -l <<<"$host_imports") host API functions"
  }
  run_step exports '^exports: mexFunction only' exports_check || true
fi

if has_step loader; then
  # From a folder of their own, with qorinapi.dll beside them and not beside the host.
  run_step loader '^loader test: [0-9]+ checks, 0 failed' "$WINE" "$WIN/host/loader_test.exe" "$(winpath "$WIN/mex")" || true
fi

if has_step sweep; then
  run_step sweep.linux '^fault sweep: .*0 failures' "$LIN/fault_sweep" || true
  run_step sweep '^fault sweep: .*0 failures' "$WINE" "$WIN/bin/fault_sweep.exe" && same_as_linux sweep sweep.linux || true
fi

if has_step model; then
  run_step model.linux '^camera table model: .*: OK' "$LIN/camera_table_model" || true
  run_step model '^camera table model: .*: OK' "$WINE" "$WIN/bin/camera_table_model.exe" && same_as_linux model model.linux || true
fi

if has_step replay; then
  run_step replay.linux '^fuzz replay: [0-9]+ inputs, no failure' "$LIN/fuzz_replay" "$ROOT/tests/fuzz/corpus" || true
  run_step replay '^fuzz replay: [0-9]+ inputs, no failure' "$WINE" "$WIN/bin/fuzz_replay.exe" "$(winpath "$ROOT/tests/fuzz/corpus")" &&
    same_as_linux replay replay.linux || true
fi

if has_step unit; then
  run_step unit.linux '^\[  PASSED  \] [0-9]+ tests?\.' "$LIN/unit_tests" || true
  run_step unit '^\[  PASSED  \] [0-9]+ tests?\.' "$WINE" "$WIN/bin/unit_tests.exe" && same_as_linux unit unit.linux || true
fi

if has_step trace; then
  # Deterministic inputs of 1..512 bytes, the same on every run.
  mkdir -p "$SCRATCH/work/inputs"
  LC_ALL=C awk -v n="$TRACE_INPUTS" -v dir="$SCRATCH/work/inputs" 'BEGIN {
      srand(20261208)
      for (i = 0; i < n; i++) {
        file = sprintf("%s/%05d", dir, i)
        size = 1 + int(rand() * 512)
        for (b = 0; b < size; b++) printf "%c", int(rand() * 256) > file
        close(file)
      }
    }'
  trace_run() {  # trace_run <program...>: every input, in name order, in batches of 500
    local files=() k
    mapfile -t files < <(cd "$SCRATCH/work" && ls inputs | sed 's|^|inputs/|')
    for ((k = 0; k < ${#files[@]}; k += 500)); do
      QORIN_FUZZ_TRACE=1 "$@" "${files[@]:k:500}" || return 1
    done
    echo "traced ${#files[@]} inputs"
  }
  run_step trace.linux '^traced [0-9]+ inputs' trace_run "$LIN/fuzz_replay" || true
  run_step trace.windows '^traced [0-9]+ inputs' trace_run "$WINE" "$WIN/bin/fuzz_replay.exe" || true
  tr -d '\r' <"$SCRATCH/trace.linux.log" | grep -E '^code ' >"$SCRATCH/trace.linux.calls" || true
  tr -d '\r' <"$SCRATCH/trace.windows.log" | grep -E '^code ' >"$SCRATCH/trace.windows.calls" || true
  calls=$(wc -l <"$SCRATCH/trace.linux.calls")
  if ((calls > 0)) && cmp -s "$SCRATCH/trace.linux.calls" "$SCRATCH/trace.windows.calls"; then
    say "PASS trace: $TRACE_INPUTS inputs, $calls calls traced identically on Linux and Windows"
  else
    say "FAIL trace: the traces differ ($calls calls on Linux); first differences:" >&2
    diff "$SCRATCH/trace.linux.calls" "$SCRATCH/trace.windows.calls" | head -10 >&2 || true
    status=1
  fi
fi

if has_step commands; then
  # The lines as cmd.exe gets them from MATLAB's and Octave's system, with the stand-ins in a
  # folder whose name holds a space.
  commands_check() {
    octave-cli --no-gui --norc --quiet --eval \
      "addpath('$ROOT/tests/octave'); qorin_windows_lines('$SCRATCH/work/command_lines.txt', 'C:\\qorin build\\bin')" &&
      "$WINE" "$WIN/bin/command_lines.exe" "$(winpath "$SCRATCH/work/command_lines.txt")" 'C:\qorin build\bin'
  }
  run_step commands '^command lines: [0-9]+ run, 0 failed' commands_check || true
fi

if ((status == 0)); then
  say "all steps passed in $((SECONDS - start)) s"
else
  say "FAILED after $((SECONDS - start)) s" >&2
fi
exit $status
