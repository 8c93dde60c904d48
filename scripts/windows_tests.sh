#!/usr/bin/env bash
# windows_tests.sh - builds the module for 64-bit Windows with mingw-w64 and runs it under Wine, headless.
#
# The Windows build (tests/native with cmake/MingwW64.cmake) is qorinapi.dll, hostdouble.dll
# (where MATLAB's libmx/libmex are), qorincam.mexw64 and qorinsim.mexw64, the native harnesses
# and the unit tests.  Under a private Wine prefix in a temporary folder it runs:
#   exports    qorincam.mexw64 exports only mexFunction and imports only qorinapi.dll, the host's
#              API (functions its mex.h/matrix.h declare), KERNEL32, USER32 and the C runtime
#   loader     the MEX files loaded from their own folder, driven, unloaded and reloaded, and
#              unloaded under a running recording
#   sweep, model, replay, unit
#              the native harnesses and the unit tests; their summary lines must equal those of
#              the same programs built for Linux
#   recording  two cameras recording (worker threads, a TIFF writer) while the main thread issues
#              commands, then unloaded under them: no thread left, a valid file; as on Linux
#   trace      QORIN_WINDOWS_TRACE_INPUTS (default 3000) generated fuzz inputs traced call by
#              call on Linux and on Windows; the traces must be identical
#   commands   build_qorincam's Windows command lines (written by Octave, paths with a space)
#              run through cmd against stand-ins that must receive their arguments intact
# The two builds (build.windows, build.linux) and the Wine prefix (prefix) are steps too; when
# one fails the run ends there.  A step passes only when it exits 0 and prints its own summary
# line (scripts/steps.sh): Wine can exit 0 after a crash, so its debugger is disabled and the
# programs' crash handler names module and offset.  Logs are kept in $QORIN_WINDOWS_DIR/logs.
# Installs wine64, the mingw-w64 compilers and googletest's sources when missing (as root).
#
#   bash scripts/windows_tests.sh
#   QORIN_WINDOWS_STEPS="loader unit" bash scripts/windows_tests.sh
#   QORIN_WINDOWS_DIR=/tmp/win QORIN_JOBS=4 bash scripts/windows_tests.sh   # builds and logs there
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="${QORIN_WINDOWS_DIR:-$ROOT/build-windows}"
ALL_STEPS="exports loader sweep model replay unit recording trace commands"
TRACE_INPUTS="${QORIN_WINDOWS_TRACE_INPUTS:-3000}"
start=$SECONDS

# --- toolchain -------------------------------------------------------------------------------
wine_binary() {
  local candidate
  for candidate in "$(command -v wine64 || true)" /usr/lib/wine/wine64 "$(command -v wine || true)"; do
    if [[ -n "$candidate" && -x "$candidate" ]]; then echo "$candidate"; return 0; fi
  done
  return 1
}
source "$ROOT/scripts/packages.sh"
source "$ROOT/scripts/steps.sh"
# The Linux build for comparison needs the host compiler and GoogleTest's package as well.
qorin_require_packages windows_tests g++-mingw-w64-x86-64 wine64 googletest "${QORIN_BUILD_PACKAGES[@]}" g++ \
  libgtest-dev libgmock-dev octave || exit 1
WINE="$(wine_binary)"

step_line() { echo "windows_tests: $2 $1 ($3 s): $4"; }
qorin_steps_begin step_line "$OUT/logs" "$ALL_STEPS" "${QORIN_WINDOWS_STEPS:-$ALL_STEPS}" || exit 1
finish() {
  if qorin_steps_failed; then
    echo "windows_tests: FAILED after $((SECONDS - start)) s" >&2
    exit 1
  fi
  echo "windows_tests: all steps passed in $((SECONDS - start)) s"
  exit 0
}

# --- builds ----------------------------------------------------------------------------------
WIN="$OUT/windows"
LIN="$OUT/linux"
qorin_build build.windows "$WIN" "" -S "$ROOT/tests/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/MingwW64.cmake" || finish
qorin_build build.linux "$LIN" "" -S "$ROOT/tests/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQORIN_SANITIZE= || finish

# --- Wine prefix -----------------------------------------------------------------------------
SCRATCH="$(mktemp -d "${TMPDIR:-/tmp}/qorin-wine.XXXXXX")"
export WINEPREFIX="$SCRATCH/prefix" WINEDEBUG=-all WINEARCH=win64
# Wine names its files on the Linux side in the locale's encoding: under the C locale of a bare
# machine (cron, a chroot, env -i) a name beyond ASCII cannot be made at all.
export LC_ALL=C.UTF-8
# No Mono or Gecko installers, and no debugger to swallow a crash.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  "$(dirname "$WINE")/wineserver" -k >/dev/null 2>&1 || wineserver -k >/dev/null 2>&1 || true
  rm -rf "$SCRATCH"
}
trap cleanup EXIT
wine_prefix() {
  "$WINE" wineboot -i || return 1
  "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 0 /f >/dev/null 2>&1
  echo "Wine prefix ready ($("$WINE" --version 2>/dev/null))"
}
qorin_step prefix '^Wine prefix ready' wine_prefix || finish

