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
# First, step cxx17: the module's sources (gateway camera kernels acquisition tiff recording
# settings device platform sdk) use nothing of C++ that MATLAB's compilers lack, GCC 8.1 (its
# MinGW-w64 add-on) and MSVC 2017, though the GCC here takes it: their text, comments and
# literals taken out, is searched for the headers, names and syntax of the table in
# cxx17_check.  The build itself compiles them as C++17 (-std=c++17, no GNU extensions), which
# stops what is C++20 syntax.
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

# The step's own line on success; the fault and the log on failure.
step_line() {
  if [[ $2 == PASS ]]; then
    echo "$4"
  elif [[ $1 == cxx17 ]]; then
    echo "cross_windows: FAILED, the module uses C++ that GCC 8.1 or MSVC 2017 lack: $4"
  else
    echo "cross_windows: FAILED, the Windows build has errors or warnings: $4"
  fi
}
qorin_steps_begin step_line "$OUT/logs" "cxx17 cross" "cxx17 cross" || exit 1

# What GCC 8.1 or MSVC 2017 lack, as a Perl pattern and what it finds, one a line.
CXX17_LACKING='
#\s*include\s*<(filesystem|memory_resource|execution|span|ranges|concepts|coroutine|format|bit|numbers|source_location|compare|version|syncstream|semaphore|latch|barrier|stop_token)>	a header GCC 8.1 or MSVC 2017 lacks (<filesystem>: GCC 8.1 has one that does not work on Windows)
\bstd::(filesystem|pmr|execution|span|ranges|format|bit_cast|jthread|atomic_ref|make_unique_for_overwrite|ssize|erase_if|to_array|midpoint|lerp|is_constant_evaluated)\b	a library name of C++17 they lack, or of C++20
\bstd::aligned_alloc\b|\baligned_alloc\s*\(	aligned_alloc (MSVC has none)
\bhardware_(de|con)structive_interference_size\b	interference sizes (GCC 12 on)
\bchars_format\b|\b(from|to)_chars\b[^;]*\b(double|float)\b	floating-point from_chars/to_chars
[{,]\s*\.[A-Za-z_]\w*\s*=(?!=)	a designated initialiser (C++20)
<=>	three-way comparison (C++20)
\b(consteval|constinit|co_await|co_yield|co_return|concept|requires|char8_t)\b	a C++20 keyword
\[\[\s*(likely|unlikely|no_unique_address)\s*\]\]	a C++20 attribute
\busing\s+enum\b	using enum (C++20)
\.(contains|starts_with|ends_with)\s*\(	contains/starts_with/ends_with (C++20)
'
cxx17_check() {
  local files=() count
  mapfile -t files < <(cd "$ROOT" && find gateway camera kernels acquisition tiff recording settings device platform sdk -type f \
    \( -name '*.cpp' -o -name '*.h' -o -name '*.def' \) | sort)
  count=$(grep -c . <<<"$CXX17_LACKING")
  # Comments, string and character literals blanked (lines kept), then each pattern searched.
  (cd "$ROOT" && CXX17_LACKING="$CXX17_LACKING" perl -e '
    my @rules = map { [split /\t/] } grep { /\S/ } split /\n/, $ENV{CXX17_LACKING};
    my $found = 0;
    for my $file (@ARGV) {
      open(my $in, "<", $file) or die "$file: $!";
      local $/; my $text = <$in>;
      $text =~ s{//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\x27(?:\\.|[^\x27\\\n])*\x27}{ (my $m = $&) =~ s/[^\n]//g; $m }gse;
      my $line = 0;
      for my $code (split /\n/, $text) {
        ++$line;
        for my $rule (@rules) {
          if ($code =~ /$rule->[0]/) { print "$file:$line: $rule->[1]\n"; ++$found; }
        }
      }
    }
    exit($found ? 1 : 0);
  ' "${files[@]}") || return 1
  echo "cxx17: ${#files[@]} module sources use none of $count kinds of C++ that GCC 8.1 or MSVC 2017 lack"
}
qorin_step cxx17 '^cxx17: [0-9]+ module sources use none' cxx17_check || exit 1
qorin_step --show "$QORIN_BUILD_FAULTS" cross '^cross_windows: [0-9]+ module' \
  qorin_cmake_build "$OUT" "" -S "$ROOT/cmake/cross_windows" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/MingwW64.cmake" || exit 1
# No MinGW runtime DLL (libwinpthread-1, libstdc++-6, libgcc_s) among the DLL's imports.
imports="$(x86_64-w64-mingw32-objdump -p "$OUT/qorinapi.dll" | awk '/DLL Name:/ {print $3}' | tr '\n' ' ')"
if grep -qiE 'libwinpthread|libstdc\+\+|libgcc' <<<"$imports"; then
  echo "cross_windows: FAILED, qorinapi.dll needs MinGW's runtime DLLs: $imports"
  exit 1
fi
