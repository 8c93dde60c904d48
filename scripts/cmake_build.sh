# cmake_build.sh - the one way the scripts configure a CMake build; sourced by the scripts.
#
# Every build uses Ninja, chosen here on purpose: with Unix Makefiles a MinGW DLL links its own
# objects through an archive, which changes what the linker exports, so a build that works
# under one generator need not work under another.  A script that builds requires
# QORIN_BUILD_PACKAGES along with its own packages.
QORIN_CMAKE_GENERATOR=Ninja
QORIN_BUILD_PACKAGES=(cmake ninja-build)

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
