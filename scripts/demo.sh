#!/usr/bin/env bash
# demo.sh - sets up the machine, builds the module and runs the demo in Octave against the simulator.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${QORIN_BUILD_DIR:-$ROOT/build}"

bash "$ROOT/scripts/setup.sh"
cd "$ROOT"
octave-cli --no-gui --no-window-system --no-history --norc --quiet \
  --eval "addpath('$BUILD_DIR/mex'); addpath('$ROOT/examples'); demo_first_snapshot"