winpath() { echo "Z:${1//\//\\}"; }

# --- steps -----------------------------------------------------------------------------------
# Every step runs in one scratch folder; the Windows harnesses' summary lines must equal those
# of the same programs built for Linux, run first.
QORIN_STEP_WORKDIR="$SCRATCH/work"
mkdir -p "$QORIN_STEP_WORKDIR"

if qorin_wants exports; then
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
  qorin_step exports '^exports: mexFunction only' exports_check
fi

# From a folder of their own, with qorinapi.dll beside them and not beside the host.
qorin_wants loader &&
  qorin_step loader '^loader test: [0-9]+ checks, 0 failed' "$WINE" "$WIN/host/loader_test.exe" "$(winpath "$WIN/mex")"

if qorin_wants sweep; then
  qorin_step sweep.linux '^fault sweep: .*0 failures' "$LIN/fault_sweep"
  qorin_step --same-as sweep.linux sweep '^fault sweep: .*0 failures' "$WINE" "$WIN/bin/fault_sweep.exe"
fi

if qorin_wants model; then
  qorin_step model.linux '^camera table model: .*: OK' "$LIN/camera_table_model"
  qorin_step --same-as model.linux model '^camera table model: .*: OK' "$WINE" "$WIN/bin/camera_table_model.exe"
fi

if qorin_wants replay; then
  qorin_step replay.linux '^fuzz replay: [0-9]+ inputs, no failure' "$LIN/fuzz_replay" "$ROOT/tests/fuzz/corpus"
  qorin_step --same-as replay.linux replay '^fuzz replay: [0-9]+ inputs, no failure' \
    "$WINE" "$WIN/bin/fuzz_replay.exe" "$(winpath "$ROOT/tests/fuzz/corpus")"
fi

if qorin_wants unit; then
  qorin_step unit.linux '^\[  PASSED  \] [0-9]+ tests?\.' "$LIN/unit_tests"
  qorin_step --same-as unit.linux unit '^\[  PASSED  \] [0-9]+ tests?\.' "$WINE" "$WIN/bin/unit_tests.exe"
fi

if qorin_wants recording; then
  qorin_step recording.linux '^recording session: .* 0 failed' "$LIN/recording_session"
  qorin_step --same-as recording.linux recording '^recording session: .* 0 failed' "$WINE" "$WIN/bin/recording_session.exe"
fi

if qorin_wants trace; then
  # Deterministic inputs of 1..512 bytes, the same on every run.
  mkdir -p "$QORIN_STEP_WORKDIR/inputs"
  LC_ALL=C awk -v n="$TRACE_INPUTS" -v dir="$QORIN_STEP_WORKDIR/inputs" 'BEGIN {
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
    mapfile -t files < <(ls inputs | sed 's|^|inputs/|')
    for ((k = 0; k < ${#files[@]}; k += 500)); do
      QORIN_FUZZ_TRACE=1 "$@" "${files[@]:k:500}" || return 1
    done
    echo "traced ${#files[@]} inputs"
  }
  trace_calls() { tr -d '\r' <"$(qorin_step_log "$1")" | grep -E '^code ' >"$1.calls"; }
  trace_compare() {
    trace_calls trace.linux && trace_calls trace.windows || return 1
    local calls
    calls=$(wc -l <trace.linux.calls)
    if ((calls == 0)) || ! cmp -s trace.linux.calls trace.windows.calls; then
      echo "the traces differ ($calls calls on Linux); first differences:"
      diff trace.linux.calls trace.windows.calls | head -10
      return 1
    fi
    echo "trace: $TRACE_INPUTS inputs, $calls calls traced identically on Linux and Windows"
  }
  qorin_step trace.linux '^traced [0-9]+ inputs' trace_run "$LIN/fuzz_replay"
  qorin_step trace.windows '^traced [0-9]+ inputs' trace_run "$WINE" "$WIN/bin/fuzz_replay.exe"
  qorin_step trace '^trace: ' trace_compare
fi

if qorin_wants commands; then
  # The lines as cmd.exe gets them from MATLAB's and Octave's system, with the stand-ins in a
  # folder whose name holds a space.
  commands_check() {
    octave-cli --no-gui --norc --quiet --eval \
      "addpath('$ROOT/tests/octave'); qorin_windows_lines('$QORIN_STEP_WORKDIR/command_lines.txt', 'C:\\qorin build\\bin')" &&
      "$WINE" "$WIN/bin/command_lines.exe" "$(winpath "$QORIN_STEP_WORKDIR/command_lines.txt")" 'C:\qorin build\bin'
  }
  qorin_step commands '^command lines: [0-9]+ run, 0 failed' commands_check
fi

finish
