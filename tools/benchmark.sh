#!/usr/bin/env bash
# Builds everything and prints the speed and size figures.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/common.sh

install_deps
build
tests/make_wineprefix.sh "$PWD/build/bench-wineprefix"
VEMRO_BIN_DIR=$PWD/build/bin VEMRO_WINEPREFIX=$PWD/build/bench-wineprefix VEMRO_RIG_DIR=$PWD/build/bench-rig \
    /usr/bin/python3 bench/run_benchmarks.py
