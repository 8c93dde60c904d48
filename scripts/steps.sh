# steps.sh - how the scripts build with CMake and run their steps; sourced by the scripts.
#
# Every build uses Ninja, chosen here on purpose: with Unix Makefiles a MinGW DLL links its own
# objects through an archive, which changes what the linker exports, so a build that works
# under one generator need not work under another.  A script that builds requires
# QORIN_BUILD_PACKAGES along with its own packages.
QORIN_CMAKE_GENERATOR=Ninja
QORIN_BUILD_PACKAGES=(cmake ninja-build)
# The lines of a build's output that say why it failed: all but the progress lines of Ninja
# ("[3/40] Building ...") and CMake ("-- Configuring done"), so that a compiler's message comes
# with its notes and a link that misses a function with its "undefined reference" line.
QORIN_BUILD_FAULTS='^[^[-]'

#   qorin_cmake_configure <build dir> <cmake arguments...>
# Configures the build folder with the one generator.  A folder another generator configured
# is configured anew: CMake refuses to switch generators in place.
qorin_cmake_configure() {
  local dir=$1
  shift
  if [[ -f "$dir/CMakeCache.txt" ]] &&
     ! grep -qx "CMAKE_GENERATOR:INTERNAL=$QORIN_CMAKE_GENERATOR" "$dir/CMakeCache.txt"; then
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
  fi
  cmake -G "$QORIN_CMAKE_GENERATOR" -B "$dir" "$@"
}

#   qorin_cmake_build <build dir> "<targets>" <cmake arguments...>
# Configures and builds the targets (all when empty) with QORIN_JOBS (default 2) jobs, going
# on past a failed file so that one run names every file that fails; prints "built ..." last.
qorin_cmake_build() {
  local dir=$1 targets=()
  read -r -a targets <<<"$2"
  shift 2
  qorin_cmake_configure "$dir" "$@" &&
    cmake --build "$dir" -j"${QORIN_JOBS:-2}" ${targets[@]+--target "${targets[@]}"} -- -k 0 &&
    echo "built ${targets[*]:-everything} in $dir"
}

# --- the step runner --------------------------------------------------------------------------
# A script names its steps, runs each through qorin_step and ends on qorin_steps_failed.  A step
# passes only when its command exits 0 and prints its own summary line; the runner prints and
# keeps one line per step (QORIN_STEP_LINES), written by the script's line function.

#   qorin_steps_begin <line function> <log folder> "<known steps>" "<chosen steps>"
# The line function is called as <function> <step> PASS|FAIL <seconds> <summary or fault>.
# Commands run in QORIN_STEP_WORKDIR (default: the current folder).  A chosen step that is not
# known fails the call.
qorin_steps_begin() {
  QORIN_STEP_LINE_FUNCTION=$1 QORIN_STEP_LOGS=$2 QORIN_STEPS_KNOWN=$3 QORIN_STEPS_CHOSEN=$4
  QORIN_STEP_LINES=() QORIN_STEP_FAILURES=0
  declare -gA QORIN_STEP_SUMMARY=()
  mkdir -p "$QORIN_STEP_LOGS" || return 1
  local step
  for step in $QORIN_STEPS_CHOSEN; do
    [[ " $QORIN_STEPS_KNOWN " == *" $step "* ]] ||
      { echo "$(basename "$0" .sh): unknown step '$step'; the steps are: $QORIN_STEPS_KNOWN" >&2; return 1; }
  done
}

#   qorin_wants <step>...: true when any of the steps is chosen
qorin_wants() {
  local step
  for step in "$@"; do [[ " $QORIN_STEPS_CHOSEN " == *" $step "* ]] && return 0; done
  return 1
}

#   qorin_step_log <step>: the file that holds the step's output
qorin_step_log() { echo "$QORIN_STEP_LOGS/$1.log"; }

#   qorin_step [--show <ERE>] [--same-as <step>] <step> <summary ERE> <command...>
# Runs the command with its output in the step's log.  Its summary line is the log's last line
# that matches the ERE (carriage returns removed); with --same-as it must also equal that
# step's.  A failed step is reported with the log's lines that match --show, or its last lines.
# Returns the step's status.
qorin_step() {
  local show="" same_as=""
  while [[ $1 == --* ]]; do
    case $1 in --show) show=$2 ;; --same-as) same_as=$2 ;; esac
    shift 2
  done
  local step=$1 pattern=$2
  shift 2
  local log t0=$SECONDS rc=0 line fault=""
  log="$(qorin_step_log "$step")"
  (cd "${QORIN_STEP_WORKDIR:-.}" && "$@") >"$log" 2>&1 || rc=$?
  line="$(tr -d '\r' <"$log" | grep -E -- "$pattern" | tail -1 || true)"
  QORIN_STEP_SUMMARY[$step]=$line
  if ((rc != 0)); then
    fault="exit $rc$( ((rc > 128)) && echo ", crashed")"
  elif [[ -z $line ]]; then
    fault="no summary line"
  elif [[ -n $same_as && $line != "${QORIN_STEP_SUMMARY[$same_as]:-}" ]]; then
    fault="$same_as said '${QORIN_STEP_SUMMARY[$same_as]:-}'"
  fi
  if [[ -z $fault ]]; then
    QORIN_STEP_LINES+=("$("$QORIN_STEP_LINE_FUNCTION" "$step" PASS $((SECONDS - t0)) "$line")")
    echo "${QORIN_STEP_LINES[-1]}"
    return 0
  fi
  QORIN_STEP_LINES+=("$("$QORIN_STEP_LINE_FUNCTION" "$step" FAIL $((SECONDS - t0)) "${line:+$line; }$fault; see $log")")
  QORIN_STEP_FAILURES=$((QORIN_STEP_FAILURES + 1))
  echo "${QORIN_STEP_LINES[-1]}"
  if [[ -n $show ]]; then
    tr -d '\r' <"$log" | grep -E -- "$show" | head -30
  else
    tr -d '\r' <"$log" | tail -30
  fi
  return 1
}

#   qorin_build <step> <build dir> "<targets>" <cmake arguments...>: qorin_cmake_build as a step
qorin_build() {
  local step=$1
  shift
  qorin_step --show "$QORIN_BUILD_FAULTS" "$step" '^built ' qorin_cmake_build "$@"
}

#   qorin_steps_failed: true when a step failed
qorin_steps_failed() { ((QORIN_STEP_FAILURES > 0)); }
