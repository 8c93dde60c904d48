#!/usr/bin/env bash
# test.sh - sets up the machine, builds everything and runs every test through ctest.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${QORIN_BUILD_DIR:-$ROOT/build}"

bash "$ROOT/scripts/setup.sh"
cd "$BUILD_DIR"
ctest --output-on-failure -j"$(nproc)"
